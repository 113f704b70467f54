#include "game/view/controls/NameAndScoreControl.h"

#include <string>

#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"

NameAndScoreControl::NameAndScoreControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
    : Control(parent, receiver, layer) {
    nameBoard_ = std::make_unique<Animation>(this, kStrip, kBoardNumber);
    nameBoard_->SetHoldAtEnd();
    scorePanel_ = std::make_unique<Animation>(this, kStrip, kPanelNumber);
    scorePanel_->SetHoldAtEnd();
    scorePanel_->SetLayer(GetLayer() + 1);
}

NameAndScoreControl::~NameAndScoreControl() {
    scorePanel_.reset();
    nameBoard_.reset();
}

void NameAndScoreControl::SetNameAndScore(const std::string& name, std::int32_t score) {
    name_ = name;
    score_ = score;
}

void NameAndScoreControl::SetScore(std::int32_t score) {
    score_ = score;
    scorePanel_->SetText(kScoreField, std::to_string(score));
    scorePanel_->Show();
}

void NameAndScoreControl::OnStarting() {
    nameBoard_->Start();
    nameBoard_->Show();
    scorePanel_->Hide();
    nameBoard_->SetText(kNameField, name_);
    nameBoard_->SetText(kScoreField, std::to_string(score_));
}

void NameAndScoreControl::OnStopping() {
    nameBoard_->Hide();
    scorePanel_->Hide();
    nameBoard_->Stop();
}

std::int32_t NameAndScoreControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const bool fromBoard = from == static_cast<MsgSender*>(nameBoard_.get());
    const bool fromPanel = from == static_cast<MsgSender*>(scorePanel_.get());
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    if ((started || stopped) && (fromBoard || fromPanel)) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (started && fromBoard) {
            scorePanel_->Start();
        } else if (started && fromPanel) {
            if (IsStarting()) DefaultOnStarting();
        } else if (stopped && fromBoard) {
            // A panel that has already ended reports nothing more.
            if (scorePanel_->IsStarted() || scorePanel_->IsPaused()) {
                scorePanel_->Stop();
            } else if (scorePanel_->IsStopped() && IsStopping()) {
                DefaultOnStopping();
            }
        } else if (stopped && fromPanel) {
            if (IsStopping()) DefaultOnStopping();
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
