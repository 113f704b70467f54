#pragma once

#include "framework/MsgSender.h"
#include "framework/xPoint.h"

#include <cstdint>
#include <map>

class UI;

// Turns the window's mouse messages into mouse message objects for the UI node
// under the pointer. Receivers are filed by layer; the capture holder gets every
// event, else the first receiver from the highest layer down (and, within a
// layer, from the one filed last) that is visible up the tree and contains the
// point. A registry singleton under the name "MouseService". It is a sender
// only as the identity its messages name; its sender operations do nothing.
class MouseService : public virtual XAppObject, public MsgSender {
  public:
    static constexpr const char* kName = "MouseService";
    static void Register();
    static MouseService* GetInstance();

    MouseService() = default;
    MouseService(const MouseService&) = delete;
    MouseService& operator=(const MouseService&) = delete;

    void AddReceiver(MsgReceiver*) override {}
    void RemoveReceiver(MsgReceiver*) override {}
    bool HasReceiver(MsgReceiver*) const override { return false; }
    std::int32_t GetReceiverCount() const override { return 0; }
    void Send(const Msg&) override {}

    // Null is ignored everywhere. Adding a receiver that is already filed
    // changes nothing, so the two indexes always agree.
    virtual void AddReceiver(UI* receiver, std::int32_t layer);
    virtual void RemoveReceiver(UI* receiver);
    virtual bool HasReceiver(UI* receiver);
    // Re-files the receiver (after those already there) when its layer changed.
    virtual void UpdateReceiverLayer(UI* receiver);
    virtual void SetCapture(UI* receiver);
    virtual void ReleaseCapture();
    virtual UI* GetCapture();
    // The window's client coordinates.
    virtual void OnMouseMove(std::int16_t x, std::int16_t y);
    virtual void OnLeftButtonDown(std::int16_t x, std::int16_t y);
    virtual void OnLeftButtonUp(std::int16_t x, std::int16_t y);
    virtual void OnLeftButtonDoubleClick(std::int16_t x, std::int16_t y);
    virtual void OnRightButtonDown(std::int16_t x, std::int16_t y);
    virtual void OnRightButtonUp(std::int16_t x, std::int16_t y);
    virtual void OnRightButtonDoubleClick(std::int16_t x, std::int16_t y);
    // The receiver for a window point, and the point in its own coordinates.
    virtual UI* FindReceiverAt(xPoint point, xPoint& local);

  private:
    template <typename M>
    void Deliver(std::int16_t x, std::int16_t y);

    std::multimap<std::int32_t, UI*> byLayer_;
    std::map<UI*, std::int32_t> layerOf_;
    UI* capture_ = nullptr;
};
