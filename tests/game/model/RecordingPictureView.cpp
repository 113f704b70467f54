#include "RecordingPictureView.h"

#include "framework/Timer.h"
#include "framework/TimerMsg.h"

namespace {

// A screen that finishes its start after its first phase and its stop after its
// last, on a Timer of its own.
class SegmentScreen : public Screen {
  public:
    explicit SegmentScreen(UI* parent) : Screen(parent, 100), timer_(this) { timer_.Start(); }

    void OnStarting() override { Wait(GetFirstTime()); }
    void OnStopping() override { Wait(GetLastTime()); }

    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (!fromQueue && msg.Is<TimerMsg>() && from == static_cast<MsgSender*>(&timer_)) Finish();
        return Screen::HandleMsg(msg, from, fromQueue, queued);
    }

  private:
    void Wait(std::uint32_t ms) {
        if (ms == 0) {
            Finish();
        } else {
            timer_.StartOnce(ms);
        }
    }
    void Finish() {
        if (IsStarting()) {
            Started();
        } else if (IsStopping()) {
            Stopped();
        }
    }

    Timer timer_;
};

std::uint32_t NonNegative(std::int32_t ms) {
    return ms < 0 ? 0u : static_cast<std::uint32_t>(ms);
}

}  // namespace

RecordingPictureView::~RecordingPictureView() {
    for (auto& screen : screens) screen->RemoveReceiver(this);
}

void RecordingPictureView::PlaySegment(const SegmentRoomMsg& msg) {
    auto screen = std::make_unique<SegmentScreen>(this);
    screen->AddReceiver(this);
    ShowScreen(screen.get(), NonNegative(msg.GetStartDelay()), NonNegative(msg.GetArg3()), NonNegative(msg.GetArg4()),
               NonNegative(msg.GetLength()));
    screens.push_back(std::move(screen));
}
