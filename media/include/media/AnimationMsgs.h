#pragma once

#include "framework/CloneableMsg.h"
#include "framework/QueueAbortedMsg.h"

// What the animation service tells an animation about its segment. No fields:
// the class is the whole message.
class AnimationStartedMsg : public CloneableMsg<AnimationStartedMsg> {};
// The next play of a repeating segment has begun.
class AnimationRepeatedMsg : public CloneableMsg<AnimationRepeatedMsg> {};
class AnimationPausedMsg : public CloneableMsg<AnimationPausedMsg> {};
class AnimationResumedMsg : public CloneableMsg<AnimationResumedMsg> {};
class AnimationStoppedMsg : public CloneableMsg<AnimationStoppedMsg> {};
// The queued segment ended before it ever started.
class AnimationQueueAbortedMsg : public CloneableMsg<AnimationQueueAbortedMsg, QueueAbortedMsg> {};
