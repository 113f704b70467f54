#pragma once

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "framework/UI.h"
#include "framework/UISupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The base of the lower layer's objects that live in the UI tree (threads,
// services, event handlers, the IRC client, the sound services): a UI node, a
// process and a queued receiver at once, each role forwarded to a support object
// it owns (the process and queue supports come first, the UI support last),
// with the lower layer's vocabulary on top: an active flag, element
// names for the tree operations and flags and results widened to 16 bits.
class UIElement : public virtual XAppObject,
                  public UI,
                  public ProcessForwarder,
                  public QueuedMsgReceiverForwarder {
  public:
    // A null parent puts the element under the "DummyUIRoot" singleton; a real
    // parent also becomes the element's first receiver.
    explicit UIElement(UIElement* parent);
    ~UIElement() override;

    UIElement(const UIElement&) = delete;
    UIElement& operator=(const UIElement&) = delete;

    // UI
    void SetParent(UI* parent) override { ui_->SetParent(parent); }
    UI* GetParent() override { return ui_->GetParent(); }
    UI* GetRoot() override { return ui_->GetRoot(); }
    void SetLayer(std::int32_t layer) override { ui_->SetLayer(layer); }
    std::int32_t GetLayer() override { return ui_->GetLayer(); }
    void Show() override { ui_->Show(); }
    void Hide() override { ui_->Hide(); }
    bool IsVisible() override { return ui_->IsVisible(); }
    void SetBounds(const xRect& bounds) override { ui_->SetBounds(bounds); }
    void MoveBy(const xPoint& offset) override { ui_->MoveBy(offset); }
    xRect GetBounds() override { return ui_->GetBounds(); }
    void Enable() override { ui_->Enable(); }
    void Disable() override { ui_->Disable(); }
    bool IsEnabled() override { return ui_->IsEnabled(); }
    void Redraw() override { ui_->Redraw(); }
    void AddChild(UI* child) override { ui_->AddChild(child); }
    void RemoveChild(UI* child) override { ui_->RemoveChild(child); }
    bool HasChild(UI* child) override { return ui_->HasChild(child); }
    std::int32_t GetChildCount() override { return ui_->GetChildCount(); }
    const std::vector<UI*>& GetChildren() override { return ui_->GetChildren(); }
    void Idle() override;

    // The element's own operations.
    virtual std::string GetName() { return {}; }
    virtual std::string GetName2() { return {}; }
    virtual void TraceText(const char*) {}
    virtual void AddMsgReceiver(MsgReceiver* receiver) { AddReceiver(receiver); }
    virtual void RemoveMsgReceiver(MsgReceiver* receiver) { RemoveReceiver(receiver); }
    virtual std::int16_t HasMsgReceiver16(MsgReceiver* receiver) { return HasReceiver(receiver) ? 1 : 0; }
    virtual std::int32_t GetMsgReceiverCount() { return GetReceiverCount(); }
    virtual void SendMsg(const Msg& msg) { Send(msg); }
    virtual std::int32_t ReceiveMsgDirect(const Msg& msg, MsgSender* sender) { return Receive(msg, sender); }
    virtual void ReceiveMsgQueued(const Msg& msg, MsgSender* sender, bool fromQueue);
    virtual UIElement* GetParentElement();
    virtual UIElement* GetTopElement();
    virtual void AddElement(UI* child) { AddChild(child); }
    virtual void RemoveElement(UI* child) { RemoveChild(child); }
    virtual std::int32_t GetElementCount() { return GetChildCount(); }
    virtual void SetElementLayer(std::int32_t layer) { SetLayer(layer); }
    virtual std::int32_t GetElementLayer() { return GetLayer(); }
    // Sets the flag and redraws, also when it did not change; returns the old flag.
    virtual std::int16_t SetActive(std::int16_t active);
    virtual void Deactivate() { SetActive(0); }
    virtual std::int16_t IsActive() { return active_; }
    virtual std::int16_t IsActiveInTree();
    virtual std::int16_t SetVisible(std::int16_t visible);
    virtual std::int16_t IsVisible16() { return IsVisible() ? 1 : 0; }
    virtual std::int16_t IsVisibleInTree() { return UIIsVisibleInTree(this) ? 1 : 0; }
    virtual xRect& MoveBy16(xRect& previous, const xPoint& offset);
    virtual xRect& SetBoundsReturnOld(xRect& previous, const xRect& bounds);
    virtual xRect& GetBounds16(xRect& out);
    virtual xRect& GetBoundsOnScreen(xRect& out);

    // As for controls, the element keeps no resumed history of its own.
    bool HasBeenResumed() const override { return false; }
    void SetResumed() override {}

  private:
    std::int16_t active_ = 1;
    std::unique_ptr<UISupport> ui_;
};
