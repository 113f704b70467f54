#pragma once

// The game view on the real screen canvas with recording parts: every screen
// and shared control the view calls writes its calls into one journal, and the
// test steers what they answer (the countdown, the brand intro, the listed
// players, the ignore set). The view makes its own resource service; the test
// works in the folder of the fixture pack.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/AppTime.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseService.h"
#include "framework/MsgLog.h"
#include "framework/SchedulerFixture.h"
#include "framework/SingletonDefaults.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "game/screens/LogonScreen.h"
#include "game/screens/ProgressScreen.h"
#include "game/view/PictureView.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/FatChanceControl.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "game/view/controls/TimerControl.h"
#include "game/view/screens/AdsScreen.h"
#include "game/view/screens/ChooseRoomScreen.h"
#include "game/view/screens/CompositionScreen.h"
#include "game/view/screens/ControlPanelScreen.h"
#include "game/view/screens/FatChanceSelectionScreen.h"
#include "game/view/screens/OpeningScreen.h"
#include "game/view/screens/RoundWinnerScreen.h"
#include "game/view/screens/VotingScreen.h"
#include "media/AnimationService.h"
#include "media/ScreenRootCanvas.h"
#include "media/WinScreenCanvas.h"
#include "platform/Registry.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"
#include "platform/CaptureAudioOut.h"
#include "framework/DummyUIRoot.h"

struct Journal {
    std::vector<std::string> lines;
    void Add(std::string line) { lines.push_back(std::move(line)); }
    // The lines that begin with the prefix.
    std::vector<std::string> With(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& l : lines) {
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        }
        return out;
    }
    std::string Joined() const {
        std::string out;
        for (const std::string& l : lines) out += (out.empty() ? "" : " | ") + l;
        return out;
    }
};

// What the test lets the parts answer.
struct World {
    Journal journal;
    bool countdown = false;
    bool brandIntro = false;
    bool sponsorAd = false;
    std::vector<std::string> players;
    std::set<std::string> ignored;
    std::uint32_t pictureOnShow = 0;
};

class RecProgress : public ProgressScreen {
  public:
    RecProgress(UI* parent, std::int32_t layer, World& w) : ProgressScreen(parent, layer), w_(w) {}
    // The view's tests have no window to put the dialog over: shown and hidden as a plain screen.
    void Show() override { Screen::Show(); }
    void Hide() override { Screen::Hide(); }
    void Reset() override { w_.journal.Add("Reset"); }
    void SetTitle(const std::string& t) override { w_.journal.Add("SetTitle(" + t + ")"); }
    void SetStatus(const std::string& t) override { w_.journal.Add("SetStatus(" + t + ")"); }
    void StartTimeout(std::int32_t ms) override {
        w_.journal.Add("StartTimeout(" + std::to_string(ms) + ")");
    }
    void StopTimeout() override { w_.journal.Add("StopTimeout"); }
    void SetProgressTotal(std::int32_t n) override {
        w_.journal.Add("SetProgressTotal(" + std::to_string(n) + ")");
    }
    void AddProgress(std::int32_t n) override { w_.journal.Add("AddProgress(" + std::to_string(n) + ")"); }
    void ProgressDone() override { w_.journal.Add("ProgressDone"); }
    void ResetProgressBar() override { w_.journal.Add("ResetProgressBar"); }
    void DisableCancel() override { w_.journal.Add("DisableCancel"); }
    void EnableCancel() override { w_.journal.Add("EnableCancel"); }

  private:
    World& w_;
};

// A screen that notes its keys and focus calls.
template <class Base>
class RecScreen : public Base {
  public:
    template <class... A>
    RecScreen(World& w, std::string name, A&&... a)
        : Base(std::forward<A>(a)...), w_(w), name_(std::move(name)) {}
    void OnKeyboardChar(const KeyboardCharMsg& m) override {
        w_.journal.Add(name_ + ".Key(" + std::to_string(m.GetKey()) + ")");
    }
    void OnLostKeyboardFocus() override { w_.journal.Add(name_ + ".LostFocus"); }
    void OnGainedKeyboardFocus() override { w_.journal.Add(name_ + ".GainedFocus"); }
    void SetSegmentTimes(std::uint32_t s, std::uint32_t f, std::uint32_t m, std::uint32_t l) override {
        Base::SetSegmentTimes(s, f, m, l);
        w_.journal.Add(name_ + ".Times(" + std::to_string(s) + "," + std::to_string(f) + "," +
                       std::to_string(m) + "," + std::to_string(l) + ")");
    }

  protected:
    World& w_;
    std::string name_;
};

class RecComposition : public RecScreen<CompositionScreen> {
  public:
    using RecScreen::RecScreen;
    // The view's tests see it start and stop at once, its controls untouched.
    void OnStarting() override { ProcessForwarder::OnStarting(); }
    void OnStarted() override {}
    void OnStopping() override { ProcessForwarder::OnStopping(); }
    void SubmitCaption(const std::string& a, const std::string& b) override {
        w_.journal.Add("SubmitCaption(" + a + "," + b + ")");
    }
};

class RecOpening : public RecScreen<OpeningScreen> {
  public:
    using RecScreen::RecScreen;
    bool IsSponsorAdPlaying() override { return w_.sponsorAd; }
    bool IsBrandIntroPlaying() override { return w_.brandIntro; }
};

class RecPanel : public RecScreen<ControlPanelScreen> {
  public:
    using RecScreen::RecScreen;
    void EnableNewRoomToggle() override { w_.journal.Add("Panel.EnableNewRoom"); }
    void DisableNewRoomToggle() override { w_.journal.Add("Panel.DisableNewRoom"); }
};

class RecTimer : public TimerControl {
  public:
    RecTimer(UI* p, MsgReceiver* r, World& w) : TimerControl(p, r, 0), w_(w) {}
    bool IsRunning() override { return w_.countdown; }

  private:
    World& w_;
};

class RecPicture : public PictureControl {
  public:
    RecPicture(UI* p, MsgReceiver* r, World& w) : PictureControl(p, r, 0), w_(w) {}
    void SetPicture(const PictureInfo& pic) override {
        w_.pictureOnShow = pic.number1;
        w_.journal.Add("SetPicture(" + std::to_string(pic.number1) + ")");
    }
    std::uint32_t GetCurrentPictureId() override { return w_.pictureOnShow; }

  private:
    World& w_;
};

class RecCaptions : public CaptionsControl {
  public:
    RecCaptions(UI* p, MsgReceiver* r, World& w) : CaptionsControl(p, r, 0), w_(w) {}
    void VoteFor(std::int32_t n) override { w_.journal.Add("VoteFor(" + std::to_string(n) + ")"); }
    void SetScoreFlag(bool f) override {
        w_.journal.Add(std::string("SetScoreFlag(") + (f ? "1" : "0") + ")");
    }
    void SetLocalPlayerName(const std::string& n) override {
        w_.journal.Add("Captions.SetLocalPlayerName(" + n + ")");
    }

  private:
    World& w_;
};

class RecFatChance : public FatChanceControl {
  public:
    RecFatChance(UI* p, MsgReceiver* r, World& w) : FatChanceControl(p, r, 0), w_(w) {}
    void Choose(ChatBoxLines* chat, std::int32_t send) override {
        w_.journal.Add(std::string("Choose(") + (chat != nullptr ? "chat" : "null") + "," +
                       std::to_string(send) + ")");
    }
    void SetBoard(bool winner, std::int32_t preset, const std::vector<FatChanceEntry>& b) override {
        w_.journal.Add("SetBoard(" + std::to_string(winner) + "," + std::to_string(preset) + "," +
                       std::to_string(b.size()) + ")");
    }

  private:
    World& w_;
};

inline bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

class RecPlayerList : public PicturePlayerListControl {
  public:
    RecPlayerList(UI* p, MsgReceiver* r, World& w)
        : PicturePlayerListControl(p, r, 0, 142, 161, 1200, 10, 0, 40, 0, 2, 256, false, -1), w_(w) {}
    void EnableSorting() override { w_.journal.Add("EnableSorting"); }
    void SetColumns(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                    std::int32_t f, std::int32_t g, std::int32_t h, std::int32_t i, std::int32_t j) override {
        std::string line = "SetColumns(";
        for (std::int32_t n : {a, b, c, d, e, f, g, h, i, j}) line += std::to_string(n) + ",";
        w_.journal.Add(line + ")");
    }
    void RemoveAllRows() override { w_.journal.Add("RemoveAllRows"); }
    void SetLocalPlayerName(const std::string& n) override {
        w_.journal.Add("List.SetLocalPlayerName(" + n + ")");
    }
    void SetRoomName(const std::string& n) override { w_.journal.Add("SetRoomName(" + n + ")"); }
    std::int32_t AddRow(const std::string& n, const std::string& s, const std::string& a, const std::string& b,
                        const std::string& c, bool x, std::int32_t y, std::int32_t z) override {
        w_.journal.Add("AddRow(" + n + "," + s + "," + a + b + c + "," + std::to_string(x ? 1 : 0) +
                       std::to_string(y) + std::to_string(z) + ")");
        return 0;
    }
    std::int32_t FindRow(std::int32_t, const std::string& text, bool exact) const override {
        for (std::size_t i = 0; i < w_.players.size(); ++i) {
            if (exact ? w_.players[i] == text : SameIgnoringCase(w_.players[i], text))
                return 100 + static_cast<int>(i);
        }
        return -1;
    }
    std::int32_t FindRowEx(std::int32_t, const std::string& text) const override {
        for (std::size_t i = 0; i < w_.players.size(); ++i) {
            if (SameIgnoringCase(w_.players[i], text)) return static_cast<int>(i);
        }
        return -1;
    }
    std::int32_t RemoveRow(std::int32_t row) override {
        w_.journal.Add("RemoveRow(" + std::to_string(row) + ")");
        return 0;
    }

  private:
    World& w_;
};

class RecChatBox : public PictureChatBox {
  public:
    RecChatBox(UI* p, MsgReceiver* r, World& w)
        : PictureChatBox(p, r, 0, 1200, 132, 141, 0, 0, 70, 75, 131, 0, 0, 0, "Veda", "Unknown"), w_(w) {}
    void AddPublicLine(const std::string& n, const std::string& t) override {
        w_.journal.Add("Public(" + n + "," + t + ")");
    }
    void AddPrivateLine(const std::string& s, const std::string& r, const std::string& t) override {
        w_.journal.Add("Private(" + s + "," + r + "," + t + ")");
    }
    void CreateListScrollBar(std::int32_t r, std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                             std::int32_t e, std::int32_t f, std::int32_t g, std::int32_t h, std::int32_t i,
                             std::int32_t j) override {
        std::string line = "CreateListScrollBar(";
        for (std::int32_t n : {r, a, b, c, d, e, f, g, h, i, j}) line += std::to_string(n) + ",";
        w_.journal.Add(line + ")");
    }
    void AddMeLine(const std::string& n, const std::string& t) override {
        w_.journal.Add("Me(" + n + "," + t + ")");
    }
    void AddSystemLine(const std::string& t) override { w_.journal.Add("System(" + t + ")"); }
    void AddLine(std::int32_t k, const std::string& t) override {
        w_.journal.Add("Line(" + std::to_string(k) + "," + t + ")");
    }
    bool IsIgnored(const std::string& n) override { return w_.ignored.count(n) != 0; }
    void IgnorePlayer(const std::string& n) override { w_.ignored.insert(n); }
    void UnignorePlayer(const std::string& n) override { w_.ignored.erase(n); }
    void Clear() override { w_.journal.Add("Clear"); }
    void SetFlag(bool f) override { w_.journal.Add(std::string("SetFlag(") + (f ? "1" : "0") + ")"); }
    void SetNameText(const std::string& n) override { w_.journal.Add("Chat.SetNameText(" + n + ")"); }
    void OnKeyboardChar(const KeyboardCharMsg& m) override {
        w_.journal.Add("Chat.Key(" + std::to_string(m.GetKey()) + ")");
    }
    void OnGainedKeyboardFocus() override { w_.journal.Add("Chat.GainedFocus"); }

  private:
    World& w_;
};

// Everything the view needs around it but its resource service.
class ViewFixture : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        MouseService::Register();
        ASSERT_EQ(::chdir(VIEW_PACK), 0);
        xErrorCode = 0;
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        registry_ = std::make_unique<FileRegistry>();
        ScreenRootCanvas::Install();
        AnimationService::Install();
        // The shared controls hold sounds: the real sound service on a captured output.
        DummyUIRoot::Register();
        xMixerSetAudioOut(&audio_);
        SoundService::Install();
    }
    void TearDown() override {
        view_.reset();
        UIRoot::SetSoundServiceMaker(nullptr);
        xMixerSetAudioOut(nullptr);
        xPendingExitCode = 0;
        AnimationService::Uninstall();
        UIRoot::SetCanvasMaker(nullptr);
        WinScreenCanvas::SetMouseTargetLookup(nullptr);
        registry_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
        xErrorCode = 0;
        SchedulerFixture::TearDown();
    }

    // Passes of one millisecond, the captured output keeping pace.
    void Play(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            audio_.Advance(1);
            Run();
        }
    }

    platform::CaptureAudioOut audio_;
    // Never written: the view tests do not open the logon dialogs.
    platform::Registry logonRegistry_{"logon-registry-unused.txt"};

    view::PictureViewParts RecordingParts() {
        World& w = world_;
        view::PictureViewParts p;
        p.progress = [&w](UI* parent, std::int32_t layer) {
            return std::make_unique<RecProgress>(parent, layer, w);
        };
        p.logon = [&w, this](UI* parent, std::int32_t layer) {
            return std::make_unique<RecScreen<LogonScreen>>(w, "Logon", parent, layer, logonRegistry_);
        };
        p.playerList = [&w](UI* parent, MsgReceiver* r) {
            return std::make_unique<RecPlayerList>(parent, r, w);
        };
        p.chatBox = [&w](UI* parent, MsgReceiver* r) { return std::make_unique<RecChatBox>(parent, r, w); };
        p.picture = [&w](UI* parent, MsgReceiver* r) { return std::make_unique<RecPicture>(parent, r, w); };
        p.timer = [&w](UI* parent, MsgReceiver* r) { return std::make_unique<RecTimer>(parent, r, w); };
        p.captions = [&w](UI* parent, MsgReceiver* r) { return std::make_unique<RecCaptions>(parent, r, w); };
        p.fatChance = [&w](UI* parent, MsgReceiver* r) {
            return std::make_unique<RecFatChance>(parent, r, w);
        };
        p.controlPanel = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom* room) {
            w.journal.Add("make controlPanel(" + std::to_string(layer) + ")");
            return std::make_unique<RecPanel>(w, "Panel", parent, layer, s, room);
        };
        p.chooseRoom = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            return std::make_unique<RecScreen<ChooseRoomScreen>>(w, "Chooser", parent, layer, s);
        };
        p.composition = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom* room) {
            return std::make_unique<RecComposition>(w, "Comp", parent, layer, s, room);
        };
        p.voting = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            return std::make_unique<RecScreen<VotingScreen>>(w, "Vote", parent, layer, s);
        };
        p.ads = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            w.journal.Add("make ads(" + std::to_string(layer) + ")");
            return std::make_unique<RecScreen<AdsScreen>>(w, "Ads", parent, layer, s);
        };
        p.opening = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            return std::make_unique<RecOpening>(w, "Opening", parent, layer, s);
        };
        return p;
    }

    void MakeView(view::PictureViewParts parts) {
        view_ = std::make_unique<view::PictureView>("Vizuzor", 8, 640, 480, false, true, std::move(parts));
        view_->AddReceiver(&heard_);
    }
    void StartView() {
        view_->Start();
        for (int i = 0; i < 50 && !view_->IsStarted(); ++i) Run();
        ASSERT_TRUE(view_->IsStarted());
    }
    // One pass per millisecond.
    void RunFor(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            Run();
        }
    }
    // The same, with the captured sound output played along: sounds end.
    void RunSounding(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            audio_.Advance(1);
            Run();
        }
    }
    void StopView() {
        view_->Stop();
        for (int i = 0; i < 100 && !view_->IsStopped(); ++i) Run();
        ASSERT_TRUE(view_->IsStopped());
        Run(2);
    }

    // The classes of what the view sent to its subscribers.
    struct Heard : MsgReceiver {
        std::vector<std::string> names;
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            names.push_back(MsgLog::NameOf(msg));
            return 0;
        }
    };

    World world_;
    Heard heard_;
    std::unique_ptr<FileRegistry> registry_;
    std::unique_ptr<view::PictureView> view_;
};
