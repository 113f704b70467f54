#include "controls/TextInput.h"

#include "framework/AppTime.h"
#include "media/Animation.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kBackspace = 8;
constexpr char kTab = 9;
constexpr char kEnter = 13;
constexpr char kUp = 16;
constexpr char kDown = 17;
constexpr char kLeft = 18;
constexpr char kRight = 19;
constexpr char kPageUp = 20;
constexpr char kPageDown = 21;
constexpr char kInsert = 22;
constexpr char kDelete = 23;
constexpr char kHome = 24;
constexpr char kEnd = 25;

}  // namespace

void TextInput::Init(std::int16_t item, Animation* animation, std::uint8_t flag) {
    item_ = item;
    animation_ = animation;
    flag_ = flag;
    if (animation_ != nullptr) {
        animation_->SetText(item_, std::string());
    }
    maxLength_ = kCapacity;
    nextBlink_ = GetAppTime() + kBlinkMs;
}

void TextInput::SetMaxLength(std::int32_t length) {
    maxLength_ = static_cast<std::uint16_t>(std::clamp<std::int32_t>(length, 0, kCapacity));
}

bool TextInput::HandleKey(char code) {
    switch (code) {
        case kBackspace:
            if (caret_ > 0) {
                --caret_;
                std::memmove(&text_[caret_], &text_[caret_ + 1u], length_ - caret_ - 1u);
                --length_;
            }
            break;
        case kDelete:
            if (caret_ < length_) {
                std::memmove(&text_[caret_], &text_[caret_ + 1u], length_ - caret_ - 1u);
                --length_;
            }
            break;
        case kLeft:
            if (caret_ > 0) {
                --caret_;
            }
            break;
        case kRight:
            if (caret_ < length_) {
                ++caret_;
            }
            break;
        case kHome:
            caret_ = 0;
            break;
        case kEnd:
            caret_ = length_;
            break;
        case kUp:
            MoveByLines(-1);
            break;
        case kDown:
            MoveByLines(1);
            break;
        case kPageUp:
            MoveByLines(-16);
            break;
        case kPageDown:
            MoveByLines(16);
            break;
        case kTab:
        case kEnter:
        case kInsert:
            return false;
        default:
            // Other control codes, and 128..255 (negative as a signed character).
            if (code < 32) {
                return false;
            }
            if (length_ < maxLength_ && length_ < kCapacity) {
                std::memmove(&text_[caret_ + 1u], &text_[caret_], length_ - caret_);
                text_[caret_] = code;
                ++caret_;
                ++length_;
            }
            break;
    }
    caretShown_ = true;
    nextBlink_ = GetAppTime() + kBlinkMs;
    dirty_ = true;
    return true;
}

// The text strip measures its caret columns on the text without the caret
// glyph; a position past the end (a line that wrapped at spaces) is held to
// the text.
void TextInput::MoveByLines(std::int32_t lines) {
    if (animation_ == nullptr) {
        return;
    }
    const int position = animation_->GetTextStripEntry(item_, lines);
    if (position >= 0) {
        caret_ = static_cast<std::uint16_t>(std::min<int>(position, length_));
    }
}

void TextInput::Clear() {
    length_ = 0;
    caret_ = 0;
    dirty_ = true;
}

void TextInput::SetCaretEnabled(bool on) {
    nextBlink_ = 0;
    caretShown_ = false;
    caretOn_ = on;
    dirty_ = true;
    Redraw();
}

void TextInput::Step() {
    const std::uint32_t now = GetAppTime();
    if (caretOn_ && static_cast<std::int32_t>(now - nextBlink_) > 0) {
        nextBlink_ = now + kBlinkMs;
        caretShown_ = !caretShown_;
        dirty_ = true;
    }
    if (dirty_ && animation_ != nullptr) {
        Redraw();
        dirty_ = false;
    }
}

std::string TextInput::GetShownText() const {
    if (!(caretShown_ && caretOn_)) {
        return GetText();
    }
    if (length_ == 0) {
        return std::string{kCaretGlyph, ' '};
    }
    std::string shown(text_.data(), caret_);
    shown += kCaretGlyph;
    shown.append(text_.data() + caret_, length_ - caret_);
    return shown;
}

void TextInput::Redraw() {
    if (animation_ == nullptr) {
        return;
    }
    animation_->SetText(item_, GetShownText());
    animation_->Redraw();
}
