#pragma once

#include "framework/XAppObject.h"

#include <array>
#include <cstdint>
#include <string>

class Animation;

// The editing side of an edit control: up to 256 characters, the caret and its
// blink. The text is shown in one text item of a text animation, the caret as
// the character 127 inserted at its place while it is visible.
class TextInput : public virtual XAppObject {
  public:
    static constexpr std::uint16_t kCapacity = 256;
    static constexpr std::uint32_t kBlinkMs = 600;
    static constexpr char kCaretGlyph = 127;

    // Empties the item and starts the blink phase; the animation is not owned.
    void Init(std::int16_t item, Animation* animation, std::uint8_t flag);
    // Held to the buffer's 256 characters.
    void SetMaxLength(std::int32_t length);
    std::uint16_t GetMaxLength() const { return maxLength_; }

    // One key: a character 32..127 or a key code of the key queue, as a signed
    // character. False when the key is ignored entirely.
    bool HandleKey(char code);
    // Empties the text; the item is rewritten at the next step.
    void Clear();
    // Caret on or off, redrawn at once.
    void SetCaretEnabled(bool on);
    // The blink step of one main-loop pass.
    void Step();
    void Redraw();

    std::string GetText() const { return std::string(text_.data(), length_); }
    std::uint16_t GetLength() const { return length_; }
    std::uint16_t GetCaret() const { return caret_; }
    bool IsCaretOn() const { return caretOn_; }
    bool IsCaretShown() const { return caretShown_; }
    bool IsDirty() const { return dirty_; }
    std::uint32_t GetNextBlink() const { return nextBlink_; }
    // The text as the item shows it.
    std::string GetShownText() const;

  private:
    void MoveByLines(std::int32_t lines);

    Animation* animation_ = nullptr;
    std::array<char, kCapacity> text_{};
    std::uint16_t length_ = 0;
    std::uint16_t maxLength_ = kCapacity;
    std::uint16_t caret_ = 0;
    std::int16_t item_ = 0;
    std::uint32_t nextBlink_ = 0;
    bool caretShown_ = false;
    bool dirty_ = false;
    bool caretOn_ = false;
    std::uint8_t flag_ = 0;
};
