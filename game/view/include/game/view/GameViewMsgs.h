#pragma once

// What the screens tell the game view that has no fields: an ad break or the
// sponsor ad starting and stopping, the brand intro starting, and the progress
// screen's time-out and cancel.

#include "framework/CloneableMsg.h"
#include "game/screens/ProgressMsgs.h"

class AdsStartingMsg : public CloneableMsg<AdsStartingMsg> {};
class AdsStoppedMsg : public CloneableMsg<AdsStoppedMsg> {};
class SponsorAdStartingMsg : public CloneableMsg<SponsorAdStartingMsg> {};
class SponsorAdStoppedMsg : public CloneableMsg<SponsorAdStoppedMsg> {};
class QuonzaStartingMsg : public CloneableMsg<QuonzaStartingMsg> {};
class QuonzaStoppedMsg : public CloneableMsg<QuonzaStoppedMsg> {};
