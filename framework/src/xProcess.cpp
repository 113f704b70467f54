#include "framework/xProcess.h"

#include "divir/xError.h"

std::int16_t xProcess::IsBusy() {
    return (IsStarted() || IsStarting() || IsResuming()) ? 1 : 0;
}

void xProcess::GotoState(std::int32_t state) {
    switch (state) {
        case 0:
            Stopped();
            break;
        case 1:
            Start();
            break;
        case 2:
            Started();
            break;
        case 3:
            Pause();
            break;
        case 4:
            Paused();
            break;
        case 5:
            Resume();
            break;
        case 6:
            Stop();
            break;
        default:
            xThrow(kErrBadState);
            break;
    }
}
