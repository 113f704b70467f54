#include "game/view/controls/PictureChatBox.h"

#include <cstdio>

#include "controls/EditControl.h"
#include "controls/ListControl.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "divir/xUtilities.h"
#include "game/view/controls/PendingComposition.h"

namespace {

// The entry's limit in characters.
constexpr std::int32_t kEntryLength = 78;

}  // namespace

PictureChatBox::PictureChatBox(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                               std::int32_t firstItem, std::int32_t lastItem, std::int32_t openingAnimation,
                               std::int32_t closingAnimation, std::int32_t textAnimation,
                               std::int32_t entryTextAnimation, std::int32_t entryTextItem,
                               std::int32_t reserved1, std::int32_t reserved2, std::int32_t reserved3,
                               const std::string& replyName, const std::string& nameText)
    : ChatBox(parent, receiver, layer, resourceId, firstItem, lastItem, openingAnimation, closingAnimation,
              textAnimation, entryTextAnimation, entryTextItem, reserved1, reserved2, reserved3, replyName,
              kEntryLength, false),
      nameText_(nameText),
      logPath_(kLogPath) {}

PictureChatBox::~PictureChatBox() {
    if (log_ != 0) {
        xTry([&] { xFileClose(log_); });
        log_ = 0;
        xErrorCode = 0;
    }
}

std::string PictureChatBox::FoldName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

std::string PictureChatBox::StampLine(const xDateTime& time) {
    char line[96];
    std::snprintf(line, sizeof line, "========== %d/%d/%d  %d:%02d ==========", time.month, time.day, time.year,
                  time.hour, time.minute);
    return line;
}

void PictureChatBox::GetLocalTime(xDateTime& out) {
    xGetDateTime(out);
}

void PictureChatBox::AddPublicLine(const std::string& name, const std::string& text) {
    if (IsIgnored(name)) return;
    AddLine(kPublic, "<" + name + ">: " + text);
}

void PictureChatBox::AddPrivateLine(const std::string& sender, const std::string& recipient,
                                    const std::string& text) {
    if (IsIgnored(sender)) return;
    AddLine(kPrivate, "<" + sender + ">: PRIVATE MSG TO " + recipient + ": " + text);
}

void PictureChatBox::AddMeLine(const std::string& name, const std::string& text) {
    if (IsIgnored(name)) return;
    AddLine(kEmote, "** " + name + " " + text);
}

void PictureChatBox::AddSystemLine(const std::string& text) {
    AddLine(kSystem, "<Veda>: " + text);
}

void PictureChatBox::AddLine(std::int32_t kind, const std::string& text) {
    if (PendingComposition* screen = pending_) {
        pending_ = nullptr;
        screen->BeginComposition();
    }
    ChatBox::AddLine(kind, text);
    if (log_ != 0) xFileWriteLine(log_, text.c_str());
}

void PictureChatBox::AddText(const std::string& /*text*/) {}

void PictureChatBox::IgnorePlayer(const std::string& name) {
    if (name.empty()) return;
    ignored_.insert(FoldName(name));
}

void PictureChatBox::UnignorePlayer(const std::string& name) {
    ignored_.erase(FoldName(name));
}

bool PictureChatBox::IsIgnored(const std::string& name) {
    return ignored_.count(FoldName(name)) != 0;
}

bool PictureChatBox::OpenLog() {
    std::uint16_t handle = 0;
    const std::int16_t code = xTry([&] {
        handle = xFileOpen(logPath_, kFileModeWrite, xFourCC("????"), xFourCC("TEXT"));
        xFileSeek(handle, 0, 2);
        xDateTime now;
        GetLocalTime(now);
        xFileWriteLine(handle, StampLine(now).c_str());
    });
    if (code != 0) {
        if (handle != 0) xTry([&] { xFileClose(handle); });
        xErrorCode = 0;
        AddSystemLine("Cannot open RARUVEDOZO.TXT.");
        return false;
    }
    log_ = handle;
    return true;
}

void PictureChatBox::SetLogging(std::int32_t mode) {
    if (mode == 2 && log_ == 0) {
        AddSystemLine("Message logging is already off.");
        return;
    }
    if (mode == 1 && log_ != 0) {
        AddSystemLine("Messages are already being logged to RARUVEDOZO.TXT");
        return;
    }
    if (log_ == 0) {
        if (OpenLog()) AddSystemLine("Messages are now being logged to RARUVEDOZO.TXT");
        return;
    }
    xTry([&] { xFileClose(log_); });
    xErrorCode = 0;
    log_ = 0;
    AddSystemLine("Message logging is now off.");
}

void PictureChatBox::SaveHistory() {
    if (log_ != 0) {
        AddSystemLine("Message history is already being logged to RARUVEDOZO.TXT.");
        return;
    }
    AddSystemLine("Saving message history to RARUVEDOZO.TXT.");
    if (OpenLog()) WriteHistory();
}

void PictureChatBox::WriteHistory() {
    if (log_ == 0) return;
    ListControl& lines = GetLines();
    for (const std::string* text = lines.BeginCellIteration(); text != nullptr; text = lines.NextCellText()) {
        xFileWriteLine(log_, text->c_str());
    }
}

bool PictureChatBox::HasTypedText() {
    return GetEntry().GetTextLength() > 0;
}
