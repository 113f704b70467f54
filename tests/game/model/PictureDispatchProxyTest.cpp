#include "game/model/PictureDispatchProxy.h"

#include <gtest/gtest.h>

#include "../../framework/FakeRootCanvas.h"
#include "framework/UIRoot.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "divir/xFile.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "game/model/PictureDispatchSucceededMsg.h"
#include "game/model/PictureModel.h"
#include "net/DispatchMsg.h"
#include "net/HttpResponseMsg.h"
#include "net/PumpFixture.h"
#include "net/TestHttpServer.h"
#include "platform/CommandLine.h"
#include "platform/HostPath.h"
#include "platform/Registry.h"

namespace {

struct Listener : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* ok = dynamic_cast<const PictureDispatchSucceededMsg*>(&msg)) {
            info = std::make_unique<PictureDispatchInfo>(ok->GetInfo());
            ++successes;
        } else if (msg.Is<DispatchSucceededMsg>()) {
            ++genericSuccesses;
        }
        return 0;
    }
    std::unique_ptr<PictureDispatchInfo> info;
    int successes = 0;
    int genericSuccesses = 0;
};

std::vector<std::string> Generic(bool withGameList = true) {
    std::vector<std::string> lines = {
        "[Dispatch File]",
        "Update Script Server Path=update/updatescript.ini",
        "Registration Server Section=Reg",
        "Content Server Section=Content",
        "Game List Server Section=GameList",
        "[Reg 1]",
        "HTTP Server Name=reg1.example.com",
        "HTTP Server Port=81",
        "[Content 1]",
        "HTTP Server Name=content1.example.com",
        "HTTP Server Port=82",
    };
    if (withGameList) {
        lines.insert(lines.end(),
                     {"[GameList 1]", "IRC Server Name=irc.example.com", "IRC Server Port=6667"});
    }
    return lines;
}

// The generic part, the prefix key (none when empty) and the numbered sections
// (a port of -1 leaves the port key out).
struct Section {
    int number;
    std::string name;
    int port;
};
std::string Dispatch(const std::string& prefix, const std::vector<Section>& sections,
                     bool withGameList = true, const char* eol = "\r\n") {
    std::vector<std::string> lines = Generic(withGameList);
    std::string text;
    for (const std::string& l : lines) {
        text += l + eol;
        if (l == "[Dispatch File]" && !prefix.empty()) text += "Vizuzor Server Section=" + prefix + eol;
    }
    for (const Section& s : sections) {
        text += "[" + (prefix.empty() ? std::string("Pictures") : prefix) + " " + std::to_string(s.number) +
                "]" + eol;
        text += "HTTP Server Name=" + s.name + eol;
        if (s.port >= 0) text += "HTTP Server Port=" + std::to_string(s.port) + eol;
    }
    return text;
}

class PictureDispatchProxyTest : public PumpFixture {
  public:
    void SetUp() override {
        // The proxy's local copy of the file sits beside the program, one path for
        // every test of this program: tests run as parallel processes take turns.
        lock_ = ::open("/tmp/vizuzor-picture-dispatch.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock_ >= 0) ::flock(lock_, LOCK_EX);
        PumpFixture::SetUp();
        ExecutionService::Register();
        xFileStartup(8);
        char dir[] = "/tmp/vizuzor-picture-dispatch-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        files_ = dir;
        server_ = std::make_unique<TestHttpServer>(files_);
        if (!server_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        SetStep([] { ExecutionService::GetInstance().RunExecutables(); });
    }
    void TearDown() override {
        SetStep({});
        ObjectRegistry::DestroyAll();
        server_.reset();
        for (const std::string& f : written_) ::unlink(f.c_str());
        ::rmdir(files_.c_str());
        xFileCleanup();
        PumpFixture::TearDown();
        if (lock_ >= 0) ::close(lock_);
    }

    void Serve(const std::string& name, const std::string& text) {
        const std::string path = files_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        written_.push_back(path);
    }

    std::unique_ptr<TestHttpServer> server_;
    std::string files_;
    int lock_ = -1;
    std::vector<std::string> written_;
};

}  // namespace

TEST_F(PictureDispatchProxyTest, ServedFilesToPictureServers) {
    std::vector<Section> eleven;
    for (int i = 1; i <= 11; ++i) eleven.push_back({i, "pic" + std::to_string(i) + ".example", 8000 + i});
    const std::string longPrefix(300, 'P');
    const std::string cutPrefix(99, 'P');
    struct Case {
        const char* name;
        std::string text;
        int servers;  // -1: the file is refused
        std::vector<Section> expected;
    };
    const Case cases[] = {
        {"sections 1, 2 and 4",
         Dispatch("Pics", {{1, "a.example", 80}, {2, "b.example", 81}, {4, "d.example", 83}}),
         2,
         {{1, "a.example", 80}, {2, "b.example", 81}}},
        {"eleven sections", Dispatch("Pics", eleven), 10, {eleven.begin(), eleven.begin() + 10}},
        {"a name without port", Dispatch("Pics", {{1, "a.example", -1}}), 1, {{1, "a.example", 0}}},
        {"_eRrOr_ ends the list",
         Dispatch("Pics", {{1, "a.example", 80}, {2, "_eRrOr_", 81}, {3, "c", 82}}),
         1,
         {{1, "a.example", 80}}},
        {"no prefix key", Dispatch("", {{1, "a.example", 80}}), -1, {}},
        {"a bad generic part", Dispatch("Pics", {{1, "a.example", 80}}, false), -1, {}},
        {"no picture section", Dispatch("Pics", {}), -1, {}},
        // The 99 characters the old buffer kept name a section too: it is not used.
        {"a 300-character prefix",
         Dispatch(longPrefix, {{1, "long.example", 80}}) + "[" + cutPrefix +
             " 1]\r\nHTTP Server Name=cut\r\n",
         -1,
         {}},
        {"a 99-character prefix", Dispatch(cutPrefix, {{1, "cut.example", 80}}), 1, {{1, "cut.example", 80}}},
        {"LF line ends", Dispatch("Pics", {{1, "a.example", 80}}, true, "\n"), 1, {{1, "a.example", 80}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = "dispatch" + std::to_string(++n) + ".ini";
        Serve(file, c.text);
        Listener listener;
        auto proxy = std::make_unique<PictureDispatchProxy>(&listener);
        proxy->AddServer("127.0.0.1", server_->port());
        proxy->SetDispatchPath("file/" + file);
        proxy->Start();
        ASSERT_TRUE(PumpUntil([&] { return proxy->IsStopped() || proxy->IsErred(); }));
        EXPECT_NE(::access(platform::ResolveHostPath(proxy->GetLocalPath()).c_str(), F_OK), 0);
        EXPECT_EQ(listener.genericSuccesses, 0);
        if (c.servers < 0) {
            EXPECT_TRUE(proxy->HasErred());
            EXPECT_EQ(listener.successes, 0);
            continue;
        }
        EXPECT_TRUE(proxy->IsStopped());
        EXPECT_FALSE(proxy->HasErred());
        ASSERT_EQ(listener.successes, 1);
        const PictureDispatchInfo& info = *listener.info;
        EXPECT_EQ(info.contentServerCount, 1);
        EXPECT_EQ(info.gameListServers[0].serverName, "irc.example.com");
        ASSERT_EQ(info.GetPictureServerCount(), c.servers);
        for (int i = 0; i < c.servers; ++i) {
            EXPECT_EQ(info.GetPictureServer(i).name, c.expected[static_cast<std::size_t>(i)].name);
            EXPECT_EQ(info.GetPictureServer(i).port, c.expected[static_cast<std::size_t>(i)].port);
        }
        EXPECT_EQ(info.GetPictureServer(c.servers).name, "");
        EXPECT_EQ(info.GetPictureServer(-1).name, "");
    }
}

TEST_F(PictureDispatchProxyTest, ADownloadAfterTheStopIsDeletedUnread) {
    Listener listener;
    PictureDispatchProxy proxy(&listener);
    const std::string local = proxy.GetLocalPath();
    const std::string host = platform::ResolveHostPath(local);
    std::ofstream(host, std::ios::binary) << Dispatch("Pics", {{1, "a.example", 80}});
    ASSERT_EQ(::access(host.c_str(), F_OK), 0);
    proxy.OnHttpMsg(HttpResponseDoneMsg(1, nullptr, 0, local));
    EXPECT_NE(::access(host.c_str(), F_OK), 0);
    EXPECT_EQ(listener.successes, 0);
    EXPECT_FALSE(proxy.HasErred());
}

// The application object's own dispatch proxy asks the server its settings name
// for the path they name, as the game's version id.
TEST_F(PictureDispatchProxyTest, TheApplicationsProxyFetchesWhatItsSettingsName) {
    Serve("dispatch.ini", Dispatch("Pics", {{1, "a.example", 80}}));
    const std::string ini = files_ + "/settings.ini";
    std::ofstream(ini, std::ios::binary) << "[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort="
                                         << server_->port() << "\r\nDispatchServerFilePath=file/dispatch.ini\r\n";
    written_.push_back(ini);
    const std::string registry = files_ + "/registry.txt";
    written_.push_back(registry);
    platform::SetCommandLine("game " + ini);
    platform::Registry::UseDefaultStore(registry);
    PictureModel::SetMakers({});
    UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
        return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
    });
    PictureModel::Register();
    auto* model = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
    UIRoot::SetCanvasMaker(nullptr);
    ASSERT_NE(model, nullptr);
    PictureDispatchProxy& proxy = model->GetDispatchProxy();
    proxy.Start();
    ASSERT_TRUE(PumpUntil([&] { return proxy.IsStopped() || proxy.IsErred(); }));
    EXPECT_FALSE(proxy.HasErred());
    const std::vector<TestHttpServer::Recorded> requests = server_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].bytes.rfind("GET /file/dispatch.ini HTTP/1.", 0), 0u) << requests[0].bytes;
    EXPECT_NE(requests[0].bytes.find("User-Agent: ZUV/1.0\r\n"), std::string::npos) << requests[0].bytes;
    ObjectRegistry::DestroyAll();
    platform::SetCommandLine("");
}
