#pragma once

// The game's view: it owns every game screen, the controls the screens share,
// the room record and the resource service; starts and stops them; decides
// which screen is on show and hands each screen its segment's start message
// and phase times; and passes what its screens and controls say on to the
// application object. It draws nothing itself.
//
// The application object knows it as its PictureView (game/model), whose
// operations it overrides; InstallPictureView makes the application object
// make this one.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/model/PictureView.h"
#include "game/view/SharedControls.h"

class AdsScreen;
class KeyboardCharMsg;
class LanguageFilterSource;
class Screen;
class SegmentRoomMsg;
class BackgroundControl;
class CaptionsControl;
class ChatBoxLines;
class ChooseRoomScreen;
class CompositionScreen;
class ControlPanelScreen;
class FatChanceControl;
class FatChanceResultsScreen;
class FatChanceSelectionScreen;
class GameWinnerScreen;
class LogonScreen;
class NameAndScoreControl;
class OpeningScreen;
class PictureChatBox;
class PictureControl;
class PicturePlayerListControl;
class PictureRoom;
class PlayerRows;
class PreflightScreen;
class ProgressScreen;
class ResourceService;
class RoundIndicator;
class RoundWinnerScreen;
class ScoringScreen;
class StopSequencer;
class TimerControl;
class ToggleButtonControl;
class VotingScreen;

namespace view {

// How the view makes its screens and shared controls, one row each in build
// order. A row left empty makes the product's class with the view's own
// arguments; tests put their own in.
struct PictureViewParts {
    template <class T>
    using Screen = std::function<std::unique_ptr<T>(UI* parent, std::int32_t layer)>;
    template <class T>
    using GameScreen = std::function<std::unique_ptr<T>(UI* parent, std::int32_t layer,
                                                        SharedControls* shared, PictureRoom* room)>;
    template <class T>
    using Control = std::function<std::unique_ptr<T>(UI* parent, MsgReceiver* receiver)>;

    // Made by the constructor: the resource service first (it becomes the
    // singleton the game's resources are registered with).
    std::function<std::unique_ptr<ResourceService>()> resources;
    Screen<ProgressScreen> progress;
    Screen<LogonScreen> logon;
    // Made by the start, in this order.
    Control<BackgroundControl> background;
    Control<PicturePlayerListControl> playerList;
    Control<PictureChatBox> chatBox;
    Control<ToggleButtonControl> controlPanelButton;
    Control<PictureControl> picture;
    Control<TimerControl> timer;
    Control<RoundIndicator> roundIndicator;
    Control<CaptionsControl> captions;
    Control<FatChanceControl> fatChance;
    Control<NameAndScoreControl> nameAndScore;
    GameScreen<ControlPanelScreen> controlPanel;
    GameScreen<ChooseRoomScreen> chooseRoom;
    GameScreen<CompositionScreen> composition;
    GameScreen<VotingScreen> voting;
    GameScreen<ScoringScreen> scoring;
    GameScreen<FatChanceSelectionScreen> fatChanceSelection;
    GameScreen<FatChanceResultsScreen> fatChanceResults;
    GameScreen<RoundWinnerScreen> roundWinner;
    GameScreen<GameWinnerScreen> gameWinner;
    GameScreen<AdsScreen> ads;
    GameScreen<OpeningScreen> opening;
    GameScreen<PreflightScreen> preflight;
};

class PictureView final : public ::PictureView {
  public:
    PictureView(std::string applicationName, std::int32_t bitsPerPixel, std::int32_t width,
                std::int32_t height, bool fullScreen, bool ownWindow, PictureViewParts parts = {});
    // Destroyed while started, it first destroys what its start built.
    ~PictureView() override;

    // The application object's operations.
    void ShowControlPanel() override;
    void HideControlPanel() override;
    bool IsControlPanelUp() const override;
    void EnableControlPanelToggle() override;
    void AddLogonServer(const std::string& host, std::int32_t port) override;
    void ShowLogon(const std::string& productCode, const std::string& originCode, const Version& version,
                   const std::string& platformCode, const std::string& userAgent,
                   const std::string& registerCgi, const std::string& validateCgi,
                   const std::string& changeCgi, bool simulateLogon) override;
    void SetPictureUserAgent(const std::string& agent) override;
    void AddPictureServer(const std::string& host, std::int32_t port) override;
    void SetSponsorAd(const AdInfo& ad) override;
    void ShowOpening() override;
    void SetAdultAllowed(bool allowed) override;
    void SetPreflightMode(bool preflight) override;
    void ShowChooseRoom() override;

    void StartProgressScreen() override;
    void StopProgressScreen() override;
    void ShowDispatchConnecting(std::int32_t timeoutMs) override;
    void ShowDispatchDownloading() override;
    void SetDispatchProgress(std::int32_t total, std::int32_t received) override;
    void ShowDispatchProcessing() override;
    void ShowUpdateConnecting(std::int32_t timeoutMs) override;
    void ShowUpdateScriptDownloading() override;
    void SetUpdateScriptProgress(std::int32_t total, std::int32_t received) override;
    void ShowUpdateScriptProcessing(std::int32_t timeoutMs) override;
    void UpdateScriptProcessed() override;
    void ShowUpdateFilesDownloading(std::int32_t total) override;
    void AddUpdateFilesProgress(std::int32_t bytes) override;
    void ShowLoadingResources(std::int32_t timeoutMs) override;
    void ShowLobbyConnecting(std::int32_t timeoutMs) override;
    void SetProgressStatus() override;
    void StopProgressTimeout() override;

    void RoomListBegin(const RoomListBeginRoomMsg& msg) override;
    void RoomListItem(const RoomListItemRoomMsg& msg) override;
    void RoomUpdate(const RoomUpdateRoomMsg& msg) override;
    void PlayerFound(const PlayerFoundRoomMsg& msg) override;
    void PlayerNotFound(const PlayerNotFoundRoomMsg& msg) override;
    void EnterRoom(const PictureRoom& room) override;
    void ChooseAnotherRoom(const std::string& text) override;

    void PlayerListBegin() override;
    void SetLocalPlayerName(const std::string& name) override;
    void AddPlayer(const Player& player) override;
    void RemovePlayer(const Player& player) override;
    bool SplitPlayerName(const std::string& text, std::string& name, std::string& rest) override;
    void ChatPublic(const std::string& name, const std::string& text) override;
    void ChatPrivate(const std::string& sender, const std::string& recipient,
                     const std::string& text) override;
    void ChatMe(const std::string& name, const std::string& text) override;
    void ChatSystem(const std::string& text) override;
    void ToggleIgnore(const std::string& name) override;
    void SaveChatHistory() override;
    void SetChatLogging(std::int32_t mode) override;
    void ShowHello(const HelloRoomMsg& msg) override;

    void StartComp(const StartCompRoomMsg& msg) override;
    void StartVote(const StartVoteRoomMsg& msg) override;
    void StartScore(const StartScoreRoomMsg& msg) override;
    void StartFatChanceSelection(const StartFatChanceSelectionRoomMsg& msg) override;
    void StartFatChanceResults(const StartFatChanceResultsRoomMsg& msg) override;
    void StartRoundWinner(const StartRoundWinnerRoomMsg& msg) override;
    void StartPreflight(const StartPreflightRoomMsg& msg) override;
    void StartGameWinner(const StartGameWinnerRoomMsg& msg) override;
    void StartPictureAds(const StartPictureAdsRoomMsg& msg) override;

    void CompReceived(const CompReceivedRoomMsg& msg) override;
    void CompLate(const CompLateRoomMsg& msg) override;
    void CompInvalid(const CompInvalidRoomMsg& msg) override;
    void VoteReceived(const VoteReceivedRoomMsg& msg) override;
    void VoteLate(const VoteLateRoomMsg& msg) override;
    void VoteInvalid(const VoteInvalidRoomMsg& msg) override;
    void FatChanceSelectionReceived(const FatChanceSelectionReceivedRoomMsg& msg) override;
    void FatChanceSelectionLate(const FatChanceSelectionLateRoomMsg& msg) override;
    void FatChanceSelectionInvalid(const FatChanceSelectionInvalidRoomMsg& msg) override;

    void DownloadPicture(const DownloadPictureRoomMsg& msg) override;
    void ShowCompList(const CaptionList& captions) override;
    void ShowResultsList(const ResultsList& results) override;
    void SetCaptionsCount(std::int32_t count) override;
    void SetCaptionsFlag(bool flag) override;
    void CaptionCommand(const std::string& caption) override;
    void VoteCommand(std::int32_t number) override;
    void FatChanceCommand() override;

    // The view's own further operations.
    bool IsOpeningOrAdsBusy();
    const std::string& GetLocalPlayerName() const { return localPlayerName_; }
    bool IsPlayerIgnored(const std::string& name);
    void ChatAddLine(const std::string& text);
    // Called by the handler when the progress screen reports; phase 0 sends
    // nothing, a phase past 3 throws the integer 0.
    void ProgressTimedOut();
    void ProgressCanceled();

    // Process and queued receiver.
    void OnStarting() override;
    void OnStopping() override;
    void OnStopped() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // What the start built, for the screens and for tests; null before the
    // start and after the stop.
    const SharedControls& GetSharedControls() const { return shared_; }
    ProgressScreen* GetProgressScreen() { return progress_.get(); }
    LogonScreen* GetLogonScreen() { return logon_.get(); }
    ControlPanelScreen* GetControlPanelScreen() { return controlPanel_.get(); }
    ChooseRoomScreen* GetChooseRoomScreen() { return chooseRoom_.get(); }
    CompositionScreen* GetCompositionScreen() { return composition_.get(); }
    VotingScreen* GetVotingScreen() { return voting_.get(); }
    ScoringScreen* GetScoringScreen() { return scoring_.get(); }
    FatChanceSelectionScreen* GetFatChanceSelectionScreen() { return fatChanceSelection_.get(); }
    FatChanceResultsScreen* GetFatChanceResultsScreen() { return fatChanceResults_.get(); }
    RoundWinnerScreen* GetRoundWinnerScreen() { return roundWinner_.get(); }
    GameWinnerScreen* GetGameWinnerScreen() { return gameWinner_.get(); }
    AdsScreen* GetAdsScreen() { return ads_.get(); }
    OpeningScreen* GetOpeningScreen() { return opening_.get(); }
    PreflightScreen* GetPreflightScreen() { return preflight_.get(); }
    StopSequencer* GetScreenStopper() { return screenStopper_.get(); }
    StopSequencer* GetControlStopper() { return controlStopper_.get(); }
    PictureRoom* GetRoom() { return room_.get(); }
    std::int32_t GetProgressPhase() const { return progressPhase_; }
    bool IsPanelHiddenForAd() const { return panelHiddenForAd_; }
    bool IsAdShowing() const { return adShowing_; }

  private:
    void SetPhase(std::int32_t phase);
    void OnAdStarting();
    void OnAdStopped();
    void RouteKey(const KeyboardCharMsg& msg);
    void OnControlPanelButton();
    bool IsCountdownRunning();
    void DestroyBuilt();
    // The segment's four phase times, each below 0 counting as 0.
    void ShowSegment(Screen* screen, const SegmentRoomMsg& msg);

    PictureViewParts parts_;
    std::unique_ptr<ResourceService> resources_;
    std::unique_ptr<LanguageFilterSource> filterSource_;

    std::unique_ptr<ProgressScreen> progress_;
    std::unique_ptr<ChooseRoomScreen> chooseRoom_;
    std::unique_ptr<CompositionScreen> composition_;
    std::unique_ptr<VotingScreen> voting_;
    std::unique_ptr<ScoringScreen> scoring_;
    std::unique_ptr<FatChanceSelectionScreen> fatChanceSelection_;
    std::unique_ptr<FatChanceResultsScreen> fatChanceResults_;
    std::unique_ptr<RoundWinnerScreen> roundWinner_;
    std::unique_ptr<GameWinnerScreen> gameWinner_;
    std::unique_ptr<AdsScreen> ads_;
    std::unique_ptr<LogonScreen> logon_;
    std::unique_ptr<ControlPanelScreen> controlPanel_;
    std::unique_ptr<OpeningScreen> opening_;
    std::unique_ptr<PreflightScreen> preflight_;
    std::unique_ptr<StopSequencer> screenStopper_;
    std::unique_ptr<StopSequencer> controlStopper_;
    std::unique_ptr<BackgroundControl> background_;
    std::unique_ptr<PicturePlayerListControl> playerList_;
    std::unique_ptr<PictureChatBox> chatBox_;
    std::unique_ptr<ToggleButtonControl> controlPanelButton_;
    std::unique_ptr<PictureControl> picture_;
    std::unique_ptr<TimerControl> timer_;
    std::unique_ptr<RoundIndicator> roundIndicator_;
    std::unique_ptr<CaptionsControl> captions_;
    std::unique_ptr<FatChanceControl> fatChance_;
    std::unique_ptr<NameAndScoreControl> nameAndScore_;
    std::unique_ptr<PictureRoom> room_;
    // The chat box's and player list's operations the view uses.
    ChatBoxLines* chatLines_ = nullptr;
    PlayerRows* playerRows_ = nullptr;
    SharedControls shared_{};

    bool panelHiddenForAd_ = false;
    bool adShowing_ = false;
    bool adultAllowed_ = false;
    bool preflightMode_ = false;
    std::string localPlayerName_;
    std::int32_t progressPhase_ = 0;
    bool dispatchTotalSet_ = false;
    bool updateScriptTotalSet_ = false;
};

}  // namespace view

// The application object makes the game's view from now on.
void InstallPictureView();

// Below 0 counts as 0.
std::uint32_t PhaseTime(std::int32_t ms);
// A screen's own middle phase: segment time - first - last, computed signed
// and held at 0.
std::uint32_t OwnMiddleTime(std::uint32_t segment, std::uint32_t first, std::uint32_t last);
