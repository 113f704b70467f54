#include "sequencers/ParallelSequencer.h"

#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"

#include <algorithm>

ParallelSequencer::ParallelSequencer(MsgReceiver* receiver) {
    AddReceiver(receiver);
}

ParallelSequencer::~ParallelSequencer() {
    LeaveChildren();
}

void ParallelSequencer::Add(Process* child, bool pauseEnds) {
    if (!IsStopped() || child == nullptr ||
        std::find(children_.begin(), children_.end(), child) != children_.end()) {
        return;
    }
    children_.push_back(child);
    pauseEnds_.push_back(pauseEnds);
}

void ParallelSequencer::Clear() {
    if (IsStopped()) {
        children_.clear();
        pauseEnds_.clear();
    }
}

Process* ParallelSequencer::GetChild(std::int32_t index) {
    if (index < 0 || index >= GetChildCount()) {
        throw 0;
    }
    return children_[static_cast<std::size_t>(index)];
}

void ParallelSequencer::OnStarting() {
    StartAll();
    if (children_.empty()) {
        // No child will report: it has started, and ended.
        Started();
        Update();
    }
}

void ParallelSequencer::StartAll() {
    // A child's start may send; walk a copy.
    const std::vector<Process*> children = children_;
    for (Process* child : children) {
        if (!child->HasReceiver(this)) {
            child->AddReceiver(this);
        }
        if (child->IsStopped()) {
            child->Start();
        }
    }
}

bool ParallelSequencer::HasEnded(std::size_t i) const {
    return children_[i]->IsStopped() || (pauseEnds_[i] && children_[i]->IsPaused());
}

void ParallelSequencer::Update() {
    if (IsStarting()) {
        if (std::all_of(children_.begin(), children_.end(), [](Process* c) { return c->HasBeenStarted(); })) {
            Started();
        }
    } else if (IsStarted()) {
        bool ended = true;
        for (std::size_t i = 0; i < children_.size(); ++i) {
            ended = ended && HasEnded(i);
        }
        if (ended) {
            Stop();
        }
    } else if (IsStopping()) {
        const std::vector<Process*> children = children_;
        for (Process* child : children) {
            if (child->IsStarted() || child->IsPaused()) {
                child->Stop();
            }
        }
        if (std::all_of(children_.begin(), children_.end(), [](Process* c) { return c->IsStopped(); })) {
            Stopped();
        }
    }
}

void ParallelSequencer::Stopped() {
    LeaveChildren();
    ProcessForwarder::Stopped();
}

void ParallelSequencer::LeaveChildren() {
    for (Process* child : children_) {
        if (child->HasReceiver(this)) {
            child->RemoveReceiver(this);
        }
    }
}

std::int32_t ParallelSequencer::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (fromQueue) {
        Update();
    } else if (!queued && (msg.Is<StartedMsg>() || msg.Is<PausedMsg>() || msg.Is<StoppedMsg>())) {
        QueueMsg(msg, from);
        queued = true;
    }
    return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
}
