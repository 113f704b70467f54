#include "sequencers/Sequencer.h"

#include <algorithm>

Sequencer::Sequencer(MsgReceiver* receiver) {
    AddReceiver(receiver);
}

Sequencer::~Sequencer() {
    LeaveChildren();
}

Process* Sequencer::GetChild(std::int32_t index) {
    if (index < 0 || index >= GetChildCount()) {
        throw 0;
    }
    return children_[static_cast<std::size_t>(index)];
}

bool Sequencer::CanAdd(Process* child) const {
    return IsStopped() && child != nullptr &&
           std::find(children_.begin(), children_.end(), child) == children_.end();
}

void Sequencer::Listen(Process* child) {
    if (child != nullptr && !child->HasReceiver(this)) {
        child->AddReceiver(this);
    }
}

void Sequencer::Leave(Process* child) {
    if (child != nullptr && child->HasReceiver(this)) {
        child->RemoveReceiver(this);
    }
}

void Sequencer::LeaveChildren() {
    for (Process* child : children_) {
        Leave(child);
    }
}
