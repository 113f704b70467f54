#include "framework/ProcessNode.h"

// Any failure, of the process and queue supports made by the bases included,
// leaves as the integer 0 once the parts already made are released.
ProcessNode::ProcessNode(UI* parent) try
    : ui_(parent != nullptr ? std::make_unique<UISupport>(this, parent) : nullptr) {
    if (ui_ == nullptr) {
        throw 0;
    }
} catch (...) {
    throw 0;
}

ProcessNode::~ProcessNode() {
    // A child handed on leaves this node through RemoveChild, which must still
    // reach the support: the pointer is kept until the support is gone.
    delete ui_.get();
    static_cast<void>(ui_.release());
}
