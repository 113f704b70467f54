#pragma once

// The game's application object, made by the object registry under the name
// "XApplication": it reads the settings, registers the game's factories and owns,
// for the whole run, the dispatch proxy, the file-update service, the lobby and
// game room proxies and the view. Its own program file is an ExeResource it owns
// and registers, so the object keeps a single sender role (the application's).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/XApplication.h"
#include "game/model/LocalSettings.h"
#include "game/model/PictureDispatchInfo.h"
#include "game/model/PictureRoom.h"
#include "net/FatChanceEntry.h"
#include "resource/AdInfo.h"

class ErrorMsg;
class ExeResource;
class FileUpdateService;
class LocalOriginChatMsg;
class PictureDispatchProxy;
class PictureRoomProxy;
class PictureView;

class PictureModel : public XApplication {
  public:
    // The makers of the owned objects; the presentation installs its view maker,
    // tests install recording ones. An empty maker makes the default class.
    struct Makers {
        std::function<std::unique_ptr<PictureDispatchProxy>(MsgReceiver*)> dispatchProxy;
        std::function<std::unique_ptr<FileUpdateService>(MsgReceiver*)> fileUpdateService;
        std::function<std::unique_ptr<PictureRoomProxy>()> roomProxy;
        std::function<std::unique_ptr<PictureView>(const std::string& name, std::int32_t bitsPerPixel,
                                                   std::int32_t width, std::int32_t height, bool fullScreen,
                                                   bool ownWindow)>
            view;
    };
    static void SetMakers(Makers makers);
    static Makers& GetMakers();

    static constexpr std::int32_t kDispatchTimeoutMs = 120000;
    static constexpr std::int32_t kUpdateTimeoutMs = 60000;
    static constexpr std::int32_t kLobbyLogonTimeoutMs = 60000;
    static constexpr std::int32_t kUpdateScriptTimeoutMs = 10000;
    static constexpr std::int32_t kLoadingTimeoutMs = 30000;
    static constexpr const char* kDebugExeName = "DavuzudOruzev(debug).exe";
    static constexpr const char* kUpdaterProgram = "Resources\\EXEUpdater.exe";
    static constexpr const char* kDispatchErrorText =
        "We cannot contact the dispatch server.\nPlease check your connection to the Internet\n"
        "or try to play again later.";
    static constexpr const char* kServerDownText =
        "The game server is down at this time\nor you may have lost your Internet connection.\n"
        "Please try to play again later.";
    static constexpr const char* kUnexpectedText =
        "The game has experienced an unexpected problem.\nPlease try to play again now.";

    // Throws the integer 0 when the program file has no version record.
    PictureModel();
    ~PictureModel() override;

    const std::string& GetName() const override { return productName_; }
    void ShowControlPanel() override;
    void HideControlPanel() override;
    bool IsControlPanelUp() const override;
    // Any failure of the pass reaches the main loop as the integer 0.
    void RunExecutables() override;

    // The game's reactions to the messages of the five owned objects, in one
    // table tested in order on every call (a message may match several entries).
    // A matching message is queued on arrival and acted on when the queue drains;
    // the lobby proxy's PausedMsg alone is acted on at arrival.
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;
    static std::size_t GetTableSize();

    void OnStarting() override;
    void OnStopping() override;
    void OnErred() override;

    // The folder of the downloaded ads: the registry's "Ad Path" when that names
    // a folder, else "Ads" beside the program (made when missing, and written
    // back). Throws the integer 0 when that folder cannot be made.
    std::string DetermineAdFolder();
    // The installer's origin code from the registry, "err" without one.
    std::string GetOriginCode();
    // "http://" host [":" port] "/" path, opened unless pages are closed or the
    // settings keep the browser shut.
    void OpenWebPage(const std::string& path);
    // The sponsor page's path with the clicked ads, or the success page's.
    std::string GetExitPagePath() const;
    const std::vector<std::string>& GetSelectedAds() const { return selectedAds_; }
    const std::string& GetErrorText() const { return errorText_; }
    std::int32_t GetSegmentId() const { return segmentId_; }
    const PictureRoom& GetCurrentRoom() const { return currentRoom_; }
    const PictureDispatchInfo& GetDispatchInfo() const { return dispatchInfo_; }
    bool ArePagesClosed() const { return pagesClosed_; }
    bool IsAdultAllowed() const { return adultAllowed_; }

    const std::string& GetProductCode() const { return productCode_; }
    const std::string& GetVersionId() const { return versionId_; }
    const LocalSettings& GetSettings() const { return settings_; }
    const std::string& GetPlayerName() const { return playerName_; }
    std::int32_t GetPlayerId() const { return playerId_; }
    std::int32_t GetSessionId() const { return sessionId_; }
    const std::vector<AdInfo>& GetAdDownloadList() const { return adDownloadList_; }
    std::size_t GetCaptionCount() const { return captionList_.size(); }
    std::size_t GetResultCount() const { return resultsList_.size(); }

    PictureDispatchProxy& GetDispatchProxy() { return *dispatchProxy_; }
    FileUpdateService& GetFileUpdateService() { return *fileUpdateService_; }
    PictureRoomProxy& GetLobbyProxy() { return *lobbyProxy_; }
    PictureRoomProxy& GetGameRoomProxy() { return *gameRoomProxy_; }
    PictureView& GetView() { return *view_; }
    ExeResource& GetOwnFile() { return *ownFile_; }

    // Registers "XApplication" (done at program start; again after the registry
    // forgot its names). Calling it from the program also keeps this object file,
    // and so its registrar, in a program linked from the static library.
    static void Register();

  private:
    enum class Sender { Dispatch, FileUpdate, Lobby, GameRoom, View, Any };
    struct Entry {
        bool (*matches)(const Msg& msg);
        Sender sender;
        void (*act)(PictureModel& model, const Msg& msg, MsgSender* from);
        bool atArrival;
    };
    static const std::vector<Entry>& Table();
    MsgSender* SenderOf(Sender sender) const;
    MsgSender* ViewSender() const;

    void StopIfStarted();
    void PumpRoomMsgs();
    void AcceptDispatch(const PictureDispatchInfo& info);
    void SelfUpdateOrLoadResources();
    void BeginLogon();
    void ConnectToLobby();
    void EnterRoom(const PictureRoom& room, std::int32_t number);
    void DecideOpening();
    void OnGameRoomStopped();
    void OnViewStopped();
    void ShutDown();
    void OnChatLine(const LocalOriginChatMsg& msg);
    void FindPlayer(const std::string& name);
    void OnAdViewed(const AdInfo& ad, bool clicked);
    void OnAdSelected(const AdInfo& ad);
    void SelfUpdate();
    void ReportError(const ErrorMsg& msg, MsgSender* from);
    void ShowErrorBox(const std::string& text);

    std::string productCode_ = "ZUV";
    std::string versionId_ = productCode_ + "/1.0";
    std::int32_t dispatchTimeout_ = kDispatchTimeoutMs;
    std::int32_t updateTimeout_ = kUpdateTimeoutMs;
    std::int32_t lobbyLogonTimeout_ = kLobbyLogonTimeoutMs;
    std::string makerKey_ = "Software\\Halvane\\Quonza";
    std::string gameKey_ = makerKey_ + "\\Brindlex";
    std::string adPathValueName_ = "Ad Path";
    std::string originValueName_ = "Installer Origin ID";
    std::string windowValueName_ = "Window";
    std::string productName_;

    std::unique_ptr<ExeResource> ownFile_;
    std::unique_ptr<PictureDispatchProxy> dispatchProxy_;
    std::unique_ptr<FileUpdateService> fileUpdateService_;
    std::unique_ptr<PictureRoomProxy> lobbyProxy_;
    std::unique_ptr<PictureRoomProxy> gameRoomProxy_;
    std::unique_ptr<PictureView> view_;

    PictureDispatchInfo dispatchInfo_;
    bool pagesClosed_ = false;
    std::string errorText_;
    std::string playerName_ = "Unknown";
    std::int32_t playerId_ = 0;
    std::int32_t sessionId_ = 0;
    bool adultAllowed_ = false;
    PictureRoom currentRoom_;
    std::vector<std::unique_ptr<Msg>> captionList_;
    std::vector<std::unique_ptr<Msg>> resultsList_;
    std::vector<AdInfo> adDownloadList_;
    std::vector<std::string> selectedAds_;
    std::int32_t segmentId_ = 0;
    bool segmentIdSet_ = false;
    std::vector<FatChanceEntry> fatChanceEntries_;
    LocalSettings settings_;
};
