#pragma once

#include "framework/Msg.h"
#include "framework/UISupport.h"

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

// A composite UI node as controls and screens make them: it owns a UISupport and
// forwards to it, counts its redraws and records the messages it receives.
class TestNode : public virtual XAppObject, public UI {
  public:
    explicit TestNode(UI* parent) : support_(std::make_unique<UISupport>(this, parent)) {}

    void SetParent(UI* parent) override { support_->SetParent(parent); }
    UI* GetParent() override { return support_->GetParent(); }
    UI* GetRoot() override { return support_->GetRoot(); }
    void SetLayer(std::int32_t layer) override { support_->SetLayer(layer); }
    std::int32_t GetLayer() override { return support_->GetLayer(); }
    void Show() override { support_->Show(); }
    void Hide() override { support_->Hide(); }
    bool IsVisible() override { return support_->IsVisible(); }
    void SetBounds(const xRect& bounds) override { support_->SetBounds(bounds); }
    void MoveBy(const xPoint& offset) override { support_->MoveBy(offset); }
    xRect GetBounds() override { return support_->GetBounds(); }
    void Enable() override { support_->Enable(); }
    void Disable() override { support_->Disable(); }
    bool IsEnabled() override { return support_->IsEnabled(); }
    void Redraw() override {
        ++redraws;
        support_->Redraw();
    }
    void AddChild(UI* child) override { support_->AddChild(child); }
    void RemoveChild(UI* child) override { support_->RemoveChild(child); }
    bool HasChild(UI* child) override { return support_->HasChild(child); }
    std::int32_t GetChildCount() override { return support_->GetChildCount(); }
    const std::vector<UI*>& GetChildren() override { return support_->GetChildren(); }
    void Idle() override {
        ++idles;
        support_->Idle();
    }

    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        received.emplace_back(msg.Clone());
        senders.push_back(from);
        if (onReceive) {
            onReceive(msg);
        }
        return 0;
    }

    template <typename M>
    const M* Last() const {
        return received.empty() ? nullptr : dynamic_cast<const M*>(received.back().get());
    }
    template <typename M>
    int Count() const {
        int n = 0;
        for (const auto& m : received) {
            n += dynamic_cast<const M*>(m.get()) != nullptr;
        }
        return n;
    }

    int redraws = 0;
    int idles = 0;
    std::vector<std::unique_ptr<Msg>> received;
    std::vector<MsgSender*> senders;
    std::function<void(const Msg&)> onReceive;

  private:
    std::unique_ptr<UISupport> support_;
};
