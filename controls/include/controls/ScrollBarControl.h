#pragma once

#include "framework/Control.h"
#include "framework/xRect.h"

#include <cstdint>
#include <memory>

class MouseReceiverThing;
class ParallelSequencer;
class PushButtonControl;

// The vertical scroll bar of a list. It shows where a window of page-size rows
// lies in a list of count rows and lets the player move it: the arrows move it
// by a row (repeating while held), a press on the track above or below the
// thumb by a page, and dragging the thumb to any row. It scrolls nothing
// itself: each change it makes is sent as a ScrollBarPositionMsg, and the list
// tells it the range. Reversed, position 0 is at the bottom.
//
// An invisible mouse-sensitive node over the track, two layers up, takes every
// press on the track, the thumb included; the arrows take their own. The
// arrows and the thumb run in the scroll bar's sequencer.
class ScrollBarControl : public Control {
  public:
    // Animation numbers of the resource: up, down and hit area of each arrow;
    // the thumb's (its up and down image) and its hit area; the track's (0:
    // the track runs between the arrows). The reserved value is not used.
    ScrollBarControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                     std::int32_t firstUp, std::int32_t firstDown, std::int32_t firstHitArea,
                     std::int32_t secondUp, std::int32_t secondDown, std::int32_t secondHitArea,
                     std::int32_t reserved, std::int32_t thumb, std::int32_t thumbHitArea,
                     std::int32_t track);
    ~ScrollBarControl() override;

    // A page larger than the count, or reaching past it, empties the range and
    // leaves the thumb where it is. Sends nothing.
    void SetRange(std::int32_t count, std::int32_t top, std::int32_t pageSize);
    void SetReversed() { reversed_ = true; }
    void ClearReversed() { reversed_ = false; }
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    // Places the thumb for the position.
    void UpdateThumb();
    // Offset from the top of the track (from the bottom when reversed), held to
    // the thumb's travel.
    void PlaceThumb(std::int32_t offset);

    std::int32_t GetTop() const { return top_; }
    std::int32_t GetCount() const { return count_; }
    std::int32_t GetPageSize() const { return pageSize_; }
    bool IsReversed() const { return reversed_; }
    bool IsDragging() const { return dragging_; }
    // The number of offsets the thumb can take.
    std::int32_t GetTravel() const;
    const xRect& GetTrack() const { return track_; }
    PushButtonControl& GetFirstArrow() { return *first_; }
    PushButtonControl& GetSecondArrow() { return *second_; }
    PushButtonControl& GetThumb() { return *thumb_; }
    MouseReceiverThing& GetTrackNode() { return *trackNode_; }

    void SetLayer(std::int32_t layer) override;
    void OnStarting() override;
    void OnStarted() override { UpdateThumb(); }
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    // Stores a position the scroll bar chose and sends it.
    void MoveTo(std::int32_t top);
    std::int32_t PositionAt(std::int32_t y) const;
    std::int32_t ThumbOffsetFor(std::int32_t top) const;
    void OnTrackPress(std::int32_t y);
    void OnTrackMove(std::int32_t y);
    void OnTrackRelease(std::int32_t y);

    std::shared_ptr<char> life_ = std::make_shared<char>();
    std::int32_t count_ = 0;
    std::int32_t pageSize_ = 0;
    std::int32_t top_ = 0;
    std::unique_ptr<PushButtonControl> thumb_;
    std::unique_ptr<PushButtonControl> first_;
    std::unique_ptr<PushButtonControl> second_;
    std::unique_ptr<MouseReceiverThing> trackNode_;
    xRect track_;
    xRect thumbHome_;
    bool reversed_ = false;
    std::unique_ptr<ParallelSequencer> sequencer_;
    bool dragging_ = false;
    std::int32_t grab_ = 0;
    std::int32_t lastSent_ = 0;
};
