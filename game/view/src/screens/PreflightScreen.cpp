#include "game/view/screens/PreflightScreen.h"

#include "controls/ButtonClickedMsg.h"
#include "controls/LocalOriginChatMsg.h"
#include "controls/PushButtonControl.h"
#include "framework/ActOnDrain.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/view/PictureView.h"
#include "game/view/controls/PictureControl.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sequencers/StopSequencer.h"

namespace {

// CPanel.srf and its two arrow buttons.
constexpr std::int32_t kPanelId = 2000;
constexpr std::int32_t kNextAnimation = 45;
constexpr std::int32_t kPreviousAnimation = 40;
constexpr std::int32_t kButtonLayer = 15;
constexpr xPoint kButtonOffset{0, -15};

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

}  // namespace

PreflightScreen::PreflightScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : OwnTimesScreen(parent, layer, Total::kSegment), shared_(shared) {
    main_ = std::make_unique<ParallelSequencer>(this);
    startSequence_ = std::make_unique<StartSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    const auto button = [this](std::int32_t number) {
        auto b = std::make_unique<PushButtonControl>(this, this, kButtonLayer, kPanelId, 0, 0, 0, number, 0);
        b->MoveBy(kButtonOffset);
        b->Hide();
        return b;
    };
    next_ = button(kNextAnimation);
    previous_ = button(kPreviousAnimation);
    main_->Add(startSequence_.get());
    main_->Add(next_.get());
    main_->Add(previous_.get());
    stopper_->Add(main_.get());
    stopper_->Add(Shared(kPictureSlot));
}

PreflightScreen::~PreflightScreen() {
    if (Control* picture = Shared(kPictureSlot)) picture->RemoveReceiver(this);
    stopper_.reset();
    main_.reset();
    startSequence_.reset();
    previous_.reset();
    next_.reset();
}

void PreflightScreen::OnStarting() {
    Control* picture = Shared(kPictureSlot);
    if (picture != nullptr) picture->AddReceiver(this);
    for (SharedControl slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot, kPictureSlot}) {
        if (Control* c = Shared(slot)) c->Show();
    }
    for (SharedControl slot : {kTimerSlot, kRoundIndicatorSlot, kCaptionsSlot, kFatChanceSlot, kNameAndScoreSlot}) {
        if (Control* c = Shared(slot)) c->Hide();
    }
    startSequence_->Clear();
    // The start sequence takes only stopped children.
    for (SharedControl slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        if (Control* c = Shared(slot)) startSequence_->Add(c);
    }
    if (auto* control = dynamic_cast<PictureControl*>(picture);
        control != nullptr && control->GetCurrentPictureId() != 0 && control->IsStopped()) {
        control->SetInstant();
        control->SetMode(0);
        startSequence_->Add(control);
    }
    next_->Show();
    previous_->Show();
    if (Control* chat = Shared(kChatBoxSlot)) chat->OnGainedKeyboardFocus();
    main_->Start();
}

void PreflightScreen::OnStopping() {
    next_->Hide();
    previous_->Hide();
    stopper_->Start();
}

std::int32_t PreflightScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    const bool clicked = msg.Is<ButtonClickedMsg>();
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, main_)) && IsStarting()) ProcessForwarder::OnStarting();
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, stopper_)) && IsStopping()) {
        if (Control* picture = Shared(kPictureSlot)) picture->RemoveReceiver(this);
        ProcessForwarder::OnStopping();
    }
    if (wanted(clicked && IsFrom(from, next_))) Send(LocalOriginChatMsg("/n"));
    if (wanted(clicked && IsFrom(from, previous_))) Send(LocalOriginChatMsg("/p"));
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
