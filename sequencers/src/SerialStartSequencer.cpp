#include "sequencers/SerialStartSequencer.h"

#include "framework/StartedMsg.h"

void SerialStartSequencer::Add(Process* child) {
    if (CanAdd(child) && child->IsStopped()) {
        children_.push_back(child);
    }
}

void SerialStartSequencer::Clear() {
    if (IsStopped()) {
        children_.clear();
    }
}

void SerialStartSequencer::OnStarting() {
    for (Process* child : children_) {
        Listen(child);
    }
    Update();
}

void SerialStartSequencer::Update() {
    if (!IsStarting()) {
        return;
    }
    for (Process* child : children_) {
        if (child->IsStopped()) {
            child->Start();
            return;
        }
    }
    Started();
}

void SerialStartSequencer::OnStarted() {
    LeaveChildren();
    Stop();
}

std::int32_t SerialStartSequencer::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (fromQueue) {
        Update();
    } else if (!queued && msg.Is<StartedMsg>()) {
        QueueMsg(msg, from);
        queued = true;
    }
    return Sequencer::HandleMsg(msg, from, fromQueue, queued);
}
