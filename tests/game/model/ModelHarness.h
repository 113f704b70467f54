#pragma once

// The real application object with recording stand-ins at its edges: a dispatch
// proxy and a file-update service that log what they are asked (the tests send
// their messages as they would), two real game room proxies on scripted IRC
// clients, the recording view, a recorded message box, browser and program
// launcher, a temporary settings file and registry, and a manual clock.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../../framework/FakeRootCanvas.h"
#include "RecordingPictureView.h"
#include "framework/AppTime.h"
#include "framework/ExecutionService.h"
#include "framework/ObjectRegistry.h"
#include "framework/StoppingMsg.h"
#include "framework/UIRoot.h"
#include "game/model/PictureDispatchProxy.h"
#include "game/model/PictureDispatchSucceededMsg.h"
#include "game/model/PictureModel.h"
#include "game/model/PictureRoomProxy.h"
#include "game/model/PictureViewMsgs.h"
#include "net/FileUpdateMsgs.h"
#include "net/FileUpdateService.h"
#include "net/IRCMsg.h"
#include "net/xIrcClient.h"
#include "platform/CommandLine.h"
#include "platform/ProcessLauncher.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/Registry.h"
#include "platform/UrlLauncher.h"

namespace harness {

inline std::vector<std::string>& Calls() {
    static std::vector<std::string> calls;
    return calls;
}

inline void Log(const std::string& line) {
    Calls().push_back(line);
}

// An IRC client that connects nowhere: the test says when it has joined and
// reads what the proxy sends.
class ScriptedIrcClient : public xIrcClient {
  public:
    void Start() override { GetProcessSupport().Start(); }
    void Stop() override {
        if (IsStarting()) {
            SetStopping();
            Send(StoppingMsg());
            return;
        }
        GetProcessSupport().Stop();
    }
    void SendMsg(const char* target, const char* text) override {
        sent.push_back(std::string(target) + ": " + text);
    }
    void Execute() override { GetProcessSupport().Execute(); }
    void OnStopping() override {}

    std::vector<std::string> sent;
};

class TestDispatchProxy : public PictureDispatchProxy {
  public:
    using PictureDispatchProxy::PictureDispatchProxy;
    // Downloads nothing: the tests send the proxy's messages.
    void Start() override {
        Log("dispatch Start");
        PictureDispatchProxy::Start();
    }
    void OnStarting() override {}
};

class TestUpdateService : public FileUpdateService {
  public:
    using FileUpdateService::FileUpdateService;
    void AddServer(const std::string& host, int port) override {
        Log("update AddServer " + host + " " + std::to_string(port));
    }
    void SetAdFolder(const std::string& path) override { Log("update SetAdFolder " + path); }
    void GetUpdateScript(const std::string& path) override { Log("update GetUpdateScript " + path); }
    void SetSponsorAd(const AdInfo& ad) override { Log("update SetSponsorAd " + ad.GetName()); }
    void SetAdDownloadList(const std::vector<AdInfo>& ads) override {
        std::string names;
        for (const AdInfo& ad : ads) names += " " + ad.GetName();
        Log("update SetAdDownloadList" + names);
    }
};

class TestRoomProxy : public PictureRoomProxy {
  public:
    explicit TestRoomProxy(std::string name)
        : PictureRoomProxy([] { return std::make_unique<ScriptedIrcClient>(); }), name_(std::move(name)) {}

    void Configure(const std::string& host, std::int32_t port, const std::string& channel, const std::string& player,
                   std::uint32_t playerId, std::uint32_t sessionId, const Version& version, std::int32_t configuration,
                   bool clockSync) override {
        Log(name_ + " Configure " + host + " " + std::to_string(port) + " " + channel + " " + player + " " +
            std::to_string(playerId) + " " + std::to_string(sessionId) + " " + std::to_string(configuration) + " " +
            std::to_string(clockSync));
        PictureRoomProxy::Configure(host, port, channel, player, playerId, sessionId, version, configuration,
                                    clockSync);
    }
    void Start() override {
        Log(name_ + " Start");
        PictureRoomProxy::Start();
    }
    void Stop() override {
        Log(name_ + " Stop");
        PictureRoomProxy::Stop();
    }
    void Resume() override {
        Log(name_ + " Resume");
        PictureRoomProxy::Resume();
    }

    ScriptedIrcClient& Client() { return dynamic_cast<ScriptedIrcClient&>(GetIrcClient()); }
    std::vector<std::string>& Wire() { return Client().sent; }

  private:
    std::string name_;
};

class RecordingUrlLauncher : public platform::UrlLauncher {
  public:
    void Launch(const std::string& url) override {
        urls.push_back(url);
        Log("browser " + url);
    }
    std::vector<std::string> urls;
};

class RecordingProcessLauncher : public platform::ProcessLauncher {
  public:
    bool Launch(const std::string& program, const std::vector<std::string>& arguments) override {
        std::string line = "launch " + program;
        for (const std::string& argument : arguments) line += " [" + argument + "]";
        Log(line);
        return succeeds;
    }
    bool succeeds = true;
};

inline std::uint32_t& Now() {
    static std::uint32_t now = 1000;
    return now;
}

class ModelHarness {
  public:
    // Settings lines of the "Debug" section, each ending in "\r\n".
    explicit ModelHarness(const std::string& debugLines) {
        Calls().clear();
        char dir[] = "/tmp/vizuzor-chain-XXXXXX";
        if (::mkdtemp(dir) == nullptr) std::abort();
        root_ = dir;
        const std::string ini = root_ + "/settings.ini";
        std::ofstream(ini, std::ios::binary) << "[Debug]\r\nFullScreen=0\r\n" << debugLines;
        platform::SetCommandLine("game " + ini);
        platform::Registry::UseDefaultStore(root_ + "/registry.txt");
        Now() = 1000;
        SetAppTickSource([] { return Now(); });
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
        });
        browserBefore_ = platform::UrlLauncher::Install(&browser);
        launcherBefore_ = platform::ProcessLauncher::Install(&launcher);
        PictureModel::Register();
        int made = 0;
        PictureModel::SetMakers({
            [](MsgReceiver* owner) { return std::make_unique<TestDispatchProxy>(owner); },
            [](MsgReceiver* owner) { return std::make_unique<TestUpdateService>(owner); },
            [made]() mutable { return std::make_unique<TestRoomProxy>(++made == 1 ? "lobby" : "room"); },
            [](const std::string& name, std::int32_t bits, std::int32_t width, std::int32_t height, bool full,
               bool own) {
                auto view = std::make_unique<RecordingPictureView>(name, bits, width, height, full, own);
                view->onLog = [](const std::string& line) { Log("view " + line); };
                return view;
            },
        });
        model = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
        if (model == nullptr) std::abort();
        view = dynamic_cast<RecordingPictureView*>(&model->GetView());
        lobby = dynamic_cast<TestRoomProxy*>(&model->GetLobbyProxy());
        room = dynamic_cast<TestRoomProxy*>(&model->GetGameRoomProxy());
    }

    ~ModelHarness() {
        ObjectRegistry::DestroyAll();
        PictureModel::SetMakers({});
        UIRoot::SetCanvasMaker(nullptr);
        platform::UrlLauncher::Install(browserBefore_);
        platform::ProcessLauncher::Install(launcherBefore_);
        platform::SetCommandLine("");
        SetAppTickSource({});
        const std::string command = "rm -rf '" + root_ + "'";
        [[maybe_unused]] const int ignored = std::system(command.c_str());
    }

    ModelHarness(const ModelHarness&) = delete;
    ModelHarness& operator=(const ModelHarness&) = delete;

    void Pass(int times = 1) {
        for (int i = 0; i < times; ++i) ExecutionService::GetInstance().RunExecutables();
    }
    void Advance(std::uint32_t ms) {
        Now() += ms;
        Pass(3);
    }

    MsgSender* DispatchSender() { return &model->GetDispatchProxy(); }
    MsgSender* UpdateSender() { return &model->GetFileUpdateService(); }
    MsgSender* ViewSender() { return static_cast<Process*>(view); }
    MsgSender* LobbySender() { return lobby; }
    MsgSender* RoomSender() { return room; }

    // Delivered as the sender's send would, then drained.
    void Deliver(const Msg& msg, MsgSender* from) {
        model->Receive(msg, from);
        Pass(2);
    }

    // The proxy's bot accepts its logon ("LN", "LA") and the proxy pauses.
    void BotAccepts(TestRoomProxy& proxy, const std::string& roomText) {
        Pass();
        proxy.Client().Started();
        proxy.Client().Send(IRCPrivateMsg("bot", "LN 7 "));
        proxy.Client().Send(IRCPrivateMsg("bot", "LA " + roomText + " Version 2 0 0 0 50000 "));
        Pass(5);
    }
    // A text of the proxy's bot, pumped through to the model and acted on.
    void BotSays(TestRoomProxy& proxy, const std::string& text) {
        proxy.Client().Send(IRCPrivateMsg("bot", text));
        Pass(3);
    }

    // The bot answers the log-off and the proxy's IRC client leaves.
    void BotLetsGo(TestRoomProxy& proxy) {
        BotSays(proxy, "LOA ");
        if (proxy.Client().IsStopping()) proxy.Client().Stopped();
        Pass(5);
    }

    std::string Folder() const { return root_; }

    RecordingUrlLauncher browser;
    RecordingProcessLauncher launcher;
    platform::RecordingMessageBoxSink boxes;
    PictureModel* model = nullptr;
    RecordingPictureView* view = nullptr;
    TestRoomProxy* lobby = nullptr;
    TestRoomProxy* room = nullptr;

  private:
    std::string root_;
    platform::UrlLauncher* browserBefore_ = nullptr;
    platform::ProcessLauncher* launcherBefore_ = nullptr;
};

// The calls recorded so far, leaving none.
inline std::vector<std::string> TakeCalls() {
    std::vector<std::string> calls = Calls();
    Calls().clear();
    return calls;
}

enum class State { Started, Chooser, Room };

// Brings the model through its chain on the dispatch file `info`: started,
// logged on with the room chooser up, or in a room after the opening.
inline void Bring(ModelHarness& h, State state, const PictureDispatchInfo& info) {
    h.model->Start();
    h.Pass();
    h.Deliver(PictureDispatchSucceededMsg(info), h.DispatchSender());
    if (state == State::Started) return;
    h.Deliver(FileUpdateGotMandatoryFilesMsg(), h.UpdateSender());
    h.Pass(3);
    h.Deliver(LogonScreenSucceededMsg("Ann", "x", 11, 22, 0), h.ViewSender());
    h.BotAccepts(*h.lobby, "Lobby");
    if (state == State::Chooser) return;
    h.Deliver(RoomSelectedMsg(PictureRoom("R", "irc2.example", 6668, "#a", "open", 3, false, 8, 1, 2, false, false),
                              0),
              h.ViewSender());
    h.BotAccepts(*h.room, "Alpha");
    h.BotLetsGo(*h.lobby);
    h.Deliver(OpeningCompleteMsg(), h.ViewSender());
}

}  // namespace harness
