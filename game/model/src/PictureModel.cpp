#include "game/model/PictureModel.h"

#include <array>
#include <utility>

#include "divir/xDesktop.h"
#include "divir/xFile.h"
#include "divir/xRandom.h"
#include "divir/xVersionInfo.h"
#include "framework/AppTime.h"
#include "framework/ObjectRegistry.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureDispatchProxy.h"
#include "game/model/PicturePlayerFactory.h"
#include "game/model/PictureRoomFactory.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomProxy.h"
#include "game/model/PictureView.h"
#include "net/FileUpdateService.h"
#include "platform/CommandLine.h"
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
