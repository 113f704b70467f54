#include "sequencers/StopSequencer.h"

#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"

#include <algorithm>
#include <vector>

void StopSequencer::Add(Process* child) {
    if (CanAdd(child)) {
        children_.push_back(child);
    }
}

void StopSequencer::Clear() {
    if (IsStopped()) {
        children_.clear();
    }
}

void StopSequencer::OnStarted() {
    for (Process* child : children_) {
        Listen(child);
    }
    Update();
}

void StopSequencer::Update() {
    if (!IsStarted()) {
        return;
    }
    // A child's stop may send; walk a copy.
    const std::vector<Process*> children = children_;
    for (Process* child : children) {
        if (child->IsStarted() || child->IsPaused()) {
            child->Stop();
        }
    }
    if (std::all_of(children_.begin(), children_.end(), [](Process* c) { return c->IsStopped(); })) {
        Stop();
    }
}

void StopSequencer::OnStopping() {
    LeaveChildren();
    Sequencer::OnStopping();
}

std::int32_t StopSequencer::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (fromQueue) {
        Update();
    } else if (!queued && (msg.Is<StoppedMsg>() || msg.Is<StartedMsg>() || msg.Is<PausedMsg>())) {
        QueueMsg(msg, from);
        queued = true;
    }
    return Sequencer::HandleMsg(msg, from, fromQueue, queued);
}
