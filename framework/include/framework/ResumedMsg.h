#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process that has resumed (it is started again).
class ResumedMsg : public CloneableMsg<ResumedMsg> {};
