#include "framework/UISupport.h"

#include "TestNode.h"
#include "framework/DummyUIRoot.h"

#include <gtest/gtest.h>

namespace {

class UISupportTest : public ::testing::Test {
  protected:
    DummyUIRoot root;  // (0, 0, 640, 480)
};

TEST_F(UISupportTest, ChildStartsFromItsParent) {
    TestNode parent(&root);
    parent.SetLayer(3);
    parent.SetBounds({10, 10, 210, 110});
    TestNode child(&parent);
    EXPECT_EQ(child.GetLayer(), 3);
    EXPECT_EQ(child.GetBounds(), (xRect{0, 0, 200, 100}));
    EXPECT_TRUE(child.IsVisible());
    EXPECT_TRUE(child.IsEnabled());
    EXPECT_EQ(child.GetRoot(), &root);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(parent.GetChildCount(), 1);
    EXPECT_TRUE(parent.HasChild(&child));
}

TEST_F(UISupportTest, NullOwnerOrParentThrowsZero) {
    TestNode node(&root);
    EXPECT_THROW(UISupport(nullptr, &root), int);
    EXPECT_THROW(UISupport(&node, nullptr), int);
    EXPECT_THROW(node.SetParent(nullptr), int);
    EXPECT_EQ(node.GetParent(), &root);
}

// Each setter redraws exactly once when it changes the value and never when it does not.
TEST_F(UISupportTest, SettersRedrawOnlyOnChange) {
    struct Case {
        const char* name;
        void (*apply)(TestNode&);
        int redraws;
    };
    const Case cases[] = {
        {"show visible", [](TestNode& n) { n.Show(); }, 0},
        {"hide", [](TestNode& n) { n.Hide(); }, 1},
        {"hide twice",
         [](TestNode& n) {
             n.Hide();
             n.Hide();
         },
         1},
        {"enable enabled", [](TestNode& n) { n.Enable(); }, 0},
        {"disable", [](TestNode& n) { n.Disable(); }, 1},
        {"same layer", [](TestNode& n) { n.SetLayer(n.GetLayer()); }, 0},
        {"new layer", [](TestNode& n) { n.SetLayer(9); }, 1},
        {"same bounds", [](TestNode& n) { n.SetBounds(n.GetBounds()); }, 0},
        {"left",
         [](TestNode& n) {
             n.SetBounds({1, 0, 640, 480});
         },
         1},
        {"top",
         [](TestNode& n) {
             n.SetBounds({0, 1, 640, 480});
         },
         1},
        {"right",
         [](TestNode& n) {
             n.SetBounds({0, 0, 641, 480});
         },
         1},
        {"bottom",
         [](TestNode& n) {
             n.SetBounds({0, 0, 640, 481});
         },
         1},
        {"move by zero",
         [](TestNode& n) {
             n.MoveBy({0, 0});
         },
         0},
        {"move",
         [](TestNode& n) {
             n.MoveBy({3, -4});
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestNode node(&root);
        c.apply(node);
        EXPECT_EQ(node.redraws, c.redraws);
    }
}

TEST_F(UISupportTest, RedrawAndIdleTravelDown) {
    TestNode parent(&root);
    TestNode a(&parent);
    TestNode b(&parent);
    TestNode grandchild(&a);
    parent.Redraw();
    parent.Idle();
    for (TestNode* n : {&a, &b, &grandchild}) {
        EXPECT_EQ(n->redraws, 1);
        EXPECT_EQ(n->idles, 1);
    }
}

TEST_F(UISupportTest, ChildrenAreKeptOnceInOrder) {
    TestNode parent(&root);
    TestNode a(&parent);
    TestNode b(&parent);
    parent.AddChild(&a);
    parent.AddChild(nullptr);
    parent.RemoveChild(nullptr);
    EXPECT_EQ(parent.GetChildren(), (std::vector<UI*>{&a, &b}));
    parent.RemoveChild(&a);
    parent.RemoveChild(&a);
    EXPECT_EQ(parent.GetChildren(), (std::vector<UI*>{&b}));
}

TEST_F(UISupportTest, TreeQueries) {
    TestNode parent(&root);
    parent.SetBounds({100, 50, 300, 250});
    parent.SetLayer(4);
    TestNode node(&parent);
    node.SetBounds({5, 5, 15, 15});
    EXPECT_EQ(UIGetBoundsOnScreen(&node), (xRect{105, 55, 115, 65}));
    EXPECT_EQ(UIGetLayer(&node), 4);
    EXPECT_TRUE(UIIsVisibleInTree(&node));
    parent.Hide();
    EXPECT_TRUE(node.IsVisible());
    EXPECT_FALSE(UIIsVisibleInTree(&node));
    EXPECT_TRUE(UIIsEnabledInTree(&node));
    root.Disable();
    EXPECT_FALSE(UIIsEnabledInTree(&node));
}

TEST_F(UISupportTest, DestroyingANodeHandsItsChildrenOn) {
    TestNode grandparent(&root);
    auto node = std::make_unique<TestNode>(&grandparent);
    node->SetLayer(2);
    node->SetBounds({100, 50, 300, 150});
    node->Hide();
    TestNode a(node.get());
    TestNode b(node.get());
    a.SetLayer(5);
    a.Show();
    b.SetBounds({1, 2, 3, 4});
    node.reset();
    EXPECT_EQ(grandparent.GetChildren(), (std::vector<UI*>{&a, &b}));
    EXPECT_EQ(a.GetParent(), &grandparent);
    EXPECT_EQ(a.GetLayer(), 7);
    EXPECT_EQ(b.GetLayer(), 4);
    EXPECT_EQ(a.GetBounds(), (xRect{100, 50, 300, 150}));
    EXPECT_EQ(b.GetBounds(), (xRect{101, 52, 103, 54}));
    EXPECT_FALSE(a.IsVisible());
    EXPECT_FALSE(b.IsVisible());
}

TEST_F(UISupportTest, MovingToAnotherParentKeepsTheOldRootAndRedraws) {
    DummyUIRoot otherRoot;
    TestNode elsewhere(&otherRoot);
    TestNode node(&root);
    node.SetParent(&elsewhere);
    EXPECT_EQ(node.GetParent(), &elsewhere);
    EXPECT_EQ(node.GetRoot(), &root);
    EXPECT_EQ(node.redraws, 1);
    EXPECT_TRUE(elsewhere.HasChild(&node));
    node.SetParent(&elsewhere);
    EXPECT_EQ(node.redraws, 1);
}

TEST_F(UISupportTest, RootsKeepNoTree) {
    TestNode node(&root);
    EXPECT_EQ(root.GetParent(), nullptr);
    EXPECT_EQ(root.GetRoot(), &root);
    EXPECT_EQ(root.GetLayer(), 0);
    root.SetLayer(5);
    EXPECT_EQ(root.GetLayer(), 0);
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_FALSE(root.HasChild(&node));
    EXPECT_TRUE(root.GetChildren().empty());
    EXPECT_EQ(root.GetBounds(), (xRect{0, 0, 640, 480}));
}

}  // namespace

namespace {

TEST(UIContainsTest, RightAndBottomEdgesAreInside) {
    const xRect r{10, 20, 30, 40};
    struct Case {
        xPoint p;
        bool inside;
    };
    const Case cases[] = {{{10, 20}, true},  {{30, 40}, true},  {{30, 20}, true},
                          {{31, 40}, false}, {{20, 41}, false}, {{9, 30}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        EXPECT_EQ(UIContains(r, c.p), c.inside);
    }
}

}  // namespace
