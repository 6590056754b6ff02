// Component lifetime: owned components go while their owner is whole, free notifications,
// and every order of freeing a skin-like object and the component it serves.
#include "toolkit/classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}

// A component with a member that its owned components may still use while they go.
class TWhole : public TComponent {
public:
    using TComponent::TComponent;
    ~TWhole() override { Log().push_back("~" + Name()); }
    std::vector<int> members{1, 2, 3};

protected:
    void BeforeDestruction() override {
        Log().push_back("before " + Name());
        TComponent::BeforeDestruction();
    }
    void Notification(TComponent* c, TOperation op) override {
        if (op == opRemove) Log().push_back(Name() + " heard " + c->Name());
        TComponent::Notification(c, op);
    }
};

// Serves another component (not necessarily its owner) and must let go of it when either goes.
class TServant : public TComponent {
public:
    TServant(TComponent* owner, TWhole* served) : TComponent(owner), served_(served) {
        SetName("servant");
        if (served_) served_->FreeNotification(this);
    }
    ~TServant() override {
        // Touches the served object: with a wrong order this reads freed memory (ASan).
        if (served_) {
            served_->members.push_back(4);
            served_->RemoveFreeNotification(this);
        }
        Log().push_back("~servant");
    }
    TWhole* served_;

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == opRemove && c == served_) {
            Log().push_back("servant released");
            served_ = nullptr;
        }
        TComponent::Notification(c, op);
    }
};

TWhole* Named(TComponent* owner, const char* name) {
    auto* w = new TWhole(owner);
    w->SetName(name);
    return w;
}

} // namespace

TEST(ComponentLifetime, OwnedComponentsGoFirstNewestFirstWhileTheOwnerIsWhole) {
    Log().clear();
    TWhole* root = Named(nullptr, "root");
    Named(root, "a");
    Named(root, "b");
    delete root;
    // The owner is not told of each child leaving while it destroys itself.
    std::vector<std::string> expected{"before root", "before b", "~b", "before a", "~a", "~root"};
    EXPECT_EQ(Log(), expected);
}

TEST(ComponentLifetime, ServantOwnedByItsControlUsesItWhileGoing) {
    Log().clear();
    TWhole* control = Named(nullptr, "control");
    new TServant(control, control);
    delete control; // the servant hears the removal first, then goes with its owner
    std::vector<std::string> expected{"before control", "servant released", "~servant", "~control"};
    EXPECT_EQ(Log(), expected);
}

TEST(ComponentLifetime, ServantFreedBeforeOrAfterTheComponentItServes) {
    {
        Log().clear();
        TWhole* form = Named(nullptr, "form");
        TWhole* control = Named(form, "control");
        auto* servant = new TServant(form, control);
        delete servant; // first: unlinks itself, the control stays whole
        EXPECT_EQ(control->members.size(), 4u);
        delete control;
        EXPECT_EQ(form->ComponentCount(), 0);
        delete form;
    }
    {
        Log().clear();
        TWhole* form = Named(nullptr, "form");
        TWhole* control = Named(form, "control");
        auto* servant = new TServant(form, control);
        delete control; // the control first: the servant lets go and outlives it
        EXPECT_EQ(servant->served_, nullptr);
        EXPECT_EQ(form->ComponentCount(), 1);
        delete form;
        EXPECT_EQ(Log().back(), "~form");
    }
    {
        // The form goes with both: the servant is newer, so it goes first and unlinks.
        Log().clear();
        TWhole* form = Named(nullptr, "form");
        TWhole* control = Named(form, "control");
        new TServant(form, control);
        delete form;
        std::vector<std::string> expected{"before form", "control heard servant",
                                          "~servant",    "before control",
                                          "~control",    "~form"};
        EXPECT_EQ(Log(), expected);
    }
}

TEST(ComponentLifetime, SiblingsHearOfARemovalAndStackObjectsStillFreeTheirComponents) {
    Log().clear();
    TWhole* form = Named(nullptr, "form");
    Named(form, "listener");
    TWhole* leaving = Named(form, "leaving");
    delete leaving;
    EXPECT_NE(std::find(Log().begin(), Log().end(), "form heard leaving"), Log().end());
    EXPECT_NE(std::find(Log().begin(), Log().end(), "listener heard leaving"), Log().end());
    delete form;

    Log().clear();
    {
        TWhole stack(nullptr);
        stack.SetName("stack");
        Named(&stack, "child");
    }
    // No BeforeDestruction on the stack; the child still goes.
    std::vector<std::string> expected{"~stack", "before child", "~child"};
    EXPECT_EQ(Log(), expected);
}

TEST(ComponentLifetime, FreeNotificationRegistersOnceAndIsForgottenBothWays) {
    Log().clear();
    TWhole* a = Named(nullptr, "a");
    TWhole* b = Named(nullptr, "b");
    a->FreeNotification(b);
    a->FreeNotification(b);
    b->FreeNotification(a); // both directions at once
    delete b;               // a hears once; b's link in a is gone
    EXPECT_EQ(std::count(Log().begin(), Log().end(), "a heard b"), 1);
    Log().clear();
    delete a; // must not tell the freed b
    std::vector<std::string> expected{"before a", "~a"};
    EXPECT_EQ(Log(), expected);
}

TEST(ComponentLifetime, AConstructorThatThrowsFreesItsMemoryWithoutDestroying) {
    struct TFailing : TComponent {
        explicit TFailing(TComponent* owner) : TComponent(owner) { throw std::runtime_error("no"); }
    };
    TComponent owner(nullptr);
    EXPECT_THROW(new TFailing(&owner), std::runtime_error); // ASan reports a leak otherwise
}

TEST(ComponentLifetime, DestroyingMarksTheWholeTree) {
    struct TProbe : TComponent {
        using TComponent::TComponent;
        bool* sawOwnerDestroying = nullptr;
        ~TProbe() override { *sawOwnerDestroying = Owner() && Owner()->IsDestroying(); }
    };
    bool saw = false;
    auto* owner = new TComponent(nullptr);
    auto* probe = new TProbe(owner);
    probe->sawOwnerDestroying = &saw;
    EXPECT_FALSE(owner->IsDestroying());
    delete owner;
    EXPECT_TRUE(saw);
}
