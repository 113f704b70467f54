#pragma once

// The Dar Eradar board: ten swatches of Chance.srf, each hidden or already
// turned over to show one of nine values. In the selection segment the round
// winner picks a swatch by a click or by "/f"; the pick plays and the control
// tells its receivers FatChanceSelectionRoomMsg (-1, swatch). In the results
// segment it turns the chosen swatch over and tells them
// FatChanceControlRevealDoneMsg once that has played.
//
// The board comes from the room: at most ten entries are kept (missing
// swatches stay hidden, extra entries are dropped), a value outside 0-8 lies
// face down, and a chosen index that names no swatch picks nothing and
// reveals nothing (the reveal reports done at once).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/CloneableMsg.h"
#include "framework/Control.h"
#include "game/view/controls/ChatBoxLines.h"
#include "net/FatChanceEntry.h"

class Animation;
class MouseReceiverThing;
class ParallelSequencer;
class SerialSequencer;
class Sfx;
class StopSequencer;

class FatChanceControlRevealDoneMsg : public CloneableMsg<FatChanceControlRevealDoneMsg> {};

class FatChanceControl : public Control {
  public:
    static constexpr std::int32_t kStrip = 1500;  // Chance.srf
    static constexpr std::int32_t kSwatches = 10;
    static constexpr std::int32_t kValues = 9;
    static constexpr std::int32_t kTurnSound = 1062;  // SwatchDownTurn.srf
    static constexpr std::int32_t kPickSound = 1063;  // SwatchSelected.srf

    FatChanceControl(UI* parent, MsgReceiver* receiver, std::int32_t layer);
    ~FatChanceControl() override;

    // The selection segment's board: whether the local player is the round
    // winner, the preset pick and the entries (copied).
    virtual void SetBoard(bool mayChoose, std::int32_t chosen, const std::vector<FatChanceEntry>& board);
    // The results segment's board and chosen swatch.
    virtual void SetResult(std::int32_t chosen, const std::vector<FatChanceEntry>& board);
    virtual void SetChosen(std::int32_t chosen);
    // Lays the board out for picking: hidden swatches arrive and light up.
    virtual void BuildSelection();
    // Picks the chosen swatch. A chat box (a typed command) gets the refusals;
    // a non-zero send tells the receivers.
    virtual void Choose(ChatBoxLines* chatBox, std::int32_t send);
    // A pick has been played since the last start.
    virtual bool HasChosen();
    // Turns the chosen swatch over.
    virtual void Reveal();

    bool MayChoose() const { return mayChoose_; }
    std::int32_t GetChosen() const { return chosen_; }
    // The kept entries, at most ten, in swatch order.
    const std::vector<FatChanceEntry>& GetEntries() const { return entries_; }
    // The chosen index names a swatch of the board.
    bool IsChosenOnBoard() const;

    // The parts, for tests and read-backs; i is 0-9, k 0-8 (null outside).
    Animation* GetBoard() const { return board_.get(); }
    Animation* GetFaceUp(std::int32_t i) const;
    Animation* GetHighlight(std::int32_t i) const;
    Animation* GetFaceDown(std::int32_t i) const;
    Animation* GetArrival(std::int32_t i) const;
    Animation* GetPicked(std::int32_t i) const;
    Animation* GetReveal(std::int32_t i, std::int32_t k) const;
    Animation* GetShown(std::int32_t i, std::int32_t k) const;
    MouseReceiverThing* GetHitArea(std::int32_t i) const;
    Sfx* GetTurnSound() const { return turnSound_.get(); }
    Sfx* GetPickSound() const { return pickSound_.get(); }
    ParallelSequencer* GetPickSequence() const { return pickSequence_.get(); }
    ParallelSequencer* GetRevealSequence() const { return revealSequence_.get(); }
    ParallelSequencer* GetBoardSequence() const { return boardSequence_.get(); }
    Animation* GetLastHighlight() const { return lastHighlight_; }

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    struct Swatch {
        std::unique_ptr<Animation> arrival;  // none for swatch 0
        std::unique_ptr<Animation> faceUp;
        std::unique_ptr<Animation> highlight;
        std::unique_ptr<Animation> faceDown;
        std::unique_ptr<Animation> picked;
        std::array<std::unique_ptr<Animation>, kValues> reveal;
        std::array<std::unique_ptr<Animation>, kValues> shown;
        std::unique_ptr<SerialSequencer> sequence;
        std::unique_ptr<MouseReceiverThing> hitArea;
    };

    void Click(std::int32_t swatch);
    void SetEntries(const std::vector<FatChanceEntry>& board);
    // The entry's value when it is one of the nine, else -1.
    std::int32_t ValueOf(std::int32_t swatch) const;

    std::unique_ptr<ParallelSequencer> faceDownSequence_;
    std::unique_ptr<ParallelSequencer> revealSequence_;
    std::unique_ptr<ParallelSequencer> boardSequence_;
    std::unique_ptr<ParallelSequencer> pickSequence_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<Animation> board_;
    std::unique_ptr<Sfx> turnSound_;
    std::unique_ptr<Sfx> pickSound_;
    std::array<Swatch, kSwatches> swatches_;

    std::vector<FatChanceEntry> entries_;
    std::int32_t chosen_ = -1;
    bool mayChoose_ = false;
    Animation* lastHighlight_ = nullptr;
    Animation* currentReveal_ = nullptr;
};
