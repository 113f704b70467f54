#include "framework/View.h"

#include "framework/KeyboardService.h"
#include "framework/ReadyToPlayNextScreenMsg.h"
#include "framework/Screen.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"

#include <algorithm>
#include <limits>

namespace {

// delay + last - currentLast, held within 0 .. 2^32 - 1: a current screen whose
// last phase is longer than the time left would otherwise give the next one
// about 49 days, and a sum past 32 bits would give it almost nothing.
std::uint32_t TimeLeft(std::uint32_t delay, std::uint32_t last, std::uint32_t currentLast) {
    const std::uint64_t total = std::uint64_t{delay} + last;
    if (total <= currentLast) {
        return 0;
    }
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(total - currentLast, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

View::View(const char* name, std::int32_t depth, std::int32_t width, std::int32_t height, bool fullScreen)
    : UIRoot(name, depth, width, height, fullScreen) {
    GetKeyboardService()->SetFocus(this);
}

bool View::IsReadyForScreen() {
    return current_ == nullptr || (current_->IsStarted() && pending_ == nullptr);
}

void View::ShowScreen(Screen* screen, std::uint32_t delay, std::uint32_t first, std::uint32_t middle,
                      std::uint32_t last) {
    if (current_ == nullptr) {
        screen->SetSegmentTimes(TimeLeft(delay, last, 0), first, middle, last);
        current_ = screen;
        current_->Start();
        return;
    }
    if (pending_ != nullptr) {
        throw 0;
    }
    pending_ = screen;
    screen->SetSegmentTimes(TimeLeft(delay, last, current_->GetLastTime()), first, middle, last);
    if (current_->IsStarted()) {
        current_->Stop();
    }
}

bool View::IsFromCurrent(MsgSender* from) const {
    return current_ != nullptr && from == static_cast<MsgSender*>(current_);
}

std::int32_t View::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (msg.Is<StartedMsg>() && IsFromCurrent(from)) {
        if (fromQueue) {
            OnCurrentStarted();
        } else if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
    } else if (msg.Is<StoppedMsg>() && IsFromCurrent(from)) {
        if (fromQueue) {
            OnCurrentStopped();
        } else if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
    }
    return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
}

void View::OnCurrentStarted() {
    if (!IsStarted()) {
        return;
    }
    if (pending_ != nullptr) {
        if (current_->IsStarted()) {
            current_->Stop();
        }
    } else {
        Send(ReadyToPlayNextScreenMsg());
    }
}

void View::OnCurrentStopped() {
    if (!IsStarted()) {
        return;
    }
    if (pending_ == nullptr) {
        throw 0;
    }
    current_ = pending_;
    pending_ = nullptr;
    current_->Start();
}
