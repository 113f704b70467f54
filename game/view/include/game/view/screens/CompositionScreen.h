#pragma once

// The composition segment's screen: every player sees the round's picture and
// writes a caption for it, on one line or, in the two-line round, on two. It
// runs the round's music and countdown, checks each entered caption (trimmed,
// not empty, changed, the language filter where the room asks for it, line
// one present) and sends it as a CompRoomMsg to its receivers (the view).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "game/view/screens/OwnTimesScreen.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"
#include "game/view/controls/PendingComposition.h"

class Animation;
class EditControl;
class Music;
class SerialSequencer;
class SerialStartSequencer;
class Sfx;
class StopSequencer;

class CompositionScreen : public OwnTimesScreen, public PendingComposition {
  public:
    // Round types: 2 is the two-line round.
    static constexpr std::int32_t kTwoLineRound = 2;
    static constexpr std::int32_t kTracks = 13;

    CompositionScreen(UI* parent, std::int32_t layer, SharedControls* shared, PictureRoom* room);
    ~CompositionScreen() override;

    virtual void SetStartComp(const StartCompRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartCompRoomMsg>& GetStartComp() const { return start_; }

    // Own times: the middle is what is left of the segment for writing.
    void OnKeyboardChar(const KeyboardCharMsg& msg) override;
    void OnGainedKeyboardFocus() override;
    void OnLostKeyboardFocus() override;

    // Hands the keyboard from the chat box to the first caption field.
    void BeginComposition() override;
    // The one way a caption leaves: the effect, CompRoomMsg(-1, one, two) to
    // the receivers, and the caption shown as sent.
    virtual void SubmitCaption(const std::string& lineOne, const std::string& lineTwo);

    void OnStarting() override;
    void OnStarted() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // Everything before the first and after the last character that is not
    // a space goes.
    static std::string Trim(const std::string& text);

    // For tests.
    bool IsComposing() const { return composing_; }
    bool IsOnLineTwo() const { return onLineTwo_; }
    bool IsEntryEnabled() const { return entryEnabled_; }
    const std::string& GetLineOne() const { return lineOne_; }
    const std::string& GetLineTwo() const { return lineTwo_; }
    EditControl* GetCaptionEdit() const { return captionEdit_.get(); }
    EditControl* GetLineOneEdit() const { return lineOneEdit_.get(); }
    EditControl* GetLineTwoEdit() const { return lineTwoEdit_.get(); }
    Animation* GetOneLineSentAnimation() const { return oneLineSent_.get(); }
    Animation* GetTwoLineSentAnimation() const { return twoLineSent_.get(); }
    Music* GetInstrumentalLoop() const { return loop_.get(); }
    Music* GetTrack(std::int32_t index) const { return tracks_.at(static_cast<std::size_t>(index)).get(); }
    Music* GetRepeatTrack(std::int32_t index) const { return repeats_.at(static_cast<std::size_t>(index)).get(); }
    Sfx* GetCaptionEnteredEffect() const { return entered_.get(); }
    SerialSequencer* GetMusicSequencer() const { return music_.get(); }

  private:
    Control* Shared(SharedControl slot) const { return shared_ != nullptr ? (*shared_)[slot] : nullptr; }
    bool IsTwoLine() const;
    EditControl* FirstField() const;
    EditControl* ActiveField() const;
    Animation* SentAnimation() const;
    void ChatLoses();
    void ChatGains();
    void ClearPending();
    // The text a listed word in it gives, or none (a room without the filter
    // accepts every word).
    std::optional<std::string> Refusal(const std::string& text) const;
    void HostLine(const std::string& text);
    void OneLineEntered(const std::string& text);
    void LineOneEntered(const std::string& text);
    void LineTwoEntered(const std::string& text);
    void StartFinished();
    void Expired();
    // A press on a caption field or the chat box.
    void Pressed(EditControl* field);
    void ChatPressed();
    void Subscribe(bool on);

    std::unique_ptr<SerialStartSequencer> startSequence_;
    std::unique_ptr<SerialSequencer> music_;
    std::unique_ptr<StopSequencer> stopper_;
    Control* focused_ = nullptr;
    std::unique_ptr<EditControl> captionEdit_;
    std::unique_ptr<EditControl> lineOneEdit_;
    std::unique_ptr<EditControl> lineTwoEdit_;
    std::unique_ptr<Animation> oneLineSent_;
    std::unique_ptr<Animation> twoLineSent_;
    std::unique_ptr<Music> loop_;
    std::array<std::unique_ptr<Music>, kTracks> tracks_;
    std::array<std::unique_ptr<Music>, 4> repeats_;
    std::unique_ptr<Sfx> entered_;
    bool composing_ = false;
    bool onLineTwo_ = false;
    bool entryEnabled_ = false;
    SharedControls* shared_;
    std::optional<StartCompRoomMsg> start_;
    PictureRoom* room_;
    std::string lineOne_;
    std::string lineTwo_;
    bool subscribed_ = false;
};
