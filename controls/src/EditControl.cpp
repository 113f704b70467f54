#include "controls/EditControl.h"

#include "controls/EditControlTextEnteredMsg.h"
#include "controls/TextInput.h"
#include "framework/ButtonDownMouseMsg.h"
#include "framework/ExecutableSupport.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseReceiverThing.h"
#include "framework/PausedMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"

namespace {

constexpr std::int32_t kEnter = 13;
constexpr std::int32_t kTab = 9;

}  // namespace

EditControl::EditControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t textAnimation,
                         std::int32_t textItem, std::int32_t resourceId, std::int32_t openingAnimation,
                         std::int32_t closingAnimation, std::int32_t maxLength, std::uint8_t flag)
    : Control(parent, receiver, layer) {
    hitArea_ = std::make_unique<MouseReceiverThing>(this);
    executable_ = std::make_unique<ExecutableSupport>(this);
    text_ = std::make_unique<Animation>(this, resourceId, textAnimation);
    input_ = std::make_unique<TextInput>();
    if (openingAnimation != 0) {
        opening_ = std::make_unique<Animation>(this, resourceId, openingAnimation);
        opening_->SetLayer(layer);
    }
    if (closingAnimation != 0) {
        closing_ = std::make_unique<Animation>(this, resourceId, closingAnimation);
        closing_->SetLayer(layer + 3);
    }
    text_->SetLayer(layer + 2);
    hitArea_->SetLayer(layer + 10);
    xRect bounds;
    hitArea_->SetBounds(text_->GetCelBounds(bounds));
    hitArea_->AddReceiver(this);
    input_->Init(static_cast<std::int16_t>(textItem), text_.get(), flag);
    input_->SetMaxLength(maxLength);
}

EditControl::~EditControl() {
    closing_.reset();
    opening_.reset();
    text_.reset();
    input_.reset();
    hitArea_.reset();
    executable_.reset();
}

void EditControl::Enable() {
    StartCursor();
    input_->SetCaretEnabled(true);
    Control::Enable();
}

void EditControl::Disable() {
    StopCursor();
    input_->SetCaretEnabled(false);
    Control::Disable();
}

void EditControl::OnLostKeyboardFocus() {
    input_->SetCaretEnabled(false);
}

void EditControl::OnGainedKeyboardFocus() {
    input_->SetCaretEnabled(true);
}

std::string EditControl::GetText() const {
    return input_->GetText();
}

std::uint16_t EditControl::GetTextLength() const {
    return input_->GetLength();
}

void EditControl::SetText(const char* text) {
    if (text == nullptr || *text == '\0') {
        input_->Clear();
        return;
    }
    for (const char* c = text; *c != '\0'; ++c) {
        input_->HandleKey(*c);
    }
}

void EditControl::ClearText() {
    SetText("");
}

void EditControl::OnKeyboardChar(const KeyboardCharMsg& msg) {
    const std::int32_t key = msg.GetKey();
    if (key == kEnter) {
        const std::weak_ptr<void> life = life_;
        Send(EditControlTextEnteredMsg(GetText()));
        if (life.expired()) {
            return;
        }
    }
    // A key is one byte: anything wider is no character the field can hold,
    // and must not be cut down to one.
    if (key == kTab || key < 0 || key > 0xFF) {
        return;
    }
    input_->HandleKey(static_cast<char>(key));
}

void EditControl::StartCursor() {
    executable_->Schedule();
}

void EditControl::StopCursor() {
    executable_->Unschedule();
}

bool EditControl::IsCursorRunning() const {
    return executable_->IsScheduled();
}

void EditControl::Execute() {
    input_->Step();
}

void EditControl::OnStarting() {
    if (opening_ != nullptr) {
        opening_->Start();
    } else {
        text_->SetHoldAtEnd();
        text_->Start();
    }
}

bool EditControl::AllStopped() const {
    return (opening_ == nullptr || opening_->IsStopped()) && text_->IsStopped() &&
           (closing_ == nullptr || closing_->IsStopped());
}

void EditControl::OnStopping() {
    if (closing_ != nullptr) {
        closing_->Start();
    }
    if (opening_ != nullptr && (opening_->IsStarted() || opening_->IsPaused())) {
        opening_->Stop();
    }
    if (text_->IsStarted() || text_->IsPaused()) {
        text_->Stop();
    }
    // Nothing was playing: no part will report.
    if (AllStopped()) {
        DefaultOnStopping();
    }
}

std::int32_t EditControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto is = [from](const auto& part) {
        return part != nullptr && from == static_cast<MsgSender*>(part.get());
    };
    const bool wanted = (is(opening_) && msg.Is<StoppedMsg>()) || (is(text_) && msg.Is<PausedMsg>()) ||
                        msg.Is<StoppedMsg>() || (is(hitArea_) && msg.Is<ButtonDownMouseMsg>());
    if (wanted && !fromQueue) {
        if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
    } else if (wanted) {
        const std::weak_ptr<void> life = life_;
        if (is(opening_) && msg.Is<StoppedMsg>() && IsStarting()) {
            text_->SetHoldAtEnd();
            text_->Start();
        } else if (is(text_) && msg.Is<PausedMsg>() && IsStarting()) {
            DefaultOnStarting();
        } else if (msg.Is<StoppedMsg>() && IsStopping()) {
            if (AllStopped()) {
                DefaultOnStopping();
            }
        } else if (is(hitArea_) && msg.Is<ButtonDownMouseMsg>()) {
            Send(msg);
        }
        if (life.expired()) {
            return 0;
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
