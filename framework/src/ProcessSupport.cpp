#include "framework/ProcessSupport.h"

#include "framework/PausedErrorMsg.h"
#include "framework/PausedMsg.h"
#include "framework/PausingErrorMsg.h"
#include "framework/PausingMsg.h"
#include "framework/ResumedMsg.h"
#include "framework/ResumingErrorMsg.h"
#include "framework/ResumingMsg.h"
#include "framework/StartedErrorMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingErrorMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingErrorMsg.h"
#include "framework/StoppingMsg.h"

namespace {

Process* NonNull(Process* owner) {
    if (owner == nullptr) {
        throw 0;
    }
    return owner;
}

}  // namespace

ProcessSupport::ProcessSupport(Process* owner)
    : owner_(NonNull(owner)), sender_(std::make_unique<MsgSenderSupport>(owner)) {}

ProcessSupport::~ProcessSupport() = default;

void ProcessSupport::AddReceiver(MsgReceiver* receiver) {
    sender_->AddReceiver(receiver);
}
void ProcessSupport::RemoveReceiver(MsgReceiver* receiver) {
    sender_->RemoveReceiver(receiver);
}
bool ProcessSupport::HasReceiver(MsgReceiver* receiver) const {
    return sender_->HasReceiver(receiver);
}
std::int32_t ProcessSupport::GetReceiverCount() const {
    return sender_->GetReceiverCount();
}
void ProcessSupport::Send(const Msg& msg) {
    sender_->Send(msg);
}

void ProcessSupport::Start() {
    if (!owner_->IsStopped()) {
        throw 0;
    }
    ClearHistory();
    SetStarting();
    Schedule();
    owner_->Send(StartingMsg());
}

void ProcessSupport::Pause() {
    if (!owner_->IsStarted() || !owner_->IsPausable()) {
        throw 0;
    }
    SetPausing();
    Schedule();
    owner_->Send(PausingMsg());
}

void ProcessSupport::Resume() {
    if (!owner_->IsPaused()) {
        throw 0;
    }
    SetResuming();
    Schedule();
    owner_->Send(ResumingMsg());
}

void ProcessSupport::Stop() {
    if (!owner_->IsStarted() && !owner_->IsPaused()) {
        throw 0;
    }
    SetStopping();
    Schedule();
    owner_->Send(StoppingMsg());
}

void ProcessSupport::Started() {
    if (!owner_->IsStarting()) {
        throw 0;
    }
    SetStarted();
    Schedule();
    owner_->Send(StartedMsg());
}

void ProcessSupport::Paused() {
    if (!owner_->IsPausing()) {
        throw 0;
    }
    SetPaused();
    Schedule();
    owner_->Send(PausedMsg());
}

void ProcessSupport::Resumed() {
    if (!owner_->IsResuming()) {
        throw 0;
    }
    SetResumed();
    Schedule();
    owner_->Send(ResumedMsg());
}

void ProcessSupport::Stopped() {
    if (!owner_->IsStopping() && !owner_->IsErred()) {
        throw 0;
    }
    SetStopped();
    Schedule();
    owner_->Send(StoppedMsg());
}

void ProcessSupport::Fail() {
    if (owner_->IsStopped()) {
        throw 0;
    }
    Schedule();
    if (owner_->IsStarting()) {
        SetErred();
        owner_->Send(StartingErrorMsg());
    } else if (owner_->IsStarted()) {
        SetErred();
        owner_->Send(StartedErrorMsg());
    } else if (owner_->IsPausing()) {
        SetErred();
        owner_->Send(PausingErrorMsg());
    } else if (owner_->IsPaused()) {
        SetErred();
        owner_->Send(PausedErrorMsg());
    } else if (owner_->IsResuming()) {
        SetErred();
        owner_->Send(ResumingErrorMsg());
    } else if (owner_->IsStopping()) {
        SetErred();
        owner_->Send(StoppingErrorMsg());
    } else {
        // Already erred: stays scheduled, so the erred handler runs again.
        throw 0;
    }
}

bool ProcessSupport::HasErred() const {
    return erredWhileStarting_ || erredWhileStarted_ || erredWhilePausing_ || erredWhilePaused_ ||
           erredWhileResuming_ || erredWhileStopping_;
}

std::string ProcessSupport::GetStateName() const {
    switch (state_) {
        case kStopped:
            return "stopped";
        case kStarting:
            return "starting";
        case kStarted:
            return "started";
        case kPausing:
            return "pausing";
        case kPaused:
            return "paused";
        case kResuming:
            return "resuming";
        case kStopping:
            return "stopping";
        case kErred:
            return "erred";
        default:
            return "unknown";
    }
}

void ProcessSupport::OnStarting() {
    owner_->Started();
}
void ProcessSupport::OnPausing() {
    owner_->Paused();
}
void ProcessSupport::OnResuming() {
    owner_->Resumed();
}
void ProcessSupport::OnStopping() {
    owner_->Stopped();
}
void ProcessSupport::OnErred() {
    owner_->Stopped();
}

void ProcessSupport::ClearHistory() {
    hasBeenStarting_ = hasBeenStarted_ = hasBeenPausing_ = hasBeenPaused_ = false;
    hasBeenResuming_ = hasBeenResumed_ = hasBeenStopping_ = false;
    erredWhileStarting_ = erredWhileStarted_ = erredWhilePausing_ = false;
    erredWhilePaused_ = erredWhileResuming_ = erredWhileStopping_ = false;
}

void ProcessSupport::SetStarting() {
    state_ = kStarting;
    hasBeenStarting_ = true;
}

void ProcessSupport::SetStarted() {
    state_ = kStarted;
    hasBeenStarted_ = true;
}

void ProcessSupport::SetPausing() {
    state_ = kPausing;
    hasBeenPausing_ = true;
}

void ProcessSupport::SetPaused() {
    state_ = kPaused;
    hasBeenPaused_ = true;
}

void ProcessSupport::SetResuming() {
    state_ = kResuming;
    hasBeenResuming_ = true;
}

void ProcessSupport::SetResumed() {
    state_ = kStarted;
    hasBeenResumed_ = true;
}

void ProcessSupport::SetStopping() {
    state_ = kStopping;
    hasBeenStopping_ = true;
}

void ProcessSupport::SetStopped() {
    state_ = kStopped;
    hasBeenStopped_ = true;
}

void ProcessSupport::SetErred() {
    switch (state_) {
        case kStarting:
            erredWhileStarting_ = true;
            break;
        case kStarted:
            erredWhileStarted_ = true;
            break;
        case kPausing:
            erredWhilePausing_ = true;
            break;
        case kPaused:
            erredWhilePaused_ = true;
            break;
        case kResuming:
            erredWhileResuming_ = true;
            break;
        case kStopping:
            erredWhileStopping_ = true;
            break;
        default:
            throw 0;
    }
    state_ = kErred;
}

void ProcessSupport::Execute() {
    Unschedule();
    switch (state_) {
        case kStopped:
            owner_->OnStopped();
            break;
        case kStarting:
            owner_->OnStarting();
            break;
        case kStarted:
            owner_->OnStarted();
            break;
        case kPausing:
            owner_->OnPausing();
            break;
        case kPaused:
            owner_->OnPaused();
            break;
        case kResuming:
            owner_->OnResuming();
            break;
        case kStopping:
            owner_->OnStopping();
            break;
        case kErred:
            owner_->OnErred();
            break;
        default:
            throw 0;
    }
}
