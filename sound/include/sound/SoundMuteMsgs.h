#pragma once

#include "framework/CloneableMsg.h"

// The control panel's mute switches for the three kinds of sound, without fields.
// The sound service records them for new sounds; music, voice and effect sounds
// that receive them mute or unmute themselves.
class MusicMuteOnMsg : public CloneableMsg<MusicMuteOnMsg> {};
class MusicMuteOffMsg : public CloneableMsg<MusicMuteOffMsg> {};
class VoiceMuteOnMsg : public CloneableMsg<VoiceMuteOnMsg> {};
class VoiceMuteOffMsg : public CloneableMsg<VoiceMuteOffMsg> {};
class SfxMuteOnMsg : public CloneableMsg<SfxMuteOnMsg> {};
class SfxMuteOffMsg : public CloneableMsg<SfxMuteOffMsg> {};
