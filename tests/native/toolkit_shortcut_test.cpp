#include "toolkit/shortcut.h"

#include <gtest/gtest.h>

TEST(ShortCut, TextRoundTrips) {
    struct Case {
        const char* text;
        TShortCut value;
    };
    const Case cases[] = {
        {"Ctrl+S", MakeShortCut('S', scCtrl)},
        {"Shift+Ctrl+F1", MakeShortCut(0x70, scShift | scCtrl)},
        {"Alt+Enter", MakeShortCut(0x0D, scAlt)},
        {"Del", MakeShortCut(0x2E, 0)},
        {"Shift+Ctrl+Alt+F24", MakeShortCut(0x87, scShift | scCtrl | scAlt)},
        {"Ctrl+Num +", MakeShortCut(0x6B, scCtrl)},
        {"Ctrl+0", MakeShortCut('0', scCtrl)},
        {"Alt+BkSp", MakeShortCut(0x08, scAlt)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToShortCut(c.text), c.value) << c.text;
        EXPECT_EQ(ShortCutToText(c.value), c.text) << c.text;
    }
}

TEST(ShortCut, ParsingIsLenientButExact) {
    // Any modifier order and letter case, always written back in one order.
    EXPECT_EQ(ShortCutToText(TextToShortCut("ctrl+shift+s")), "Shift+Ctrl+S");
    EXPECT_EQ(TextToShortCut("alt+del"), MakeShortCut(0x2E, scAlt));
    // Nothing that is not a key, and a lone modifier is no shortcut.
    EXPECT_EQ(TextToShortCut(""), scNone);
    EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
    EXPECT_EQ(TextToShortCut("Ctrl"), scNone);
    EXPECT_EQ(TextToShortCut("Ctrl+SS"), scNone);
    EXPECT_EQ(TextToShortCut("F25"), scNone);
    EXPECT_EQ(TextToShortCut("Hyper+S"), scNone);
    EXPECT_EQ(ShortCutToText(scNone), "");
    EXPECT_EQ(ShortCutToText(scCtrl), ""); // modifiers without a key
    EXPECT_EQ(ShortCutToText(MakeShortCut(0x07, scCtrl)), "");
}
