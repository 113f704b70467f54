#include "framework/MouseReceiverThing.h"

#include "TestNode.h"
#include "framework/DummyUIRoot.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/MouseReceiverSupport.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class MouseReceiverThingTest : public ::testing::Test {
  protected:
    void SetUp() override { MouseService::Register(); }
    void TearDown() override { ObjectRegistry::DestroyAll(); }
    static MouseService& Service() { return *MouseService::GetInstance(); }

    DummyUIRoot root;
};

TEST_F(MouseReceiverThingTest, FilesItselfAndForwardsMouseMessagesOnly) {
    TestNode owner(&root);
    MouseReceiverThing thing(&root, 4, true, {10, 10, 20, 20}, true);
    thing.AddReceiver(&owner);
    EXPECT_TRUE(Service().HasReceiver(&thing));
    EXPECT_EQ(thing.GetLayer(), 4);
    EXPECT_EQ(thing.GetBounds(), (xRect{10, 10, 20, 20}));

    Service().OnLeftButtonDown(15, 20);
    ASSERT_EQ(owner.received.size(), 1u);
    EXPECT_EQ(owner.Last<LeftButtonDownMouseMsg>()->GetPoint(), (xPoint{5, 10}));
    EXPECT_EQ(owner.senders[0], &thing);
    thing.Receive(KeyboardCharMsg('a'), nullptr);
    EXPECT_EQ(owner.received.size(), 1u);
}

TEST_F(MouseReceiverThingTest, TheSecondFormAppliesItsFlags) {
    MouseReceiverThing thing(&root, 2, false, {0, 0, 5, 5}, false);
    EXPECT_FALSE(thing.IsVisible());
    EXPECT_FALSE(thing.IsEnabled());
    MouseReceiverThing plain(&root);
    EXPECT_TRUE(plain.IsVisible());
    EXPECT_EQ(plain.GetBounds(), (xRect{0, 0, 640, 480}));
}

// A thing's filing follows its layer at once; a node forwarding to a support is
// re-filed only when asked.
TEST_F(MouseReceiverThingTest, LayerChangesAndRefiling) {
    TestNode thingOwner(&root);
    MouseReceiverThing thing(&root, 1, true, {0, 0, 50, 50}, true);
    thing.AddReceiver(&thingOwner);
    TestNode node(&root);
    node.SetBounds({0, 0, 50, 50});
    node.SetLayer(3);
    MouseReceiverSupport support(&node, 3);

    Service().OnLeftButtonDown(5, 5);
    EXPECT_EQ(node.received.size(), 1u);
    thing.SetLayer(5);
    Service().OnLeftButtonDown(5, 5);
    EXPECT_EQ(thingOwner.received.size(), 1u);

    node.SetLayer(9);
    Service().OnLeftButtonDown(5, 5);
    EXPECT_EQ(thingOwner.received.size(), 2u);
    support.UpdateMouseLayer();
    Service().OnLeftButtonDown(5, 5);
    EXPECT_EQ(node.received.size(), 2u);
}

TEST_F(MouseReceiverThingTest, CaptureThroughTheRoleAndRemovalOnDestruction) {
    TestNode node(&root);
    auto support = std::make_unique<MouseReceiverSupport>(&node, 0);
    auto thing = std::make_unique<MouseReceiverThing>(&root);
    support->CaptureMouse();
    EXPECT_EQ(thing->GetMouseCapture(), &node);
    thing->CaptureMouse();
    EXPECT_EQ(support->GetMouseCapture(), thing.get());
    support->ReleaseMouse();  // whoever holds it
    EXPECT_EQ(Service().GetCapture(), nullptr);

    thing->CaptureMouse();
    UI* thingNode = thing.get();
    thing.reset();
    EXPECT_FALSE(Service().HasReceiver(thingNode));
    EXPECT_EQ(Service().GetCapture(), nullptr);
    support.reset();
    EXPECT_FALSE(Service().HasReceiver(&node));
    EXPECT_THROW(MouseReceiverSupport(nullptr, 0), int);
}

}  // namespace
