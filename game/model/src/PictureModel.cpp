#include "game/model/PictureModel.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "divir/xDesktop.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xRandom.h"
#include "divir/xTokenizer.h"
#include "divir/xVersionInfo.h"
#include "framework/AnySender.h"
#include "framework/AppTime.h"
#include "framework/ErrorMsg.h"
#include "framework/ObjectRegistry.h"
#include "framework/PausedMsg.h"
#include "framework/ReadyToPlayNextScreenMsg.h"
#include "framework/ResumedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/AdProcess.h"
#include "controls/LocalOriginChatMsg.h"
#include "game/model/PictureDispatchProxy.h"
#include "game/model/PictureDispatchSucceededMsg.h"
#include "game/model/PicturePlayer.h"
#include "game/model/PicturePlayerFactory.h"
#include "game/model/PictureRoomFactory.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureRoomProxy.h"
#include "game/model/PictureView.h"
#include "game/model/PictureViewMsgs.h"
#include "net/DispatchMsg.h"
#include "net/FileUpdateMsgs.h"
#include "net/FileUpdateService.h"
#include "net/GenericRoomMsgs.h"
#include "net/RoomProxyMsgs.h"
#include "platform/CommandLine.h"
#include "platform/HostFileSystem.h"
#include "platform/HostPath.h"
#include "platform/MessageBoxSink.h"
#include "platform/ProcessLauncher.h"
#include "platform/Registry.h"
#include "resource/ExeResource.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "sound/SoundService.h"

namespace {

XAppObject* CreateModel() {
    return new PictureModel();
}

void DestroyModel(XAppObject* object) {
    delete object;
}

// Registers the game's application object while the program starts.
struct Registrar {
    Registrar() { PictureModel::Register(); }
    ~Registrar() { done = true; }
    bool done = false;
};
Registrar registrar;

const PictureRoom kDefaultRoom;

template <class T>
bool IsA(const Msg& msg) {
    return msg.Is<T>();
}

template <class T>
const T& As(const Msg& msg) {
    return static_cast<const T&>(msg);
}

bool EqualsCaseBlind(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Everything but letters, digits and "-._~" as "%XX": ad names come from the
// room bot and go into a query.
std::string PercentEncode(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

// A string value of the game's key under the local-machine root; as a buffer of
// 260 characters would, a longer value reads as none.
bool ReadGameString(const std::string& gameKey, const std::string& valueName, std::string& out) {
    platform::Registry& registry = platform::Registry::Default();
    platform::RegistryKey key = 0;
    if (!registry.OpenKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine), gameKey, key)) {
        return false;
    }
    platform::RegistryType type = platform::RegistryType::None;
    std::vector<std::uint8_t> data;
    const bool read = registry.QueryValue(key, valueName, type, data);
    registry.CloseKey(key);
    if (!read || data.size() > 260) return false;
    std::string text(data.begin(), data.end());
    const std::size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    out = text;
    return true;
}

bool FolderExists(const std::string& folder) {
    return !folder.empty() && platform::HostIsDirectory(platform::ResolveHostPath(folder));
}

// "C:\Game\Client.exe" gives "C:\Game\" and "Client.exe".
std::pair<std::string, std::string> SplitProgramPath(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return {"", path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

}  // namespace

void PictureModel::Register() {
    // Offered before the application object's base registers the name.
    FileResourceFactory::Provide();
    ObjectRegistry::RegisterApplication(&CreateModel, &DestroyModel);
}

void PictureModel::SetMakers(Makers makers) {
    GetMakers() = std::move(makers);
}

PictureModel::Makers& PictureModel::GetMakers() {
    static Makers makers;
    return makers;
}

PictureModel::PictureModel() {
    const std::string programPath = xFileGetApplicationFileSpec().c_str();
    const auto [programFolder, programName] = SplitProgramPath(programPath);
    ownFile_ = std::make_unique<ExeResource>(programName);
    currentRoom_ = kDefaultRoom;

    xRandomSeed(GetAppTime());
    xBeginBusyPhase();
    RebaseAppTime();

    xFileStartup(100);
    xFileAddToSearchPath(xFileSpec(".\\"));

    std::array<char, 100> productName{};
    std::array<char, 100> comments{};
    std::array<char, 100> specialBuild{};
    std::uint16_t parts[4] = {};
    if (!ReadVersionInfo(programPath.c_str(), &parts[0], &parts[1], &parts[2], &parts[3], productName.data(),
                         productName.size(), comments.data(), comments.size(), specialBuild.data(),
                         specialBuild.size())) {
        throw 0;
    }
    productName_ = productName.data();

    settings_ = LocalSettings::Read(platform::GetCommandLine(), programFolder, platform::Registry::Default());
    // Read when the view's root makes the sound service.
    SoundService::SetSoundOff(settings_.disableSound);

    PictureRoomMsgFactory::Register();
    PictureRoomFactory::Register();
    PicturePlayerFactory::Register();

    Makers& makers = GetMakers();
    dispatchProxy_ =
        makers.dispatchProxy ? makers.dispatchProxy(this) : std::make_unique<PictureDispatchProxy>(this);
    dispatchProxy_->SetTimeout(dispatchTimeout_);
    dispatchProxy_->SetUserAgent(versionId_);
    dispatchProxy_->AddServer(settings_.dispatchServerName, settings_.dispatchServerPort);
    dispatchProxy_->SetDispatchPath(settings_.dispatchServerFilePath);

    fileUpdateService_ =
        makers.fileUpdateService ? makers.fileUpdateService(this) : std::make_unique<FileUpdateService>(this);
    fileUpdateService_->SetClientVersion(ownFile_->GetVersion());
    fileUpdateService_->SetTimeout(updateTimeout_);
    fileUpdateService_->SetUserAgent(versionId_);

    lobbyProxy_ = makers.roomProxy ? makers.roomProxy() : std::make_unique<PictureRoomProxy>();
    lobbyProxy_->AddReceiver(this);
    gameRoomProxy_ = makers.roomProxy ? makers.roomProxy() : std::make_unique<PictureRoomProxy>();
    gameRoomProxy_->AddReceiver(this);

    view_ = makers.view ? makers.view(GetName(), settings_.screenBitsPerPixel, settings_.screenWidth,
                                      settings_.screenHeight, settings_.fullScreen, true)
                        : std::make_unique<PictureView>(GetName(), settings_.screenBitsPerPixel,
                                                        settings_.screenWidth, settings_.screenHeight,
                                                        settings_.fullScreen, true);
    view_->AddReceiver(this);

    RegisterFile(ownFile_.get());
    FindOrRegisterFile(kDebugExeName);
    // The running program is not replaced under itself: a downloaded replacement
    // stays pending, and the updater program moves it in once this one has ended.
    ownFile_->Lock();
}

PictureModel::~PictureModel() {
    AdProcess::ClearAdFolder();
    if (view_) view_->RemoveReceiver(this);
    view_.reset();
    if (gameRoomProxy_) gameRoomProxy_->RemoveReceiver(this);
    gameRoomProxy_.reset();
    if (lobbyProxy_) lobbyProxy_->RemoveReceiver(this);
    lobbyProxy_.reset();
    if (fileUpdateService_) fileUpdateService_->RemoveReceiver(this);
    fileUpdateService_.reset();
    dispatchProxy_.reset();
    xFileResetSearchPath();
    xFileCleanup();
    xEndBusyPhase();
}

void PictureModel::ShowControlPanel() {
    view_->ShowControlPanel();
}

void PictureModel::HideControlPanel() {
    view_->HideControlPanel();
}

bool PictureModel::IsControlPanelUp() const {
    return view_->IsControlPanelUp();
}

void PictureModel::RunExecutables() {
    try {
        XApplication::RunExecutables();
    } catch (...) {
        throw 0;
    }
}

MsgSender* PictureModel::SenderOf(Sender sender) const {
    switch (sender) {
        case Sender::Dispatch:
            return dispatchProxy_.get();
        case Sender::FileUpdate:
            return fileUpdateService_.get();
        case Sender::Lobby:
            return lobbyProxy_.get();
        case Sender::GameRoom:
            return gameRoomProxy_.get();
        case Sender::View:
            return ViewSender();
        case Sender::Any:
            return AnySender;
    }
    return nullptr;
}

MsgSender* PictureModel::ViewSender() const {
    return static_cast<Process*>(view_.get());
}

// The entries in testing order. Senders: the dispatch proxy, the file-update
// service, the lobby and game room proxies, the view, or any.
const std::vector<PictureModel::Entry>& PictureModel::Table() {
    using M = PictureModel;
    using S = Sender;
    static const std::vector<Entry> table = {
        // 1-3: the pump.
        {&IsA<RoomMsgAvailableMsg>, S::Lobby, [](M& m, const Msg&, MsgSender*) { m.PumpRoomMsgs(); }, false},
        {&IsA<RoomMsgAvailableMsg>, S::GameRoom, [](M& m, const Msg&, MsgSender*) { m.PumpRoomMsgs(); }, false},
        {&IsA<ReadyToPlayNextScreenMsg>, S::View,
         [](M& m, const Msg&, MsgSender*) {
             if (m.lobbyProxy_->IsPaused()) {
                 m.lobbyProxy_->Resume();
             } else {
                 m.PumpRoomMsgs();
             }
         },
         false},
        // 4-8: dispatch.
        {&IsA<DispatchStartedMsg>, S::Dispatch, [](M& m, const Msg&, MsgSender*) { m.view_->ShowDispatchDownloading(); },
         false},
        {&IsA<DispatchReceivedDataMsg>, S::Dispatch,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& data = As<DispatchReceivedDataMsg>(msg);
             m.view_->SetDispatchProgress(data.GetData(), data.GetLength());
         },
         false},
        {&IsA<DispatchProgressCanceledMsg>, S::View, [](M& m, const Msg&, MsgSender*) { m.StopIfStarted(); }, false},
        {&IsA<DispatchProgressTimedOutMsg>, S::View,
         [](M& m, const Msg&, MsgSender*) {
             m.ShowErrorBox(kDispatchErrorText);
             m.StopIfStarted();
         },
         false},
        {&IsA<PictureDispatchSucceededMsg>, S::Dispatch,
         [](M& m, const Msg& msg, MsgSender*) { m.AcceptDispatch(As<PictureDispatchSucceededMsg>(msg).GetInfo()); },
         false},
        // 9-16: file update.
        {&IsA<FileUpdateProgressCanceledMsg>, S::View, [](M& m, const Msg&, MsgSender*) { m.StopIfStarted(); },
         false},
        {&IsA<FileUpdateGettingUpdateScriptMsg>, S::FileUpdate,
         [](M& m, const Msg&, MsgSender*) { m.view_->ShowUpdateScriptDownloading(); }, false},
        {&IsA<FileUpdateReceivingUpdateScriptMsg>, S::FileUpdate,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& data = As<FileUpdateReceivingUpdateScriptMsg>(msg);
             m.view_->SetUpdateScriptProgress(data.GetData(), data.GetLength());
         },
         false},
        {&IsA<FileUpdateGotUpdateScriptMsg>, S::FileUpdate,
         [](M& m, const Msg&, MsgSender*) { m.view_->ShowUpdateScriptProcessing(kUpdateScriptTimeoutMs); }, false},
        {&IsA<FileUpdateProcessedUpdateScriptMsg>, S::FileUpdate,
         [](M& m, const Msg&, MsgSender*) { m.view_->UpdateScriptProcessed(); }, false},
        {&IsA<FileUpdateGettingMandatoryFilesMsg>, S::FileUpdate,
         [](M& m, const Msg& msg, MsgSender*) {
             m.view_->ShowUpdateFilesDownloading(As<FileUpdateGettingMandatoryFilesMsg>(msg).GetTotalBytes());
         },
         false},
        {&IsA<FileUpdateReceivingMandatoryFilesMsg>, S::FileUpdate,
         [](M& m, const Msg& msg, MsgSender*) {
             m.view_->AddUpdateFilesProgress(As<FileUpdateReceivingMandatoryFilesMsg>(msg).GetLength());
         },
         false},
        {&IsA<FileUpdateGotMandatoryFilesMsg>, S::FileUpdate,
         [](M& m, const Msg&, MsgSender*) { m.SelfUpdateOrLoadResources(); }, false},
        // 17-25: logon, lobby, room, opening.
        {&IsA<StartedMsg>, S::View,
         [](M& m, const Msg&, MsgSender*) {
             m.view_->SetProgressStatus();
             m.view_->StopProgressScreen();
             m.BeginLogon();
         },
         false},
        // Refused unless started: a cancel drained after a failure must not end
        // the program with the internal-error text.
        {&IsA<LogonScreenCanceledMsg>, S::View, [](M& m, const Msg&, MsgSender*) { m.StopIfStarted(); }, false},
        {&IsA<LogonScreenSucceededMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& logon = As<LogonScreenSucceededMsg>(msg);
             m.playerName_ = logon.GetName();
             m.playerId_ = logon.GetPlayerId();
             m.sessionId_ = logon.GetSessionId();
             m.adultAllowed_ = logon.GetAdult() != 0;
             m.view_->SetLocalPlayerName(m.playerName_);
             m.view_->SetAdultAllowed(m.adultAllowed_);
             m.view_->SetPreflightMode(m.settings_.preflight);
             m.ConnectToLobby();
         },
         false},
        {&IsA<ListRoomProgressCanceledMsg>, S::View, [](M& m, const Msg&, MsgSender*) { m.StopIfStarted(); }, false},
        {&IsA<PausedMsg>, S::Lobby,
         [](M& m, const Msg&, MsgSender*) {
             if (m.view_->IsReadyForScreen() && m.lobbyProxy_->IsPaused()) m.lobbyProxy_->Resume();
         },
         true},
        {&IsA<ResumedMsg>, S::Lobby,
         [](M& m, const Msg&, MsgSender*) {
             m.view_->StopProgressTimeout();
             m.view_->StopProgressScreen();
             m.view_->ShowChooseRoom();
         },
         false},
        {&IsA<RoomSelectedMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& selected = As<RoomSelectedMsg>(msg);
             m.EnterRoom(selected.GetRoom(), selected.GetNumber());
         },
         false},
        {&IsA<PausedMsg>, S::GameRoom, [](M& m, const Msg&, MsgSender*) { m.DecideOpening(); }, false},
        {&IsA<OpeningCompleteMsg>, S::View,
         [](M& m, const Msg&, MsgSender*) {
             // The room may have been lost while the opening played.
             if (m.gameRoomProxy_->IsPaused()) m.gameRoomProxy_->Resume();
             m.view_->EnableControlPanelToggle();
         },
         false},
        // 26-30: ads.
        {&IsA<SponsorAdRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.fileUpdateService_->SetSponsorAd(As<SponsorAdRoomMsg>(msg).GetAd()); },
         false},
        {&IsA<FileUpdateGotSponsorAdMsg>, S::FileUpdate,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->SetSponsorAd(As<FileUpdateGotSponsorAdMsg>(msg).GetName()); },
         false},
        {&IsA<AdDownloadListBeginRoomMsg>, S::GameRoom,
         [](M& m, const Msg&, MsgSender*) { m.adDownloadList_.clear(); }, false},
        {&IsA<AdDownloadListItemRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             m.adDownloadList_.push_back(As<AdDownloadListItemRoomMsg>(msg).GetAd());
         },
         false},
        {&IsA<AdDownloadListEndRoomMsg>, S::GameRoom,
         [](M& m, const Msg&, MsgSender*) { m.fileUpdateService_->SetAdDownloadList(m.adDownloadList_); }, false},
        // 31-33: stops.
        {&IsA<StoppedMsg>, S::Lobby,
         [](M& m, const Msg&, MsgSender*) {
             // Only while the game runs: a lobby lost while stopping, or after the
             // failure that ended the game, stays down.
             if (m.IsStarted() && m.gameRoomProxy_->IsStopped()) m.ConnectToLobby();
         },
         false},
        {&IsA<StoppedMsg>, S::GameRoom, [](M& m, const Msg&, MsgSender*) { m.OnGameRoomStopped(); }, false},
        {&IsA<StoppedMsg>, S::View, [](M& m, const Msg&, MsgSender*) { m.OnViewStopped(); }, false},
        // 34-45: the player's doings.
        {&IsA<LocalOriginChatMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) { m.OnChatLine(As<LocalOriginChatMsg>(msg)); }, false},
        {&IsA<ComplaintRoomMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             if (m.gameRoomProxy_->IsStarted()) m.gameRoomProxy_->SendComplaint(As<ComplaintRoomMsg>(msg));
         },
         false},
        {&IsA<PictureViewedRoomMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             if (m.gameRoomProxy_->IsStarted()) m.gameRoomProxy_->SendPictureViewed(As<PictureViewedRoomMsg>(msg));
         },
         false},
        {&IsA<FindPlayerMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) { m.FindPlayer(As<FindPlayerMsg>(msg).GetName()); }, false},
        {&IsA<ExitMsg>, S::View, [](M& m, const Msg&, MsgSender*) { m.StopIfStarted(); }, false},
        {&IsA<NewRoomMsg>, S::View,
         [](M& m, const Msg&, MsgSender*) {
             if (m.gameRoomProxy_->IsStarted() || m.gameRoomProxy_->IsPaused()) {
                 m.gameRoomProxy_->SetLogoffFlag(false);
                 m.gameRoomProxy_->Stop();
             }
         },
         false},
        {&IsA<CompRoomMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& comp = As<CompRoomMsg>(msg);
             m.gameRoomProxy_->SendComp(m.segmentId_, comp.GetLine1(), comp.GetLine2());
         },
         false},
        {&IsA<VoteRoomMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             m.gameRoomProxy_->SendVote(m.segmentId_, As<VoteRoomMsg>(msg).GetAuthorName());
         },
         false},
        {&IsA<FatChanceSelectionRoomMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             m.gameRoomProxy_->SendFatChanceSelection(m.segmentId_, As<FatChanceSelectionRoomMsg>(msg).GetEntry());
         },
         false},
        {&IsA<AdViewedMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& viewed = As<AdViewedMsg>(msg);
             m.OnAdViewed(viewed.GetAd(), viewed.GetClicked());
         },
         false},
        {&IsA<AdSelectedMsg>, S::View,
         [](M& m, const Msg& msg, MsgSender*) { m.OnAdSelected(As<AdSelectedMsg>(msg).GetAd()); }, false},
        {&IsA<ErrorMsg>, S::Any, [](M& m, const Msg& msg, MsgSender* from) { m.ReportError(As<ErrorMsg>(msg), from); },
         false},
        // 46-48: the lobby's room list.
        {&IsA<RoomListBeginRoomMsg>, S::Lobby,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->RoomListBegin(As<RoomListBeginRoomMsg>(msg)); }, false},
        {&IsA<RoomListItemRoomMsg>, S::Lobby,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->RoomListItem(As<RoomListItemRoomMsg>(msg)); }, false},
        {&IsA<RoomUpdateRoomMsg>, S::Lobby,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->RoomUpdate(As<RoomUpdateRoomMsg>(msg)); }, false},
        // 49-56: the game room's players and chat.
        {&IsA<PlayerListBeginRoomMsg>, S::GameRoom, [](M& m, const Msg&, MsgSender*) { m.view_->PlayerListBegin(); },
         false},
        {&IsA<PlayerListItemRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const Player* player = As<PlayerListItemRoomMsg>(msg).GetPlayer();
             if (player != nullptr && m.gameRoomProxy_->IsStarted()) m.view_->AddPlayer(*player);
         },
         false},
        {&IsA<PlayerJoinRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const Player* player = As<PlayerJoinRoomMsg>(msg).GetPlayer();
             if (player != nullptr && player->GetName() != m.playerName_ && m.gameRoomProxy_->IsStarted()) {
                 m.view_->AddPlayer(*player);
             }
         },
         false},
        {&IsA<PlayerLeaveRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const Player* player = As<PlayerLeaveRoomMsg>(msg).GetPlayer();
             if (player != nullptr && player->GetName() != m.playerName_) m.view_->RemovePlayer(*player);
         },
         false},
        {&IsA<PublicChatRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& chat = As<PublicChatRoomMsg>(msg);
             if (chat.GetSender() != m.playerName_) m.view_->ChatPublic(chat.GetSender(), chat.GetText());
         },
         false},
        {&IsA<PrivateChatRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& chat = As<PrivateChatRoomMsg>(msg);
             m.view_->ChatPrivate(chat.GetSender(), chat.GetAddressee(), chat.GetText());
         },
         false},
        {&IsA<MeChatRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& chat = As<MeChatRoomMsg>(msg);
             m.view_->ChatMe(chat.GetSender(), chat.GetText());
         },
         false},
        {&IsA<HostChatRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->ChatSystem(As<HostChatRoomMsg>(msg).GetText()); }, false},
        // 57-58: find-my-friend answers, from either room.
        {&IsA<PlayerFoundRoomMsg>, S::Any,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->PlayerFound(As<PlayerFoundRoomMsg>(msg)); }, false},
        {&IsA<PlayerNotFoundRoomMsg>, S::Any,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->PlayerNotFound(As<PlayerNotFoundRoomMsg>(msg)); }, false},
        // 59-68: segments.
        {&IsA<StartPictureAdsRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->StartPictureAds(As<StartPictureAdsRoomMsg>(msg)); }, false},
        {&IsA<HelloRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->ShowHello(As<HelloRoomMsg>(msg)); }, false},
        {&IsA<StartCompRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& start = As<StartCompRoomMsg>(msg);
             m.segmentId_ = start.GetSegmentId();
             m.segmentIdSet_ = true;
             m.view_->StartComp(start);
         },
         false},
        {&IsA<StartVoteRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& start = As<StartVoteRoomMsg>(msg);
             m.segmentId_ = start.GetSegmentId();
             m.segmentIdSet_ = true;
             m.view_->StartVote(start);
         },
         false},
        {&IsA<StartScoreRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->StartScore(As<StartScoreRoomMsg>(msg)); }, false},
        {&IsA<StartFatChanceSelectionRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& start = As<StartFatChanceSelectionRoomMsg>(msg);
             m.segmentId_ = start.GetSegmentId();
             m.segmentIdSet_ = true;
             m.fatChanceEntries_ = start.GetEntries();
             m.view_->StartFatChanceSelection(start);
         },
         false},
        {&IsA<StartFatChanceResultsRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             m.view_->StartFatChanceResults(As<StartFatChanceResultsRoomMsg>(msg));
         },
         false},
        {&IsA<StartRoundWinnerRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->StartRoundWinner(As<StartRoundWinnerRoomMsg>(msg)); },
         false},
        {&IsA<StartGameWinnerRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->StartGameWinner(As<StartGameWinnerRoomMsg>(msg)); },
         false},
        {&IsA<StartPreflightRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->StartPreflight(As<StartPreflightRoomMsg>(msg)); }, false},
        // 69-74: the caption and results lists.
        {&IsA<CompListBeginRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             m.captionList_.clear();
             m.view_->SetCaptionsFlag(As<CompListBeginRoomMsg>(msg).GetFlag());
         },
         false},
        {&IsA<CompListItemRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.captionList_.push_back(msg.Clone()); }, false},
        {&IsA<CompListEndRoomMsg>, S::GameRoom, [](M& m, const Msg&, MsgSender*) { m.view_->ShowCompList(m.captionList_); },
         false},
        {&IsA<ResultsListBeginRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             const auto& begin = As<ResultsListBeginRoomMsg>(msg);
             m.resultsList_.clear();
             m.view_->SetCaptionsCount(begin.GetNumber2());
             m.view_->SetCaptionsFlag(begin.GetFlag());
         },
         false},
        {&IsA<ResultsListItemRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.resultsList_.push_back(msg.Clone()); }, false},
        {&IsA<ResultsListEndRoomMsg>, S::GameRoom,
         [](M& m, const Msg&, MsgSender*) { m.view_->ShowResultsList(m.resultsList_); }, false},
        // 75-84: the room bot's answers and the picture to fetch.
        {&IsA<CompReceivedRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->CompReceived(As<CompReceivedRoomMsg>(msg)); }, false},
        {&IsA<CompLateRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->CompLate(As<CompLateRoomMsg>(msg)); }, false},
        {&IsA<CompInvalidRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->CompInvalid(As<CompInvalidRoomMsg>(msg)); }, false},
        {&IsA<VoteReceivedRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->VoteReceived(As<VoteReceivedRoomMsg>(msg)); }, false},
        {&IsA<VoteLateRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->VoteLate(As<VoteLateRoomMsg>(msg)); }, false},
        {&IsA<VoteInvalidRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->VoteInvalid(As<VoteInvalidRoomMsg>(msg)); }, false},
        {&IsA<FatChanceSelectionReceivedRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             m.view_->FatChanceSelectionReceived(As<FatChanceSelectionReceivedRoomMsg>(msg));
         },
         false},
        {&IsA<FatChanceSelectionLateRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             m.view_->FatChanceSelectionLate(As<FatChanceSelectionLateRoomMsg>(msg));
         },
         false},
        {&IsA<FatChanceSelectionInvalidRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) {
             m.view_->FatChanceSelectionInvalid(As<FatChanceSelectionInvalidRoomMsg>(msg));
         },
         false},
        {&IsA<DownloadPictureRoomMsg>, S::GameRoom,
         [](M& m, const Msg& msg, MsgSender*) { m.view_->DownloadPicture(As<DownloadPictureRoomMsg>(msg)); }, false},
    };
    return table;
}

std::size_t PictureModel::GetTableSize() {
    return Table().size();
}

std::int32_t PictureModel::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    for (const Entry& entry : Table()) {
        if (!entry.matches(msg) || !IsWatchedSender(from, SenderOf(entry.sender))) continue;
        if (entry.atArrival) {
            if (!fromQueue) entry.act(*this, msg, from);
        } else if (fromQueue) {
            entry.act(*this, msg, from);
        } else if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
    }
    return 0;
}

void PictureModel::StopIfStarted() {
    if (IsStarted()) Stop();
}

void PictureModel::PumpRoomMsgs() {
    for (PictureRoomProxy* proxy : {lobbyProxy_.get(), gameRoomProxy_.get()}) {
        if (!proxy->HasRoomMsg()) continue;
        if (proxy->IsNextRoomMsgSegment() && !view_->IsReadyForScreen()) continue;
        proxy->DispatchNextRoomMsg();
    }
}

void PictureModel::OnStarting() {
    XApplication::OnStarting();
    dispatchProxy_->Start();
    view_->StartProgressScreen();
    view_->ShowDispatchConnecting(dispatchTimeout_);
}

void PictureModel::AcceptDispatch(const PictureDispatchInfo& info) {
    view_->ShowDispatchProcessing();
    dispatchInfo_ = info;
    if (settings_.overrideGameServer) {
        GameListServer server;
        server.serverName = settings_.gameServerName;
        server.port = settings_.gameServerPort;
        server.channelName = settings_.listChannelName;
        dispatchInfo_.gameListServers.fill(GameListServer{});
        dispatchInfo_.gameListServers[0] = server;
        dispatchInfo_.gameListServerCount = 1;
    }
    const std::int32_t contentCount =
        std::clamp<std::int32_t>(dispatchInfo_.contentServerCount, 0, DispatchInfo::kMaxServers);
    for (std::int32_t i = 0; i < contentCount; ++i) {
        const ContentServer& server = dispatchInfo_.contentServers[static_cast<std::size_t>(i)];
        fileUpdateService_->AddServer(server.name, server.port);
    }
    const std::string adFolder = DetermineAdFolder();
    fileUpdateService_->SetAdFolder(adFolder);
    AdProcess::SetAdFolder(adFolder);
    view_->ShowUpdateConnecting(updateTimeout_);
    fileUpdateService_->GetUpdateScript(dispatchInfo_.updateScriptServerPath);
}

void PictureModel::SelfUpdateOrLoadResources() {
    if (!ownFile_->IsCurrent()) {
        SelfUpdate();
        return;
    }
    view_->ShowLoadingResources(kLoadingTimeoutMs);
    view_->Start();
}

void PictureModel::BeginLogon() {
    view_->SetPictureUserAgent(versionId_);
    for (std::int32_t i = 0; i < dispatchInfo_.GetPictureServerCount(); ++i) {
        const ContentServer& server = dispatchInfo_.GetPictureServer(i);
        view_->AddPictureServer(server.name, server.port);
    }
    if (!settings_.gotoGameRoom) {
        if (dispatchInfo_.registrationServerCount < 1) throw 0;
        const RegistrationServer& server = dispatchInfo_.registrationServers[0];
        view_->AddLogonServer(server.name, server.port);
        view_->ShowLogon(productCode_, GetOriginCode(), ownFile_->GetVersion(), "W", versionId_,
                         dispatchInfo_.registerCgiName, dispatchInfo_.validateCgiName, dispatchInfo_.changeCgiName,
                         settings_.simulateLogon);
        return;
    }
    playerName_ = settings_.userName;
    playerId_ = static_cast<std::int32_t>(9990000 + xRandom(65535) % 1000);
    sessionId_ = static_cast<std::int32_t>(9990000 + xRandom(65535) % 1000);
    const PictureRoom room("", settings_.gameServerName, settings_.gameServerPort, settings_.gameChannelName, "", 0,
                           false, 0, 0, 1, false, false);
    Receive(RoomSelectedMsg(room, 0), ViewSender());
}

void PictureModel::ConnectToLobby() {
    if (lobbyProxy_->IsStopped()) {
        const GameListServer& server = dispatchInfo_.gameListServers[0];
        lobbyProxy_->Configure(server.serverName, server.port, server.channelName, playerName_,
                               static_cast<std::uint32_t>(playerId_), static_cast<std::uint32_t>(sessionId_),
                               ownFile_->GetVersion(), 1, false);
        lobbyProxy_->SetLogonTimeout(static_cast<std::uint32_t>(lobbyLogonTimeout_));
        lobbyProxy_->Start();
        view_->StartProgressScreen();
        view_->ShowLobbyConnecting(static_cast<std::int32_t>(lobbyProxy_->GetLogonTimeout()));
    } else if (lobbyProxy_->IsStopping()) {
        // Its StoppedMsg brings the lobby back.
    } else {
        throw 0;
    }
}

void PictureModel::EnterRoom(const PictureRoom& room, std::int32_t number) {
    currentRoom_ = room;
    gameRoomProxy_->Configure(room.GetIrcHost(), room.GetIrcPort(), room.GetIrcChannel(), playerName_,
                              static_cast<std::uint32_t>(playerId_), static_cast<std::uint32_t>(sessionId_),
                              ownFile_->GetVersion(), number, true);
    gameRoomProxy_->Start();
    view_->EnterRoom(currentRoom_);
    view_->PlayerListBegin();
}

void PictureModel::DecideOpening() {
    if (settings_.gotoGameRoom) {
        Receive(OpeningCompleteMsg(), ViewSender());
        return;
    }
    // The lobby may have dropped meanwhile; a stopped one stays stopped.
    if (lobbyProxy_->IsStarted() || lobbyProxy_->IsPaused()) lobbyProxy_->Stop();
    if (settings_.preflight && currentRoom_.IsLanguageFiltered()) {
        Receive(OpeningCompleteMsg(), ViewSender());
    } else {
        view_->ShowOpening();
    }
}

void PictureModel::OnGameRoomStopped() {
    // Erred counts as stopping here: the failure that ended the game must end
    // the program too, not bring the lobby back.
    if (IsStopping() || IsErred()) {
        if (view_->IsStarted()) {
            view_->Stop();
        } else if (!view_->IsStopping()) {
            Stopped();
        }
        return;
    }
    if (!gameRoomProxy_->HasErred()) {
        ConnectToLobby();
        return;
    }
    if (settings_.gotoGameRoom) {
        StopIfStarted();
    } else if (lobbyProxy_->IsStarted()) {
        view_->ChooseAnotherRoom("");
    } else if (lobbyProxy_->IsStopped()) {
        ConnectToLobby();
    } else if (!lobbyProxy_->IsStopping()) {
        throw 0;
    }
}

void PictureModel::OnViewStopped() {
    if (IsStopping() || IsErred()) {
        Stopped();
    } else {
        StopIfStarted();
    }
}

void PictureModel::OnStopping() {
    const std::string exitPage = GetExitPagePath();
    if (!exitPage.empty()) OpenWebPage(exitPage);
    ShutDown();
}

void PictureModel::OnErred() {
    xErrorCode = 0;
    if (!dispatchInfo_.errorPage.empty()) OpenWebPage(dispatchInfo_.errorPage);
    ShutDown();
}

void PictureModel::ShutDown() {
    if (gameRoomProxy_->IsStarted()) {
        gameRoomProxy_->SetLogoffFlag(true);
        gameRoomProxy_->Stop();
    } else if (view_->IsStarted()) {
        view_->Stop();
    } else {
        Stopped();
    }
}

void PictureModel::OnChatLine(const LocalOriginChatMsg& msg) {
    PictureRoomProxy* target = nullptr;
    if (lobbyProxy_->IsStarted()) {
        target = lobbyProxy_.get();
    } else if (gameRoomProxy_->IsStarted()) {
        target = gameRoomProxy_.get();
    } else {
        return;
    }
    const std::string& line = msg.GetText();
    xTokenizer tokens;
    tokens.TokenizeLine(line.c_str(),
                        static_cast<std::int16_t>(std::min<std::size_t>(line.size(), xTokenizer::kMaxLine)));
    const std::int16_t count = tokens.GetTokenCount();
    const std::string first = tokens.GetToken(0);
    const std::string token1 = tokens.GetToken(1);
    const std::string rest = tokens.GetRestOfLine(1);

    switch (msg.Classify()) {
        case ChatCommandKind::Text:
            target->SendPublicChat(line);
            view_->ChatPublic(playerName_, line);
            return;
        case ChatCommandKind::Command:
            if (first == "/c" || first == "/C") {
                view_->CaptionCommand(rest);
            } else if (first == "/v" || first == "/V") {
                std::int32_t number = count >= 2 ? static_cast<std::int32_t>(std::atoi(token1.c_str())) : 0;
                if (number < 1 || static_cast<std::size_t>(number) > captionList_.size()) number = -1;
                view_->VoteCommand(number);
            } else if (first == "/f" || first == "/F") {
                view_->FatChanceCommand();
            } else if (EqualsCaseBlind(first, "/complain")) {
                if (count < 2) return;
                std::string name;
                std::string reason;
                if (!view_->SplitPlayerName(rest, name, reason)) {
                    view_->ChatSystem(token1 + " is not in the room.");
                } else if (reason.empty()) {
                    view_->ChatSystem("You must specify a reason for your complaint against " + name);
                } else if (gameRoomProxy_->IsStarted()) {
                    gameRoomProxy_->SendComplaint(ComplaintRoomMsg(name, 3, reason));
                }
            } else {
                target->SendHostChat(line);
            }
            return;
        case ChatCommandKind::Me:
            if (count < 2) {
                view_->ChatSystem("/me is much more interesting if you actually type something after it...");
            } else {
                target->SendMeChat(rest);
            }
            return;
        case ChatCommandKind::Private: {
            if (count < 2) return;
            std::string name;
            std::string text;
            if (!view_->SplitPlayerName(rest, name, text)) {
                view_->ChatSystem(token1 + " is not in the room.");
            } else if (text.empty()) {
                view_->ChatSystem(name + " would be more interested in a message with some content...");
            } else {
                target->SendPrivateChat(Player(name), text);
                if (!EqualsCaseBlind(name, playerName_)) view_->ChatPrivate(playerName_, name, text);
            }
            return;
        }
        case ChatCommandKind::Ignore:
            view_->ToggleIgnore(rest);
            return;
        case ChatCommandKind::Log: {
            std::int32_t mode = 0;
            if (count >= 2) {
                if (EqualsCaseBlind(token1, "on")) {
                    mode = 1;
                } else if (EqualsCaseBlind(token1, "off")) {
                    mode = 2;
                }
            }
            view_->SetChatLogging(mode);
            return;
        }
        case ChatCommandKind::Save:
            view_->SaveChatHistory();
            return;
    }
    view_->ChatPublic(playerName_, line);
}

void PictureModel::FindPlayer(const std::string& name) {
    if (lobbyProxy_->IsStarted()) {
        lobbyProxy_->SendFindPlayer(Player(name));
    } else if (gameRoomProxy_->IsStarted()) {
        gameRoomProxy_->SendFindPlayer(Player(name));
    }
}

void PictureModel::OnAdViewed(const AdInfo& ad, bool clicked) {
    if (!gameRoomProxy_->IsStopped()) {
        gameRoomProxy_->SendAdImpression(ad, clicked);
    } else if (!lobbyProxy_->IsStopped()) {
        lobbyProxy_->SendAdImpression(ad, clicked);
    }
}

void PictureModel::OnAdSelected(const AdInfo& ad) {
    const std::string& name = ad.GetText();
    if (std::find(selectedAds_.begin(), selectedAds_.end(), name) == selectedAds_.end()) {
        selectedAds_.push_back(name);
    }
}

std::string PictureModel::DetermineAdFolder() {
    std::string folder;
    if (ReadGameString(gameKey_, adPathValueName_, folder) && FolderExists(folder)) return folder;
    folder = SplitProgramPath(xFileGetApplicationFileSpec().c_str()).first + "Ads";
    if (!FolderExists(folder) && !platform::HostMakeDirectory(platform::ResolveHostPath(folder))) throw 0;
    platform::Registry& registry = platform::Registry::Default();
    platform::RegistryKey key = 0;
    if (registry.CreateKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine), gameKey_, key)) {
        registry.SetString(key, adPathValueName_, folder);
        registry.CloseKey(key);
    }
    return folder;
}

std::string PictureModel::GetOriginCode() {
    std::string origin = "err";
    ReadGameString(gameKey_, originValueName_, origin);
    return origin;
}

void PictureModel::OpenWebPage(const std::string& path) {
    if (!settings_.launchBrowser || pagesClosed_) return;
    std::string address = "http://" + dispatchInfo_.webServerName;
    if (dispatchInfo_.webServerPort != 0) address += ":" + std::to_string(dispatchInfo_.webServerPort);
    address += "/" + path;
    LaunchURL(address.c_str());
}

std::string PictureModel::GetExitPagePath() const {
    if (!dispatchInfo_.sponsorsCgi.empty()) {
        std::string path = dispatchInfo_.sponsorsCgi + "?show=" + productCode_ + "&sessionid=" +
                           std::to_string(sessionId_) + "&playerid=" + std::to_string(playerId_);
        for (const std::string& ad : selectedAds_) path += "&ads=" + PercentEncode(ad);
        return path;
    }
    return dispatchInfo_.successPage;
}

void PictureModel::SelfUpdate() {
    const FileResource* replacement = ownFile_->GetPendingUpdate();
    if (replacement == nullptr || replacement == &FileResource::None()) throw 0;
    const std::string ownPath = platform::ResolveHostPath(ownFile_->GetPath());
    const std::vector<std::string> arguments = {productName_, ownPath, ownPath,
                                                platform::ResolveHostPath(replacement->GetPath())};
    if (!platform::ProcessLauncher::Current().Launch(platform::ResolveHostPath(kUpdaterProgram), arguments)) throw 0;
    pagesClosed_ = true;
    StopIfStarted();
}

void PictureModel::ReportError(const ErrorMsg& msg, MsgSender* from) {
    // Nothing once erred, and nothing after a clean stop either: a late failure
    // must not turn a finished run into an internal error.
    if (HasErred() || IsStopped()) return;
    const bool lostBot = msg.Is<LostRoomBotErrorMsg>();
    const auto* leave = dynamic_cast<const LeaveRoomErrorMsg*>(&msg);
    if (from == dispatchProxy_.get()) {
        errorText_ = kDispatchErrorText;
    } else if (from == fileUpdateService_.get()) {
        errorText_ = "The content server is down at this time.\n" + msg.GetText() + "\nPlease try to play again later.";
    } else if (from == lobbyProxy_.get()) {
        if (lostBot) {
            errorText_ = "The game server has just gone down.\nPlease try to play again later.";
            return;
        }
        if (leave != nullptr) {
            const std::string reason =
                EqualsCaseBlind(leave->GetReason(), "This game is now full.") ? "the lobby is currently full."
                                                                              : leave->GetReason();
            errorText_ = "The game server will not allow you to play because\n" + reason +
                         "\nPlease try to play again later.";
            return;
        }
        if (errorText_.empty()) errorText_ = kServerDownText;
    } else if (from == gameRoomProxy_.get()) {
        const std::string& room = gameRoomProxy_->GetLogonAcceptedString();
        if (lostBot) {
            errorText_ = "Game room " + room + " has just gone down.\nPlease choose another room.";
            return;
        }
        if (leave != nullptr) {
            errorText_ = "Game room " + room + " will not allow you to enter because\n" + leave->GetReason() +
                         "\nPlease choose another room.";
            return;
        }
        if (!errorText_.empty()) {
            // The stored refusal is shown; the room's stop takes the player back.
            const std::string text = errorText_;
            errorText_.clear();
            ShowErrorBox(text);
            return;
        }
        errorText_ = kServerDownText;
    } else {
        errorText_ = kUnexpectedText;
    }
    ShowErrorBox(errorText_);
    Fail();
}

void PictureModel::ShowErrorBox(const std::string& text) {
    const std::string title = GetName() + " - Error";
    view_->StopProgressScreen();
    platform::MessageBoxSink& sink = platform::MessageBoxSink::Current();
    sink.Beep(Num(platform::BoxStyle::IconStop));
    sink.Show(title, text, platform::BoxStyle::IconStop | platform::BoxStyle::TopMost);
}
