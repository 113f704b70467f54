// The client's dispatch proxy and file-update service against the demo world's server
// tree (testbed/demo), served by the test HTTP server: an empty program folder ends
// equal to the pack, and a second run fetches only the dispatch file and the script.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PumpFixture.h"
#include "TestHttpServer.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/ErrorMsg.h"
#include "framework/ExecutionService.h"
#include "framework/MsgLog.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "net/DispatchMsg.h"
#include "net/DispatchProxy.h"
#include "net/FileUpdateService.h"
#include "resource/FileResourceFactory.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

const std::string kPack = std::string(VIZUZOR_BINARY_DIR) + "/demo/pack";
const std::string kTree = std::string(VIZUZOR_BINARY_DIR) + "/demo/server";

class Log : public MsgLog {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        if (const auto* ok = dynamic_cast<const DispatchSucceededMsg*>(&msg)) {
            info = std::make_unique<DispatchInfo>(ok->GetInfo());
        }
        if (const auto* error = dynamic_cast<const ErrorMsg*>(&msg)) errors.push_back(error->GetText());
        return MsgLog::Receive(msg, from);
    }
    bool Has(const std::string& name) const {
        for (const std::string& n : Names()) {
            if (n == name) return true;
        }
        return false;
    }
    std::unique_ptr<DispatchInfo> info;
    std::vector<std::string> errors;
};

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The pack's files (its Resources folder), relative to the pack.
std::vector<fs::path> PackFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(kPack + "/Resources")) {
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), kPack));
    }
    return files;
}

class DemoServerTreeTest : public PumpFixture {
  public:
    static void SetUpTestSuite() {
        // Made into the build tree by the generators (kept while their inputs are unchanged).
        const std::string testbed = VIZUZOR_TESTBED;
        const std::string make = "python3 " + testbed + "/demo/pack/make_pack.py --out " + kPack + " && python3 " +
                                 testbed + "/demo/server/make_server.py --pack " + kPack + " --out " + kTree;
        made_ = std::system(make.c_str()) == 0;
    }
    void SetUp() override {
        PumpFixture::SetUp();
        ASSERT_TRUE(made_) << "the demo pack and server tree could not be made";
        xErrorCode = 0;
        xFileStartup(8);
        ExecutionService::Register();
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        fs::create_directories(root_.Host("prog"));
        server_ = std::make_unique<TestHttpServer>("", std::vector<std::string>{"--tree", kTree, "--set", "IRC_PORT=6667"});
        if (!server_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        SetStep([] { ExecutionService::GetInstance().RunExecutables(); });
    }
    void TearDown() override {
        SetStep({});
        ObjectRegistry::DestroyAll();
        server_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
        xErrorCode = 0;
        PumpFixture::TearDown();
    }

  protected:
    // One start: the dispatch file, then the update script with its downloads, until
    // every file of the pack is in the program folder as the pack has it.
    void Start(Log& log) {
        DispatchProxy proxy(&log);
        proxy.AddServer("127.0.0.1", server_->port());
        proxy.SetDispatchPath("picture/dispatch/client/dispatch.ini");
        proxy.Start();
        ASSERT_TRUE(PumpUntil([&] { return proxy.IsStopped() || proxy.IsErred(); }));
        ASSERT_TRUE(log.info != nullptr);
        const DispatchInfo& info = *log.info;
        EXPECT_EQ(info.validateCgiName, "cgi/validate.cgi");
        ASSERT_EQ(info.contentServerCount, 1);
        EXPECT_EQ(info.contentServers[0].name, "127.0.0.1");
        EXPECT_EQ(info.contentServers[0].port, server_->port());
        ASSERT_EQ(info.gameListServerCount, 1);
        EXPECT_EQ(info.gameListServers[0].port, 6667);
        EXPECT_EQ(info.gameListServers[0].channelName, "Big_List");
        EXPECT_EQ(info.gameListServers[0].botNickname, "ZuvLobby");
        EXPECT_EQ(info.gameListServers[0].serverPassword, "");

        FileUpdateService service(&log, root_.Win("prog") + "\\");
        service.AddServer(info.contentServers[0].name, info.contentServers[0].port);
        service.SetUserAgent("VizuzorTest");
        service.SetClientVersion(Version(1, 0, 0, 0));
        service.GetUpdateScript(info.updateScriptServerPath);
        ASSERT_TRUE(PumpUntil([&] { return log.Has("FileUpdateProcessedUpdateScriptMsg") || !log.errors.empty(); },
                              6000));
        ASSERT_TRUE(log.errors.empty()) << log.errors.front();
        // Comparing the whole pack is slow: once every 50 passes is enough.
        int passes = 0;
        ASSERT_TRUE(PumpUntil([&] { return ++passes % 50 == 0 && Equal(); }, 6000)) << Difference();
    }
    bool Equal() const { return Difference().empty(); }
    // The program folder's file for a pack file: names match in any letter case, as the
    // client's file layer finds them (the updater writes the names it normalised).
    std::optional<fs::path> Mine(const fs::path& rel) const {
        fs::path at = root_.Host("prog");
        for (const fs::path& part : rel) {
            std::optional<fs::path> found;
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(at, ec)) {
                if (Lower(entry.path().filename().string()) == Lower(part.string())) found = entry.path();
            }
            if (!found) return std::nullopt;
            at = *found;
        }
        return at;
    }
    static std::string Lower(std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    std::string Difference() const {
        for (const fs::path& rel : PackFiles()) {
            const std::optional<fs::path> mine = Mine(rel);
            if (!mine) return rel.string() + " is missing";
            if (Read(*mine) != Read(fs::path(kPack) / rel)) return rel.string() + " differs";
        }
        return "";
    }

    static bool made_;
    TempFolder root_;
    std::unique_ptr<TestHttpServer> server_;
};

bool DemoServerTreeTest::made_ = false;

}  // namespace

TEST_F(DemoServerTreeTest, AnEmptyProgramFolderEndsEqualToThePackAndASecondRunFetchesOnlyTheScript) {
    Log first;
    Start(first);
    const std::size_t firstCount = server_->Requests().size();
    EXPECT_EQ(firstCount, 2 + PackFiles().size());
    // Nothing is left beside the files.
    for (const auto& entry : fs::recursive_directory_iterator(root_.Host("prog"))) {
        EXPECT_EQ(entry.path().filename().string().rfind("update_", 0), std::string::npos) << entry.path();
    }

    Log second;
    Start(second);
    std::vector<std::string> lines;
    const auto requests = server_->Requests();
    for (std::size_t i = firstCount; i < requests.size(); ++i) {
        lines.push_back(requests[i].bytes.substr(0, requests[i].bytes.find('\r')));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"GET /picture/dispatch/client/dispatch.ini HTTP/1.0",
                                               "GET /content/updatescript.ini HTTP/1.0"}));
}
