#pragma once

#include "controls/ButtonControl.h"

#include <cstdint>
#include <memory>

class Animation;

// A button with a look: an optional up image, shown while the state is up, and
// a down image, shown while it is down. The button covers cel 0 of its down
// image, or of its hit-area animation when it has one, and its images draw
// where the art places them in the parent's coordinates. Its images run in a
// sequencer of their own, ahead of the repeat timer's: the button starts once
// both have started, and stops once both have stopped.
class PushButtonControl : public ButtonControl {
  public:
    // Animation number 0 means none (the down image is always there). The two
    // reserved values are not used.
    PushButtonControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                      std::int32_t reserved1, std::int32_t reserved2, std::int32_t upAnimation,
                      std::int32_t downAnimation, std::int32_t hitAreaAnimation);
    ~PushButtonControl() override;

    // Disabled, the button neither changes its state nor sends.
    void SetUp() override;
    void SetDown() override;
    void SetUpQuiet() override;
    void SetDownQuiet() override;
    // Shows the image of the state and hides the other.
    virtual void UpdateImages();

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    Animation* GetUpImage() { return up_.get(); }
    Animation* GetDownImage() { return down_.get(); }

  private:
    std::unique_ptr<ParallelSequencer> images_;
    std::unique_ptr<Animation> up_;
    std::unique_ptr<Animation> down_;
};
