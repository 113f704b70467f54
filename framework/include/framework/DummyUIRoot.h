#pragma once

#include "framework/RootNode.h"

// The root of objects that are UI nodes by inheritance but never appear on
// screen (lower-layer elements made without a parent, the IRC client). A
// registry singleton under the name "DummyUIRoot"; it has no window or services.
class DummyUIRoot : public RootNode {
  public:
    static constexpr const char* kName = "DummyUIRoot";

    DummyUIRoot() : RootNode({0, 0, 640, 480}) {}

    static void Register();
    static DummyUIRoot* GetInstance();
};
