#pragma once

// The logon screen's outcome, to its receivers (the view passes both on to the
// application object, which declares them).
#include "game/model/PictureViewMsgs.h"
