#pragma once

#include "framework/CloneableMsg.h"

// The progress screen's two messages to its receivers (the view, which maps
// them to the start-up step that is running).
class ProgressCanceledMsg : public CloneableMsg<ProgressCanceledMsg> {};
class ProgressTimedOutMsg : public CloneableMsg<ProgressTimedOutMsg> {};
