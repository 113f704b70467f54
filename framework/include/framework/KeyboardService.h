#pragma once

#include "divir/xKeyQueue.h"
#include "framework/ExecutableSupport.h"
#include "framework/MessagePump.h"
#include "framework/MsgSender.h"

#include <cstdint>
#include <functional>
#include <list>

class UI;

// Delivers typed keys to the one UI node that holds the keyboard focus. Once per
// pass it empties the lower layer's key queue and sends one KeyboardCharMsg per
// key to the focus while it is enabled, pumping window messages between keys.
// It names itself as the sender of its messages but keeps no receivers.
class KeyboardService : public virtual XAppObject, public ExecutableSupport, public MsgSender {
  public:
    // The next key without waiting (0 when none is queued), and one pump of the
    // window messages. By default the lower layer's key queue (xGetKey with the
    // no-wait flag) and the program's message pump; tests type their own keys.
    using KeySource = std::function<std::uint16_t()>;
    using Pump = std::function<void()>;

    KeyboardService();
    ~KeyboardService() override;

    KeyboardService(const KeyboardService&) = delete;
    KeyboardService& operator=(const KeyboardService&) = delete;

    void Execute() override;

    void AddReceiver(MsgReceiver*) override {}
    void RemoveReceiver(MsgReceiver*) override {}
    bool HasReceiver(MsgReceiver*) const override { return false; }
    std::int32_t GetReceiverCount() const override { return 0; }
    void Send(const Msg&) override {}

    void SetFocus(UI* node);
    bool HasFocus(UI* node) const { return node != nullptr && node == focus_; }
    UI* GetFocus() const { return focus_; }

    void AddFocusCandidate(UI* node);
    void InsertFocusCandidateAfter(UI* node, UI* reference);
    void InsertFocusCandidateBefore(UI* node, UI* reference);
    bool IsFocusCandidate(UI* node) const;
    void RemoveFocusCandidate(UI* node);
    void FocusNext();
    void FocusPrevious();

    void SetKeySource(KeySource source) { keySource_ = std::move(source); }
    void SetPump(Pump pump) { pump_ = std::move(pump); }

  private:
    void MoveFocus(bool forwards);

    UI* focus_ = nullptr;
    std::list<UI*> candidates_;
    KeySource keySource_ = [] { return xGetKey(kKeyNoWait); };
    Pump pump_ = &PumpMessages;
};
