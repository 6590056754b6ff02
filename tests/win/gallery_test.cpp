// The control gallery loads from its description with one of every control class, in the
// states it promises, and its events reach the form's handler.
#include "app_fixture.h"

#include "gallery_form.h"

#include <gtest/gtest.h>

#include <set>

TEST(Gallery, HoldsEveryControlClassInItsStates) {
    TestApplication();
    auto form = std::make_unique<TGalleryForm>(&TestApplication());
    form->Show();
    PumpFor(20);
    std::set<std::string> classes;
    for (int i = 0; i < form->ComponentCount(); ++i)
        classes.insert(form->Components(i)->ClassName());
    for (const char* c :
         {"TLabel",         "TButton",      "TCheckBox",    "TEdit",        "TMemo",
          "TPanel",         "TShape",       "TLabeledEdit", "TPageControl", "TTabSheet",
          "TListView",      "TBitBtn",      "TSpeedButton", "TRadioButton", "TGroupBox",
          "TRadioGroup",    "TComboBox",    "TListBox",     "TScrollBar",   "TStatusBar",
          "TUpDown",        "TProgressBar", "TTrackBar",    "TTabControl",  "TTabSet",
          "TDateTimePicker"})
        EXPECT_TRUE(classes.count(c)) << c;
    EXPECT_TRUE(form->Find<TButton>("DefaultButton")->Default());
    EXPECT_FALSE(form->Find<TButton>("DisabledButton")->Enabled());
    EXPECT_EQ(form->Find<TCheckBox>("Grayed1")->State(), cbGrayed);
    EXPECT_TRUE(form->Find<TSpeedButton>("AlignLeft")->Down());
    EXPECT_TRUE(form->Find<TSpeedButton>("FlatBold")->Down());
    EXPECT_EQ(form->Find<TComboBox>("SimpleCombo")->Style(), csSimple);
    EXPECT_EQ(form->Find<TListBox>("ListBox1")->SelCount(), 2);
    EXPECT_FALSE(form->Find<TBitBtn>("GlyphLeft")->Glyph().Empty());
    EXPECT_EQ(form->Find<TListView>("ListView1")->Items().Count(), 5);
    EXPECT_EQ(GetFocus(), form->Find<TEdit>("FocusedEdit")->WindowHandle());
    for (const char* name : {"TabsTop", "TabsBottom", "TabsLeft", "TabsRight"})
        EXPECT_EQ(GetEnumProp(*form->Find<TTabControl>(name), "TabPosition"),
                  std::string("tp") + (name + 4))
            << name;
    // Handlers named in the description are bound to the form.
    auto* status = form->Find<TStatusBar>("Status");
    SendMessageW(form->Find<TBitBtn>("OkButton")->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(status->Panel(3)->Text(), "Event 1: OkButton");
}
