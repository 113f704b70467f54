#pragma once

#include "framework/xEventHandler.h"

#include <cstdint>
#include <deque>

// An event handler that keeps the events from its parent element in a second
// queue: while it runs (event 2 starts it, event 4 stops it) each idle call
// handles one of them first and ends the pass right after it. Part of the lower
// layer's toolkit.
class xMyEventHandler : public xEventHandler {
  public:
    explicit xMyEventHandler(UIElement* parent) : xEventHandler(parent) {}

    void PostEvent(const xEvent& event) override;
    std::int32_t HandleEvent(const xEvent& event) override;
    void Idle() override;

    void FlushEvents();

    bool IsRunningEvents() const { return running_ != 0; }
    std::size_t GetParentEventCount() const { return fromParent_.size(); }

  private:
    std::deque<xEvent> fromParent_;
    std::int16_t running_ = 0;
};
