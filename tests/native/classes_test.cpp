#include "toolkit/classes.h"

#include <gtest/gtest.h>

namespace {

class TSample : public TComponent {
    TOOLKIT_CLASS(TSample)
public:
    using TComponent::TComponent;
    int width = 10;
    int mode = 0;
    std::string caption = "cap";
    TSample* inner = nullptr;
};

class TDerived : public TSample {
    TOOLKIT_CLASS(TDerived)
public:
    using TSample::TSample;
    bool checked = false;
};

const TClassInfo& TSample::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TSample>("TSample", TComponent::StaticClass())
            .Int(
                "Width", [](TSample& s) { return s.width; },
                [](TSample& s, int64_t v) { s.width = static_cast<int>(v); })
            .Enum(
                "Mode", {"mdOne", "mdTwo"}, [](TSample& s) { return s.mode; },
                [](TSample& s, int64_t v) { s.mode = static_cast<int>(v); })
            .Str(
                "Caption", [](TSample& s) { return s.caption; },
                [](TSample& s, const std::string& v) { s.caption = v; })
            .Obj("Inner", [](TSample& s) { return s.inner; })
            .Creatable()
            .Build();
    return info;
}

const TClassInfo& TDerived::StaticClass() {
    static const TClassInfo info = TClassBuilder<TDerived>("TDerived", TSample::StaticClass())
                                       .Bool(
                                           "Checked", [](TDerived& d) { return d.checked; },
                                           [](TDerived& d, bool v) { d.checked = v; })
                                       .Build();
    return info;
}

} // namespace

TEST(Properties, ByNameThroughTheClassChain) {
    TDerived d(nullptr);
    EXPECT_EQ(d.ClassName(), "TDerived");
    EXPECT_TRUE(d.InheritsFrom(TSample::StaticClass()));
    EXPECT_FALSE(TSample(nullptr).InheritsFrom(TDerived::StaticClass()));
    EXPECT_EQ(GetOrdProp(d, "width"), 10); // names are case-insensitive
    SetOrdProp(d, "Width", 42);
    EXPECT_EQ(d.width, 42);
    SetOrdProp(d, "Checked", 1);
    EXPECT_TRUE(d.checked);
    SetEnumProp(d, "Mode", "MDTWO");
    EXPECT_EQ(GetEnumProp(d, "Mode"), "mdTwo");
    SetStrProp(d, "Name", "x1");
    EXPECT_EQ(d.Name(), "x1");
    EXPECT_EQ(GetStrProp(d, "Caption"), "cap");
}

TEST(Properties, MissingOnesReadEmptyAndIgnoreWrites) {
    TSample s(nullptr);
    EXPECT_FALSE(IsPublishedProp(s, "Glyph"));
    EXPECT_EQ(GetOrdProp(s, "Glyph"), -1);
    EXPECT_EQ(GetStrProp(s, "Glyph"), "");
    EXPECT_EQ(GetObjectProp(s, "Glyph"), nullptr);
    EXPECT_EQ(GetEnumProp(s, "Glyph"), "");
    SetOrdProp(s, "Glyph", 5);
    SetStrProp(s, "Glyph", "x");
    SetEnumProp(s, "Mode", "mdNone"); // an unknown value changes nothing
    EXPECT_EQ(s.mode, 0);
    // A string read of an ordinal property, or the reverse, is missing too.
    EXPECT_EQ(GetStrProp(s, "Width"), "");
    EXPECT_EQ(GetOrdProp(s, "Caption"), -1);
}

TEST(Properties, DottedNamesWalkObjects) {
    TSample outer(nullptr), inner(nullptr);
    EXPECT_EQ(GetOrdProp(outer, "Inner.Width"), -1); // null object on the way
    outer.inner = &inner;
    SetOrdProp(outer, "Inner.Width", 7);
    EXPECT_EQ(inner.width, 7);
    EXPECT_EQ(GetStrProp(outer, "Inner.Caption"), "cap");
    EXPECT_EQ(GetOrdProp(outer, "Caption.Width"), -1); // not an object
}

TEST(Components, OwnershipAndLookup) {
    auto* owner = new TSample(nullptr);
    auto* a = new TSample(owner);
    auto* b = new TDerived(owner);
    a->SetName("btn1");
    b->SetName("Memo1");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("BTN1"), a);
    EXPECT_EQ(owner->FindComponent("memo1"), b);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    delete a; // leaves its owner's list
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    delete owner; // frees b as well (ASan would report otherwise)
}

TEST(Components, RegistryFindsClassesByName) {
    RegisterComponentClass(TSample::StaticClass());
    const TClassInfo* c = FindClass("tsample");
    ASSERT_NE(c, nullptr);
    std::unique_ptr<TComponent> made(c->Create(nullptr));
    EXPECT_EQ(made->ClassName(), "TSample");
    EXPECT_EQ(FindClass("TNothing"), nullptr);
}

TEST(Properties, WrittenFromTextByKind) {
    TDerived d(nullptr);
    SetStrProp(d, "Mode", "mdtwo"); // enumerations by name, any letter case
    EXPECT_EQ(d.mode, 1);
    SetStrProp(d, "Checked", "True"); // booleans are enumerations too
    EXPECT_TRUE(d.checked);
    SetStrProp(d, "Checked", "Maybe"); // an unknown name writes nothing
    EXPECT_TRUE(d.checked);
    SetStrProp(d, "Width", "-25");
    EXPECT_EQ(d.width, -25);
    SetStrProp(d, "Width", "$1F");
    EXPECT_EQ(d.width, 31);
    SetStrProp(d, "Width", "0x10");
    EXPECT_EQ(d.width, 16);
    for (const char* bad : {"", "12px", "$", "-", "99999999999999999999", " 5"}) {
        SetStrProp(d, "Width", bad);
        EXPECT_EQ(d.width, 16) << bad;
    }
    SetStrProp(d, "Caption", "text");
    EXPECT_EQ(d.caption, "text");
    SetStrProp(d, "Inner", "x"); // objects are not written from text
    EXPECT_EQ(d.inner, nullptr);
}
