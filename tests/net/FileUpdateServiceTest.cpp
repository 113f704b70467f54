#include "net/FileUpdateService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PumpFixture.h"
#include "TestHttpServer.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/ErrorMsg.h"
#include "framework/ExecutionService.h"
#include "framework/MsgLog.h"
#include "framework/SingletonDefaults.h"
#include "net/FileUpdateMsgs.h"
#include "net/HttpClient.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "resource/SrfResource.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// Writes down every message by class, and the error texts.
class Log : public MsgLog {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        if (const auto* error = dynamic_cast<const ErrorMsg*>(&msg)) errors.push_back(error->GetText());
        return MsgLog::Receive(msg, from);
    }
    // The names without the repeated progress messages.
    std::vector<std::string> Steps() const {
        std::vector<std::string> steps;
        for (const std::string& name : Names()) {
            if (name.find("Receiving") == std::string::npos) steps.push_back(name);
        }
        return steps;
    }
    bool Has(const std::string& name) const {
        for (const std::string& n : Names()) {
            if (n == name) return true;
        }
        return false;
    }
    std::vector<std::string> errors;
};

std::string Fixture(const std::string& name) {
    return std::string(SRF_FIXTURES) + "/" + name + ".srf";
}

class FileUpdateServiceTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        xErrorCode = 0;
        xFileStartup(8);
        ExecutionService::Register();
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        fs::create_directories(root_.Host("prog/ads"));
        fs::create_directories(root_.Host("srv"));
        server_ = std::make_unique<TestHttpServer>(root_.Host("srv"));
        if (!server_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        service_ = std::make_unique<FileUpdateService>(&log_, root_.Win("prog") + "\\");
        service_->AddServer("127.0.0.1", server_->port());
        service_->SetUserAgent("VizuzorTest");
        service_->SetClientVersion(Version(1, 0, 0, 0));
        service_->SetAdFolder(root_.Win("prog/ads"));
        SetStep([] { ExecutionService::GetInstance().RunExecutables(); });
    }
    void TearDown() override {
        SetStep({});
        service_.reset();
        server_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
        xErrorCode = 0;
        PumpFixture::TearDown();
    }

  protected:
    std::string Prog(const std::string& name) const { return root_.Win("prog/" + name); }
    void Serve(const std::string& name, const std::string& bytes) const { root_.Write("srv/" + name, bytes); }
    void ServeFixture(const std::string& name, const std::string& fixture) const {
        fs::copy_file(Fixture(fixture), root_.Host("srv/" + name));
    }
    void Place(const std::string& name, const std::string& fixture) const {
        fs::copy_file(Fixture(fixture), root_.Host("prog/" + name));
    }
    // Runs the script to its end: true when it was processed (false when it threw).
    bool RunScript(const std::string& script) {
        Serve("updatescript.ini", script);
        service_->GetUpdateScript("file/updatescript.ini");
        try {
            return PumpUntil([&] { return log_.Has("FileUpdateProcessedUpdateScriptMsg") || !log_.errors.empty(); });
        } catch (int) {
            return false;
        }
    }
    Version SrfVersion(const std::string& name) { return LookupRegisteredFile(Prog(name)).GetVersion(); }
    bool Exists(const std::string& name) const { return fs::exists(root_.Host("prog/" + name)); }

    TempFolder root_;
    Log log_;
    std::unique_ptr<TestHttpServer> server_;
    std::unique_ptr<FileUpdateService> service_;
};

constexpr const char* kFolders = "[Server Version Folders]\n1.0.0.0=file\n2.0.0.0=file\n";

// Groups run by ascending priority, a present file is taken at once, the
// mandatory group is waited for and reported, and the ads follow.
TEST_F(FileUpdateServiceTest, RunsTheScriptGroupsAndAds) {
    Place("a.srf", "kinds_v1");          // 1.2.3.4
    Place("c.srf", "kinds_v2");          // 1.2.3.4
    Place("update_c.srf", "version_2");  // 2.0.0.0, already here
    root_.Write("prog/b.txt", "old b");
    Place("ads/ad3.srf", "any_a");
    ServeFixture("a.srf", "version_2");
    Serve("b.txt", "new b");
    ServeFixture("ad1.srf", "no_version");
    ServeFixture("ad2.srf", "any_b");
    FindOrRegisterFile(Prog("b.txt"));
    FindOrRegisterFile(Prog("c.srf"));
    ASSERT_TRUE(RunScript(std::string("[Update Script]\n1 Goto=A\n2 Goto=B\n3 Goto=C\n4 Goto=Ads\n"
                                      "[A]\nCommand=if client_path LessThan version then update\nClient Path=a.srf\n"
                                      "Version=2.0.0.0\nGroup Priority=2\nMandatory=false\n"
                                      "[B]\nCommand=update\nClient Path=b.txt\nVersion=1.0.0.0\nGroup Priority=1\n"
                                      "Mandatory=true\nFile Size Bytes=5\n"
                                      "[C]\nCommand=update\nClient Path=c.srf\nVersion=2.0.0.0\nGroup Priority=1\n"
                                      "Mandatory=false\n"
                                      "[Ads]\nCommand=set variable\nVariable=AdServerFolder\nValue=file\n") +
                          kFolders));
    // The present file was taken before the group's download ended.
    EXPECT_EQ(SrfVersion("c.srf").GetText(), "2.0.0.0");
    ASSERT_TRUE(PumpUntil([&] { return SrfVersion("a.srf").GetText() == "2.0.0.0"; }));
    EXPECT_EQ(root_.Read("prog/b.txt"), "new b");
    EXPECT_EQ(log_.Steps(), (std::vector<std::string>{
                                "FileUpdateGettingUpdateScriptMsg", "FileUpdateGotUpdateScriptMsg",
                                "FileUpdateProcessedUpdateScriptMsg", "FileUpdateGettingMandatoryFilesMsg",
                                "FileUpdateGotMandatoryFilesMsg"}));
    for (const char* gone : {"update_a.srf", "update_b.txt", "update_c.srf"}) EXPECT_FALSE(Exists(gone)) << gone;
    // The script, then group 1 (its present file not fetched), then group 2.
    std::vector<std::string> lines;
    for (const auto& request : server_->Requests()) lines.push_back(request.bytes.substr(0, request.bytes.find('\r')));
    EXPECT_EQ(lines, (std::vector<std::string>{"GET /file/updatescript.ini HTTP/1.0", "GET /file/b.txt HTTP/1.0",
                                               "GET /file/a.srf HTTP/1.0"}));

    service_->SetSponsorAd(AdInfo("ad1.srf", "sponsor", 5000));
    service_->SetAdDownloadList({AdInfo("..", "x", 1), AdInfo("ad3.srf", "here", 1), AdInfo("ad2.srf", "y", 1),
                                 AdInfo("sub\\ad.srf", "z", 1), AdInfo("sub/ad.srf", "w", 1)});
    ASSERT_TRUE(PumpUntil([&] { return Exists("ads/ad2.srf") && log_.errors.size() == 3; }));
    EXPECT_TRUE(log_.Has("FileUpdateGotSponsorAdMsg"));
    EXPECT_TRUE(Exists("ads/ad1.srf"));
    EXPECT_FALSE(Exists("ads/sub/ad.srf"));
    EXPECT_EQ(log_.errors, (std::vector<std::string>(3, "Cannot download an ad.")));
}

// A first group that is all present and mandatory is reported before the script
// is reported processed.
TEST_F(FileUpdateServiceTest, AnAllPresentFirstGroupIsReportedFirst) {
    root_.Write("prog/b.txt", "old b");
    root_.Write("prog/update_b.txt", "new b");
    FindOrRegisterFile(Prog("b.txt"));
    ASSERT_TRUE(RunScript(std::string("[Update Script]\nCommand=update\nClient Path=b.txt\nVersion=1.0.0.0\n"
                                      "Group Priority=1\nMandatory=true\n") +
                          kFolders));
    EXPECT_EQ(log_.Steps(), (std::vector<std::string>{
                                "FileUpdateGettingUpdateScriptMsg", "FileUpdateGotUpdateScriptMsg",
                                "FileUpdateGotMandatoryFilesMsg", "FileUpdateProcessedUpdateScriptMsg"}));
    EXPECT_EQ(root_.Read("prog/b.txt"), "new b");
}

// A file in use is swapped when its last lock goes.
TEST_F(FileUpdateServiceTest, ALockedFileIsSwappedAtItsLastUnlock) {
    Place("a.srf", "kinds_v1");
    ServeFixture("a.srf", "version_2");
    FileResource& a = FindOrRegisterFile(Prog("a.srf"));
    a.Lock();
    ASSERT_TRUE(RunScript(std::string("[Update Script]\nCommand=update\nClient Path=a.srf\nVersion=2.0.0.0\n"
                                      "Group Priority=1\nMandatory=true\n") +
                          kFolders));
    ASSERT_TRUE(PumpUntil([&] { return log_.Has("FileUpdateGotMandatoryFilesMsg"); }));
    EXPECT_EQ(a.GetVersion().GetText(), "1.2.3.4");
    EXPECT_TRUE(Exists("update_a.srf"));
    a.Unlock();
    EXPECT_EQ(a.GetVersion().GetText(), "2.0.0.0");
    EXPECT_FALSE(Exists("update_a.srf"));
}

// Downloads that are cut short, too short for the script's size or not the .srf
// the script named never replace their target.
TEST_F(FileUpdateServiceTest, IncompleteDownloadsLeaveTheOldFile) {
    struct Case {
        const char* folder;
        const char* path;
        const char* size;
        const char* version;
        bool replaced;
    } const cases[] = {
        {"closemid", "200", "", "1.0.0.0", false},      // cut short, with Content-Length
        {"nolength", "100", "200", "1.0.0.0", false},   // cut short, without: the size tells
        {"nolength", "100", "100", "1.0.0.0", true},
        {"nolength", "x.srf", "", "1.0.0.0", false},    // nothing that opens as a .srf
        {"zip", "zeros1m", "1048576", "1.0.0.0", true},  // compressed
        {"file", "v.srf", "", "3.0.0.0", false},         // not the version named
    };
    ServeFixture("v.srf", "version_2");
    // A connection cut short is retried after a pause of application time.
    SetStep([this] {
        AdvanceAppTime(500);
        ExecutionService::GetInstance().RunExecutables();
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + "/" + c.path);
        log_.entries.clear();
        log_.errors.clear();
        root_.Write(std::string("prog/") + c.path, "old");
        FindOrRegisterFile(Prog(c.path));
        std::string script = std::string("[Update Script]\nCommand=update\nClient Path=") + c.path +
                             "\nVersion=" + c.version + "\nGroup Priority=1\nMandatory=true\n";
        if (*c.size != '\0') script += std::string("File Size Bytes=") + c.size + "\n";
        script += std::string("[Server Version Folders]\n") + c.version + "=" + c.folder + "\n";
        ASSERT_TRUE(RunScript(script));
        ASSERT_TRUE(PumpUntil([&] { return log_.Has("FileUpdateGotMandatoryFilesMsg") || !log_.errors.empty(); }));
        if (c.replaced) {
            EXPECT_TRUE(log_.errors.empty());
            EXPECT_NE(root_.Read(std::string("prog/") + c.path), "old");
        } else {
            ASSERT_EQ(log_.errors.size(), 1u);
            EXPECT_TRUE(log_.errors[0] == "Cannot download a mandatory file." ||
                        log_.errors[0] == "Timed out downloading a mandatory file.")
                << log_.errors[0];
            EXPECT_EQ(root_.Read(std::string("prog/") + c.path), "old");
        }
        EXPECT_FALSE(Exists(std::string("update_") + c.path));
        // Give the service a fresh start for the next row.
        service_.reset();
        service_ = std::make_unique<FileUpdateService>(&log_, root_.Win("prog") + "\\");
        service_->AddServer("127.0.0.1", server_->port());
    }
}

// A download still running never replaces its target, even when the last lock
// goes meanwhile.
TEST_F(FileUpdateServiceTest, ADownloadInProgressIsNotTakenAtTheLastUnlock) {
    root_.Write("prog/1000", "old");
    FileResource& target = FindOrRegisterFile(Prog("1000"));
    target.Lock();
    ASSERT_TRUE(RunScript("[Update Script]\nCommand=update\nClient Path=1000\nVersion=1.0.0.0\nGroup Priority=1\n"
                          "Mandatory=true\n[Server Version Folders]\n1.0.0.0=stall\n"));
    ASSERT_TRUE(PumpUntil([&] { return log_.Has("FileUpdateReceivingMandatoryFilesMsg"); }));
    target.Unlock();
    PumpPasses(3);
    EXPECT_EQ(root_.Read("prog/1000"), "old");
    EXPECT_TRUE(target.IsCurrent());
}

TEST_F(FileUpdateServiceTest, AdFailuresAreReportedByTheirTexts) {
    struct Case {
        const char* folder;
        const char* name;
        const char* text;
    } const cases[] = {
        {"status", "404", "Cannot download the sponsor ad."},
        {"stall", "100", "Timed out downloading the sponsor ad."},
        {"file", "a:b", "Cannot download the sponsor ad."},
        {"file", "bell\a", "Cannot download the sponsor ad."},
    };
    SetStep([this] {
        AdvanceAppTime(1000);
        ExecutionService::GetInstance().RunExecutables();
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        service_.reset();
        log_.entries.clear();
        log_.errors.clear();
        service_ = std::make_unique<FileUpdateService>(&log_, root_.Win("prog") + "\\");
        service_->AddServer("127.0.0.1", server_->port());
        service_->SetAdFolder(root_.Win("prog/ads"));
        ASSERT_TRUE(RunScript(std::string("[Update Script]\nCommand=set variable\nVariable=AdServerFolder\nValue=") +
                              c.folder + "\n"));
        service_->SetSponsorAd(AdInfo(c.name, "", 1000));
        ASSERT_TRUE(PumpUntil([&] { return !log_.errors.empty(); }));
        EXPECT_EQ(log_.errors, (std::vector<std::string>{c.text}));
        EXPECT_FALSE(log_.Has("FileUpdateGotSponsorAdMsg"));
    }
}

TEST_F(FileUpdateServiceTest, FailuresAreReportedByTheirTexts) {
    service_->GetUpdateScript("status/404");
    ASSERT_TRUE(PumpUntil([&] { return !log_.errors.empty(); }));
    EXPECT_EQ(log_.errors, (std::vector<std::string>{"Cannot download the update script."}));
    log_.errors.clear();
    SetStep([this] {
        AdvanceAppTime(5000);
        ExecutionService::GetInstance().RunExecutables();
    });
    service_->GetUpdateScript("stall/100");
    ASSERT_TRUE(PumpUntil([&] { return !log_.errors.empty(); }));
    EXPECT_EQ(log_.errors, (std::vector<std::string>{"Timed out downloading the update script."}));
    log_.errors.clear();
    // The script writes outside the program folder: it fails and nothing there changes.
    root_.Write("outside.txt", "keep");
    EXPECT_FALSE(RunScript("[Update Script]\nCommand=delete\nClient Path=..\\outside.txt\n"));
    EXPECT_EQ(log_.errors, (std::vector<std::string>{"Cannot parse update script."}));
    EXPECT_EQ(root_.Read("outside.txt"), "keep");
}

}  // namespace
