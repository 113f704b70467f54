#pragma once

#include "framework/ProcessNode.h"
#include "framework/xPoint.h"
#include "framework/xRGB.h"
#include "framework/xRect.h"

#include <cstdint>
#include <memory>
#include <string>

class AnimationResource;
class AnimationService;

// A UI node and process that plays one animation of an "off4" strip on the
// screen. It draws nothing itself: it registers with the animation service of
// its UI root, which queues its cels on the scene player, and it turns the
// service's animation messages into its own process state changes, within
// the pass in which the scene player reports them. Its parent is its first
// receiver. Without a real animation service it cannot be made (the integer 0
// is thrown).
class Animation : public ProcessNode {
  public:
    static constexpr double kFrameRate = 15.0;

    // Animation `animationNumber` (its first cel) of the "off4" strip catalogued
    // under `resourceId`; no service: the parent's root's.
    Animation(UI* parent, std::int32_t resourceId, std::int32_t animationNumber,
              AnimationService* service = nullptr);
    // On a resource made elsewhere, not owned.
    Animation(UI* parent, AnimationResource* resource, AnimationService* service = nullptr);
    ~Animation() override;

    // Process: the request first (a refused one throws), then the service.
    void Start() override;
    void Pause() override;
    void Resume() override;
    void Stop() override;
    bool IsPausable() const override { return true; }
    void OnStarting() override {}
    void OnStarted() override {}
    void OnPausing() override {}
    void OnPaused() override {}
    void OnResuming() override {}
    void OnStopping() override {}
    void OnStopped() override {}

    // UI: brings the sprite up to date with the node first.
    void Redraw() override;

    // Queue: the animation takes its messages at once.
    std::int32_t HandleMsg(const Msg&, MsgSender*, bool, bool) override { return 0; }
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

    virtual AnimationResource* GetResource() const { return resource_; }
    virtual void PlayAfter(Animation* previous);
    virtual bool IsQueued();
    virtual void SetMotion(const xPoint& value, int first, int last);
    virtual void SetFullMotion(const xPoint& value);
    virtual xPoint GetMotion();
    virtual int GetMotionFirst();
    virtual int GetMotionLast();
    virtual void SetText(int item, const std::string& text);
    virtual void LoadPictureFromMemory(const void* data, int size);
    virtual void LoadPicture(const std::string& fileName);
    virtual void SetItemColour(int item, const xRGB& colour);
    virtual void SetItemColourFromPalette(int item, int index);
    virtual void SetItemSecondColour(int item, const xRGB& colour);
    virtual xRGB& GetItemPaletteColour(xRGB& out, int item, int index);
    // The caret column of the text strip's caret line + index (the character
    // position a caret moved by index lines lands on); -1 when no text with a
    // caret has been laid out. The first argument is not read.
    virtual int GetTextStripEntry(int first, int index);
    virtual void EndRepeats();
    // The item's background colour; TextStripItem::kNoBackground for none. Its
    // background rectangle stays as it is.
    void SetItemBackColour(int item, const xRGB& colour);
    virtual bool IsRepeating();
    virtual void SetFrame(int frame);
    virtual int GetFrame();
    virtual void SetRate(float rate);
    virtual float GetRate();
    virtual void SetRepeats(int repeats);
    virtual int GetRepeats();
    virtual void SetRepeatForever();
    virtual void ClearRepeatForever();
    virtual bool IsRepeatForever();
    virtual void SetHoldAtEnd();
    virtual void ClearHoldAtEnd();
    virtual bool IsHoldAtEnd();
    virtual void SetReverse();
    virtual void ClearReverse();
    virtual bool IsReverse();
    virtual void SetMask();
    virtual void ClearMask();
    virtual bool IsMask();
    virtual void SetBakeAtEnd();
    virtual void ClearBakeAtEnd();
    virtual bool IsBakeAtEnd();
    virtual int GetCurrentFrame();
    virtual std::int32_t GetCelCount();
    // Rectangles relative to the animation's own top-left corner.
    virtual xRect& GetCelRect(xRect& out, std::int32_t cel);
    virtual xRect& GetCelPartRect(xRect& out, std::int32_t cel, std::int32_t part);
    virtual xRect& GetCelBounds(xRect& out);
    virtual xRect& GetUnionRect(xRect& out);
    // Moves the node so that the cel's (or part's) top-left corner lands on the point.
    virtual void PlaceCelAt(std::int32_t cel, const xPoint& target);
    virtual xRect& GetCelRectOnScreen(xRect& out, std::int32_t cel);
    virtual void PlaceCelPartAt(std::int32_t cel, std::int32_t part, const xPoint& target);
    virtual xRect& GetCelPartRectOnScreen(xRect& out, std::int32_t cel, std::int32_t part);
    virtual void NotifyStarted();
    virtual void NotifyPaused();
    virtual void NotifyResumed();
    virtual void NotifyStopped();
    virtual void OnResourceUnlockRequest() {}
    virtual void OnResourceLockRequest() {}

    AnimationService* GetService() const { return service_; }

  private:
    void Register(UI* parent, AnimationService* service);
    void Refresh();

    UI* parent_;
    AnimationService* service_ = nullptr;
    AnimationResource* resource_ = nullptr;
    std::unique_ptr<AnimationResource> ownResource_;
    // A Pause made while the segment was still waiting: held as it starts.
    bool earlyPause_ = false;
};
