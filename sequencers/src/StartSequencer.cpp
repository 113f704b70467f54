#include "sequencers/StartSequencer.h"

#include "framework/StartedMsg.h"

#include <algorithm>
#include <vector>

void StartSequencer::Add(Process* child) {
    if (CanAdd(child) && child->IsStopped()) {
        children_.push_back(child);
    }
}

void StartSequencer::Clear() {
    if (IsStopped()) {
        children_.clear();
    }
}

void StartSequencer::OnStarting() {
    for (Process* child : children_) {
        Listen(child);
    }
    Update();
}

void StartSequencer::Update() {
    if (!IsStarting()) {
        return;
    }
    // A child's start may send; walk a copy.
    const std::vector<Process*> children = children_;
    for (Process* child : children) {
        if (child->IsStopped()) {
            child->Start();
        }
    }
    if (std::all_of(children_.begin(), children_.end(), [](Process* c) { return c->HasBeenStarted(); })) {
        Started();
    }
}

void StartSequencer::OnStarted() {
    LeaveChildren();
    Stop();
}

std::int32_t StartSequencer::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (fromQueue) {
        Update();
    } else if (!queued && msg.Is<StartedMsg>()) {
        QueueMsg(msg, from);
        queued = true;
    }
    return Sequencer::HandleMsg(msg, from, fromQueue, queued);
}
