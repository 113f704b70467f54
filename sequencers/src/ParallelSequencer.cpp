#include "sequencers/ParallelSequencer.h"

#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "sound/Sound.h"

#include <algorithm>

void ParallelSequencer::Add(Process* child, bool pauseEnds) {
    if (!CanAdd(child)) {
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

bool ParallelSequencer::LeadsWithStoppedSound(Process* child) {
    if (auto* sound = dynamic_cast<Sound*>(child)) {
        return sound->IsStopped();
    }
    if (auto* sequencer = dynamic_cast<Sequencer*>(child)) {
        return sequencer->GetChildCount() > 0 && LeadsWithStoppedSound(sequencer->GetChild(0));
    }
    return false;
}

void ParallelSequencer::OnStarting() {
    launching_ = true;
    soundsStartedFirst_ = false;
    launched_.assign(children_.size(), false);
    // A child's start may send; walk a copy.
    const std::vector<Process*> children = children_;
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (LeadsWithStoppedSound(children[i])) {
            launched_[i] = true;
            Listen(children[i]);
            children[i]->Start();
            soundsStartedFirst_ = true;
        }
    }
    if (soundsStartedFirst_) {
        return;
    }
    StartAll();
    if (children_.empty()) {
        // No child will report: it has started, and ended.
        Started();
        Update();
    }
}

// Each child is started once a run: one that has already run to its end
// while the others were being started is not started again.
void ParallelSequencer::StartAll() {
    const std::vector<Process*> children = children_;
    if (launched_.size() != children.size()) {
        launched_.assign(children.size(), false);
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        Listen(children[i]);
        if (launched_[i]) {
            continue;
        }
        launched_[i] = true;
        if (children[i]->IsStopped()) {
            children[i]->Start();
        }
    }
}

bool ParallelSequencer::HasEnded(std::size_t i) const {
    return children_[i]->IsStopped() || (pauseEnds_[i] && children_[i]->IsPaused());
}

void ParallelSequencer::Update() {
    if (IsStarting()) {
        // A child's message queued before a restart can come before the start
        // has launched anyone: the last run's starts must not count for this one.
        if (!launching_) return;
        if (soundsStartedFirst_) {
            StartAll();
        }
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
    launching_ = false;
    soundsStartedFirst_ = false;
    launched_.clear();
    Sequencer::Stopped();
}

std::int32_t ParallelSequencer::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (fromQueue) {
        Update();
    } else if (!queued && (msg.Is<StartedMsg>() || msg.Is<PausedMsg>() || msg.Is<StoppedMsg>())) {
        QueueMsg(msg, from);
        queued = true;
    }
    return Sequencer::HandleMsg(msg, from, fromQueue, queued);
}
