#pragma once

// The interface's background animation behind every screen, and copies of a
// tile animation around it where the display is larger than the background
// picture. Stopping it turns the display's background colour black.

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Control.h"

class Animation;
class ParallelSequencer;

class BackgroundControl : public Control {
  public:
    // The view passes layer -100, strip 1200 (Intrfce.srf), background 5, tile 1.
    // The background and tile sizes are read from the strip while it is
    // loaded for the measurement.
    BackgroundControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                      std::int32_t backgroundNumber, std::int32_t tileNumber);
    ~BackgroundControl() override;

    std::size_t GetTileCount() const { return tiles_.size(); }

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    void MakeTiles();

    std::unique_ptr<Animation> background_;
    std::vector<std::unique_ptr<Animation>> tiles_;
    std::unique_ptr<ParallelSequencer> mainSequencer_;
    std::int32_t resourceId_;
    std::int32_t backgroundNumber_;
    std::int32_t tileNumber_;
    bool blackOnStop_ = true;
};
