#include "framework/UIElement.h"

#include "SchedulerFixture.h"
#include "TestNode.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "framework/DummyUIRoot.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/StartedMsg.h"
#include "framework/XApplication.h"
#include "framework/xAppThread.h"
#include "framework/xProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class UIElementTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        DummyUIRoot::Register();
    }
};

TEST_F(UIElementTest, WithoutParentItHangsUnderTheDummyRoot) {
    UIElement element(nullptr);
    EXPECT_EQ(element.GetParent(), DummyUIRoot::GetInstance());
    EXPECT_EQ(element.GetRoot(), DummyUIRoot::GetInstance());
    EXPECT_EQ(element.GetMsgReceiverCount(), 0);
    EXPECT_EQ(element.GetParentElement(), nullptr);
    EXPECT_EQ(element.GetTopElement(), &element);
    EXPECT_TRUE(element.IsStopped());
    EXPECT_EQ(element.IsActive(), 1);
}

TEST_F(UIElementTest, WithParentTheParentIsItsFirstReceiver) {
    UIElement parent(nullptr);
    UIElement child(&parent);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(child.GetMsgReceiverCount(), 1);
    EXPECT_EQ(child.HasMsgReceiver16(&parent), 1);
    EXPECT_EQ(child.GetParentElement(), &parent);
    EXPECT_EQ(child.GetTopElement(), &parent);
    EXPECT_EQ(parent.GetElementCount(), 1);
}

// An element whose process sends state messages reaches its parent's handler.
TEST_F(UIElementTest, StateMessagesReachTheParent) {
    struct Listener : UIElement {
        using UIElement::UIElement;
        std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
            if (msg.Is<StartedMsg>()) {
                ++started;
            }
            return UIElement::HandleMsg(msg, from, fromQueue, queued);
        }
        int started = 0;
    };
    Listener parent(nullptr);
    UIElement child(&parent);
    child.Start();
    Run(2);
    EXPECT_TRUE(child.IsStarted());
    EXPECT_EQ(parent.started, 1);
}

TEST_F(UIElementTest, ActiveFlagGatesIdleAndRedraws) {
    struct Counting : UIElement {
        using UIElement::UIElement;
        void Redraw() override {
            ++redraws;
            UIElement::Redraw();
        }
        int redraws = 0;
    };
    Counting element(nullptr);
    TestNode child(&element);
    EXPECT_EQ(element.SetActive(1), 1);
    EXPECT_EQ(element.redraws, 1);  // redraws even when unchanged
    element.Idle();
    EXPECT_EQ(child.idles, 1);
    element.Deactivate();
    EXPECT_EQ(element.IsActive(), 0);
    element.Idle();
    EXPECT_EQ(child.idles, 1);
    EXPECT_EQ(element.SetActive(1), 0);
}

TEST_F(UIElementTest, ActiveInTree) {
    UIElement parent(nullptr);
    UIElement child(&parent);
    EXPECT_EQ(child.IsActiveInTree(), 1);
    parent.Deactivate();
    EXPECT_EQ(child.IsActiveInTree(), 0);
    EXPECT_EQ(parent.IsActiveInTree(), 0);  // its parent is a root: its own flag
}

TEST_F(UIElementTest, SixteenBitBoundsAndVisibility) {
    UIElement element(nullptr);
    element.SetBounds({0, 0, 100, 50});
    xRect previous;
    EXPECT_EQ(element.MoveBy16(previous, {10, 5}), (xRect{0, 0, 100, 50}));
    EXPECT_EQ(element.GetBounds(), (xRect{10, 5, 110, 55}));
    xRect out;
    EXPECT_EQ(element.GetBounds16(out), (xRect{10, 5, 110, 55}));
    EXPECT_EQ(element.GetBoundsOnScreen(out), (xRect{10, 5, 110, 55}));
    element.Hide();
    EXPECT_EQ(element.SetVisible(1), 0);
    EXPECT_EQ(element.IsVisible16(), 1);
    EXPECT_EQ(element.SetVisible(0), 1);
    EXPECT_EQ(element.IsVisibleInTree(), 0);
}

TEST_F(UIElementTest, ThreadsRunWhileScheduledWhateverTheirProcessState) {
    struct Counting : xAppThread {
        using xAppThread::xAppThread;
        void Execute() override { ++steps; }
        int steps = 0;
    };
    Counting thread(nullptr);
    EXPECT_EQ(thread.IsRunning(), 0);
    Run();
    EXPECT_EQ(thread.steps, 0);
    thread.SetRunning(7);
    EXPECT_EQ(thread.IsRunning(), 1);
    Run(2);
    EXPECT_EQ(thread.steps, 2);
    EXPECT_TRUE(thread.IsStopped());
    thread.SetSuspended(1);
    EXPECT_EQ(thread.IsRunning(), 0);
    Run();
    EXPECT_EQ(thread.steps, 2);
    thread.SetSuspended(0);
    EXPECT_EQ(thread.IsRunning(), 1);
}

TEST_F(UIElementTest, GotoStateCallsTheNumberedOperation) {
    xProcess process(nullptr);
    process.GotoState(1);
    EXPECT_TRUE(process.IsStarting());
    EXPECT_EQ(process.IsBusy(), 1);
    process.GotoState(2);
    EXPECT_EQ(process.IsStarted16(), 1);
    process.GotoState(6);
    EXPECT_EQ(process.IsStopping16(), 1);
    EXPECT_EQ(process.IsBusy(), 0);
    process.GotoState(0);
    EXPECT_EQ(process.IsStopped16(), 1);
    EXPECT_THROW(process.GotoState(2), int);  // refused by the life cycle
    const std::int16_t code = xTry([&] { process.GotoState(7); });
    EXPECT_EQ(code, 7);
    EXPECT_EQ(process.IsStopped16(), 1);
}

// The product's own hand-over: the element forwards to a support it owns, and
// each child's SetParent calls back the element's RemoveChild.
TEST_F(UIElementTest, DestroyedWithChildrenItHandsThemToItsParent) {
    UIElement grandparent(nullptr);
    auto element = std::make_unique<UIElement>(&grandparent);
    element->SetLayer(2);
    element->SetBounds({100, 50, 300, 150});
    UIElement a(element.get());
    UIElement b(element.get());
    UIElement grandchild(&a);
    a.SetLayer(5);
    b.SetBounds({1, 2, 3, 4});
    element->Hide();
    element.reset();
    EXPECT_EQ(grandparent.GetChildren(), (std::vector<UI*>{&a, &b}));
    EXPECT_EQ(a.GetParent(), &grandparent);
    EXPECT_EQ(b.GetParent(), &grandparent);
    EXPECT_EQ(a.GetLayer(), 7);
    EXPECT_EQ(b.GetLayer(), 4);
    EXPECT_EQ(a.GetBounds(), (xRect{100, 50, 300, 150}));
    EXPECT_EQ(b.GetBounds(), (xRect{101, 52, 103, 54}));
    EXPECT_FALSE(a.IsVisible());
    EXPECT_FALSE(b.IsVisible());
    EXPECT_EQ(grandchild.GetParent(), &a);
    EXPECT_EQ(UIGetBoundsOnScreen(&grandchild), (xRect{100, 50, 300, 150}));
}

// Idle travels down a copy of the children: a child that destroys a later
// sibling, or the parent itself, ends nothing but what it destroyed.
TEST_F(UIElementTest, IdleSkipsWhatAChildDestroyed) {
    struct Ending : UIElement {
        Ending(UIElement* parent, int& idles) : UIElement(parent), idles_(idles) {}
        void Idle() override {
            ++idles_;
            delete victim;
        }
        int& idles_;
        UIElement* victim = nullptr;
    };
    int idles = 0;
    UIElement parent(nullptr);
    Ending first(&parent, idles);
    auto* second = new Ending(&parent, idles);
    Ending third(&parent, idles);
    first.victim = second;
    parent.Idle();
    EXPECT_EQ(idles, 2);
    EXPECT_EQ(parent.GetChildren(), (std::vector<UI*>{&first, &third}));

    first.victim = nullptr;
    auto* owner = new UIElement(nullptr);
    Ending killer(owner, idles);
    Ending after(owner, idles);
    killer.victim = owner;
    owner->Idle();
    EXPECT_EQ(idles, 3);
    EXPECT_EQ(killer.GetParent(), DummyUIRoot::GetInstance());
    EXPECT_EQ(after.GetParent(), DummyUIRoot::GetInstance());
}

// What the singleton below saw as the registry destroyed it.
struct Seen {
    UI* elementParent = nullptr;
    UI* elementRoot = nullptr;
    UI* childParentBefore = nullptr;
    UI* childParentAfter = nullptr;
    UI* childRoot = nullptr;
    bool destroyed = false;
};
Seen gSeen;

// A singleton made before the dummy root that owns elements made after it (as
// the application makes its elements once it has started): the registry
// destroys the root first.
struct ElementOwner : XAppObject {
    ~ElementOwner() override {
        gSeen.elementParent = element->GetParent();
        gSeen.elementRoot = element->GetRoot();
        gSeen.childParentBefore = child->GetParent();
        element.reset();
        gSeen.childParentAfter = child->GetParent();
        gSeen.childRoot = child->GetRoot();
        child.reset();
        gSeen.destroyed = true;
    }
    std::unique_ptr<UIElement> element;
    std::unique_ptr<UIElement> child;
};

TEST_F(UIElementTest, ElementsOutlivingTheirRootAreParentless) {
    gSeen = {};
    ObjectRegistry::RegisterSingleton("ElementOwner", &ObjectRegistry::CreateInstance<ElementOwner>,
                                      &ObjectRegistry::DeleteInstance);
    auto& owner = ObjectRegistry::GetAs<ElementOwner>("ElementOwner");
    owner.element = std::make_unique<UIElement>(nullptr);
    owner.child = std::make_unique<UIElement>(owner.element.get());
    const UIElement* element = owner.element.get();
    ASSERT_EQ(owner.element->GetRoot(), DummyUIRoot::GetInstance());
    ObjectRegistry::DestroyAll();
    ASSERT_TRUE(gSeen.destroyed);
    EXPECT_EQ(gSeen.elementParent, nullptr);
    EXPECT_EQ(gSeen.elementRoot, nullptr);
    EXPECT_EQ(gSeen.childParentBefore, element);
    EXPECT_EQ(gSeen.childParentAfter, nullptr);
    EXPECT_EQ(gSeen.childRoot, nullptr);
}

}  // namespace

namespace {

// The application object registers the framework's own mouse service and
// dummy root under their names.
TEST(UIElementRegistrationTest, TheApplicationRegistersTheFrameworksOwnServices) {
    ManualClock clock;
    ObjectRegistry::RegisterSingleton(XApplication::kName, &ObjectRegistry::CreateInstance<XApplication>,
                                      &ObjectRegistry::DeleteInstance);
    XApplication::GetInstance();
    EXPECT_NE(dynamic_cast<MouseService*>(ObjectRegistry::GetSingleton(MouseService::kName)), nullptr);
    {
        UIElement element(nullptr);  // gone before the root it hangs under
        EXPECT_NE(dynamic_cast<DummyUIRoot*>(element.GetParent()), nullptr);
    }
    ObjectRegistry::DestroyAll();
}

}  // namespace
