#include "game/view/PictureView.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "controls/ButtonClickedMsg.h"
#include "controls/ToggleButtonControl.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "controls/LocalOriginChatMsg.h"
#include "game/model/PictureModel.h"
#include "game/model/PicturePlayer.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureViewMsgs.h"
#include "game/screens/LogonScreen.h"
#include "game/screens/ProgressScreen.h"
#include "game/view/GameViewMsgs.h"
#include "game/view/ResourceCatalogue.h"
#include "game/view/controls/BackgroundControl.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/FatChanceControl.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "game/view/controls/RoundIndicator.h"
#include "game/view/controls/TimerControl.h"
#include "game/view/screens/AdsScreen.h"
#include "game/view/screens/ChooseRoomScreen.h"
#include "game/view/screens/CompositionScreen.h"
#include "game/view/screens/ControlPanelScreen.h"
#include "game/view/dialogs/ComplaintDialog.h"
#include "game/view/screens/FatChanceResultsScreen.h"
#include "game/view/screens/FatChanceSelectionScreen.h"
#include "game/view/screens/GameWinnerScreen.h"
#include "game/view/screens/OpeningScreen.h"
#include "game/view/screens/PreflightScreen.h"
#include "game/view/screens/RoundWinnerScreen.h"
#include "game/view/screens/ScoringScreen.h"
#include "game/view/screens/VotingScreen.h"
#include "media/PaletteResource.h"
#include "net/GenericRoomMsgs.h"
#include "platform/Registry.h"
#include "resource/LanguageFilter.h"
#include "resource/ResourceService.h"
#include "sequencers/StopSequencer.h"

std::uint32_t PhaseTime(std::int32_t ms) {
    return ms < 0 ? 0u : static_cast<std::uint32_t>(ms);
}

std::uint32_t OwnMiddleTime(std::uint32_t segment, std::uint32_t first, std::uint32_t last) {
    const std::int64_t middle = std::int64_t{segment} - first - last;
    return middle < 0 ? 0u : static_cast<std::uint32_t>(middle);
}

void InstallPictureView() {
    PictureModel::GetMakers().view = [](const std::string& name, std::int32_t bitsPerPixel,
                                        std::int32_t width, std::int32_t height, bool fullScreen,
                                        bool ownWindow) -> std::unique_ptr<::PictureView> {
        return std::make_unique<view::PictureView>(name, bitsPerPixel, width, height, fullScreen, ownWindow);
    };
}

namespace {

const std::string kRule(80, '-');

// The language filter's list comes through the view's resource service.
class ServiceFilterSource : public LanguageFilterSource {
  public:
    explicit ServiceFilterSource(ResourceService& service) : service_(service) {}
    std::int32_t FindById(std::int32_t id, const char* kind) override { return service_.FindById(id, kind); }
    xSimpleResFile* OpenSrf(std::int32_t entry, const void* owner) override {
        return service_.OpenSrf(entry, const_cast<void*>(owner));
    }
    void CloseSrf(std::int32_t entry, const void* owner) override {
        service_.CloseSrf(entry, const_cast<void*>(owner));
    }

  private:
    ResourceService& service_;
};

// ASCII letter case only, as the player list compares names.
bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

template <class T, class Maker, class... Args>
std::unique_ptr<T> Make(const Maker& maker, Args&&... args) {
    return maker(std::forward<Args>(args)...);
}

bool Is(MsgSender* from, MsgSender* expected) {
    return expected != nullptr && from == expected;
}

template <class T>
MsgSender* SenderOf(const std::unique_ptr<T>& process) {
    return process ? static_cast<MsgSender*>(process.get()) : nullptr;
}

}  // namespace

namespace view {

namespace {

// The rows left empty get the product's classes with the view's arguments.
void FillDefaults(PictureViewParts& p) {
    if (!p.progress)
        p.progress = [](UI* parent, std::int32_t layer) {
            return std::make_unique<ProgressScreen>(parent, layer);
        };
    if (!p.logon)
        p.logon = [](UI* parent, std::int32_t layer) {
            return std::make_unique<LogonScreen>(parent, layer, platform::Registry::Default());
        };
    if (!p.background)
        p.background = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<BackgroundControl>(parent, receiver, -100, 1200, 5, 1);
        };
    if (!p.playerList)
        p.playerList = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<PicturePlayerListControl>(parent, receiver, 0, 142, 161, 1200, 10, 0, 40, 0, 2,
                                                              256, false, -1);
        };
    if (!p.chatBox)
        p.chatBox = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<PictureChatBox>(parent, receiver, 0, 1200, 132, 141, 0, 0, 70, 75, 131, 0, 0, 0,
                                                    "Veda", "Unknown");
        };
    if (!p.controlPanelButton)
        p.controlPanelButton = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<ToggleButtonControl>(parent, receiver, 1000, 1200, 0, 0, 0, 45, 0, true);
        };
    if (!p.picture)
        p.picture = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<PictureControl>(parent, receiver, 0);
        };
    if (!p.timer)
        p.timer = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<TimerControl>(parent, receiver, 0);
        };
    if (!p.roundIndicator)
        p.roundIndicator = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<RoundIndicator>(parent, receiver, 10);
        };
    if (!p.captions)
        p.captions = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<CaptionsControl>(parent, receiver, 0);
        };
    if (!p.fatChance)
        p.fatChance = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<FatChanceControl>(parent, receiver, 0);
        };
    if (!p.nameAndScore)
        p.nameAndScore = [](UI* parent, MsgReceiver* receiver) {
            return std::make_unique<NameAndScoreControl>(parent, receiver, 0);
        };
    auto game = [](auto& row) {
        using T = typename std::remove_reference_t<decltype(row(nullptr, 0, nullptr, nullptr))>::element_type;
        if (!row) {
            row = [](UI* parent, std::int32_t layer, SharedControls* shared, PictureRoom* room) {
                if constexpr (std::is_constructible_v<T, UI*, std::int32_t, SharedControls*, PictureRoom*>) {
                    return std::make_unique<T>(parent, layer, shared, room);
                } else {
                    (void)room;
                    return std::make_unique<T>(parent, layer, shared);
                }
            };
        }
    };
    game(p.controlPanel);
    game(p.chooseRoom);
    game(p.composition);
    game(p.voting);
    game(p.scoring);
    game(p.fatChanceSelection);
    game(p.fatChanceResults);
    game(p.roundWinner);
    game(p.gameWinner);
    game(p.ads);
    game(p.opening);
    game(p.preflight);
}

}  // namespace

PictureView::PictureView(std::string applicationName, std::int32_t bitsPerPixel, std::int32_t width,
                         std::int32_t height, bool fullScreen, bool ownWindow, PictureViewParts parts)
    : ::PictureView(std::move(applicationName), bitsPerPixel, width, height, fullScreen, ownWindow),
      parts_(std::move(parts)) {
    FillDefaults(parts_);
    resources_ = parts_.resources ? parts_.resources() : std::make_unique<ResourceService>();
    ResourceService::Instance()->ReserveEntries(200);
    RegisterGameResources(this);
    filterSource_ = std::make_unique<ServiceFilterSource>(*resources_);
    SetLanguageFilterSource(filterSource_.get());

    progress_ = parts_.progress(this, 0);
    progress_->AddReceiver(this);
    logon_ = parts_.logon(this, 0);
    logon_->AddReceiver(this);
}

PictureView::~PictureView() {
    DestroyBuilt();
    if (logon_) logon_->RemoveReceiver(this);
    logon_.reset();
    if (progress_) progress_->RemoveReceiver(this);
    progress_.reset();
    if (GetLanguageFilterSource() == filterSource_.get()) SetLanguageFilterSource(nullptr);
    filterSource_.reset();
    resources_.reset();
}

// ---- start and stop ----

void PictureView::OnStarting() {
    // A start that comes before the last stop's teardown ran.
    DestroyBuilt();
    {
        PaletteResource palette(std::string(kPalettePath), 2000);
        palette.Load();
        ClearScreen(palette);
    }
    room_ = std::make_unique<PictureRoom>();

    background_ = parts_.background(this, this);
    playerList_ = parts_.playerList(this, this);
    playerRows_ = playerList_.get();
    playerRows_->EnableSorting();
    playerRows_->SetColumns(1, 2, 0, 0, -1, 0, -1, 0, -1, 0);
    chatBox_ = parts_.chatBox(this, this);
    chatLines_ = chatBox_.get();
    chatLines_->CreateListScrollBar(1200, 0, 60, 0, 0, 65, 0, 50, 50, 0, 55);
    controlPanelButton_ = parts_.controlPanelButton(this, this);
    picture_ = parts_.picture(this, this);
    timer_ = parts_.timer(this, this);
    roundIndicator_ = parts_.roundIndicator(this, this);
    captions_ = parts_.captions(this, this);
    fatChance_ = parts_.fatChance(this, this);
    nameAndScore_ = parts_.nameAndScore(this, this);
    shared_ = {background_.get(), playerList_.get(),  chatBox_.get(),        controlPanelButton_.get(),
               picture_.get(),    timer_.get(),       roundIndicator_.get(), captions_.get(),
               fatChance_.get(),  nameAndScore_.get()};

    controlPanel_ = parts_.controlPanel(this, 40, &shared_, room_.get());
    controlPanel_->AddReceiver(this);
    controlPanel_->SetLayer(100);
    controlPanel_->Hide();
    controlPanel_->DisableNewRoomToggle();
    auto make = [this](auto& row, auto& member, std::int32_t layer) {
        member = row(this, layer, &shared_, room_.get());
        member->AddReceiver(this);
    };
    make(parts_.chooseRoom, chooseRoom_, 0);
    make(parts_.composition, composition_, 0);
    make(parts_.voting, voting_, 0);
    make(parts_.scoring, scoring_, 0);
    make(parts_.fatChanceSelection, fatChanceSelection_, 0);
    make(parts_.fatChanceResults, fatChanceResults_, 0);
    make(parts_.roundWinner, roundWinner_, 0);
    make(parts_.gameWinner, gameWinner_, 0);
    make(parts_.ads, ads_, 20);
    make(parts_.opening, opening_, 0);
    make(parts_.preflight, preflight_, 0);

    screenStopper_ = std::make_unique<StopSequencer>(this);
    for (Process* screen : std::initializer_list<Process*>{
             ads_.get(), chooseRoom_.get(), composition_.get(), voting_.get(), scoring_.get(),
             fatChanceSelection_.get(), fatChanceResults_.get(), roundWinner_.get(), gameWinner_.get(),
             controlPanel_.get(), logon_.get(), opening_.get(), preflight_.get()}) {
        screenStopper_->Add(screen);
    }
    controlStopper_ = std::make_unique<StopSequencer>(this);
    for (Control* control : shared_) controlStopper_->Add(control);

    LanguageFilterLoad(1000, this);

    controlPanel_->Start();
}

void PictureView::OnStopping() {
    Hide();
    screenStopper_->Start();
}

void PictureView::OnStopped() {
    DestroyBuilt();
    ::PictureView::OnStopped();
}

void PictureView::DestroyBuilt() {
    if (!room_ && !screenStopper_ && !controlPanel_) return;
    // The logon screen lives on; every other screen goes.
    if (GetCurrentScreen() != logon_.get() || GetNextScreen() != nullptr) ForgetScreens();
    screenStopper_.reset();
    controlStopper_.reset();
    auto drop = [this](auto& screen) {
        if (screen) screen->RemoveReceiver(this);
        screen.reset();
    };
    drop(ads_);
    drop(chooseRoom_);
    drop(composition_);
    drop(voting_);
    drop(scoring_);
    drop(fatChanceSelection_);
    drop(fatChanceResults_);
    drop(roundWinner_);
    drop(gameWinner_);
    drop(opening_);
    drop(preflight_);
    drop(controlPanel_);
    chatLines_ = nullptr;
    playerRows_ = nullptr;
    shared_ = {};
    controlPanelButton_.reset();
    background_.reset();
    playerList_.reset();
    chatBox_.reset();
    picture_.reset();
    timer_.reset();
    roundIndicator_.reset();
    captions_.reset();
    fatChance_.reset();
    nameAndScore_.reset();
    room_.reset();
    LanguageFilterClear();
}

// ---- the message handler ----

std::int32_t PictureView::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    // A wanted message is queued once on its delivery and acted on when drained.
    auto wanted = [&](bool match) {
        if (!match) return false;
        if (fromQueue) return true;
        if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
        return false;
    };
    auto passOn = [&](bool match) {
        if (wanted(match)) Send(msg);
    };
    MsgSender* const logon = SenderOf(logon_);
    MsgSender* const chooser = SenderOf(chooseRoom_);
    MsgSender* const panel = SenderOf(controlPanel_);
    MsgSender* const ads = SenderOf(ads_);
    MsgSender* const opening = SenderOf(opening_);
    MsgSender* const button = SenderOf(controlPanelButton_);

    passOn(msg.Is<LogonScreenSucceededMsg>() && Is(from, logon));
    passOn(msg.Is<LogonScreenCanceledMsg>() && Is(from, logon));
    passOn(msg.Is<LocalOriginChatMsg>());
    passOn(msg.Is<AdViewedMsg>());
    passOn(msg.Is<AdSelectedMsg>());
    passOn(msg.Is<FindPlayerMsg>() && Is(from, chooser));
    passOn(msg.Is<RoomSelectedMsg>() && Is(from, chooser));
    passOn(msg.Is<ComplaintRoomMsg>());
    passOn(msg.Is<PictureViewedRoomMsg>());
    passOn(msg.Is<CompRoomMsg>() && Is(from, SenderOf(composition_)));
    passOn(msg.Is<VoteRoomMsg>() && Is(from, SenderOf(captions_)));
    passOn(msg.Is<FatChanceSelectionRoomMsg>() && Is(from, SenderOf(fatChance_)));
    if (wanted(msg.Is<StartedMsg>() && Is(from, panel)) && IsStarting()) ::PictureView::OnStarting();
    if (wanted(msg.Is<AdsStartingMsg>() && Is(from, ads))) OnAdStarting();
    if (wanted(msg.Is<AdsStoppedMsg>() && Is(from, ads))) OnAdStopped();
    if (wanted(msg.Is<SponsorAdStartingMsg>() && Is(from, opening))) OnAdStarting();
    if (wanted(msg.Is<SponsorAdStoppedMsg>() && Is(from, opening))) OnAdStopped();
    if (wanted(msg.Is<QuonzaStartingMsg>() && Is(from, opening)) && IsControlPanelUp()) HideControlPanel();
    if (wanted(msg.Is<KeyboardCharMsg>())) RouteKey(static_cast<const KeyboardCharMsg&>(msg));
    if (wanted(msg.Is<OpeningCompleteMsg>() && Is(from, opening))) Send(OpeningCompleteMsg());
    if (wanted(msg.Is<ButtonClickedMsg>() && Is(from, button))) OnControlPanelButton();
    if (wanted(msg.Is<HostChatRoomMsg>())) ChatSystem(static_cast<const HostChatRoomMsg&>(msg).GetText());
    if (wanted(msg.Is<StartedMsg>() && Is(from, SenderOf(chatBox_))) && chatBox_)
        chatBox_->OnGainedKeyboardFocus();
    if (wanted(msg.Is<ExitMsg>() && Is(from, panel))) {
        if (controlPanel_) controlPanel_->Hide();
        Send(ExitMsg());
    }
    if (wanted(msg.Is<NewRoomMsg>() && Is(from, panel))) {
        if (controlPanel_) controlPanel_->Hide();
        Send(NewRoomMsg());
    }
    if (!fromQueue && msg.Is<ProgressTimedOutMsg>() && Is(from, SenderOf(progress_))) ProgressTimedOut();
    if (!fromQueue && msg.Is<ProgressCanceledMsg>() && Is(from, SenderOf(progress_))) ProgressCanceled();
    if (wanted(msg.Is<StoppedMsg>() && Is(from, SenderOf(screenStopper_)))) controlStopper_->Start();
    if (wanted(msg.Is<StoppedMsg>() && Is(from, SenderOf(controlStopper_))) && IsStopping()) {
        ::PictureView::OnStopping();
    }
    return ::PictureView::HandleMsg(msg, from, fromQueue, queued);
}

void PictureView::RouteKey(const KeyboardCharMsg& msg) {
    if (IsControlPanelUp()) {
        controlPanel_->OnKeyboardChar(msg);
        return;
    }
    Screen* current = GetCurrentScreen();
    if (current == nullptr) return;
    if (current == ads_.get() || current == chooseRoom_.get() || current == logon_.get() ||
        current == opening_.get() || current == composition_.get()) {
        current->OnKeyboardChar(msg);
    } else if (chatLines_ != nullptr) {
        chatLines_->OnKeyboardChar(msg);
    }
}

void PictureView::OnControlPanelButton() {
    if (controlPanelButton_ && controlPanelButton_->IsChecked()) {
        ShowControlPanel();
    } else {
        HideControlPanel();
    }
}

// ---- the control panel and ads over it ----

bool PictureView::IsControlPanelUp() const {
    return IsStarted() && controlPanel_ && controlPanel_->IsStarted() && controlPanel_->IsVisible();
}

void PictureView::ShowControlPanel() {
    Screen* current = GetCurrentScreen();
    if (controlPanel_ && !IsControlPanelUp() && current != nullptr && current != logon_.get() &&
        !IsOpeningOrAdsBusy() && opening_ && !opening_->IsBrandIntroPlaying()) {
        current->OnLostKeyboardFocus();
        controlPanel_->Show();
    }
    if (controlPanelButton_) controlPanelButton_->Check();
}

void PictureView::HideControlPanel() {
    if (IsControlPanelUp()) {
        controlPanel_->Hide();
        CloseComplaintDialog(false);
        if (Screen* current = GetCurrentScreen()) current->OnGainedKeyboardFocus();
    }
    if (controlPanelButton_) controlPanelButton_->Uncheck();
}

void PictureView::EnableControlPanelToggle() {
    if (controlPanel_) controlPanel_->EnableNewRoomToggle();
}

bool PictureView::IsOpeningOrAdsBusy() {
    Screen* current = GetCurrentScreen();
    if (ads_ && current == ads_.get() && adShowing_) return true;
    return opening_ && current == opening_.get() && opening_->IsSponsorAdPlaying();
}

void PictureView::OnAdStarting() {
    if (IsControlPanelUp()) {
        controlPanel_->Hide();
        panelHiddenForAd_ = true;
    }
    adShowing_ = true;
}

void PictureView::OnAdStopped() {
    if (panelHiddenForAd_ && controlPanel_) controlPanel_->Show();
    panelHiddenForAd_ = false;
    adShowing_ = false;
}

// ---- screens shown on request ----

void PictureView::AddLogonServer(const std::string& host, std::int32_t port) {
    logon_->AddServer(host, port);
}

void PictureView::ShowLogon(const std::string& productCode, const std::string& originCode,
                            const Version& version, const std::string& platformCode,
                            const std::string& userAgent, const std::string& registerCgi,
                            const std::string& validateCgi, const std::string& changeCgi,
                            bool simulateLogon) {
    logon_->SetProgramId(productCode);
    logon_->SetOriginCode(originCode);
    logon_->SetVersion(version);
    logon_->SetPlatform(platformCode);
    logon_->SetUserAgent(userAgent);
    logon_->SetText2(registerCgi);
    logon_->SetText3(validateCgi);
    logon_->SetText4(changeCgi);
    logon_->SetSimulateLogon(simulateLogon);
    ShowScreen(logon_.get(), 0, 0, 0, 0);
}

void PictureView::ShowChooseRoom() {
    if (!chooseRoom_) return;
    ShowScreen(chooseRoom_.get(), 0, 0, 0, 0);
    HideControlPanel();
    if (controlPanel_) controlPanel_->DisableNewRoomToggle();
}

void PictureView::ShowOpening() {
    if (!opening_) return;
    EnableControlPanelToggle();
    ShowScreen(opening_.get(), 0, 0, 0, 0);
}

void PictureView::SetSponsorAd(const AdInfo& ad) {
    if (opening_) opening_->SetSponsorAd(ad);
}

void PictureView::SetAdultAllowed(bool allowed) {
    adultAllowed_ = allowed;
    if (chooseRoom_) chooseRoom_->SetAdultAllowed(allowed);
}

void PictureView::SetPreflightMode(bool preflight) {
    preflightMode_ = preflight;
    if (chooseRoom_) chooseRoom_->SetPreflightMode(preflight);
}

void PictureView::SetPictureUserAgent(const std::string& agent) {
    if (picture_) picture_->SetHttpUserAgent(agent);
}

void PictureView::AddPictureServer(const std::string& host, std::int32_t port) {
    if (picture_) picture_->AddHttpServer(host, port);
}

// ---- progress ----

void PictureView::SetPhase(std::int32_t phase) {
    if (progressPhase_ == 0) progressPhase_ = phase;
}

void PictureView::StartProgressScreen() {
    progress_->Show();
    progressPhase_ = 0;
}

void PictureView::StopProgressScreen() {
    progress_->Hide();
    progressPhase_ = 0;
}

void PictureView::ShowDispatchConnecting(std::int32_t timeoutMs) {
    SetPhase(1);
    progress_->Reset();
    progress_->SetTitle("Contacting Dispatch Server");
    progress_->SetStatus("Connecting to dispatch server...");
    progress_->StartTimeout(timeoutMs);
}

void PictureView::ShowDispatchDownloading() {
    progress_->StopTimeout();
    progress_->SetStatus("Downloading dispatch information...");
    dispatchTotalSet_ = false;
}

void PictureView::SetDispatchProgress(std::int32_t total, std::int32_t received) {
    if (!dispatchTotalSet_) {
        progress_->SetProgressTotal(total);
        dispatchTotalSet_ = true;
    }
    progress_->AddProgress(received);
}

void PictureView::ShowDispatchProcessing() {
    progressPhase_ = 0;
    progress_->SetStatus("Processing dispatch information...");
    progress_->ProgressDone();
}

void PictureView::ShowUpdateConnecting(std::int32_t timeoutMs) {
    SetPhase(2);
    progress_->SetTitle("Updating Required Files");
    progress_->SetStatus("Connecting to content server...");
    progress_->ResetProgressBar();
    progress_->StartTimeout(timeoutMs);
}

void PictureView::ShowUpdateScriptDownloading() {
    progress_->StopTimeout();
    progress_->SetStatus("Downloading update script...");
    updateScriptTotalSet_ = false;
}

void PictureView::SetUpdateScriptProgress(std::int32_t total, std::int32_t received) {
    if (!updateScriptTotalSet_) {
        progress_->SetProgressTotal(total);
        updateScriptTotalSet_ = true;
    }
    progress_->AddProgress(received);
}

void PictureView::ShowUpdateScriptProcessing(std::int32_t timeoutMs) {
    progress_->SetStatus("Processing update script...");
    progress_->ResetProgressBar();
    progress_->DisableCancel();
    progress_->StartTimeout(timeoutMs);
}

void PictureView::UpdateScriptProcessed() {
    progress_->StopTimeout();
    progress_->EnableCancel();
}

void PictureView::ShowUpdateFilesDownloading(std::int32_t total) {
    progress_->SetStatus("Downloading file updates...");
    progress_->SetProgressTotal(total);
}

void PictureView::AddUpdateFilesProgress(std::int32_t bytes) {
    progress_->AddProgress(bytes);
}

void PictureView::ShowLoadingResources(std::int32_t timeoutMs) {
    progress_->SetTitle("Loading Resources");
    progress_->SetStatus("Please wait...");
    progress_->ProgressDone();
    progress_->ResetProgressBar();
    progress_->StartTimeout(timeoutMs);
    progress_->DisableCancel();
}

void PictureView::SetProgressStatus() {
    progressPhase_ = 0;
    progress_->SetStatus("");
    progress_->StopTimeout();
}

void PictureView::ShowLobbyConnecting(std::int32_t timeoutMs) {
    SetPhase(3);
    progress_->Reset();
    progress_->SetTitle("Connecting To Lobby");
    progress_->SetStatus("Please wait...");
    progress_->StartTimeout(timeoutMs);
}

void PictureView::StopProgressTimeout() {
    progressPhase_ = 0;
    progress_->StopTimeout();
}

void PictureView::ProgressTimedOut() {
    switch (progressPhase_) {
        case 0:
            return;
        case 1:
            Send(DispatchProgressTimedOutMsg());
            return;
        case 2:
            Send(FileUpdateProgressTimedOutMsg());
            return;
        case 3:
            Send(ListRoomProgressTimedOutMsg());
            return;
        default:
            throw 0;
    }
}

void PictureView::ProgressCanceled() {
    switch (progressPhase_) {
        case 0:
            return;
        case 1:
            Send(DispatchProgressCanceledMsg());
            return;
        case 2:
            Send(FileUpdateProgressCanceledMsg());
            return;
        case 3:
            Send(ListRoomProgressCanceledMsg());
            return;
        default:
            throw 0;
    }
}

// ---- segments ----

void PictureView::ShowSegment(Screen* screen, const SegmentRoomMsg& msg) {
    ShowScreen(screen, PhaseTime(msg.GetStartDelay()), PhaseTime(msg.GetArg3()), PhaseTime(msg.GetArg4()),
               PhaseTime(msg.GetLength()));
}

void PictureView::StartComp(const StartCompRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    picture_->SetPicture(msg.GetPicture());
    composition_->SetStartComp(msg);
    ShowSegment(composition_.get(), msg);
}

void PictureView::StartVote(const StartVoteRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    if (msg.GetPicture().number1 != picture_->GetCurrentPictureId()) picture_->SetPicture(msg.GetPicture());
    voting_->SetStartVote(msg);
    ShowSegment(voting_.get(), msg);
}

void PictureView::StartScore(const StartScoreRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    scoring_->SetStartMsg(msg);
    captions_->SetScoreFlag(msg.GetFlag1());
    ShowSegment(scoring_.get(), msg);
}

void PictureView::StartFatChanceSelection(const StartFatChanceSelectionRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    fatChance_->SetBoard(msg.GetSelectorName() == localPlayerName_, msg.GetNumber2(), msg.GetEntries());
    fatChanceSelection_->SetStartMsg(msg);
    ShowSegment(fatChanceSelection_.get(), msg);
}

void PictureView::StartFatChanceResults(const StartFatChanceResultsRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    fatChance_->SetResult(msg.GetNumber1(), msg.GetEntries());
    fatChanceResults_->SetStartMsg(msg);
    ShowSegment(fatChanceResults_.get(), msg);
}

void PictureView::StartRoundWinner(const StartRoundWinnerRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    if (msg.GetPicture().number1 != picture_->GetCurrentPictureId()) picture_->SetPicture(msg.GetPicture());
    roundWinner_->SetStartMsg(msg);
    ShowSegment(roundWinner_.get(), msg);
}

void PictureView::StartPreflight(const StartPreflightRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    picture_->SetPicture(msg.GetPicture());
    preflight_->SetStartMsg(msg);
    ShowSegment(preflight_.get(), msg);
}

void PictureView::StartGameWinner(const StartGameWinnerRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    gameWinner_->SetStartMsg(msg);
    ShowSegment(gameWinner_.get(), msg);
}

void PictureView::StartPictureAds(const StartPictureAdsRoomMsg& msg) {
    // Segments mean nothing before the start built the screens, or after the stop.
    if (!room_) return;
    ads_->SetBreakIndex(msg.GetNumber());
    ads_->SetAdList(msg.GetAds());
    ShowSegment(ads_.get(), msg);
}

// ---- the room chooser ----

void PictureView::RoomListBegin(const RoomListBeginRoomMsg& msg) {
    if (chooseRoom_) chooseRoom_->RoomListBegin(msg);
}

void PictureView::RoomListItem(const RoomListItemRoomMsg& msg) {
    if (chooseRoom_) chooseRoom_->RoomListItem(msg);
}

void PictureView::RoomUpdate(const RoomUpdateRoomMsg& msg) {
    if (chooseRoom_) chooseRoom_->RoomUpdate(msg);
}

void PictureView::PlayerFound(const PlayerFoundRoomMsg& msg) {
    if (chooseRoom_) chooseRoom_->PlayerFound(msg);
}

void PictureView::PlayerNotFound(const PlayerNotFoundRoomMsg& msg) {
    if (chooseRoom_) chooseRoom_->PlayerNotFound(msg);
}

void PictureView::ChooseAnotherRoom(const std::string& text) {
    if (chooseRoom_) chooseRoom_->ChooseAnotherRoom(text);
}

void PictureView::EnterRoom(const PictureRoom& room) {
    if (room_) *room_ = room;
    if (chatLines_) chatLines_->SetFlag(room.IsLanguageFiltered());
    if (playerRows_) playerRows_->SetRoomName(room.GetName());
}

// ---- players and chat ----
// The room's messages keep coming while the shared controls do not exist
// (before the start, after the stop): an absent control is skipped.

void PictureView::PlayerListBegin() {
    if (playerRows_) playerRows_->RemoveAllRows();
}

void PictureView::SetLocalPlayerName(const std::string& name) {
    localPlayerName_ = name;
    if (chatLines_) chatLines_->SetNameText(name);
    if (playerRows_) playerRows_->SetLocalPlayerName(name);
    if (captions_) captions_->SetLocalPlayerName(name);
}

void PictureView::AddPlayer(const Player& player) {
    const auto* picturePlayer = dynamic_cast<const PicturePlayer*>(&player);
    if (picturePlayer == nullptr || playerRows_ == nullptr) return;
    playerRows_->AddRow(picturePlayer->GetName(), std::to_string(picturePlayer->GetScore()), "", "", "", true, 0,
                        1);
}

void PictureView::RemovePlayer(const Player& player) {
    if (playerRows_ == nullptr) return;
    const std::int32_t row = playerRows_->FindRow(0, player.GetName(), true);
    if (row >= 0) playerRows_->RemoveRow(row);
}

bool PictureView::SplitPlayerName(const std::string& text, std::string& name, std::string& rest) {
    if (playerRows_ == nullptr) return false;
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        if (!std::isspace(static_cast<unsigned char>(text[cut]))) continue;
        const std::string part = text.substr(0, cut);
        if (playerRows_->FindRowEx(0, part) >= 0) {
            name = part;
            rest = text.substr(cut + 1);
            return true;
        }
    }
    if (playerRows_->FindRowEx(0, text) >= 0) {
        name = text;
        rest.clear();
        return true;
    }
    return false;
}

void PictureView::ChatPublic(const std::string& name, const std::string& text) {
    if (chatLines_) chatLines_->AddPublicLine(name, text);
}

void PictureView::ChatPrivate(const std::string& sender, const std::string& recipient,
                              const std::string& text) {
    if (chatLines_) chatLines_->AddPrivateLine(sender, recipient, text);
}

void PictureView::ChatMe(const std::string& name, const std::string& text) {
    if (chatLines_) chatLines_->AddMeLine(name, text);
}

void PictureView::ChatSystem(const std::string& text) {
    if (chatLines_) chatLines_->AddSystemLine(text);
}

void PictureView::ChatAddLine(const std::string& text) {
    if (chatLines_) chatLines_->AddLine(1, text);
}

void PictureView::ToggleIgnore(const std::string& name) {
    if (chatLines_ == nullptr) return;
    // Letter case aside: the player list finds one's own row ignoring case.
    if (EqualIgnoringCase(name, GetLocalPlayerName())) {
        ChatSystem("You can't ignore yourself.");
    } else if (chatLines_->IsIgnored(name)) {
        chatLines_->UnignorePlayer(name);
        ChatSystem("Showing messages from " + name + ".");
    } else if (playerRows_ == nullptr || playerRows_->FindRowEx(0, name) == -1) {
        ChatSystem("Player " + name + " not found.");
    } else {
        chatLines_->IgnorePlayer(name);
        ChatSystem("Ignoring messages from " + name + ".");
    }
}

void PictureView::SaveChatHistory() {
    if (chatLines_) chatLines_->SaveHistory();
}

void PictureView::SetChatLogging(std::int32_t mode) {
    if (chatLines_) chatLines_->SetLogging(mode);
}

bool PictureView::IsPlayerIgnored(const std::string& name) {
    return chatLines_ != nullptr && chatLines_->IsIgnored(name);
}

void PictureView::ShowHello(const HelloRoomMsg& msg) {
    if (chatLines_ == nullptr) return;
    chatLines_->Clear();
    ChatSystem(kRule);
    ChatSystem(std::string(15, ' ') + msg.GetGreeting());
    ChatSystem(kRule);
}

// ---- the room bot's answers ----

void PictureView::CompReceived(const CompReceivedRoomMsg&) {}

void PictureView::CompLate(const CompLateRoomMsg&) {
    ChatSystem("Caption late");
}

void PictureView::CompInvalid(const CompInvalidRoomMsg& msg) {
    ChatSystem("Caption invalid:  " + msg.GetText());
}

void PictureView::VoteReceived(const VoteReceivedRoomMsg&) {}

void PictureView::VoteLate(const VoteLateRoomMsg&) {
    ChatSystem("Vote late");
}

void PictureView::VoteInvalid(const VoteInvalidRoomMsg& msg) {
    ChatSystem("Vote invalid:  " + msg.GetText());
}

void PictureView::FatChanceSelectionReceived(const FatChanceSelectionReceivedRoomMsg&) {}

void PictureView::FatChanceSelectionLate(const FatChanceSelectionLateRoomMsg&) {
    ChatSystem("Dar Eradar selection late");
}

void PictureView::FatChanceSelectionInvalid(const FatChanceSelectionInvalidRoomMsg& msg) {
    ChatSystem("Dar Eradar selection invalid:  " + msg.GetText());
}

// ---- pictures and captions ----

void PictureView::DownloadPicture(const DownloadPictureRoomMsg& msg) {
    if (picture_) picture_->DownloadPicture(msg.GetPicture());
}

void PictureView::ShowCompList(const CaptionList& captions) {
    if (captions_) captions_->ShowCompList(captions);
}

void PictureView::ShowResultsList(const ResultsList& results) {
    if (captions_) captions_->ShowResultsList(results);
}

void PictureView::SetCaptionsCount(std::int32_t count) {
    if (captions_) captions_->SetCount(count);
}

void PictureView::SetCaptionsFlag(bool flag) {
    if (captions_) captions_->SetListFlag(flag);
}

// ---- chat commands that act on the game ----

bool PictureView::IsCountdownRunning() {
    return timer_ && timer_->IsRunning();
}

void PictureView::CaptionCommand(const std::string& caption) {
    if (composition_ && GetCurrentScreen() == composition_.get() && IsCountdownRunning()) {
        if (caption.empty()) {
            ChatSystem("You must provide a caption with /c.");
        } else {
            composition_->SubmitCaption(caption, "");
        }
        return;
    }
    ChatSystem("You may only write captions during the composition round.");
}

void PictureView::VoteCommand(std::int32_t number) {
    if (voting_ && GetCurrentScreen() == voting_.get() && IsCountdownRunning()) {
        if (number == 0) {
            ChatSystem("You must provide a caption number with /v.");
        } else if (number == -1) {
            ChatSystem("You may only vote for the captions listed.");
        } else {
            captions_->VoteFor(number);
        }
        return;
    }
    ChatSystem("You may only vote during the voting round.");
}

void PictureView::FatChanceCommand() {
    if (fatChanceSelection_ && GetCurrentScreen() == fatChanceSelection_.get() && IsCountdownRunning()) {
        fatChance_->Choose(chatLines_, 1);
        return;
    }
    ChatSystem("You may only try your luck during the fat chance round.");
}

}  // namespace view
