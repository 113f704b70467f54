#pragma once

// The problem-player dialog over the game: the player picks another player of
// the room, may switch the ignoring of that player's chat lines, and may file a
// complaint with a reason and a description, which goes to the game view as a
// ComplaintRoomMsg. One dialog at a time.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

class MsgSender;
class Msg;

namespace complaint_ids {
inline constexpr int kProblemPlayer = 2002;  // the dialog with the list
inline constexpr int kNoOne = 2003;          // "There is no one to complain about"
inline constexpr int kPlayers = 1000;
inline constexpr int kIgnore = 1001;
inline constexpr int kComplain = 1002;
inline constexpr int kBadLanguage = 1003;
inline constexpr int kHarassment = 1004;
inline constexpr int kOther = 1005;
inline constexpr int kDescription = 1006;
inline constexpr int kDescriptionLength = 512;
}  // namespace complaint_ids

// What the dialog asks of the game view.
class ComplaintView {
  public:
    virtual ~ComplaintView() = default;
    virtual const std::string& GetLocalPlayerName() const = 0;
    virtual bool IsPlayerIgnored(const std::string& name) = 0;
    virtual void ToggleIgnore(const std::string& name) = 0;
    // The view's message handler.
    virtual void Receive(const Msg& msg, MsgSender* from) = 0;
};

// code 0 after OK with a player chosen, 1 after Cancel, 2 when closed with
// report; the second argument is always 0.
using ComplaintCallback = void (*)(std::int32_t code, std::int32_t zero, void* cookie);

// players: the names of the player list's rows (column 0), in row order.
// Null, and nothing else happens, when a dialog is open already.
platform::WindowHandle OpenComplaintDialog(platform::WindowHandle owner, ComplaintCallback callback,
                                           void* cookie, MsgSender* cookieSender,
                                           const std::vector<std::string>& players, bool languageFiltered,
                                           ComplaintView* view);
// Destroys the open dialog; with report the callback then gets code 2.
void CloseComplaintDialog(bool report);
bool IsComplaintDialogOpen();
void HideComplaintDialog();
void RestoreComplaintDialog();
platform::WindowHandle ComplaintDialogWindow();

// The description as it goes to the room: every run of CR and LF one space
// (a line break would end the room line), "NONE" when empty.
std::string ComplaintDescription(const std::string& text);
