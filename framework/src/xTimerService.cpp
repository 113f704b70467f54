#include "framework/xTimerService.h"

#include "framework/AppTime.h"
#include "framework/xMsgTimer.h"

xTimerService::xTimerService(UIElement* parent) : xService(parent) {
    AddMsgReceiver(parent);
    countdown_.Cancel();
    SetRunning(1);
}

void xTimerService::Execute() {
    if (!countdown_.IsDue(GetAppTime())) {
        return;
    }
    // A receiver that throws leaves the count and due time as they were; one
    // that destroys the service leaves nothing to count.
    const LifeWatch life = WatchLife();
    Send(xMsgTimer());
    if (life.IsAlive()) {
        countdown_.Fired();
    }
}

std::int32_t xTimerService::StartTimer(std::uint32_t ms, std::uint32_t repeat) {
    if (IsStopped16()) {
        Start();
    }
    return countdown_.Start(GetAppTime(), ms, repeat) ? 0 : -1;
}

std::int32_t xTimerService::CancelTimer() {
    countdown_.Cancel();
    return 0;
}

std::int32_t xTimerService::RestartTimer(std::uint32_t ms) {
    CancelTimer();
    return StartTimer(ms, 0);
}
