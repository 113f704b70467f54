#pragma once

// What the game view asks of its chat box: the lines of each kind, the ignore
// set, logging, and the keys. PictureChatBox implements it.

#include <cstdint>
#include <string>

class KeyboardCharMsg;

class ChatBoxLines {
  public:
    virtual ~ChatBoxLines() = default;
    // The view's set-up right after making the chat box: the scroll bar of its
    // lines, which the chat box passes on to its list.
    virtual void CreateListScrollBar(std::int32_t resourceId, std::int32_t a, std::int32_t b, std::int32_t c,
                                     std::int32_t d, std::int32_t e, std::int32_t f, std::int32_t g,
                                     std::int32_t h, std::int32_t i, std::int32_t j) = 0;
    virtual void AddPublicLine(const std::string& name, const std::string& text) = 0;
    virtual void AddPrivateLine(const std::string& sender, const std::string& recipient,
                                const std::string& text) = 0;
    virtual void AddMeLine(const std::string& name, const std::string& text) = 0;
    virtual void AddSystemLine(const std::string& text) = 0;
    // The text unchanged, as a line of that kind (0 public, 1 system, 2 emote, 3 private).
    virtual void AddLine(std::int32_t kind, const std::string& text) = 0;
    virtual bool IsIgnored(const std::string& name) = 0;
    virtual void IgnorePlayer(const std::string& name) = 0;
    virtual void UnignorePlayer(const std::string& name) = 0;
    virtual void SaveHistory() = 0;
    // 1 on, 2 off, any other value toggles.
    virtual void SetLogging(std::int32_t mode) = 0;
    // Empties the edit line and the lines.
    virtual void Clear() = 0;
    // The room's language-filter flag.
    virtual void SetFlag(bool flag) = 0;
    virtual void SetNameText(const std::string& name) = 0;
    virtual void OnKeyboardChar(const KeyboardCharMsg& msg) = 0;
};
