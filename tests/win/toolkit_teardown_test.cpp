// Teardown in every order: a skin-like object owned by the control it hooks, one owned by the
// form that hooks a child control, forms closed with hooked children, controls recreated. A
// guard word in every object turns a use after free into a failed check instead of silence.
#include "app_fixture.h"
#include "message_log.h"

#include "toolkit/subclass.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kAlive = 0xC0FFEE11u, kDead = 0xDEADDEADu;

// Stands in for a skin object: hooks one control, records what it sees, lets go when either
// side goes.
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, TControl* target, MessageLog* log)
        : TComponent(owner), target_(target), log_(log) {
        if (target_ != owner) target_->FreeNotification(this);
        hook_.Install(*target_, [this](TMessage& m) {
            EXPECT_EQ(guard_, kAlive) << "hook ran on a freed object";
            if (log_) log_->Record(m.Msg);
            hook_.CallPrevious(m);
            if (m.Msg == WM_NCDESTROY) sawNcDestroy = true;
        });
    }
    ~TProbe() override {
        EXPECT_EQ(guard_, kAlive);
        if (target_) {
            // The target must still be whole here (a freed one would not have a name).
            EXPECT_EQ(target_->Name(), targetName_);
            if (target_ != Owner()) target_->RemoveFreeNotification(this);
        }
        hook_.Remove();
        guard_ = kDead;
        ++Destroyed();
    }
    static int& Destroyed() {
        static int n = 0;
        return n;
    }
    void Remember() { targetName_ = target_->Name(); }
    bool sawNcDestroy = false;
    TControl* target_;

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == opRemove && c == target_) {
            hook_.Remove();
            target_ = nullptr;
        }
        TComponent::Notification(c, op);
    }

private:
    uint32_t guard_ = kAlive;
    MessageLog* log_;
    TWndProcHook hook_;
    std::string targetName_;
};

std::unique_ptr<TForm> MakeForm() {
    auto form = std::make_unique<TForm>(&TestApplication());
    form->SetClientSize(240, 120);
    return form;
}

TButton* AddButton(TForm& form, const char* name) {
    auto* b = new TButton(&form);
    b->SetName(name);
    b->SetParent(&form);
    b->SetBounds(10, 10, 80, 24);
    return b;
}

} // namespace

TEST(Teardown, ObjectOwnedByItsControlSeesTheWindowGoThenDetaches) {
    auto form = MakeForm();
    TButton* button = AddButton(*form, "b1");
    form->Show();
    MessageLog log;
    auto* probe = new TProbe(button, button, &log);
    probe->Remember();
    int before = TProbe::Destroyed();
    delete button;
    EXPECT_EQ(TProbe::Destroyed(), before + 1);
    EXPECT_TRUE(log.Contains(WM_DESTROY));
    EXPECT_TRUE(log.Contains(WM_NCDESTROY));
    EXPECT_LT(log.IndexOf(WM_DESTROY), log.IndexOf(WM_NCDESTROY));
}

TEST(Teardown, ObjectFreedBeforeItsControlLeavesTheControlAsItWas) {
    auto form = MakeForm();
    TButton* button = AddButton(*form, "b1");
    form->Show();
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    auto* probe = new TProbe(button, button, nullptr);
    probe->Remember();
    delete probe;
    SendMessageW(button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    delete button;
}

TEST(Teardown, ObjectOwnedByTheFormLetsGoOfAChildFreedFirst) {
    auto form = MakeForm();
    TButton* button = AddButton(*form, "b1");
    form->Show();
    MessageLog log;
    auto* probe = new TProbe(form.get(), button, &log);
    delete button; // the probe hears of it and drops its hook
    EXPECT_EQ(probe->target_, nullptr);
    EXPECT_TRUE(log.Contains(WM_NCDESTROY));
    int before = TProbe::Destroyed();
    form.reset();
    EXPECT_EQ(TProbe::Destroyed(), before + 1);
}

TEST(Teardown, FormClosedWithHookedChildrenInEveryOwnership) {
    int baseThunks = LiveSubclassThunks();
    GuiCounts base{};
    for (int round = 0; round < 21; ++round) {
        if (round == 1) base = CurrentGuiCounts(); // after one warm-up of the system's caches
        auto form = MakeForm();
        TButton* b1 = AddButton(*form, "b1");
        TButton* b2 = AddButton(*form, "b2");
        auto* panel = new TPanel(form.get());
        panel->SetParent(form.get());
        auto* inPanel = new TEdit(form.get());
        inPanel->SetName("e1");
        inPanel->SetParent(panel);
        form->Show();
        PumpFor(5);
        MessageLog l1, l2, l3, l4;
        auto* own = new TProbe(b1, b1, &l1);            // owned by its control
        auto* byForm = new TProbe(form.get(), b2, &l2); // owned by the form, hooks a child
        auto* nested = new TProbe(form.get(), inPanel, &l3);
        auto* formProbe = new TProbe(form.get(), form.get(), &l4); // hooks the form itself
        own->Remember();
        byForm->Remember();
        nested->Remember();
        formProbe->Remember();
        // A raw subclass on a child window too, as the engine puts on foreign windows.
        TWindowSubclass raw;
        raw.Attach(b2->WindowHandle(), [&](TMessage& m) { raw.CallPrevious(m); });
        int before = TProbe::Destroyed();
        form->Close();
        form.reset();
        EXPECT_EQ(TProbe::Destroyed(), before + 4);
        for (MessageLog* l : {&l1, &l2, &l3, &l4}) EXPECT_TRUE(l->Contains(WM_NCDESTROY));
        EXPECT_FALSE(raw.Attached());
    }
    EXPECT_EQ(LiveSubclassThunks(), baseThunks);
    GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, base.gdi);
    EXPECT_EQ(after.user, base.user);
}

TEST(Teardown, RecreatedWhileHookedThenFreedInBothOrders) {
    for (bool probeFirst : {true, false}) {
        auto form = MakeForm();
        TButton* button = AddButton(*form, "b1");
        form->Show();
        MessageLog log;
        auto* probe = new TProbe(form.get(), button, &log);
        probe->Remember();
        for (int i = 0; i < 3; ++i) button->RecreateWnd();
        EXPECT_EQ(log.Count(WM_NCDESTROY), 3);
        EXPECT_TRUE(IsWindow(button->WindowHandle()));
        if (probeFirst) {
            delete probe;
            delete button;
        } else {
            delete button;
            EXPECT_EQ(probe->target_, nullptr);
            delete probe;
        }
        EXPECT_EQ(log.Count(WM_NCDESTROY), probeFirst ? 3 : 4);
    }
}

TEST(Teardown, StackControlsStillShowTheirHooksTheWindowGoing) {
    auto form = MakeForm();
    form->Show();
    MessageLog log;
    {
        TWndProcHook hook; // outlives the button: removing it afterwards does nothing
        TButton button(nullptr);
        button.SetParent(form.get());
        button.HandleNeeded();
        hook.Install(button, [&](TMessage& m) {
            log.Record(m.Msg);
            hook.CallPrevious(m);
        });
        EXPECT_TRUE(hook.Installed());
    }
    EXPECT_TRUE(log.Contains(WM_NCDESTROY));
}

// ---------------------------------------------------------------- shutdown point

TEST(Shutdown, HandlersRunOnceNewestFirstBeforeTheWindowsGo) {
    auto* app = new TApplication; // a second application object: Application stays the test's
    ASSERT_NE(Application, app);
    auto* form = new TForm(app);
    form->HandleNeeded();
    HWND wnd = form->WindowHandle();
    std::vector<std::string> order;
    bool windowAliveAtShutdown = false;
    app->AddShutdownHandler([&] { order.push_back("first"); });
    int removed = app->AddShutdownHandler([&] { order.push_back("removed"); });
    app->AddShutdownHandler([&] {
        order.push_back("last");
        windowAliveAtShutdown = IsWindow(wnd) != FALSE;
    });
    app->RemoveShutdownHandler(removed);
    delete app;
    EXPECT_EQ(order, (std::vector<std::string>{"last", "first"}));
    EXPECT_TRUE(windowAliveAtShutdown);
    EXPECT_FALSE(IsWindow(wnd));
}
