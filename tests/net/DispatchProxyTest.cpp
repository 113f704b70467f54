#include "net/DispatchProxy.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "PumpFixture.h"
#include "TestHttpServer.h"
#include "divir/xFile.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "net/DispatchMsg.h"
#include "net/HttpClient.h"

namespace {

struct Listener : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* ok = dynamic_cast<const DispatchSucceededMsg*>(&msg)) {
            info = std::make_unique<DispatchInfo>(ok->GetInfo());
        } else if (msg.Is<DispatchStartedMsg>()) {
            ++started;
        } else if (msg.Is<DispatchReceivedDataMsg>()) {
            ++pieces;
        }
        return 0;
    }
    std::unique_ptr<DispatchInfo> info;
    int started = 0;
    int pieces = 0;
};

std::string Lines(const std::vector<std::string>& lines, const char* eol) {
    std::string text;
    for (const std::string& l : lines) text += l + eol;
    return text;
}

std::vector<std::string> Valid(const std::string& regPrefix = "Reg") {
    return {
        "[Dispatch File]",
        "Update Script Server Path=update/updatescript.ini",
        "Register CGI Name=register.cgi",
        "Validate CGI Name=validate.cgi",
        "Change CGI Name=change.cgi",
        "Registration Server Section=" + regPrefix,
        "Content Server Section=Content",
        "Game List Server Section=GameList",
        "[Web Server]",
        "HTTP Server Name=www.example.com",
        "HTTP Server Port=8080",
        "Sponsors CGI=sponsors.cgi",
        "Success Page=thanks.html",
        "Error Page=sorry.html",
        "[" + regPrefix + " 1]",
        "HTTP Server Name=reg1.example.com",
        "HTTP Server Port=81",
        "[Content 1]",
        "HTTP Server Name=content1.example.com",
        "HTTP Server Port=82",
        "[GameList 1]",
        "IRC Server Name=irc.example.com",
        "IRC Server Port=6667",
        "IRC Server Password=pw",
        "IRC Channel Name=lobby",
        "IRC Channel Password=cpw",
        "IRC Bot Nickname=Bot",
    };
}

class DispatchProxyTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        ExecutionService::Register();
        xFileStartup(8);
        char dir[] = "/tmp/vizuzor-dispatch-XXXXXX";
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
    }

    void Serve(const std::string& name, const std::string& text) {
        const std::string path = files_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        written_.push_back(path);
    }

    // Runs a proxy on the served file until it succeeds or fails. Every proxy keeps
    // its copy beside the program, so the cases run one after another in one test.
    std::unique_ptr<DispatchProxy> Run(const std::string& name, Listener& listener) {
        auto proxy = std::make_unique<DispatchProxy>(&listener);
        proxy->AddServer("127.0.0.1", server_->port());
        proxy->SetDispatchPath("file/" + name);
        proxy->Start();
        EXPECT_TRUE(proxy->IsStarting());
        EXPECT_TRUE(PumpUntil([&] { return proxy->IsStopped() || proxy->IsErred(); }));
        // The downloaded copy never outlives the parse.
        EXPECT_NE(::access(proxy->GetLocalPath().c_str(), F_OK), 0);
        return proxy;
    }

    std::unique_ptr<TestHttpServer> server_;
    std::string files_;
    std::vector<std::string> written_;
};

}  // namespace

TEST_F(DispatchProxyTest, ServedSamplesToDispatchInfo) {
    auto withLines = [](std::vector<std::string> lines, const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    auto without = [](std::vector<std::string> lines, const std::string& start) {
        std::erase_if(lines, [&](const std::string& l) { return l.rfind(start, 0) == 0; });
        return lines;
    };
    std::vector<std::string> twelve = Valid();
    for (int i = 2; i <= 12; ++i) {
        twelve.push_back("[Content " + std::to_string(i) + "]");
        twelve.push_back("HTTP Server Name=c" + std::to_string(i));
    }
    const std::string longPrefix(300, 'P');
    struct Case {
        const char* name;
        std::string text;
        bool accepted;
        int registration, content, gameList;
    };
    const Case cases[] = {
        {"valid CRLF", Lines(Valid(), "\r\n"), true, 1, 1, 1},
        {"valid LF", Lines(Valid(), "\n"), true, 1, 1, 1},
        {"Reg 1 and Reg 3", Lines(withLines(Valid(), {"[Reg 3]", "HTTP Server Name=reg3"}), "\r\n"), true, 1,
         1, 1},
        {"twelve content sections", Lines(twelve, "\r\n"), true, 1, 10, 1},
        {"missing keys",
         Lines(without(without(without(Valid(), "Success Page"), "Change CGI Name"), "IRC Server Port"),
               "\r\n"),
         true, 1, 1, 1},
        {"no game-list server", Lines(without(Valid(), "IRC Server Name"), "\r\n"), false, 1, 1, 0},
        {"300-character prefix", Lines(Valid(longPrefix), "\r\n"), true, 1, 1, 1},
        // Not served: the download fails after the queue's retries.
        {"no file", "", false, 0, 0, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = "sample" + std::to_string(++n) + ".ini";
        if (!c.text.empty()) Serve(name, c.text);
        Listener listener;
        auto proxy = Run(name, listener);
        EXPECT_GE(listener.started, 1);
        if (!c.text.empty()) {
            EXPECT_GE(listener.pieces, 1);
        }
        if (!c.accepted) {
            EXPECT_TRUE(proxy->HasErred());
            EXPECT_EQ(listener.info, nullptr);
            continue;
        }
        EXPECT_TRUE(proxy->IsStopped());
        EXPECT_FALSE(proxy->HasErred());
        ASSERT_NE(listener.info, nullptr);
        const DispatchInfo& info = *listener.info;
        EXPECT_EQ(info.registrationServerCount, c.registration);
        EXPECT_EQ(info.contentServerCount, c.content);
        EXPECT_EQ(info.gameListServerCount, c.gameList);
        EXPECT_EQ(info.updateScriptServerPath, "update/updatescript.ini");
        EXPECT_EQ(info.registrationServers[0].name, "reg1.example.com");
        EXPECT_EQ(info.registrationServers[0].port, 81);
        EXPECT_EQ(info.contentServers[0].port, 82);
        EXPECT_EQ(info.webServerName, "www.example.com");
        EXPECT_EQ(info.webServerPort, 8080);
        EXPECT_EQ(info.gameListServers[0].serverName, "irc.example.com");
        EXPECT_EQ(info.gameListServers[0].channelName, "lobby");
        EXPECT_EQ(info.gameListServers[0].botNickname, "Bot");
        if (std::string(c.name) == "missing keys") {
            EXPECT_EQ(info.successPage, "");
            EXPECT_EQ(info.changeCgiName, "_eRrOr_");
            EXPECT_EQ(info.gameListServers[0].port, 0);
        } else {
            EXPECT_EQ(info.successPage, "thanks.html");
            EXPECT_EQ(info.changeCgiName, "change.cgi");
            EXPECT_EQ(info.gameListServers[0].port, 6667);
        }
    }
}
