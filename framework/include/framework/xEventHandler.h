#pragma once

#include "framework/EventRing.h"
#include "framework/xAppThread.h"
#include "framework/xEvent.h"

#include <cstdint>

// A cooperative thread with a ring-buffer queue of event records. Others post
// events to it; its idle call works through the queue for up to 200 ms of the
// application clock, handing each event to HandleEvent. An event of code 17
// ends the pass. A new handler is not scheduled.
class xEventHandler : public xAppThread {
  public:
    explicit xEventHandler(UIElement* parent) : xAppThread(parent) {}

    void Idle() override;
    // Goes straight to the parent element, with this handler as sender.
    void SendMsg(const Msg& msg) override;

    virtual void Setup(std::int16_t active, std::int16_t visible, xRect bounds);
    // Queues the event unless its code is 0.
    virtual void PostEvent(const xEvent& event);
    virtual std::int32_t HandleEvent(const xEvent& event);
    // Centres an element of that size standing at the origin of the 640x480 screen.
    virtual void CenterOnScreen(std::int16_t width, std::int16_t height);
    virtual std::int32_t SendEventCopy(UIElement* target, std::int32_t code);
    virtual std::int32_t SendEvent(UIElement* target, xEvent& event);
    virtual void BroadcastEventCopy(std::int32_t code);
    virtual void BroadcastEvent(xEvent& event);
    virtual std::int32_t SendEventNowCopy(UIElement* target, std::int32_t code);
    virtual std::int32_t SendEventNow(UIElement* target, xEvent& event);
    virtual std::int32_t BroadcastEventNowCopy(std::int32_t code);
    virtual std::int32_t BroadcastEventNow(xEvent& event);
    // Codes 2 (start a stopped target), 4 (stop a started or paused one) and 39
    // (nothing) give 0; any other code reaches the target as a message (0), or
    // gives 1 when it maps to none.
    virtual std::int32_t DeliverToObject(UIElement* target, const xEvent& event);
    virtual void SendMsgAsEvent(const Msg& msg, MsgSender* sender);
    // A full queue grows (10, 30, 90, 180); full at 180 raises lower-layer error 7.
    virtual void QueueEvent(const xEvent& event);
    virtual void QueueEventFront(const xEvent& event);
    // The head event's code, copied into event when given; 0 when empty.
    virtual std::int32_t GetNextEvent(xEvent* event);
    virtual void ClearEvents() { queue_.Clear(); }
    virtual std::int32_t GetEventCount() { return queue_.Count(); }
    virtual bool IsEventQueueFull() { return queue_.IsFull(); }
    virtual void GrowEventQueue() { queue_.Grow(); }

    std::int32_t GetEventCapacity() const { return queue_.Capacity(); }

  protected:
    // Works through the queue until it is empty, an event of code 17, or the deadline.
    void Pump();

  private:
    EventRing queue_;
};
