#include "game/view/controls/BackgroundControl.h"

#include <cmath>

#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/UIRoot.h"
#include "framework/xRGB.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "sequencers/ParallelSequencer.h"

namespace {

// The animation's largest cel, measured with its strip held loaded (a strip
// answers its cels' sizes only while loaded).
xRect MeasureCels(Animation& animation) {
    xRect bounds;
    AnimationResource* resource = animation.GetResource();
    if (resource == nullptr) return bounds;
    resource->Load();
    animation.GetCelBounds(bounds);
    resource->Unload();
    return bounds;
}

}  // namespace

BackgroundControl::BackgroundControl(UI* parent, MsgReceiver* receiver, std::int32_t layer,
                                     std::int32_t resourceId, std::int32_t backgroundNumber,
                                     std::int32_t tileNumber)
    : Control(parent, receiver, layer),
      resourceId_(resourceId),
      backgroundNumber_(backgroundNumber),
      tileNumber_(tileNumber) {
    background_ = std::make_unique<Animation>(this, resourceId_, backgroundNumber_);
    // Background and tiles end on their last cel and stay drawn, so the
    // sequencer has stopped by the time the control is started again.
    background_->SetBakeAtEnd();
    background_->SetLayer(GetLayer());
    mainSequencer_ = std::make_unique<ParallelSequencer>(this);
    mainSequencer_->Add(background_.get());
    MakeTiles();
}

BackgroundControl::~BackgroundControl() {
    mainSequencer_.reset();
    tiles_.clear();
    background_.reset();
}

void BackgroundControl::MakeTiles() {
    const UIRoot* root = dynamic_cast<UIRoot*>(GetRoot());
    if (root == nullptr) return;
    const xRect area = const_cast<UIRoot*>(root)->GetCanvas()->GetFrameRect();
    const xRect backgroundBounds = MeasureCels(*background_);
    xRect tileBounds;
    {
        Animation probe(this, resourceId_, tileNumber_);
        tileBounds = MeasureCels(probe);
    }
    const std::int16_t areaWidth = area.Width();
    const std::int16_t areaHeight = area.Height();
    const std::int16_t width = backgroundBounds.Width();
    const std::int16_t height = backgroundBounds.Height();
    const std::int16_t tileWidth = tileBounds.Width();
    const std::int16_t tileHeight = tileBounds.Height();
    // Tiles only where the display is larger than the background, and only
    // with a tile that has a size: a missing tile measures 0 x 0.
    if (areaWidth <= width && areaHeight <= height) return;
    if (tileWidth <= 0 || tileHeight <= 0) return;

    const int cols = width / tileWidth;
    const int rows = height / tileHeight;
    const int mx = static_cast<int>(std::ceil((areaWidth - width) / (2.0 * tileWidth)));
    const int my = static_cast<int>(std::ceil((areaHeight - height) / (2.0 * tileHeight)));
    for (int i = -mx; i < cols + mx; ++i) {
        for (int j = -my; j < rows + my; ++j) {
            if (i >= 0 && i < cols && j >= 0 && j < rows) continue;
            auto tile = std::make_unique<Animation>(this, resourceId_, tileNumber_);
            tile->SetBakeAtEnd();
            tile->SetLayer(GetLayer());
            tile->MoveBy(
                xPoint{static_cast<std::int16_t>(i * tileWidth), static_cast<std::int16_t>(j * tileHeight)});
            mainSequencer_->Add(tile.get());
            tiles_.push_back(std::move(tile));
        }
    }
}

// A background stopped and started again before its animations have played
// to their end still has its sequencer running: that one is stopped first and
// started anew once it reports stopped.
void BackgroundControl::OnStarting() {
    if (mainSequencer_->IsStopped()) {
        mainSequencer_->Start();
    } else if (!mainSequencer_->IsStopping()) {
        mainSequencer_->Stop();
    }
}

void BackgroundControl::OnStopping() {
    if (blackOnStop_) {
        if (auto* root = dynamic_cast<UIRoot*>(GetRoot())) root->SetBackgroundColour(xRGB{0, 0, 0});
    }
    DefaultOnStopping();
}

std::int32_t BackgroundControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const bool started = msg.Is<StartedMsg>();
    if ((started || msg.Is<StoppedMsg>()) && from == static_cast<MsgSender*>(mainSequencer_.get())) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (IsStarting()) {
            // The sequencer a restart had to stop starts anew.
            if (started) {
                DefaultOnStarting();
            } else if (mainSequencer_->IsStopped()) {
                mainSequencer_->Start();
            }
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
