#pragma once

// The game's view for tests: the real View under it, every operation the
// application object calls logged as one line, and a segment start played as a
// screen for the segment's times. It splits a player's name off a line as the
// real view does (each whitespace from the left, then the whole line) over the
// names the test puts in its player list.

#include <cctype>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Screen.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureView.h"
#include "net/GenericRoomMsgs.h"
#include "net/Player.h"

class RecordingPictureView : public PictureView {
  public:
    using PictureView::PictureView;
    ~RecordingPictureView() override;

    bool SplitPlayerName(const std::string& line, std::string& name, std::string& rest) override {
        Log("SplitPlayerName " + line);
        auto listed = [this](const std::string& part) {
            for (const std::string& player : players) {
                if (player == part) return true;
            }
            return false;
        };
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (std::isspace(static_cast<unsigned char>(line[i])) == 0) continue;
            if (listed(line.substr(0, i))) {
                name = line.substr(0, i);
                rest = line.substr(i + 1);
                return true;
            }
        }
        if (listed(line)) {
            name = line;
            rest.clear();
            return true;
        }
        return false;
    }

    void ShowControlPanel() override {
        Log("ShowControlPanel");
        PictureView::ShowControlPanel();
    }
    void HideControlPanel() override {
        Log("HideControlPanel");
        PictureView::HideControlPanel();
    }
    void EnableControlPanelToggle() override {
        Log("EnableControlPanelToggle");
    }
    void AddLogonServer(const std::string& host, std::int32_t port) override {
        Log("AddLogonServer " + host + " " + std::to_string(port));
    }
    void ShowLogon(const std::string& productCode, const std::string& originCode, const Version& version,
                   const std::string& platformCode, const std::string& userAgent, const std::string& registerCgi,
                   const std::string& validateCgi, const std::string& changeCgi, bool simulateLogon) override {
        Log("ShowLogon " + productCode + " " + originCode + " " + version.GetText() + " " + platformCode + " " +
            userAgent + " " + registerCgi + " " + validateCgi + " " + changeCgi + " " + std::to_string(simulateLogon));
    }
    void SetPictureUserAgent(const std::string& agent) override {
        Log("SetPictureUserAgent " + agent);
    }
    void AddPictureServer(const std::string& host, std::int32_t port) override {
        Log("AddPictureServer " + host + " " + std::to_string(port));
    }
    void SetSponsorAd(const AdInfo& ad) override {
        Log("SetSponsorAd " + ad.GetName());
    }
    void ShowOpening() override {
        Log("ShowOpening");
    }
    void SetAdultAllowed(bool allowed) override {
        Log("SetAdultAllowed " + std::to_string(allowed));
    }
    void SetPreflightMode(bool preflight) override {
        Log("SetPreflightMode " + std::to_string(preflight));
    }
    void ShowChooseRoom() override {
        Log("ShowChooseRoom");
    }
    void StartProgressScreen() override {
        Log("StartProgressScreen");
    }
    void StopProgressScreen() override {
        Log("StopProgressScreen");
    }
    void ShowDispatchConnecting(std::int32_t ms) override {
        Log("ShowDispatchConnecting " + std::to_string(ms));
    }
    void ShowDispatchDownloading() override {
        Log("ShowDispatchDownloading");
    }
    void SetDispatchProgress(std::int32_t data, std::int32_t length) override {
        Log("SetDispatchProgress " + std::to_string(data) + " " + std::to_string(length));
    }
    void ShowDispatchProcessing() override {
        Log("ShowDispatchProcessing");
    }
    void ShowUpdateConnecting(std::int32_t ms) override {
        Log("ShowUpdateConnecting " + std::to_string(ms));
    }
    void ShowUpdateScriptDownloading() override {
        Log("ShowUpdateScriptDownloading");
    }
    void SetUpdateScriptProgress(std::int32_t data, std::int32_t length) override {
        Log("SetUpdateScriptProgress " + std::to_string(data) + " " + std::to_string(length));
    }
    void ShowUpdateScriptProcessing(std::int32_t ms) override {
        Log("ShowUpdateScriptProcessing " + std::to_string(ms));
    }
    void UpdateScriptProcessed() override {
        Log("UpdateScriptProcessed");
    }
    void ShowUpdateFilesDownloading(std::int32_t total) override {
        Log("ShowUpdateFilesDownloading " + std::to_string(total));
    }
    void AddUpdateFilesProgress(std::int32_t count) override {
        Log("AddUpdateFilesProgress " + std::to_string(count));
    }
    void ShowLoadingResources(std::int32_t ms) override {
        Log("ShowLoadingResources " + std::to_string(ms));
    }
    void ShowLobbyConnecting(std::int32_t ms) override {
        Log("ShowLobbyConnecting " + std::to_string(ms));
    }
    void SetProgressStatus() override {
        Log("SetProgressStatus");
    }
    void StopProgressTimeout() override {
        Log("StopProgressTimeout");
    }
    void RoomListBegin(const RoomListBeginRoomMsg& msg) override {
        Log("RoomListBegin " + msg.Write(nullptr));
    }
    void RoomListItem(const RoomListItemRoomMsg& msg) override {
        Log("RoomListItem " + msg.Write(nullptr));
    }
    void RoomUpdate(const RoomUpdateRoomMsg& msg) override {
        Log("RoomUpdate " + msg.Write(nullptr));
    }
    void PlayerFound(const PlayerFoundRoomMsg& msg) override {
        Log("PlayerFound " + msg.Write(nullptr));
    }
    void PlayerNotFound(const PlayerNotFoundRoomMsg& msg) override {
        Log("PlayerNotFound " + msg.Write(nullptr));
    }
    void EnterRoom(const PictureRoom& room) override {
        Log("EnterRoom " + room.GetIrcHost() + " " + std::to_string(room.GetIrcPort()) + " " + room.GetIrcChannel());
    }
    void ChooseAnotherRoom(const std::string& text) override {
        Log("ChooseAnotherRoom " + text);
    }
    void PlayerListBegin() override {
        Log("PlayerListBegin");
    }
    void SetLocalPlayerName(const std::string& name) override {
        Log("SetLocalPlayerName " + name);
    }
    void AddPlayer(const Player& player) override {
        Log("AddPlayer " + player.GetName());
    }
    void RemovePlayer(const Player& player) override {
        Log("RemovePlayer " + player.GetName());
    }
    void ChatPublic(const std::string& name, const std::string& text) override {
        Log("ChatPublic " + name + "|" + text);
    }
    void ChatPrivate(const std::string& sender, const std::string& recipient, const std::string& text) override {
        Log("ChatPrivate " + sender + "|" + recipient + "|" + text);
    }
    void ChatMe(const std::string& name, const std::string& text) override {
        Log("ChatMe " + name + "|" + text);
    }
    void ChatSystem(const std::string& text) override {
        Log("ChatSystem " + text);
    }
    void ToggleIgnore(const std::string& name) override {
        Log("ToggleIgnore " + name);
    }
    void SaveChatHistory() override {
        Log("SaveChatHistory");
    }
    void SetChatLogging(std::int32_t mode) override {
        Log("SetChatLogging " + std::to_string(mode));
    }
    void ShowHello(const HelloRoomMsg& msg) override {
        Log("ShowHello " + msg.Write(nullptr));
    }
    void StartComp(const StartCompRoomMsg& msg) override {
        Log("StartComp " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartVote(const StartVoteRoomMsg& msg) override {
        Log("StartVote " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartScore(const StartScoreRoomMsg& msg) override {
        Log("StartScore " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartFatChanceSelection(const StartFatChanceSelectionRoomMsg& msg) override {
        Log("StartFatChanceSelection " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartFatChanceResults(const StartFatChanceResultsRoomMsg& msg) override {
        Log("StartFatChanceResults " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartRoundWinner(const StartRoundWinnerRoomMsg& msg) override {
        Log("StartRoundWinner " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartPreflight(const StartPreflightRoomMsg& msg) override {
        Log("StartPreflight " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartGameWinner(const StartGameWinnerRoomMsg& msg) override {
        Log("StartGameWinner " + msg.GetTag());
        PlaySegment(msg);
    }
    void StartPictureAds(const StartPictureAdsRoomMsg& msg) override {
        Log("StartPictureAds " + msg.GetTag());
        PlaySegment(msg);
    }
    void CompReceived(const CompReceivedRoomMsg& msg) override {
        Log("CompReceived " + msg.Write(nullptr));
    }
    void CompLate(const CompLateRoomMsg& msg) override {
        Log("CompLate " + msg.Write(nullptr));
    }
    void CompInvalid(const CompInvalidRoomMsg& msg) override {
        Log("CompInvalid " + msg.Write(nullptr));
    }
    void VoteReceived(const VoteReceivedRoomMsg& msg) override {
        Log("VoteReceived " + msg.Write(nullptr));
    }
    void VoteLate(const VoteLateRoomMsg& msg) override {
        Log("VoteLate " + msg.Write(nullptr));
    }
    void VoteInvalid(const VoteInvalidRoomMsg& msg) override {
        Log("VoteInvalid " + msg.Write(nullptr));
    }
    void FatChanceSelectionReceived(const FatChanceSelectionReceivedRoomMsg& msg) override {
        Log("FatChanceSelectionReceived " + msg.Write(nullptr));
    }
    void FatChanceSelectionLate(const FatChanceSelectionLateRoomMsg& msg) override {
        Log("FatChanceSelectionLate " + msg.Write(nullptr));
    }
    void FatChanceSelectionInvalid(const FatChanceSelectionInvalidRoomMsg& msg) override {
        Log("FatChanceSelectionInvalid " + msg.Write(nullptr));
    }
    void DownloadPicture(const DownloadPictureRoomMsg& msg) override {
        Log("DownloadPicture " + msg.Write(nullptr));
    }
    void ShowCompList(const CaptionList& captions) override {
        Log("ShowCompList " + std::to_string(captions.size()));
    }
    void ShowResultsList(const ResultsList& results) override {
        Log("ShowResultsList " + std::to_string(results.size()));
    }
    void SetCaptionsCount(std::int32_t count) override {
        Log("SetCaptionsCount " + std::to_string(count));
    }
    void SetCaptionsFlag(bool flag) override {
        Log("SetCaptionsFlag " + std::to_string(flag));
    }
    void CaptionCommand(const std::string& caption) override {
        Log("CaptionCommand " + caption);
    }
    void VoteCommand(std::int32_t number) override {
        Log("VoteCommand " + std::to_string(number));
    }
    void FatChanceCommand() override {
        Log("FatChanceCommand");
    }

    void Log(const std::string& line) {
        log.push_back(line);
        if (onLog) onLog(line);
    }
    // Segment starts become screens of the view (see RecordingPictureView.cpp).
    void PlaySegment(const SegmentRoomMsg& msg);

    std::vector<std::string> log;
    std::vector<std::string> players;
    std::function<void(const std::string&)> onLog;
    std::vector<std::unique_ptr<Screen>> screens;
};
