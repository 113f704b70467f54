#pragma once

#include "framework/Control.h"
#include "framework/Executable.h"

#include <cstdint>
#include <memory>
#include <string>

class Animation;
class ExecutableSupport;
class KeyboardCharMsg;
class MouseReceiverThing;
class TextInput;

// The one-line text entry field. It draws through art: the text is shown in one
// text item of a text animation and the blinking caret is a character inserted
// into it. Keys come from the owner; Enter sends EditControlTextEnteredMsg with
// the whole text and leaves the field as it is (its owner decides). A press on
// the field is passed on to the receivers, so the owner can give it the focus.
class EditControl : public Control, public virtual Executable {
  public:
    // Animation numbers 0 mean none; the maximum length is held to 256.
    EditControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t textAnimation,
                std::int32_t textItem, std::int32_t resourceId, std::int32_t openingAnimation,
                std::int32_t closingAnimation, std::int32_t maxLength, std::uint8_t flag);
    ~EditControl() override;

    void Enable() override;
    void Disable() override;
    // The caret shows while the field has the keyboard.
    void OnLostKeyboardFocus() override;
    void OnGainedKeyboardFocus() override;

    virtual std::string GetText() const;
    virtual std::uint16_t GetTextLength() const;
    // Types each character at the caret; an empty text clears the field.
    virtual void SetText(const char* text);
    virtual void ClearText();
    virtual void OnKeyboardChar(const KeyboardCharMsg& msg);
    virtual void StartCursor();
    virtual void StopCursor();
    virtual bool IsCursorRunning() const;

    TextInput& GetInput() { return *input_; }
    Animation& GetTextAnimation() { return *text_; }
    MouseReceiverThing& GetHitArea() { return *hitArea_; }

    void OnStarting() override;
    void OnStarted() override { StartCursor(); }
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;
    // The blink step.
    void Execute() override;

  private:
    bool AllStopped() const;

    std::shared_ptr<char> life_ = std::make_shared<char>();
    std::unique_ptr<ExecutableSupport> executable_;
    std::unique_ptr<MouseReceiverThing> hitArea_;
    std::unique_ptr<Animation> opening_;
    std::unique_ptr<Animation> closing_;
    std::unique_ptr<Animation> text_;
    std::unique_ptr<TextInput> input_;
};
