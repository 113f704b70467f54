#pragma once

// The game's view as the application object knows it: a View (so a process and
// a sender whose StartedMsg and StoppedMsg the application object follows) with
// the operations the application object calls on its screens and controls. Here
// each of them does nothing, which is the least view: started, it waits at the
// logon for ever. The presentation derives its real view from it and installs a
// maker for it (PictureModel::Makers).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/View.h"
#include "resource/AdInfo.h"
#include "resource/Version.h"

class CompInvalidRoomMsg;
class CompLateRoomMsg;
class CompListItemRoomMsg;
class CompReceivedRoomMsg;
class DownloadPictureRoomMsg;
class FatChanceSelectionInvalidRoomMsg;
class FatChanceSelectionLateRoomMsg;
class FatChanceSelectionReceivedRoomMsg;
class HelloRoomMsg;
class Msg;
class PictureRoom;
class Player;
class PlayerFoundRoomMsg;
class PlayerNotFoundRoomMsg;
class ResultsListItemRoomMsg;
class RoomListBeginRoomMsg;
class RoomListItemRoomMsg;
class RoomUpdateRoomMsg;
class StartCompRoomMsg;
class StartFatChanceResultsRoomMsg;
class StartFatChanceSelectionRoomMsg;
class StartGameWinnerRoomMsg;
class StartPictureAdsRoomMsg;
class StartPreflightRoomMsg;
class StartRoundWinnerRoomMsg;
class StartScoreRoomMsg;
class StartVoteRoomMsg;
class VoteInvalidRoomMsg;
class VoteLateRoomMsg;
class VoteReceivedRoomMsg;

class PictureView : public View {
  public:
    // The caption and result records the application object collects between a
    // list's begin and end messages, in arrival order.
    using CaptionList = std::vector<std::unique_ptr<Msg>>;
    using ResultsList = std::vector<std::unique_ptr<Msg>>;

    PictureView(std::string applicationName, std::int32_t bitsPerPixel, std::int32_t width,
                std::int32_t height, bool fullScreen, bool ownWindow);
    ~PictureView() override;

    virtual void ShowControlPanel() { controlPanelUp_ = true; }
    virtual void HideControlPanel() { controlPanelUp_ = false; }
    virtual bool IsControlPanelUp() const { return controlPanelUp_; }
    virtual void EnableControlPanelToggle() {}

    // Logon.
    virtual void AddLogonServer(const std::string& /*host*/, std::int32_t /*port*/) {}
    virtual void ShowLogon(const std::string& /*productCode*/, const std::string& /*originCode*/,
                           const Version& /*version*/, const std::string& /*platformCode*/,
                           const std::string& /*userAgent*/, const std::string& /*registerCgi*/,
                           const std::string& /*validateCgi*/, const std::string& /*changeCgi*/,
                           bool /*simulateLogon*/) {}
    virtual void SetPictureUserAgent(const std::string& /*agent*/) {}
    virtual void AddPictureServer(const std::string& /*host*/, std::int32_t /*port*/) {}
    virtual void SetSponsorAd(const AdInfo& /*ad*/) {}
    virtual void ShowOpening() {}
    virtual void SetAdultAllowed(bool /*allowed*/) {}
    virtual void SetPreflightMode(bool /*preflight*/) {}
    virtual void ShowChooseRoom() {}

    // The progress screen.
    virtual void StartProgressScreen() {}
    virtual void StopProgressScreen() {}
    virtual void ShowDispatchConnecting(std::int32_t /*timeoutMs*/) {}
    virtual void ShowDispatchDownloading() {}
    virtual void SetDispatchProgress(std::int32_t /*data*/, std::int32_t /*length*/) {}
    virtual void ShowDispatchProcessing() {}
    virtual void ShowUpdateConnecting(std::int32_t /*timeoutMs*/) {}
    virtual void ShowUpdateScriptDownloading() {}
    virtual void SetUpdateScriptProgress(std::int32_t /*data*/, std::int32_t /*length*/) {}
    virtual void ShowUpdateScriptProcessing(std::int32_t /*timeoutMs*/) {}
    virtual void UpdateScriptProcessed() {}
    virtual void ShowUpdateFilesDownloading(std::int32_t /*total*/) {}
    virtual void AddUpdateFilesProgress(std::int32_t /*count*/) {}
    virtual void ShowLoadingResources(std::int32_t /*timeoutMs*/) {}
    virtual void ShowLobbyConnecting(std::int32_t /*timeoutMs*/) {}
    virtual void SetProgressStatus() {}
    virtual void StopProgressTimeout() {}

    // The room chooser.
    virtual void RoomListBegin(const RoomListBeginRoomMsg& /*msg*/) {}
    virtual void RoomListItem(const RoomListItemRoomMsg& /*msg*/) {}
    virtual void RoomUpdate(const RoomUpdateRoomMsg& /*msg*/) {}
    virtual void PlayerFound(const PlayerFoundRoomMsg& /*msg*/) {}
    virtual void PlayerNotFound(const PlayerNotFoundRoomMsg& /*msg*/) {}
    virtual void EnterRoom(const PictureRoom& /*room*/) {}
    virtual void ChooseAnotherRoom(const std::string& /*text*/) {}

    // Players and chat.
    virtual void PlayerListBegin() {}
    virtual void SetLocalPlayerName(const std::string& /*name*/) {}
    virtual void AddPlayer(const Player& /*player*/) {}
    virtual void RemovePlayer(const Player& /*player*/) {}
    // True when the line begins with the name of a listed player; then the name
    // and what follows it. Without a player list, never.
    virtual bool SplitPlayerName(const std::string& /*line*/, std::string& /*name*/, std::string& /*rest*/) {
        return false;
    }
    virtual void ChatPublic(const std::string& /*name*/, const std::string& /*text*/) {}
    virtual void ChatPrivate(const std::string& /*sender*/, const std::string& /*recipient*/,
                             const std::string& /*text*/) {}
    virtual void ChatMe(const std::string& /*name*/, const std::string& /*text*/) {}
    virtual void ChatSystem(const std::string& /*text*/) {}
    virtual void ToggleIgnore(const std::string& /*name*/) {}
    virtual void SaveChatHistory() {}
    // 1 on, 2 off, 0 neither named.
    virtual void SetChatLogging(std::int32_t /*mode*/) {}
    virtual void ShowHello(const HelloRoomMsg& /*msg*/) {}

    // Segments.
    virtual void StartComp(const StartCompRoomMsg& /*msg*/) {}
    virtual void StartVote(const StartVoteRoomMsg& /*msg*/) {}
    virtual void StartScore(const StartScoreRoomMsg& /*msg*/) {}
    virtual void StartFatChanceSelection(const StartFatChanceSelectionRoomMsg& /*msg*/) {}
    virtual void StartFatChanceResults(const StartFatChanceResultsRoomMsg& /*msg*/) {}
    virtual void StartRoundWinner(const StartRoundWinnerRoomMsg& /*msg*/) {}
    virtual void StartPreflight(const StartPreflightRoomMsg& /*msg*/) {}
    virtual void StartGameWinner(const StartGameWinnerRoomMsg& /*msg*/) {}
    virtual void StartPictureAds(const StartPictureAdsRoomMsg& /*msg*/) {}

    // The room bot's answers to the player's caption, vote and selection.
    virtual void CompReceived(const CompReceivedRoomMsg& /*msg*/) {}
    virtual void CompLate(const CompLateRoomMsg& /*msg*/) {}
    virtual void CompInvalid(const CompInvalidRoomMsg& /*msg*/) {}
    virtual void VoteReceived(const VoteReceivedRoomMsg& /*msg*/) {}
    virtual void VoteLate(const VoteLateRoomMsg& /*msg*/) {}
    virtual void VoteInvalid(const VoteInvalidRoomMsg& /*msg*/) {}
    virtual void FatChanceSelectionReceived(const FatChanceSelectionReceivedRoomMsg& /*msg*/) {}
    virtual void FatChanceSelectionLate(const FatChanceSelectionLateRoomMsg& /*msg*/) {}
    virtual void FatChanceSelectionInvalid(const FatChanceSelectionInvalidRoomMsg& /*msg*/) {}

    // Pictures and captions.
    virtual void DownloadPicture(const DownloadPictureRoomMsg& /*msg*/) {}
    virtual void ShowCompList(const CaptionList& /*captions*/) {}
    virtual void ShowResultsList(const ResultsList& /*results*/) {}
    virtual void SetCaptionsCount(std::int32_t /*count*/) {}
    virtual void SetCaptionsFlag(bool /*flag*/) {}

    // The chat commands that act on the game.
    virtual void CaptionCommand(const std::string& /*caption*/) {}
    // -1 for a number that names no listed caption.
    virtual void VoteCommand(std::int32_t /*number*/) {}
    virtual void FatChanceCommand() {}

    const std::string& GetApplicationName() const { return applicationName_; }
    std::int32_t GetBitsPerPixel() const { return bitsPerPixel_; }
    std::int32_t GetWidth() const { return width_; }
    std::int32_t GetHeight() const { return height_; }
    bool IsFullScreen() const { return fullScreen_; }
    bool HasOwnWindow() const { return ownWindow_; }

  private:
    std::string applicationName_;
    std::int32_t bitsPerPixel_;
    std::int32_t width_;
    std::int32_t height_;
    bool fullScreen_;
    bool ownWindow_;
    bool controlPanelUp_ = false;
};
