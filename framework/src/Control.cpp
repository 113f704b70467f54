#include "framework/Control.h"

Control::Control(UI* parent, MsgReceiver* receiver, std::int32_t layer) : ProcessNode(parent) {
    AddReceiver(receiver);
    Control::SetLayer(layer);
}
