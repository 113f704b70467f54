#include "framework/MsgReceiver.h"

#include "framework/MsgSenderSupport.h"

MsgReceiver::~MsgReceiver() {
    MsgSenderSupport::ForgetInFlight(this);
}
