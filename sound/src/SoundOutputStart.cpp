#include "sound/SoundOutputStart.h"

#include <cmath>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "platform/AudioOut.h"
#include "sound/xMixer.h"

namespace sound {

std::int16_t SoundOpenErrorCode(std::int16_t openResult) {
    switch (openResult) {
        case 0:
            return 0;
        case kMixerOpenNoDevice:
            return kErrNoSoundDriver;
        case kMixerOpenNoFormat:
            return kErrNo16BitSound;
        case kMixerOpenRefused:
            return kErrSoundCardBusy;
        case kMixerOpenNoMemory:
            return kErrMemory;
        case kMixerOpenNoPrepare:
            return kErrSystemResources;
        default:
            return kErrSoundOutput;
    }
}

bool StartSoundOutput() {
    const std::int16_t code = xTry([] {
        const std::int16_t result = xMixerOpen(-1, platform::kAudioFormatMono16);
        if (result != 0) {
            xThrow(SoundOpenErrorCode(result));
        }
    });
    if (code != 0) {
        xPendingExitCode = code;
        return false;
    }
    return true;
}

int MixerChannelLevel(double masterVolume, double channelVolume, bool muted) {
    if (muted) {
        return 0;
    }
    const double level = masterVolume * channelVolume * 256.0;
    if (!(level > 0.0)) {
        return 0;  // negative, zero or not a number
    }
    return level >= 32767.0 ? 32767 : static_cast<int>(level);
}

}  // namespace sound
