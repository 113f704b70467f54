#include "controls/ChatBox.h"

#include "controls/AgingListControl.h"
#include "controls/EditControl.h"
#include "controls/EditControlTextEnteredMsg.h"
#include "controls/ListControl.h"
#include "controls/LocalOriginChatMsg.h"
#include "framework/ButtonDownMouseMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "resource/LanguageFilter.h"
#include "sequencers/ParallelSequencer.h"

#include <array>
#include <cstdlib>

namespace {

// The list keeps this many lines beyond a page.
constexpr std::int32_t kHistory = 200;

std::string TrimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::string();
    }
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

ChatBox::ChatBox(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                 std::int32_t firstItem, std::int32_t lastItem, std::int32_t openingAnimation,
                 std::int32_t closingAnimation, std::int32_t textAnimation, std::int32_t entryTextAnimation,
                 std::int32_t entryTextItem, std::int32_t, std::int32_t, std::int32_t, const std::string& replyName,
                 std::int32_t entryMaxLength, bool ageing)
    : Control(parent, receiver, layer), replyName_(replyName) {
    pageRows_ = std::abs(lastItem - firstItem);
    body_ = std::make_unique<ParallelSequencer>(this);
    const std::int32_t capacity = kHistory - pageRows_;
    if (ageing) {
        lines_ = std::make_unique<AgingListControl>(this, this, layer + 1, firstItem, lastItem, resourceId,
                                                    openingAnimation, closingAnimation, textAnimation, 0, 1,
                                                    capacity, true);
    } else {
        lines_ = std::make_unique<ListControl>(this, this, layer + 1, firstItem, lastItem, resourceId,
                                               openingAnimation, closingAnimation, textAnimation, 0, 1, capacity,
                                               true, -1);
    }
    entry_ = std::make_unique<EditControl>(this, this, layer + 1, entryTextAnimation, entryTextItem, resourceId, 0,
                                           0, entryMaxLength, 0);
    body_->Add(lines_.get());
    body_->Add(entry_.get());
    lines_->SetReverseOrder();
    lines_->ClearAppendAtEnd();
}

ChatBox::~ChatBox() {
    body_.reset();
    entry_.reset();
    lines_.reset();
}

void ChatBox::OnLostKeyboardFocus() {
    entry_->OnLostKeyboardFocus();
}

void ChatBox::OnGainedKeyboardFocus() {
    entry_->OnGainedKeyboardFocus();
}

void ChatBox::CreateScrollBar(std::int32_t resourceId, std::int32_t firstUp, std::int32_t firstDown,
                              std::int32_t firstHitArea, std::int32_t secondUp, std::int32_t secondDown,
                              std::int32_t secondHitArea, std::int32_t reserved, std::int32_t thumb,
                              std::int32_t thumbHitArea, std::int32_t track) {
    lines_->CreateScrollBar(resourceId, firstUp, firstDown, firstHitArea, secondUp, secondDown, secondHitArea,
                            reserved, thumb, thumbHitArea, track);
}

void ChatBox::OnKeyboardChar(const KeyboardCharMsg& msg) {
    switch (msg.GetKey()) {
        case 16:  // up
        case 17:  // down
        case 20:  // page up
        case 21:  // page down
            lines_->OnKeyboardChar(msg);
            break;
        default:
            entry_->OnKeyboardChar(msg);
            break;
    }
}

bool ChatBox::IsEditKeyboardTarget() {
    return entry_->IsKeyboardTarget();
}

void ChatBox::AddLine(std::int32_t colour, const std::string& text) {
    lines_->AddRow(text, "", "", "", "", true, colour, 1);
}

void ChatBox::AddText(const std::string& text) {
    AddLine(kPlainColour, text);
}

void ChatBox::Clear() {
    entry_->ClearText();
    lines_->RemoveAllRows();
}

void ChatBox::OnEntered(const std::string& entered) {
    const std::string text = TrimSpaces(entered);
    if (text.empty()) {
        entry_->ClearText();
        return;
    }
    if (filterOn_) {
        std::array<char, 256> word{};
        if (LanguageFilterCheck(text.c_str(), word.data(), word.size()) == 0) {
            AddLine(kReplyColour,
                    "<" + replyName_ + ">: We don't use words like " + std::string(word.data()) + " here.");
            return;
        }
    }
    const std::weak_ptr<void> life = life_;
    Send(LocalOriginChatMsg(text));
    if (!life.expired()) {
        entry_->ClearText();
    }
}

void ChatBox::OnStarting() {
    body_->Start();
}

void ChatBox::OnStopping() {
    body_->Stop();
}

std::int32_t ChatBox::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const bool fromBody = from == static_cast<MsgSender*>(body_.get());
    const bool fromEntry = from == static_cast<MsgSender*>(entry_.get());
    const bool wanted = (fromBody && (msg.Is<StartedMsg>() || msg.Is<StoppedMsg>())) ||
                        (fromEntry && msg.Is<EditControlTextEnteredMsg>()) || msg.Is<ButtonDownMouseMsg>();
    if (wanted && !fromQueue) {
        if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
    } else if (wanted) {
        const std::weak_ptr<void> life = life_;
        if (fromBody && msg.Is<StartedMsg>()) {
            if (IsStarting()) {
                DefaultOnStarting();
            }
        } else if (fromBody && msg.Is<StoppedMsg>()) {
            if (IsStopping()) {
                DefaultOnStopping();
            }
        } else if (const auto* entered = dynamic_cast<const EditControlTextEnteredMsg*>(&msg);
                   entered != nullptr && fromEntry) {
            OnEntered(entered->GetText());
        } else if (msg.Is<ButtonDownMouseMsg>()) {
            Send(msg);
        }
        if (life.expired()) {
            return 0;
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
