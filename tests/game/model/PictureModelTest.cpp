#include "game/model/PictureModel.h"

#include <gtest/gtest.h>

#include "../../framework/FakeRootCanvas.h"
#include "framework/UIRoot.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/AppTime.h"
#include "framework/Executable.h"
#include "framework/ExecutionService.h"
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
#include "resource/FileRegistry.h"
#include "sound/SoundService.h"

namespace {

std::vector<std::string> events;

struct RecordingDispatchProxy : PictureDispatchProxy {
    using PictureDispatchProxy::PictureDispatchProxy;
    ~RecordingDispatchProxy() override { events.push_back("~dispatch"); }
    void SetTimeout(std::int32_t ms) override {
        events.push_back("timeout " + std::to_string(ms));
        PictureDispatchProxy::SetTimeout(ms);
    }
    void SetUserAgent(const std::string& agent) override {
        events.push_back("agent " + agent);
        PictureDispatchProxy::SetUserAgent(agent);
    }
    void AddServer(const std::string& host, int port) override {
        events.push_back("server " + host + " " + std::to_string(port));
        PictureDispatchProxy::AddServer(host, port);
    }
    void SetDispatchPath(const std::string& path) override {
        events.push_back("path " + path);
        PictureDispatchProxy::SetDispatchPath(path);
    }
};

struct RecordingFileUpdateService : FileUpdateService {
    using FileUpdateService::FileUpdateService;
    ~RecordingFileUpdateService() override { events.push_back("~update"); }
};

struct RecordingRoomProxy : PictureRoomProxy {
    explicit RecordingRoomProxy(int number) : number_(number) {}
    ~RecordingRoomProxy() override { events.push_back("~room " + std::to_string(number_)); }
    int number_;
};

struct Throwing : Executable {
    void Execute() override { throw std::string("lost"); }
};

struct RecordingView : PictureView {
    using PictureView::PictureView;
    ~RecordingView() override { events.push_back("~view"); }
};

class PictureModelTest : public testing::Test {
  protected:
    void SetUp() override {
        events.clear();
        char dir[] = "/tmp/vizuzor-model-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        root_ = dir;
        const std::string ini = root_ + "/settings.ini";
        std::ofstream(ini, std::ios::binary)
            << "[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort=8123\r\n"
               "DispatchServerFilePath=/d/dispatch.ini\r\nScreenWidth=800\r\n"
               "FullScreen=0\r\nUserName=Ann\r\n";
        platform::SetCommandLine("game " + ini);
        platform::Registry::UseDefaultStore(root_ + "/registry.txt");
        SetAppTickSource([] { return 5000u; });
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
        });
        PictureModel::Register();
        int rooms = 0;
        PictureModel::SetMakers({
            [](MsgReceiver* owner) {
                events.push_back("dispatch");
                return std::make_unique<RecordingDispatchProxy>(owner);
            },
            [](MsgReceiver* owner) {
                events.push_back("update");
                return std::make_unique<RecordingFileUpdateService>(owner);
            },
            [rooms]() mutable {
                events.push_back("room " + std::to_string(++rooms));
                return std::make_unique<RecordingRoomProxy>(rooms);
            },
            [](const std::string& name, std::int32_t bits, std::int32_t width, std::int32_t height, bool full,
               bool own) {
                events.push_back("view " + name + " " + std::to_string(bits) + " " + std::to_string(width) +
                                 " " + std::to_string(height) + " " + std::to_string(full) + " " +
                                 std::to_string(own));
                return std::make_unique<RecordingView>(name, bits, width, height, full, own);
            },
        });
    }
    void TearDown() override {
        ObjectRegistry::DestroyAll();
        PictureModel::SetMakers({});
        UIRoot::SetCanvasMaker(nullptr);
        platform::SetCommandLine("");
        SetAppTickSource({});
        const std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    std::string root_;
};

TEST_F(PictureModelTest, TheRegistryMakesTheGamesApplication) {
    auto* model = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetName(), "Vizuzor Test");
    EXPECT_EQ(model->GetVersionId(), "ZUV/1.0");
    EXPECT_EQ(model->GetSettings().userName, "Ann");
    EXPECT_EQ(model->GetPlayerName(), "Unknown");
    EXPECT_EQ(model->GetPlayerId(), 0);
    EXPECT_EQ(model->GetSessionId(), 0);
    EXPECT_TRUE(model->GetAdDownloadList().empty());
    EXPECT_EQ(model->GetCaptionCount(), 0u);
    EXPECT_EQ(model->GetResultCount(), 0u);
    const std::vector<std::string> made = {
        "dispatch",
        "timeout 120000",
        "agent ZUV/1.0",
        "server 127.0.0.1 8123",
        "path /d/dispatch.ini",
        "update",
        "room 1",
        "room 2",
        "view Vizuzor Test 16 800 480 0 1",
    };
    EXPECT_EQ(events, made);

    EXPECT_EQ(typeid(*ObjectRegistry::GetSingleton("RoomMsgFactory")), typeid(PictureRoomMsgFactory));
    EXPECT_EQ(typeid(*ObjectRegistry::GetSingleton("RoomFactory")), typeid(PictureRoomFactory));
    EXPECT_EQ(typeid(*ObjectRegistry::GetSingleton("PlayerFactory")), typeid(PicturePlayerFactory));
    EXPECT_TRUE(IsRegisteredFile("game_model_tests"));
    EXPECT_TRUE(IsRegisteredFile(PictureModel::kDebugExeName));

    EXPECT_FALSE(model->IsControlPanelUp());
    model->ShowControlPanel();
    EXPECT_TRUE(model->GetView().IsControlPanelUp());
    EXPECT_TRUE(model->IsControlPanelUp());
    model->HideControlPanel();
    EXPECT_FALSE(model->IsControlPanelUp());
    model->RunExecutables();
    // Whatever a pass throws reaches the main loop as the integer 0.
    Throwing throwing;
    ExecutionService::GetInstance().Add(&throwing);
    EXPECT_THROW(
        try { model->RunExecutables(); } catch (int code) {
            EXPECT_EQ(code, 0);
            throw;
        },
        int);
    ExecutionService::GetInstance().Remove(&throwing);

    AdProcess::SetAdFolder("C:\\Games\\Ads\\");
    events.clear();
    ObjectRegistry::DestroyAll();
    EXPECT_FALSE(AdProcess::HasAdFolder()) << "the ad folder goes with the application";
    EXPECT_EQ(AdProcess::GetAdFolder(), "Ads\\");
    const std::vector<std::string> gone = {"~view", "~room 2", "~room 1", "~update", "~dispatch"};
    EXPECT_EQ(events, gone);
}

// The settings' sound switch reaches the sound layer before the view (and with
// it the sound service) is made.
TEST_F(PictureModelTest, DisableSoundSwitchesTheSoundLayerOffBeforeTheViewIsMade) {
    const PictureModel::Makers original = PictureModel::GetMakers();
    for (const bool off : {true, false}) {
        SCOPED_TRACE(off);
        std::ofstream(root_ + "/settings.ini", std::ios::binary)
            << "[Debug]\r\nDisableSound=" << (off ? "1" : "0") << "\r\n";
        SoundService::SetSoundOff(!off);
        bool offWhenViewMade = !off;
        PictureModel::Makers makers = original;
        const auto makeView = original.view;
        makers.view = [&offWhenViewMade, makeView](const std::string& name, std::int32_t bits, std::int32_t width,
                                                   std::int32_t height, bool full, bool own) {
            offWhenViewMade = SoundService::IsSoundOff();
            return makeView(name, bits, width, height, full, own);
        };
        PictureModel::SetMakers(makers);
        PictureModel::Register();
        ASSERT_NE(ObjectRegistry::GetSingleton("XApplication"), nullptr);
        EXPECT_EQ(offWhenViewMade, off);
        ObjectRegistry::DestroyAll();
    }
    SoundService::SetSoundOff(false);
}

}  // namespace
