#pragma once

// The game's chat panel: public, private, emote and system lines, the lines
// of ignored players left out, and a log of every line appended to
// RaruvedOzo.txt in the current folder (the program's).

#include <cstdint>
#include <set>
#include <string>

#include "controls/ChatBox.h"
#include "divir/xDateTime.h"
#include "divir/xFilePath.h"
#include "game/view/controls/ChatBoxLines.h"

class KeyboardCharMsg;
class PendingComposition;

class PictureChatBox : public ChatBox, public ChatBoxLines {
  public:
    // Line kinds: the colour numbers of the lines' first text item.
    static constexpr std::int32_t kPublic = 0;
    static constexpr std::int32_t kSystem = 1;
    static constexpr std::int32_t kEmote = 2;
    static constexpr std::int32_t kPrivate = 3;
    static constexpr const char* kLogPath = ".\\RaruvedOzo.txt";

    // The chat box's layout arguments, handed on with an entry of 78
    // characters and a plain list for the lines; then the name text.
    PictureChatBox(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                   std::int32_t firstItem, std::int32_t lastItem, std::int32_t openingAnimation,
                   std::int32_t closingAnimation, std::int32_t textAnimation, std::int32_t entryTextAnimation,
                   std::int32_t entryTextItem, std::int32_t reserved1, std::int32_t reserved2,
                   std::int32_t reserved3, const std::string& replyName, const std::string& nameText);
    ~PictureChatBox() override;

    // Lines; those of an ignored sender are left out, system lines never.
    void AddPublicLine(const std::string& name, const std::string& text) override;
    void AddPrivateLine(const std::string& sender, const std::string& recipient, const std::string& text) override;
    void AddMeLine(const std::string& name, const std::string& text) override;
    void AddSystemLine(const std::string& text) override;
    // The text unchanged, as a system or an emote line.
    void AddPlainSystemLine(const std::string& text) { AddLine(kSystem, text); }
    void AddPlainEmoteLine(const std::string& text) { AddLine(kEmote, text); }
    // Begins a pending composition first, then adds the row, then logs it.
    void AddLine(std::int32_t kind, const std::string& text) override;
    // Typed text is not added as a line here.
    void AddText(const std::string& text) override;

    // Names are matched whatever their letter case.
    void IgnorePlayer(const std::string& name) override;
    void UnignorePlayer(const std::string& name) override;
    bool IsIgnored(const std::string& name) override;

    // 1 on, 2 off, any other value toggles.
    void SetLogging(std::int32_t mode) override;
    // Adds the saving line, opens the log and writes every line, oldest first;
    // logging stays on.
    void SaveHistory() override;
    // Every line, oldest first, into the open log.
    virtual void WriteHistory();
    bool IsLogging() const { return log_ != 0; }

    bool HasTypedText();
    // Told to begin when the next line is added; forgotten before the call.
    void SetPendingScreen(PendingComposition* screen) { pending_ = screen; }

    void CreateListScrollBar(std::int32_t resourceId, std::int32_t a, std::int32_t b, std::int32_t c,
                             std::int32_t d, std::int32_t e, std::int32_t f, std::int32_t g, std::int32_t h,
                             std::int32_t i, std::int32_t j) override {
        CreateScrollBar(resourceId, a, b, c, d, e, f, g, h, i, j);
    }
    void Clear() override { ChatBox::Clear(); }
    void SetFlag(bool flag) override { ChatBox::SetFlag(flag); }
    void SetNameText(const std::string& name) override { nameText_ = name; }
    const std::string& GetNameText() const { return nameText_; }
    void OnKeyboardChar(const KeyboardCharMsg& msg) override { ChatBox::OnKeyboardChar(msg); }

    // Names folded to capitals (ASCII letters), any length.
    static std::string FoldName(const std::string& name);
    // "========== m/d/yyyy  h:mm =========="
    static std::string StampLine(const xDateTime& time);

  protected:
    // The local time of the stamp line.
    virtual void GetLocalTime(xDateTime& out);

  private:
    // Opens the log at its end and writes the stamp line; on failure says so
    // in a system line, leaves no error behind and stays off.
    bool OpenLog();

    std::string nameText_;
    std::set<std::string> ignored_;
    std::uint16_t log_ = 0;
    xFileSpec logPath_;
    PendingComposition* pending_ = nullptr;
};
