#include "framework/xAppThread.h"

void xAppThread::SetRunning(std::int16_t running) {
    if (running != 0) {
        Schedule();
    } else {
        Unschedule();
    }
}
