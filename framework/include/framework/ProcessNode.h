#pragma once

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "framework/UI.h"
#include "framework/UISupport.h"

#include <cstdint>
#include <memory>
#include <vector>

// The shape shared by controls, screens and animations: a UI node, a process and a queued
// receiver at once, each role forwarded to a support object it owns, made in
// the order process, queue, UI. It keeps no resumed history, and an idle call
// stops here: its children get none.
class ProcessNode : public virtual XAppObject,
                    public UI,
                    public ProcessForwarder,
                    public QueuedMsgReceiverForwarder {
  public:
    ProcessNode(const ProcessNode&) = delete;
    ProcessNode& operator=(const ProcessNode&) = delete;
    // The UI support goes first, while the node is whole: handing the children
    // to the parent calls back into this node. The queue and process supports
    // follow with their bases.
    ~ProcessNode() override;

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
    void Idle() override {}

    // Process: the interface's defaults, not the support's history.
    bool HasBeenResumed() const override { return false; }
    void SetResumed() override {}

  protected:
    // Throws the integer 0 for a null parent, or when a support cannot be made;
    // what was made is released first.
    explicit ProcessNode(UI* parent);

  private:
    std::unique_ptr<UISupport> ui_;
};
