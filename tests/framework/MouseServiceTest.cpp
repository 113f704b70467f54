#include "framework/MouseService.h"

#include "TestNode.h"
#include "framework/CaptureChangedMouseMsg.h"
#include "framework/DummyUIRoot.h"
#include "framework/LeftButtonDoubleClickMouseMsg.h"
#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/LeftButtonUpMouseMsg.h"
#include "framework/MoveMouseMsg.h"
#include "framework/RightButtonDoubleClickMouseMsg.h"
#include "framework/RightButtonDownMouseMsg.h"
#include "framework/RightButtonUpMouseMsg.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <typeinfo>

namespace {

class MouseServiceTest : public ::testing::Test {
  protected:
    // A receiver filed at its layer with the given bounds under a parent at (100, 50).
    std::unique_ptr<TestNode> Receiver(std::int32_t layer, xRect bounds) {
        auto node = std::make_unique<TestNode>(&area);
        node->SetLayer(layer);
        node->SetBounds(bounds);
        service.AddReceiver(node.get(), layer);
        return node;
    }
    void SetUp() override { area.SetBounds({100, 50, 400, 350}); }

    DummyUIRoot root;
    TestNode area{&root};
    MouseService service;
};

TEST_F(MouseServiceTest, HigherLayerWinsAndEqualLayersGoToTheLastFiled) {
    auto low = Receiver(2, {0, 0, 50, 50});
    auto high = Receiver(5, {25, 25, 75, 75});
    service.OnLeftButtonDown(130, 80);  // (30, 30) in the area: both contain it
    EXPECT_EQ(high->received.size(), 1u);
    EXPECT_TRUE(low->received.empty());

    auto same = Receiver(5, {0, 0, 50, 50});
    service.OnLeftButtonDown(130, 80);
    EXPECT_EQ(same->received.size(), 1u);
    EXPECT_EQ(high->received.size(), 1u);

    // Re-filing puts a receiver after those already on its new layer.
    high->SetLayer(1);
    service.UpdateReceiverLayer(high.get());
    high->SetLayer(5);
    service.UpdateReceiverLayer(high.get());
    service.OnLeftButtonDown(130, 80);
    EXPECT_EQ(high->received.size(), 2u);
}

TEST_F(MouseServiceTest, MessagesCarryLocalAndWindowPoints) {
    auto node = Receiver(1, {10, 20, 60, 70});
    struct Case {
        void (MouseService::*op)(std::int16_t, std::int16_t);
        const std::type_info& type;
    };
    const Case cases[] = {
        {&MouseService::OnMouseMove, typeid(MoveMouseMsg)},
        {&MouseService::OnLeftButtonDown, typeid(LeftButtonDownMouseMsg)},
        {&MouseService::OnLeftButtonUp, typeid(LeftButtonUpMouseMsg)},
        {&MouseService::OnLeftButtonDoubleClick, typeid(LeftButtonDoubleClickMouseMsg)},
        {&MouseService::OnRightButtonDown, typeid(RightButtonDownMouseMsg)},
        {&MouseService::OnRightButtonUp, typeid(RightButtonUpMouseMsg)},
        {&MouseService::OnRightButtonDoubleClick, typeid(RightButtonDoubleClickMouseMsg)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type.name());
        node->received.clear();
        node->senders.clear();
        (service.*c.op)(160, 120);  // right edge of (110, 70, 160, 120) counts as inside
        ASSERT_EQ(node->received.size(), 1u);
        const Msg& msg = *node->received[0];
        EXPECT_EQ(typeid(msg), c.type);
        const auto& mouse = dynamic_cast<const MouseMsg&>(msg);
        EXPECT_EQ(mouse.GetPoint(), (xPoint{50, 50}));
        EXPECT_EQ(mouse.GetScreenPoint(), (xPoint{160, 120}));
        EXPECT_EQ(node->senders[0], &service);
    }
}

TEST_F(MouseServiceTest, DisabledOrHiddenReceivers) {
    auto low = Receiver(2, {0, 0, 100, 100});
    auto high = Receiver(5, {0, 0, 50, 50});
    high->Disable();
    service.OnLeftButtonDown(110, 60);  // the disabled one swallows it
    EXPECT_TRUE(low->received.empty());
    EXPECT_TRUE(high->received.empty());
    service.OnLeftButtonDown(190, 140);  // outside the disabled one
    EXPECT_EQ(low->received.size(), 1u);

    high->Enable();
    high->Hide();  // hidden receivers are passed over
    service.OnLeftButtonDown(110, 60);
    EXPECT_EQ(low->received.size(), 2u);
    area.Hide();  // hidden up the tree: nobody
    service.OnLeftButtonDown(110, 60);
    EXPECT_EQ(low->received.size(), 2u);
}

// A receiver under a disabled node is disabled up the tree: it swallows the
// event too, while the capture holder gets everything whatever its state.
TEST_F(MouseServiceTest, DisabledUpTheTreeSwallowsButCaptureDoesNot) {
    auto low = Receiver(2, {0, 0, 100, 100});
    TestNode panel(&area);
    panel.SetBounds({0, 0, 50, 50});
    auto top = std::make_unique<TestNode>(&panel);
    top->SetBounds({0, 0, 50, 50});
    service.AddReceiver(top.get(), 5);
    panel.Disable();
    service.OnLeftButtonDown(110, 60);
    EXPECT_TRUE(low->received.empty());
    EXPECT_TRUE(top->received.empty());

    service.SetCapture(top.get());
    panel.Hide();
    service.OnLeftButtonDown(390, 340);
    EXPECT_EQ(top->Count<LeftButtonDownMouseMsg>(), 1);
    EXPECT_EQ(top->Last<LeftButtonDownMouseMsg>()->GetPoint(), (xPoint{290, 290}));
    service.RemoveReceiver(top.get());
}

TEST_F(MouseServiceTest, CaptureTakesEverythingAndIsAnnounced) {
    auto a = Receiver(1, {0, 0, 10, 10});
    auto b = Receiver(2, {50, 50, 60, 60});
    service.SetCapture(a.get());
    EXPECT_TRUE(a->received.empty());
    service.OnMouseMove(0, 0);
    ASSERT_EQ(a->received.size(), 1u);
    EXPECT_EQ(a->Last<MoveMouseMsg>()->GetPoint(), (xPoint{-100, -50}));

    service.SetCapture(b.get());
    ASSERT_EQ(a->Count<CaptureChangedMouseMsg>(), 1);
    EXPECT_EQ(a->Last<CaptureChangedMouseMsg>()->GetNewHolder(), b.get());
    EXPECT_TRUE(b->received.empty());
    service.SetCapture(b.get());
    service.ReleaseCapture();
    ASSERT_EQ(b->Count<CaptureChangedMouseMsg>(), 1);
    EXPECT_EQ(b->Last<CaptureChangedMouseMsg>()->GetNewHolder(), nullptr);
    EXPECT_EQ(service.GetCapture(), nullptr);

    service.SetCapture(a.get());
    service.RemoveReceiver(a.get());
    EXPECT_EQ(service.GetCapture(), nullptr);
    EXPECT_EQ(a->Count<CaptureChangedMouseMsg>(), 1);
}

// Adding a receiver twice must leave one filing, so that one removal forgets it
// and hit testing never reaches the destroyed node.
TEST_F(MouseServiceTest, AddingTwiceFilesOnce) {
    auto low = Receiver(1, {0, 0, 100, 100});
    auto node = Receiver(3, {0, 0, 100, 100});
    service.AddReceiver(node.get(), 3);
    service.AddReceiver(node.get(), 4);
    service.RemoveReceiver(node.get());
    EXPECT_FALSE(service.HasReceiver(node.get()));
    node.reset();
    service.OnLeftButtonDown(110, 60);
    EXPECT_EQ(low->received.size(), 1u);
}

TEST_F(MouseServiceTest, RemovalFindsAReceiverWhoseLayerChanged) {
    auto node = Receiver(3, {0, 0, 100, 100});
    node->SetLayer(8);  // not re-filed
    service.RemoveReceiver(node.get());
    EXPECT_FALSE(service.HasReceiver(node.get()));
    service.RemoveReceiver(static_cast<UI*>(nullptr));
    service.AddReceiver(static_cast<UI*>(nullptr), 1);
    EXPECT_FALSE(service.HasReceiver(static_cast<UI*>(nullptr)));
    node.reset();
    service.OnLeftButtonDown(110, 60);
}

TEST_F(MouseServiceTest, SenderRoleIsInert) {
    TestNode listener(&root);
    MsgSender& sender = service;
    sender.AddReceiver(static_cast<MsgReceiver*>(&listener));
    EXPECT_FALSE(sender.HasReceiver(static_cast<MsgReceiver*>(&listener)));
    EXPECT_EQ(sender.GetReceiverCount(), 0);
}

}  // namespace
