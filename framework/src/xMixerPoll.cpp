#include "framework/xMixerPoll.h"

namespace {

xMixerPollHook installedHook = nullptr;

}  // namespace

void xMixerPoll(std::uint32_t ms) {
    if (installedHook != nullptr) {
        installedHook(ms);
    }
}

xMixerPollHook xMixerSetPollHook(xMixerPollHook hook) {
    const xMixerPollHook previous = installedHook;
    installedHook = hook;
    return previous;
}
