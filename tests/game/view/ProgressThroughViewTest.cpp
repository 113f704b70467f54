// The start-up chain with the game view as the program makes it: the real
// model, dispatch proxy and file-update service against the test HTTP server
// (dispatch file, update script and a 300 KB mandatory file sent in pieces), the
// view's progress screen and its dialog over the view's window. Game time is the
// manual clock: the dialog shows after its four seconds, and each time its texts
// change, the bar, the rate and the time left are those of the bytes received so
// far. Then the resources load, the view starts and the logon dialog asks for
// the player. Cancel during the download, or while the dispatch server holds its
// answer, ends the game without a box.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RealViewFixture.h"
#include "framework/AppTime.h"
#include "game/model/PictureModel.h"
#include "game/screens/ProgressDialog.h"
#include "game/screens/ProgressScreen.h"
#include "game/view/PictureView.h"
#include "net/FileUpdateMsgs.h"
#include "net/FileUpdateService.h"
#include "net/LogonDialogs.h"
#include "net/TestHttpServer.h"
#include "platform/CommandLine.h"
#include "platform/Registry.h"
#include "platform/UrlLauncher.h"
#include "resource/FileRegistry.h"
#include "support/TempFolder.h"

namespace {

namespace ids = progress_dialog;

constexpr std::int32_t kFileBytes = 300 * 1024;

class RecordingBrowser : public platform::UrlLauncher {
  public:
    void Launch(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

platform::DialogState* Dialog() {
    const platform::WindowHandle w = ProgressDialogWindow();
    return w != nullptr ? platform::GetDialogState(w) : nullptr;
}

// Listens to the file-update service beside the model: the total of the
// mandatory files and every piece of them as it comes. The model hands each
// piece on to the view from its queue, so after a pass the dialog tells of one
// of the sums seen so far; the texts are checked against that sum.
class DownloadWatch : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* getting = dynamic_cast<const FileUpdateGettingMandatoryFilesMsg*>(&msg)) {
            total = getting->GetTotalBytes();
            inFiles = true;
            sums = {0};
        } else if (const auto* piece = dynamic_cast<const FileUpdateReceivingMandatoryFilesMsg*>(&msg)) {
            received += piece->GetLength();
            sums.push_back(received);
            ++pieces;
        }
        return 0;
    }

    // After each pass of the pump: the bar, and the texts if they changed. The
    // view hears of the files' phase when the model drains its queue: from then
    // on (the game time of that pass starts the rate) the dialog tells of it.
    void Check() {
        if (!inFiles) return;
        platform::DialogState* s = Dialog();
        ASSERT_NE(s, nullptr);
        if (s->texts[ids::kTitle] == "Loading Resources") {
            loading = *s;
            inFiles = false;
            return;
        }
        if (s->texts[ids::kStatus] != "Downloading file updates...") return;
        if (!viewInFiles) {
            viewInFiles = true;
            start = GetAppTime();
        }
        bool barMatches = false;
        for (const std::int32_t r : sums) barMatches = barMatches || s->progress == Bar(r);
        EXPECT_TRUE(barMatches) << s->progress << " with " << received << " of " << total;
        const std::string bytesText = s->texts[ids::kBytes];
        if (bytesText == lastBytesText) return;
        // The texts changed (at most once a second, at this game time): all three
        // tell of one of the sums.
        lastBytesText = bytesText;
        ++textChanges;
        const std::uint32_t elapsed = GetAppTime() - start;
        bool matched = false;
        std::int32_t told = 0;
        for (const std::int32_t r : sums) {
            if (bytesText != FormatByteCount(r) + " of " + FormatByteCount(total) + " bytes received") continue;
            if (elapsed == 0) {
                matched = true;
                told = r;
                break;
            }
            const auto rate = static_cast<std::int32_t>(r / (elapsed * 0.001));
            if (s->texts[ids::kRate] != FormatByteCount(rate) + " bytes/sec.") continue;
            if (total > r && rate >= 1) {
                const auto left = static_cast<std::int32_t>((static_cast<double>(total) - r) / rate);
                if (s->texts[ids::kTimeLeft] != FormatDuration(left) + " remaining") continue;
                ++timedChanges;
            }
            matched = true;
            told = r;
            break;
        }
        EXPECT_TRUE(matched) << bytesText << " | " << s->texts[ids::kRate] << " | " << s->texts[ids::kTimeLeft]
                             << " after " << elapsed << " ms, " << received << " received";
        // The sums before the one told of are done with.
        std::erase_if(sums, [told](std::int32_t r) { return r < told; });
    }

    int Bar(std::int32_t r) const { return total > r ? static_cast<int>(r * 100.0 / total) : 100; }

    std::int32_t total = 0;
    std::int32_t received = 0;
    std::uint32_t start = 0;
    bool inFiles = false;
    bool viewInFiles = false;
    std::vector<std::int32_t> sums;
    int pieces = 0;
    int textChanges = 0;
    int timedChanges = 0;
    std::string lastBytesText;
    platform::DialogState loading;
};

class ProgressThroughViewTest : public RealViewFixture {
  public:
    void SetUp() override {
        // The dispatch proxy's local copy of the file sits beside the program, one
        // path for every test program: parallel test processes take turns.
        lock_ = ::open("/tmp/vizuzor-picture-dispatch.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock_ >= 0) ::flock(lock_, LOCK_EX);
        withFileRegistry_ = false;
        RealViewFixture::SetUp();
        if (HasFatalFailure()) return;
        tree_.Write("dispatch.ini",
                    "[Dispatch File]\r\nUpdate Script Server Path=updatescript.ini\r\n"
                    "Registration Server Section=Reg\r\nContent Server Section=Content\r\n"
                    "Game List Server Section=GameList\r\nVizuzor Server Section=Pictures\r\n"
                    "Register CGI Name=cgi/register.cgi\r\nValidate CGI Name=cgi/validate.cgi\r\n"
                    "Change CGI Name=cgi/change.cgi\r\n"
                    "[Reg 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=@HTTP_PORT@\r\n"
                    "[Pictures 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=1\r\n"
                    "[Content 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=@HTTP_PORT@\r\n"
                    "[GameList 1]\r\nIRC Server Name=127.0.0.1\r\nIRC Server Port=1\r\n");
        tree_.Write("updatescript.ini",
                    "[Update Script]\r\nCommand=update\r\nClient Path=big.bin\r\nVersion=1.0.0.0\r\n"
                    "Group Priority=1\r\nMandatory=true\r\nFile Size Bytes=" +
                        std::to_string(kFileBytes) + "\r\n[Server Version Folders]\r\n1.0.0.0=content\r\n");
        tree_.Write("content/big.bin", PatternBytes(kFileBytes));
    }

    void BeforeTearDown() override {
        ObjectRegistry::DestroyAll();
        PictureModel::SetMakers({});
        platform::UrlLauncher::Install(browserBefore_);
        platform::SetCommandLine("");
        server_.reset();
    }

    void TearDown() override {
        RealViewFixture::TearDown();
        if (lock_ >= 0) ::close(lock_);
        lock_ = -1;
    }

    // The server with its faults, and the local settings that point at it.
    bool StartServer(const std::vector<std::string>& faults) {
        std::vector<std::string> args{"--tree", tree_.Host()};
        for (const std::string& f : faults) {
            args.push_back("--fault");
            args.push_back(f);
        }
        server_ = std::make_unique<TestHttpServer>("", args);
        if (!server_->Running()) return false;
        local_.Write("settings.ini", "[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort=" +
                                         std::to_string(server_->port()) +
                                         "\r\nDispatchServerFilePath=dispatch.ini\r\nGotoGameRoom=0\r\n"
                                         "FullScreen=0\r\n");
        platform::SetCommandLine("game " + local_.Host("settings.ini"));
        platform::Registry::UseDefaultStore(local_.Host("registry.txt"));
        browserBefore_ = platform::UrlLauncher::Install(&browser_);
        PictureModel::Register();
        const std::string folder = local_.Win() + "\\";
        PictureModel::SetMakers({
            nullptr,
            [folder, this](MsgReceiver* owner) {
                auto service = std::make_unique<FileUpdateService>(owner, folder);
                service->AddReceiver(&watch_);
                return service;
            },
            nullptr,
            [this](const std::string& name, std::int32_t bits, std::int32_t width, std::int32_t height, bool full,
                   bool own) {
                auto view = std::make_unique<view::PictureView>(name, bits, width, height, full, own);
                view_ = view.get();
                return view;
            },
        });
        model_ = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
        if (model_ == nullptr) {
            ADD_FAILURE() << "no application object";
            return false;
        }
        local_.Write("big.bin", "old\n");
        FindOrRegisterFile(local_.Win("big.bin"));
        SetStep([this] { model_->RunExecutables(); });
        return true;
    }

    // Moves both clocks on by whole seconds, a second at a time, serving each.
    void AdvanceSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) Advance(1000);
    }

    // Half the file comes, then nothing: the dialog shows by four seconds and
    // Cancel (0 a click, 1 Enter, 2 Escape) ends the game with no box and the old
    // file kept.
    void CancelMidDownload(int how);

    bool AwaitStopped() {
        return PumpUntil([&] { return model_->IsStopped() && model_->HasBeenStarted(); }, 3000);
    }

    std::vector<std::string> Paths() {
        std::vector<std::string> out;
        for (const auto& r : server_->Requests()) out.push_back(r.bytes.substr(0, r.bytes.find(" HTTP/")));
        return out;
    }

    int lock_ = -1;
    TempFolder tree_;
    TempFolder local_;
    std::unique_ptr<TestHttpServer> server_;
    RecordingBrowser browser_;
    platform::UrlLauncher* browserBefore_ = nullptr;
    PictureModel* model_ = nullptr;
    view::PictureView* view_ = nullptr;
    DownloadWatch watch_;
};

TEST_F(ProgressThroughViewTest, TheDialogTellsOfATrickledMandatoryFileThenTheLogonAsks) {
    if (!StartServer({"drip:content/big.bin"})) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    bool jumped = false;
    bool nested = false;
    std::int32_t seen = 0;
    bool made = false;
    std::uint32_t madeAt = 0;
    bool visibleAfterJump = false;
    SetStep([&] {
        model_->RunExecutables();
        watch_.Check();
        if (nested || view_ == nullptr) return;
        nested = true;
        // The window timers run on the queue's clock, which also moves while
        // the pump waits on the sockets.
        if (!made && ProgressDialogWindow() != nullptr) {
            made = true;
            madeAt = queue_.Now();
        }
        if (Dialog() != nullptr && Dialog()->visible) {
            EXPECT_GE(queue_.Now() - madeAt, ids::kShowDelayMs);
        }
        if (watch_.viewInFiles && !jumped) {
            // Four seconds on, the dialog shows, whatever bytes came meanwhile.
            jumped = true;
            queue_.Advance(ids::kShowDelayMs);
            AdvanceAppTime(ids::kShowDelayMs);
            for (int i = 0; i < 100 && Dialog() != nullptr && !Dialog()->visible; ++i) PumpOnce();
            visibleAfterJump = Dialog() != nullptr && Dialog()->visible;
        } else if (watch_.received != seen) {
            // A quarter second of game time for each piece that came.
            seen = watch_.received;
            queue_.Advance(250);
            AdvanceAppTime(250);
        }
        nested = false;
    });
    model_->Start();
    // The server's real time only as a failure limit: the whole file comes in
    // well under a second of it.
    ASSERT_TRUE(PumpUntil([&] { return CurrentLogonDialogs() != nullptr || model_->IsStopped(); }, 6000))
        << model_->GetStateName() << " received " << watch_.received;
    ASSERT_NE(view_, nullptr);
    EXPECT_TRUE(visibleAfterJump);
    EXPECT_EQ(watch_.total, kFileBytes);
    EXPECT_EQ(watch_.received, kFileBytes);
    EXPECT_GE(watch_.pieces, 2);
    EXPECT_GE(watch_.textChanges, 1);
    EXPECT_EQ(local_.Read("big.bin"), PatternBytes(kFileBytes));
    // Loading the resources: a fresh bar counting its 30 seconds, no Cancel.
    EXPECT_EQ(watch_.loading.texts[ids::kTitle], "Loading Resources");
    EXPECT_EQ(watch_.loading.texts[ids::kStatus], "Please wait...");
    EXPECT_EQ(watch_.loading.progressEnd, 30);
    EXPECT_EQ(watch_.loading.progress, 0);
    EXPECT_TRUE(watch_.loading.disabled.contains(ids::kCancel));
    // The view started, the progress dialog went, and the logon asks.
    ASSERT_NE(CurrentLogonDialogs(), nullptr) << model_->GetStateName();
    EXPECT_EQ(ProgressDialogWindow(), nullptr);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"GET /dispatch.ini", "GET /updatescript.ini",
                                                 "GET /content/big.bin"}));
    SetStep([this] { model_->RunExecutables(); });
    Driver(view_->GetWindow()).Click(CurrentLogonDialogs()->Window(LogonDialogs::kLogon), 2);  // E&xit
    ASSERT_TRUE(AwaitStopped()) << model_->GetStateName();
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_FALSE(model_->HasErred());
}

void ProgressThroughViewTest::CancelMidDownload(int how) {
    if (!StartServer({"stall:content/big.bin"})) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    model_->Start();
    ASSERT_TRUE(PumpUntil([&] { return watch_.received >= kFileBytes / 2; }, 6000)) << model_->GetStateName();
    EXPECT_EQ(watch_.received, kFileBytes / 2);
    ASSERT_NE(Dialog(), nullptr);
    Advance(ids::kShowDelayMs);
    ASSERT_TRUE(Dialog()->visible);
    EXPECT_EQ(Dialog()->texts[ids::kTitle], "Updating Required Files");
    EXPECT_EQ(Dialog()->texts[ids::kStatus], "Downloading file updates...");
    EXPECT_EQ(Dialog()->progress, 50);
    EXPECT_EQ(Dialog()->focus, ids::kCancel);
    DialogDriver driver = Driver(view_->GetWindow());
    if (how == 0) {
        driver.Click(ProgressDialogWindow(), ids::kCancel);
    } else {
        driver.Key(how == 1 ? platform::VirtualKey::Return : platform::VirtualKey::Escape);
    }
    ASSERT_TRUE(AwaitStopped()) << model_->GetStateName();
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_FALSE(model_->HasErred());
    EXPECT_EQ(local_.Read("big.bin"), "old\n");
}

TEST_F(ProgressThroughViewTest, CancelByClickDuringTheDownloadEndsTheGame) {
    CancelMidDownload(0);
}
TEST_F(ProgressThroughViewTest, CancelByEnterDuringTheDownloadEndsTheGame) {
    CancelMidDownload(1);
}
TEST_F(ProgressThroughViewTest, CancelByEscapeDuringTheDownloadEndsTheGame) {
    CancelMidDownload(2);
}

// The dispatch server takes the request and holds its answer: the connection
// stopped the time-out (its bar stands full), the dialog shows at four seconds
// of game time and stays however long the server keeps silent; Cancel ends the
// game with no box.
TEST_F(ProgressThroughViewTest, CancelWhileTheDispatchServerIsSilentEndsWithNoBox) {
    if (!StartServer({"hold:dispatch.ini"})) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    model_->Start();
    ASSERT_TRUE(PumpUntil([&] { return !server_->Requests().empty(); }, 3000));
    ASSERT_TRUE(PumpUntil([&] {
        return Dialog() != nullptr && Dialog()->texts[ids::kStatus] == "Downloading dispatch information...";
    }, 3000));
    EXPECT_EQ(Dialog()->texts[ids::kTitle], "Contacting Dispatch Server");
    EXPECT_EQ(Dialog()->progress, Dialog()->progressEnd);
    Advance(ids::kShowDelayMs);
    ASSERT_TRUE(Dialog()->visible);
    AdvanceSeconds(PictureModel::kDispatchTimeoutMs / 1000 + 1);
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_TRUE(Dialog()->visible);
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_EQ(Dialog()->focus, ids::kCancel);
    Driver(view_->GetWindow()).Click(ProgressDialogWindow(), ids::kCancel);
    ASSERT_TRUE(AwaitStopped()) << model_->GetStateName();
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_FALSE(model_->HasErred());
    EXPECT_TRUE(browser_.urls.empty());
}

}  // namespace
