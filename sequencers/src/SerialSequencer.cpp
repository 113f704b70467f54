#include "sequencers/SerialSequencer.h"

#include "framework/PausedMsg.h"
#include "framework/QueueAbortedMsg.h"
#include "framework/ResumedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"
#include "sound/Sound.h"

void SerialSequencer::Add(Process* child, bool pauseEnds) {
    if (!CanAdd(child)) {
        return;
    }
    children_.push_back(child);
    pauseEnds_.push_back(pauseEnds);
    if (children_.size() == 1 && firstWatched_) {
        Listen(child);
    }
}

void SerialSequencer::Clear() {
    if (!IsStopped()) {
        return;
    }
    if (firstWatched_ && !children_.empty()) {
        Leave(children_.front());
    }
    children_.clear();
    pauseEnds_.clear();
}

Process* SerialSequencer::GetCurrentChild() {
    return current_ < children_.size() ? children_[current_] : nullptr;
}

bool SerialSequencer::IsCurrent(const Process* child) const {
    return current_ < children_.size() && children_[current_] == child;
}

bool SerialSequencer::IsNext(const Process* child) const {
    return current_ + 1 < children_.size() && children_[current_ + 1] == child;
}

void SerialSequencer::WatchFirstChild() {
    if (!IsStopped()) {
        return;
    }
    if (!children_.empty()) {
        Listen(children_.front());
    }
    firstWatched_ = true;
}

void SerialSequencer::OnStarting() {
    if (children_.empty()) {
        ProcessForwarder::OnStarting();
        return;
    }
    if (firstStartedElsewhere_) {
        return;
    }
    Process* first = children_.front();
    Listen(first);
    if (first->IsStopped()) {
        first->Start();
    } else if (first->IsStarting()) {
        // Its StartedMsg completes the start.
    } else if (first->IsStarted() || first->IsStopping()) {
        // Adopt it as if it had just reported.
        Receive(StartedMsg(), first);
    } else {
        throw 0;
    }
}

void SerialSequencer::OnStarted() {
    if (children_.empty()) {
        Stop();
    }
}

void SerialSequencer::OnFirstChildStarting(Process* child) {
    if (!IsStopped()) {
        return;
    }
    if (children_.empty() || child != children_.front()) {
        throw 0;
    }
    firstStartedElsewhere_ = true;
    Start();
}

void SerialSequencer::OnChildStarted(Process* child) {
    if (IsStarting()) {
        if (children_.empty() || child != children_.front()) {
            throw 0;
        }
        Started();
        PrepareNext();
    } else if (IsStopping()) {
        if (IsCurrent(child)) {
            if (child->IsStarted()) {
                child->Stop();
            }
        } else if (!(nextPrepared_ && IsNext(child))) {
            // A prepared next child that starts on its own is stopped once the
            // current one has stopped.
            throw 0;
        }
    } else if (IsCurrent(child)) {
        PrepareNext();
    }
}

void SerialSequencer::OnChildPaused(Process* child) {
    if (!IsCurrent(child)) {
        throw 0;
    }
    if (IsStopping()) {
        // A stop asked while it was pausing.
        child->Stop();
        return;
    }
    if (pauseEnds_[current_]) {
        OnChildStopped(child);
    }
}

void SerialSequencer::OnChildResumed(Process* child) {
    // A stop asked while it was resuming.
    if (IsStopping() && IsCurrent(child) && child->IsStarted()) {
        child->Stop();
    }
}

void SerialSequencer::OnChildStopped(Process* child) {
    if (!IsCurrent(child) && !IsNext(child)) {
        throw 0;
    }
    if (IsStarted()) {
        Leave(children_[current_]);
        ++current_;
        if (current_ >= children_.size()) {
            Stop();
            return;
        }
        Process* next = children_[current_];
        if (nextPrepared_) {
            // It follows on by itself; its StartedMsg prepares the one after.
            nextPrepared_ = false;
            if (next->IsStarted()) {
                PrepareNext();
            }
        } else if (next->IsStopped()) {
            Listen(next);
            next->Start();
        }
    } else if (IsStopping()) {
        Leave(children_[current_]);
        ++current_;
        const bool waitForNext =
            nextPrepared_ && current_ < children_.size() && !children_[current_]->IsStopped();
        nextPrepared_ = false;
        if (waitForNext) {
            Process* next = children_[current_];
            if (next->IsStarted() || next->IsPaused()) {
                next->Stop();
            }
            return;
        }
        Stopped();
    }
}

void SerialSequencer::OnChildQueueAborted(Process* child) {
    Leave(child);
    // A prepared child that will never play is no longer waited for.
    if (nextPrepared_ && IsNext(child)) {
        nextPrepared_ = false;
    }
}

void SerialSequencer::PrepareNext() {
    if (!IsStarting() && !IsStarted()) {
        return;
    }
    if (nextPrepared_) {
        return;
    }
    if (current_ + 1 < children_.size()) {
        nextPrepared_ = PrepareHandOver(children_[current_], pauseEnds_[current_], children_[current_ + 1]);
    } else {
        nextPrepared_ = false;
    }
}

bool SerialSequencer::PrepareHandOver(Process* previous, bool previousPauseEnds, Process* next) {
    if (!FollowOn(previous, previousPauseEnds, next)) {
        return false;
    }
    // A nested sequence is followed itself, not its first child: that child's
    // messages are the nested sequence's to hear.
    Listen(next);
    return true;
}

bool SerialSequencer::FollowOn(Process* previous, bool previousPauseEnds, Process* next) {
    if (next == nullptr || !next->IsStopped()) {
        return false;
    }
    if (auto* sound = dynamic_cast<Sound*>(previous)) {
        if (auto* nextSound = dynamic_cast<Sound*>(next)) {
            if (!sound->LastStartPlayed()) {
                return false;
            }
            nextSound->TakeOverChannel(sound);
            return true;
        }
        return FollowOnIntoNested(previous, previousPauseEnds, next);
    }
    if (auto* animation = dynamic_cast<Animation*>(previous)) {
        if (auto* nextAnimation = dynamic_cast<Animation*>(next)) {
            if (previousPauseEnds) {
                return false;
            }
            nextAnimation->PlayAfter(animation);
            return true;
        }
        if (dynamic_cast<Sound*>(next) != nullptr) {
            return false;
        }
        return FollowOnIntoNested(previous, previousPauseEnds, next);
    }
    return false;
}

bool SerialSequencer::FollowOnIntoNested(Process* previous, bool previousPauseEnds, Process* next) {
    auto* nested = dynamic_cast<SerialSequencer*>(next);
    if (nested == nullptr || nested->GetChildCount() == 0) {
        return false;
    }
    if (!FollowOn(previous, previousPauseEnds, nested->GetChild(0))) {
        return false;
    }
    nested->WatchFirstChild();
    return true;
}

void SerialSequencer::Stop() {
    ProcessForwarder::Stop();
    Process* child = GetCurrentChild();
    if (child != nullptr && !child->IsStopped()) {
        // A starting, pausing or resuming child is stopped once it reports.
        if (child->IsStarted() || child->IsPaused()) {
            child->Stop();
        }
        return;
    }
    Stopped();
}

void SerialSequencer::Stopped() {
    LeaveChildren();
    current_ = 0;
    firstStartedElsewhere_ = false;
    nextPrepared_ = false;
    firstWatched_ = false;
    ProcessForwarder::Stopped();
}

std::int32_t SerialSequencer::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (!fromQueue) {
        auto* child = dynamic_cast<Process*>(from);
        if (msg.Is<StartingMsg>()) {
            OnFirstChildStarting(child);
        } else if (msg.Is<StartedMsg>()) {
            OnChildStarted(child);
        } else if (msg.Is<PausedMsg>()) {
            OnChildPaused(child);
        } else if (msg.Is<ResumedMsg>()) {
            OnChildResumed(child);
        } else if (msg.Is<StoppedMsg>()) {
            OnChildStopped(child);
        } else if (msg.Is<QueueAbortedMsg>()) {
            OnChildQueueAborted(child);
        }
    }
    return Sequencer::HandleMsg(msg, from, fromQueue, queued);
}
