#pragma once

// Stand-in for the chat box: the operations the game view calls, doing nothing. It starts and
// stops at once. The real PictureChatBox takes its place with the same name and operations.

#include <cstdint>
#include <string>

#include "framework/Control.h"
#include "game/view/controls/ChatBoxLines.h"

class KeyboardCharMsg;

class PictureChatBox : public Control, public ChatBoxLines {
  public:
    PictureChatBox(UI* parent, MsgReceiver* receiver, std::int32_t layer)
        : Control(parent, receiver, layer) {}

    void CreateListScrollBar(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t) override {}
    void AddPublicLine(const std::string& /*name*/, const std::string& /*text*/) override {}
    void AddPrivateLine(const std::string& /*sender*/, const std::string& /*recipient*/,
                        const std::string& /*text*/) override {}
    void AddMeLine(const std::string& /*name*/, const std::string& /*text*/) override {}
    void AddSystemLine(const std::string& /*text*/) override {}
    void AddLine(std::int32_t /*kind*/, const std::string& /*text*/) override {}
    bool IsIgnored(const std::string& /*name*/) override { return false; }
    void IgnorePlayer(const std::string& /*name*/) override {}
    void UnignorePlayer(const std::string& /*name*/) override {}
    void SaveHistory() override {}
    void SetLogging(std::int32_t /*mode*/) override {}
    void Clear() override {}
    void SetFlag(bool /*flag*/) override {}
    void SetNameText(const std::string& /*name*/) override {}
    void OnKeyboardChar(const KeyboardCharMsg& /*msg*/) override {}
};
