#include "toolkit/form_description.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

TEST(FormDescription, NestedObjectsAndValueKinds) {
    const char* text = "\xEF\xBB\xBF// leading comment\n"
                       "object Form1: TForm1\n"
                       "  Left = -8\n"
                       "  Color = $00400000\n"
                       "  Caption = 'It''s '#13#10'ok' + \n    ' more'\n"
                       "  Font.Style = [fsBold, fsItalic]\n"
                       "  Anchors = []\n"
                       "  Visible = False\n"
                       "  Lines.Strings = (\n    'a'\n    ''\n    'c')\n"
                       "  Data = {0A ff\n 10}\n"
                       "  Columns = <\n    item\n      Caption = 'x'\n    end\n    item\n    end>\n"
                       "  object pnl: TPanel\n    object lbl: TLabel\n    end\n  end\n"
                       "  object btn: TButton\n  end\n"
                       "end\n";
    FormObject f = ParseFormDescription(text);
    EXPECT_EQ(f.name, "Form1");
    EXPECT_EQ(f.className, "TForm1");
    ASSERT_EQ(f.props.size(), 9u);
    EXPECT_EQ(f.props[0].value.integer, -8);
    EXPECT_EQ(f.props[1].value.integer, 0x400000);
    EXPECT_EQ(f.props[2].value.kind, FormValue::String);
    EXPECT_EQ(f.props[2].value.text, "It's \r\nok more");
    EXPECT_EQ(f.props[3].name, "Font.Style");
    EXPECT_EQ(f.props[3].value.names, (std::vector<std::string>{"fsBold", "fsItalic"}));
    EXPECT_TRUE(f.props[4].value.names.empty());
    EXPECT_EQ(f.props[5].value.kind, FormValue::Ident);
    EXPECT_EQ(f.props[5].value.text, "False");
    // Strings separated by a line break are separate items, not one joined string.
    ASSERT_EQ(f.props[6].value.list.size(), 3u);
    EXPECT_EQ(f.props[6].value.list[1].text, "");
    EXPECT_EQ(f.props[7].value.text, std::string("\x0a\xff\x10", 3));
    ASSERT_EQ(f.props[8].value.items.size(), 2u);
    EXPECT_EQ(f.props[8].value.items[0][0].value.text, "x");
    EXPECT_TRUE(f.props[8].value.items[1].empty());
    ASSERT_EQ(f.children.size(), 2u);
    EXPECT_EQ(f.children[0].children[0].name, "lbl");
    EXPECT_EQ(f.children[1].className, "TButton");
    EXPECT_EQ(f.children[1].line, 26);
}

TEST(FormDescription, Utf8CharacterCodes) {
    FormObject f = ParseFormDescription("object A: TA\n  S = #31532'x'#128512\nend");
    EXPECT_EQ(f.props[0].value.text, "\xe7\xac\xac"
                                     "x"
                                     "\xf0\x9f\x98\x80");
}

TEST(FormDescription, ErrorsNameTheLine) {
    struct {
        const char* text;
        int line;
    } bad[] = {
        {"", 1},
        {"object A: TA\n  X = 'open\nend", 2},
        {"object A: TA\n  X = \nend", 3},
        {"object A: TA\n  X = {ABC}\nend", 2},
        {"object A: TA\n  X = {AB", 2},
        {"object A: TA\n  X = 99999999999999999999\nend", 2},
        {"object A: TA\n  object B: TB\nend", 3},
        {"object A: TA\nend\nextra", 3},
        {"object A TA\nend", 1},
        {"object A: TA\n  X = 'a' +\nend", 3},
        {"object A: TA\n  X = <\n item\n Y = 1\n", 5},
        {"object A: TA\n  X = #1114112\nend", 2},
    };
    for (auto& b : bad) {
        try {
            ParseFormDescription(b.text);
            ADD_FAILURE() << "accepted: " << b.text;
        } catch (const FormParseError& e) {
            EXPECT_EQ(e.line(), b.line) << b.text << " -> " << e.what();
        }
    }
}

TEST(FormDescription, BinaryValuesRoundTrip) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7);
    std::string text = "object A: TA\n  SkinStream = " + FormatBinaryValue(bytes, 4) + "\nend\n";
    FormObject f = ParseFormDescription(text);
    EXPECT_EQ(f.props[0].value.kind, FormValue::Binary);
    EXPECT_EQ(f.props[0].value.text, bytes);
    EXPECT_EQ(ParseFormDescription("object A: TA\n X = {}\nend").props[0].value.text, "");
}

TEST(FormDescription, TheMainWindowsOwnDescriptionParses) {
    FILE* f = std::fopen(CORVANE_SOURCE_DIR "/src/app/main_form.form", "rb");
    ASSERT_NE(f, nullptr);
    std::string text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
    FormObject form = ParseFormDescription(text);
    EXPECT_EQ(form.className, "TForm1");
    std::vector<std::string> names;
    std::function<void(const FormObject&)> walk = [&](const FormObject& o) {
        names.push_back(o.name);
        for (const FormObject& c : o.children) walk(c);
    };
    walk(form);
    for (const char* expected : {"pnl4", "lbl1", "lbl2", "lbl7", "lbl8", "pgc1", "ts1", "ts2", "ts3", "ts4", "ts5",
                                 "btn1", "btn2", "btn3", "btn4", "btn5", "btn6", "mmo1", "mmo2", "mmo3", "mmo4",
                                 "Memo1", "edt1", "lbl3", "lbl4", "lbl6", "lbledt1", "lbledt2", "chk1", "ListView1",
                                 "pnl1", "pnl2", "pnl3", "pnl5", "shp1", "shp2", "shp3", "shp4", "shp5", "wb1", "wb2",
                                 "dlgOpen1", "tmr1", "RegExp1"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
}
