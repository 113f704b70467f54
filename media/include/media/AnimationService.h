#pragma once

#include "framework/ExecutableSupport.h"
#include "framework/MsgReceiver.h"
#include "framework/MsgSenderForwarder.h"
#include "framework/RootAnimationService.h"
#include "framework/xPoint.h"
#include "framework/xRect.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class Animation;
class AnimationResource;
class PictureStrip;
class TextStrip;
class UIRoot;
class WindowRepaintMsg;
class XAppScenePlayer;
class XAppScreenCanvas;
class XAppSpriteEngine;
class SegmentStateMsg;

// The one object that plays animations on the screen. It owns the sprite
// engine, the scene player and the shared text and picture strips; every
// Animation registers with it and asks it to play, pause, resume and stop.
// Each pass it advances the scene player, has the sprite engine compose and
// blit, and purges the scene objects that were let go. The scene player's
// segment messages reach it at once and it hands the matching animation
// message straight to the animation.
//
// Requests for an animation that is not registered do nothing and answer
// false, 0, 0.0 or (0, 0) (IsDone answers true).
class AnimationService : public RootAnimationService,
                         public ExecutableSupport,
                         public MsgSenderForwarder,
                         public virtual MsgReceiver {
  public:
    static constexpr int kNoSceneObject = -2;
    static constexpr int kNoSegment = -1;
    static constexpr std::int32_t kMaxRepeats = 2045;

    // The root must hold the window's screen canvas (ScreenRootCanvas); otherwise,
    // or for a null root, this throws the integer 0. Depth: of the sprite
    // engine's off-screen canvas, 0 lets the engine choose. With drawing off the
    // service plays and composes but leaves the screen alone.
    AnimationService(UIRoot* root, bool drawingEnabled, int depth);
    ~AnimationService() override;
    AnimationService(const AnimationService&) = delete;
    AnimationService& operator=(const AnimationService&) = delete;

    // Makes every UI root on the screen canvas get this service, and the
    // resource service's "off4" entries get their strip resources.
    static void Install();
    static void Uninstall();

    // Scene player tick, sprite engine update, purge of released scene objects.
    void Execute() override;
    void RedrawAll(xRGB background) override;
    // Whether changed areas (and window repaints) reach the screen. Turned on,
    // the next pass puts the whole picture on the screen.
    virtual void SetDrawingEnabled(bool on);
    bool IsDrawingEnabled() const { return drawing_; }
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

    virtual void AddAnimation(Animation* animation, AnimationResource* resource);
    virtual void RemoveAnimation(Animation* animation);
    virtual bool HasAnimation(Animation* animation) const;
    virtual void UpdateFromUI(Animation* animation);
    virtual void SetMotion(Animation* animation, const xPoint& value, int first, int last);
    virtual void SetFullMotion(Animation* animation, const xPoint& value);
    virtual xPoint GetMotion(Animation* animation) const;
    virtual int GetMotionFirst(Animation* animation) const;
    virtual int GetMotionLast(Animation* animation) const;
    virtual void SetFrame(Animation* animation, int frame);
    virtual int GetFrame(Animation* animation) const;
    virtual void SetRate(Animation* animation, float rate);
    virtual float GetRate(Animation* animation) const;
    virtual void SetRepeats(Animation* animation, int repeats);
    virtual int GetRepeats(Animation* animation) const;
    virtual void SetRepeatForever(Animation* animation);
    virtual void ClearRepeatForever(Animation* animation);
    virtual bool IsRepeatForever(Animation* animation) const;
    virtual void SetHoldAtEnd(Animation* animation);
    virtual void ClearHoldAtEnd(Animation* animation);
    virtual bool IsHoldAtEnd(Animation* animation) const;
    virtual void SetReverse(Animation* animation);
    virtual void ClearReverse(Animation* animation);
    virtual bool IsReverse(Animation* animation) const;
    virtual void SetMask(Animation* animation);
    virtual void ClearMask(Animation* animation);
    virtual bool IsMask(Animation* animation) const;
    virtual void SetBakeAtEnd(Animation* animation);
    virtual void ClearBakeAtEnd(Animation* animation);
    virtual bool IsBakeAtEnd(Animation* animation) const;
    virtual void PlayAfter(Animation* next, Animation* previous);
    virtual void Play(Animation* animation);
    virtual void Pause(Animation* animation, int count);
    virtual void Resume(Animation* animation);
    virtual void Stop(Animation* animation);
    virtual void EndRepeats(Animation* animation);
    virtual bool IsQueued(Animation* animation) const;
    virtual bool HasStarted(Animation* animation) const;
    virtual bool IsPaused(Animation* animation) const;
    virtual bool IsDone(Animation* animation) const;
    virtual bool IsRepeating(Animation* animation) const;
    virtual int GetCurrentFrame(Animation* animation) const;
    virtual void RefreshCels(Animation* animation);
    virtual void AddFont(const std::string& fileName);
    virtual xRect& GetBounds(xRect& out) const;
    virtual XAppSpriteEngine* GetSpriteEngine() const { return spriteEngine_.get(); }
    virtual TextStrip* GetTextStrip() const { return textStrip_.get(); }
    virtual PictureStrip* GetPictureStrip() const { return pictureStrip_.get(); }
    virtual bool IsStripNeeded(const void*) const { return false; }
    virtual void OnWindowRepaint(const WindowRepaintMsg& msg);
    virtual void OnSegmentStarted(const SegmentStateMsg& msg);
    virtual void OnSegmentPaused(const SegmentStateMsg& msg);
    virtual void OnSegmentResumed(const SegmentStateMsg& msg);
    virtual void OnSegmentStopped(const SegmentStateMsg& msg);

    // For tests and the benchmark.
    XAppScenePlayer* GetScenePlayer() const;
    int GetSceneObject(Animation* animation) const;
    int GetSegment(Animation* animation) const;
    std::uint16_t GetSegmentFlags(Animation* animation) const;
    std::size_t GetSceneObjectEntryCount() const { return sceneObjects_.size(); }
    std::size_t GetSegmentEntryCount() const { return segments_.size(); }

  private:
    struct Record;
    class Player;

    Record* Find(Animation* animation) const;
    void GiveSceneObject(Record& record, int wanted);
    void Queue(Record& record);
    void ReleaseSceneObject(Record& record);
    void ReleaseSegment(Record& record);
    void Deliver(Animation* animation, const Msg& msg);

    std::map<Animation*, std::unique_ptr<Record>> records_;
    std::multimap<int, Record*> sceneObjects_;
    std::map<int, Record*> segments_;
    // Segments of removed animations still in the scene player: their messages
    // are dropped.
    std::map<int, bool> orphans_;
    UIRoot* root_;
    XAppScreenCanvas* canvas_ = nullptr;
    std::unique_ptr<XAppSpriteEngine> spriteEngine_;
    std::unique_ptr<Player> scenePlayer_;
    std::unique_ptr<TextStrip> textStrip_;
    std::unique_ptr<PictureStrip> pictureStrip_;
    bool drawing_;
};
