#pragma once

#include "framework/ProcessNode.h"
#include "framework/xRect.h"

#include <cstdint>

class AnimationService;

// A UI node and process that shows one animation (an animation number) of a
// resource file (a resource id). It is made as a child of the node that owns
// it, which also becomes its first receiver, and runs when its owner or a
// sequencer starts it.
//
// Until the animation service and the strip resources exist, this animation
// draws nothing: its cels are the rectangles filed in AnimationArt, its play
// flags are only kept, and its process completes each start and stop on the
// next pass by itself.
class Animation : public ProcessNode {
  public:
    // No service: the default animation service of the parent's root.
    Animation(UI* parent, std::int32_t resourceId, std::int32_t animationNumber,
              AnimationService* service = nullptr);
    // Leaves the parent's receiver list.
    ~Animation() override;

    // Play until stopped; hold the last frame at the end of the play.
    virtual void SetRepeatForever() { repeatForever_ = true; }
    virtual bool IsRepeatForever() { return repeatForever_; }
    virtual void SetHoldAtEnd() { holdAtEnd_ = true; }
    virtual bool IsHoldAtEnd() { return holdAtEnd_; }

    virtual std::int32_t GetCelCount();
    // The cel's rectangle relative to the animation's own top-left corner; an
    // empty rectangle for a cel the animation does not have.
    virtual xRect& GetCelRect(xRect& out, std::int32_t cel);

    std::int32_t GetResourceId() const { return resourceId_; }
    std::int32_t GetAnimationNumber() const { return animationNumber_; }

  private:
    UI* parent_;
    std::int32_t resourceId_;
    std::int32_t animationNumber_;
    bool repeatForever_ = false;
    bool holdAtEnd_ = false;
};
