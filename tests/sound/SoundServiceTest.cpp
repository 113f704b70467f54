#include "sound/SoundService.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "../framework/FakeRootCanvas.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xFilePath.h"
#include "divir/xTryFrame.h"
#include "framework/AppTime.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingMsg.h"
#include "framework/UIRoot.h"
#include "platform/CaptureAudioOut.h"
#include "platform/HostPath.h"
#include "platform/SdlAudioOut.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "resource/ResourceService.h"
#include "resource/xSimpleResFile.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/Sound.h"
#include "sound/SoundMuteMsgs.h"
#include "sound/SoundQueueAbortedMsg.h"
#include "sound/SoundServiceNone.h"
#include "sound/SoundServiceX.h"
#include "sound/Voice.h"
#include "sound/xMixer.h"

namespace {

// Writes down the state messages a sound sends, with the clock at the time.
class Journal : public MsgReceiver {
  public:
    explicit Journal(const std::uint32_t& now) : now_(now) {}
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        const std::type_info& type = typeid(msg);
        std::string name;
        if (type == typeid(StartingMsg))
            name = "Starting";
        else if (type == typeid(StartedMsg))
            name = "Started";
        else if (type == typeid(StoppingMsg))
            name = "Stopping";
        else if (type == typeid(StoppedMsg))
            name = "Stopped";
        else if (type == typeid(SoundQueueAbortedMsg))
            name = "Aborted";
        else
            return 0;
        entries.push_back(name);
        times.push_back(now_);
        if (onStopped && name == "Stopped") onStopped();
        return 0;
    }
    std::string Text() const {
        std::string text;
        for (const std::string& e : entries) text += (text.empty() ? "" : " ") + e;
        return text;
    }
    std::uint32_t TimeOf(const std::string& name) const {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] == name) return times[i];
        }
        return 0xFFFFFFFFu;
    }
    std::vector<std::string> entries;
    std::vector<std::uint32_t> times;
    std::function<void()> onStopped;

  private:
    const std::uint32_t& now_;
};

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
            hadOld_ = true;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (hadOld_) {
            setenv(name_.c_str(), old_.c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }

  private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

std::vector<std::int16_t> WithoutLeadingSilence(const std::vector<std::int16_t>& samples) {
    std::size_t first = 0;
    while (first < samples.size() && samples[first] == 0) ++first;
    return {samples.begin() + static_cast<std::ptrdiff_t>(first), samples.end()};
}

class SoundServiceTest : public testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xPendingExitCode = 0;
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        ExecutionService::Register();
        DummyUIRoot::Register();
        registry_ = std::make_unique<FileRegistry>();
        resources_ = std::make_unique<ResourceService>();
        resources_->ReserveEntries();
        const std::string path = platform::ToWindowsPath(SOUND_SRF);
        const std::int32_t file = resources_->AddSrfFile("sounds.srf", path, nullptr);
        resources_->AddIdResource(1, "snd ", file);
        resources_->AddIdResource(3, "Musi", file);
        resources_->AddIdResource(4, "Voic", file);
        resources_->AddIdResource(6, "Sfx ", file);
        resources_->AddIdResource(7, "Sfx ", file);  // catalogued, not in the file
        resources_->AddIdResource(8, "Sfx ", file);  // a 44.1 kHz WAVE the mixer refuses
        SetAppTickSource([this] { return now_; });
        xMixerSetAudioOut(&out_);
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
        });
        SoundService::Install();
    }
    void TearDown() override {
        root_.reset();
        SoundService::SetSoundOff(false);
        UIRoot::SetSoundServiceMaker(nullptr);
        UIRoot::SetCanvasMaker(nullptr);
        resources_.reset();
        registry_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        ObjectRegistry::DestroyAll();
        xMixerSetAudioOut(nullptr);
        SetAppTickSource({});
        xFileCleanup();
        xErrorCode = 0;
        xPendingExitCode = 0;
        xErrorSetDetail(nullptr);
    }

    void MakeRoot() {
        root_ = std::make_unique<UIRoot>("Vizuzor", 8, 640, 480, false);
        Service().SetMasterVolume(1.0);
    }
    SoundService& Service() { return *dynamic_cast<SoundService*>(root_->GetSoundService()); }

    // One main-loop pass, 46 ms after the last.
    void Pass() {
        now_ += 46;
        out_.Advance(46);
        ExecutionService::GetInstance().RunExecutables();
    }
    // Passes until the sound is stopped (at most `limit`); the passes run.
    int RunUntilStopped(Sound& sound, int limit = 400) {
        int passes = 0;
        while (!sound.IsStopped() && passes < limit) {
            Pass();
            ++passes;
        }
        return passes;
    }
    Journal& Watch(Sound& sound) {
        journals_.push_back(std::make_unique<Journal>(now_));
        sound.AddReceiver(journals_.back().get());
        return *journals_.back();
    }

    std::uint32_t now_ = 1000;
    platform::CaptureAudioOut out_;
    std::unique_ptr<FileRegistry> registry_;
    std::unique_ptr<ResourceService> resources_;
    std::unique_ptr<UIRoot> root_;
    std::vector<std::unique_ptr<Journal>> journals_;
};

TEST_F(SoundServiceTest, TheRootGetsTheMixerServiceScheduledAndSilentUntilTheVolumeIsSet) {
    root_ = std::make_unique<UIRoot>("Vizuzor", 8, 640, 480, false);
    ASSERT_NE(dynamic_cast<SoundServiceX*>(root_->GetSoundService()), nullptr);
    EXPECT_TRUE(Service().IsMaster());
    EXPECT_EQ(Service().GetMasterVolume(), 0.0);
    EXPECT_EQ(Service().IsRunning(), 1);
    EXPECT_EQ(xPendingExitCode, 0);
}

TEST_F(SoundServiceTest, ASoundWithTwoLoopsPlaysThreeTimesAndStopsOnce) {
    MakeRoot();
    Sfx sound(root_.get(), 6);  // 40 ms
    Journal& journal = Watch(sound);
    EXPECT_EQ(sound.GetSoundLength(), 882u * 20 / 441);
    sound.SetLoops(2);
    const std::uint32_t start = now_;
    sound.Start();
    EXPECT_EQ(journal.Text(), "Starting");
    RunUntilStopped(sound);
    EXPECT_EQ(journal.Text(), "Starting Started Stopping Stopped");
    // Three plays of 882 samples reached the output before the end was reported.
    std::size_t heard = 0;
    for (std::int16_t s : out_.RecordedSamples()) heard += s != 0 ? 1 : 0;
    EXPECT_GE(heard, 3u * 800);
    EXPECT_LE(heard, 3u * 882);
    EXPECT_GE(journal.TimeOf("Stopped") - start, 120u);
    EXPECT_EQ(sound.GetChannel(), -1);
    EXPECT_FALSE(SoundService::IsChannelAllocated(0));
}

TEST_F(SoundServiceTest, LoopingForeverEndsAfterTheCurrentPlayOnEndLoops) {
    MakeRoot();
    Music sound(root_.get(), 3);  // 600 ms
    Journal& journal = Watch(sound);
    sound.LoopForever();
    sound.Start();
    // Started once the output reaches it, past the buffers queued ahead.
    for (int i = 0; i < 100 && !sound.IsStarted(); ++i) Pass();
    for (int i = 0; i < 40; ++i) Pass();
    EXPECT_TRUE(sound.IsStarted());
    sound.EndLoops();
    const int passes = RunUntilStopped(sound);
    EXPECT_LE(passes, (600 + 1700) / 46);  // at most the play under way and the buffers ahead
    EXPECT_EQ(journal.Text(), "Starting Started Stopping Stopped");
}

// Data that cannot play runs the whole life cycle inside the start.
TEST_F(SoundServiceTest, SoundsWithoutPlayableDataStartAndStopInsideTheirStart) {
    struct Case {
        const char* what;
        std::int32_t id;
    };
    const Case cases[] = {
        {"not catalogued", 99},
        {"catalogued, missing from the file", 7},
        {"refused by the mixer (44.1 kHz)", 8},
    };
    MakeRoot();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sfx sound(root_.get(), c.id);
        Journal& journal = Watch(sound);
        sound.Start();
        EXPECT_EQ(journal.Text(), "Starting Started Stopping Stopped");
        EXPECT_TRUE(sound.IsStopped());
        EXPECT_EQ(xErrorCode, 0);
        EXPECT_EQ(sound.GetChannel(), -1);
        Pass();
        EXPECT_EQ(journal.Text(), "Starting Started Stopping Stopped");
    }
    EXPECT_EQ(xPendingExitCode, 0);
}

// Each exclusive start stops the one before, which gives its channel back at
// its end: the channels are all there afterwards.
TEST_F(SoundServiceTest, ExclusiveStartsLeaveNoChannelTaken) {
    MakeRoot();
    std::vector<std::unique_ptr<Music>> tunes;
    for (int i = 0; i < 10; ++i) {
        tunes.push_back(std::make_unique<Music>(root_.get(), 3));
        tunes.back()->SetFlagA();
        tunes.back()->LoopForever();
        tunes.back()->Start();
        EXPECT_TRUE(tunes.back()->LastStartPlayed()) << i;
        for (int pass = 0; pass < 100 && !tunes.back()->IsStarted(); ++pass) Pass();
    }
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(tunes[i]->IsStopped()) << i;
    EXPECT_TRUE(tunes[9]->IsStarted());
    tunes[9]->Stop();
    RunUntilStopped(*tunes[9]);
    for (int channel = 0; channel < SoundService::kChannels; ++channel) {
        EXPECT_FALSE(SoundService::IsChannelAllocated(channel)) << channel;
    }

    std::vector<std::unique_ptr<Sfx>> effects;
    for (int i = 0; i < 9; ++i) {
        effects.push_back(std::make_unique<Sfx>(root_.get(), 6));
        effects.back()->LoopForever();
        effects.back()->Start();
    }
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(effects[i]->LastStartPlayed()) << i;
    EXPECT_FALSE(effects[8]->LastStartPlayed());
    Journal& skipped = Watch(*effects[8]);
    for (int i = 0; i < 4; ++i) Pass();
    EXPECT_EQ(skipped.Text(), "Started Stopping Stopped");
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(effects[i]->IsStopped()) << i;
    for (int channel = 0; channel < SoundService::kChannels; ++channel) {
        EXPECT_TRUE(SoundService::IsChannelAllocated(channel)) << channel;
    }
}

TEST_F(SoundServiceTest, ASoundDestroyedWhenItStopsLeavesTheServiceWhole) {
    MakeRoot();
    auto* first = new Sfx(root_.get(), 6);
    Sfx second(root_.get(), 6);
    Journal& journal = Watch(*first);
    journal.onStopped = [&first] {
        delete first;
        first = nullptr;
    };
    first->Start();
    second.Start();
    for (int i = 0; i < 100 && first != nullptr; ++i) Pass();
    EXPECT_EQ(first, nullptr);
    RunUntilStopped(second);
    EXPECT_TRUE(second.IsStopped());
    EXPECT_EQ(SoundService::GetRecord(0).owner, nullptr);
}

TEST_F(SoundServiceTest, TakingOverAChannelPlaysTheNextSoundWithoutAGap) {
    MakeRoot();
    Sfx first(root_.get(), 6);
    Sfx next(root_.get(), 6);
    Journal& a = Watch(first);
    Journal& b = Watch(next);
    first.Start();
    Pass();
    next.TakeOverChannel(&first);
    EXPECT_EQ(next.GetChannel(), first.GetChannel());
    for (int i = 0; i < 100 && !b.entries.empty() && b.entries.back() != "Stopped"; ++i) Pass();
    for (int i = 0; i < 100 && b.entries.empty(); ++i) Pass();
    for (int i = 0; i < 100 && b.entries.back() != "Stopped"; ++i) Pass();
    EXPECT_EQ(a.Text(), "Starting Started Stopping Stopped");
    EXPECT_EQ(b.Text(), "Starting Started Stopping Stopped");
    EXPECT_FALSE(SoundService::IsChannelAllocated(0));
    // Two plays of 882 samples, back to back.
    const std::vector<std::int16_t> samples = out_.RecordedSamples();
    std::size_t first_heard = 0;
    while (first_heard < samples.size() && samples[first_heard] == 0) ++first_heard;
    std::size_t last_heard = samples.size();
    while (last_heard > 0 && samples[last_heard - 1] == 0) --last_heard;
    EXPECT_EQ(last_heard - first_heard, 2u * 882 - 1);
}

// As the sponsor ads play theirs: from a file the caller holds open.
TEST_F(SoundServiceTest, ASoundFromAnOpenFileHasNoLengthButPlaysAndGivesItsRecordBack) {
    xSimpleResFile file("ad sound test");
    ASSERT_EQ(xTry([&] { file.OpenAt(1, xFileSpec(SOUND_SRF), 0); }), 0);
    MakeRoot();
    {
        Sound sound(root_.get(), 6, "Sfx ", &file);
        Journal& journal = Watch(sound);
        EXPECT_EQ(sound.GetSoundLength(), 0u);
        sound.Start();
        RunUntilStopped(sound);
        EXPECT_EQ(journal.Text(), "Starting Started Stopping Stopped");
        EXPECT_EQ(SoundService::GetRecord(0).owner, &sound);
    }
    EXPECT_EQ(SoundService::GetRecord(0).inUse, 0);
    root_.reset();
    file.Close(xSimpleResFile::kAnyFile);
}

TEST_F(SoundServiceTest, MuteMessagesDecideHowNewSoundsStart) {
    MakeRoot();
    Service().Receive(MusicMuteOnMsg(), nullptr);
    Service().Receive(SfxMuteOnMsg(), nullptr);
    Music music(root_.get(), 3);
    Voice voice(root_.get(), 4);
    Sfx effect(root_.get(), 6);
    EXPECT_TRUE(music.IsMuted());
    EXPECT_FALSE(voice.IsMuted());
    EXPECT_TRUE(effect.IsMuted());
    music.Receive(MusicMuteOffMsg(), nullptr);
    voice.Receive(VoiceMuteOnMsg(), nullptr);
    effect.Receive(MusicMuteOffMsg(), nullptr);
    EXPECT_FALSE(music.IsMuted());
    EXPECT_TRUE(voice.IsMuted());
    EXPECT_TRUE(effect.IsMuted());
}

TEST_F(SoundServiceTest, AStoppedSoundQueuedBehindAnotherReportsAnAbort) {
    MakeRoot();
    Music first(root_.get(), 3);
    Music next(root_.get(), 3);
    Journal& b = Watch(next);
    first.LoopForever();
    first.Start();
    for (int i = 0; i < 100 && !first.IsStarted(); ++i) Pass();
    next.TakeOverChannel(&first);
    first.Stop();
    RunUntilStopped(first);
    Pass();
    EXPECT_EQ(b.Text(), "Aborted");
    EXPECT_EQ(next.GetChannel(), -1);
    EXPECT_FALSE(SoundService::IsChannelAllocated(0));
}

// Without sound the service times each sound on the application clock, in
// 64 bits, so a sound across the clock's wrap ends on time.
TEST_F(SoundServiceTest, WithSoundOffSoundsAreTimedOnTheClock) {
    struct Case {
        const char* what;
        std::uint32_t start;
    };
    const Case cases[] = {
        {"plain", 1000},
        {"an hour before the wrap", 0xFFFFFFFFu - 3'600'000u + 100},
        {"across the wrap", 0xFFFFFFFFu - 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        now_ = c.start;
        SoundService::SetSoundOff(true);
        MakeRoot();
        ASSERT_NE(dynamic_cast<SoundServiceNone*>(root_->GetSoundService()), nullptr);
        {
            Sound first(root_.get(), 1, "snd ");  // 1000 ms
            Sound second(root_.get(), 1, "snd ");
            EXPECT_EQ(first.GetSoundLength(), 1000u);
            Journal& a = Watch(first);
            Journal& b = Watch(second);
            first.SetLoops(1);
            const std::uint32_t start = now_;
            first.Start();
            Pass();
            EXPECT_EQ(a.Text(), "Starting Started");
            second.TakeOverChannel(&first);
            int passes = 0;
            while (!first.IsStopped() && passes++ < 100) Pass();
            EXPECT_EQ(a.Text(), "Starting Started Stopping Stopped");
            const std::uint32_t took = a.TimeOf("Stopped") - start;
            EXPECT_GE(took, 2000u);
            EXPECT_LT(took, 2000u + 46);
            EXPECT_EQ(b.TimeOf("Started"), a.TimeOf("Stopped"));
            passes = 0;
            while (!second.IsStopped() && passes++ < 100) Pass();
            EXPECT_GE(b.TimeOf("Stopped") - b.TimeOf("Started"), 1000u);
            EXPECT_GE(b.TimeOf("Stopped") - start, 3000u);
            EXPECT_LT(b.TimeOf("Stopped") - start, 3000u + 46 + 46);
        }
        root_.reset();
        journals_.clear();
    }
}

TEST_F(SoundServiceTest, StoppingASilentSoundBeforeItsStartSendsNothing) {
    SoundService::SetSoundOff(true);
    MakeRoot();
    Sound first(root_.get(), 1, "snd ");
    Sound next(root_.get(), 1, "snd ");
    Journal& b = Watch(next);
    first.Start();
    Pass();
    next.TakeOverChannel(&first);
    Service().Stop(first.GetChannel());
    for (int i = 0; i < 3; ++i) Pass();
    EXPECT_TRUE(first.IsStopped());
    EXPECT_EQ(b.Text(), "");
    EXPECT_EQ(SoundService::GetRecord(1).playing, 0);
}

// A channel stopped while its sound waits for its start (an exclusive sound of
// the kind starting, say) still ends that sound: with sound off its owner hears
// of the end in the next pass, as it would from the mixer.
TEST_F(SoundServiceTest, StoppingASilentChannelWhoseSoundWaitsForItsStartEndsIt) {
    SoundService::SetSoundOff(true);
    MakeRoot();
    Sound sound(root_.get(), 1, "snd ");
    Journal& journal = Watch(sound);
    sound.Start();
    Service().Stop(sound.GetChannel());
    for (int i = 0; i < 3; ++i) Pass();
    EXPECT_TRUE(sound.IsStopped());
    EXPECT_EQ(journal.Text().rfind("Stopped"), journal.Text().size() - 7) << journal.Text();
    EXPECT_EQ(SoundService::GetRecord(0).playing, 0);
    EXPECT_EQ(sound.GetChannel(), -1);
}

TEST_F(SoundServiceTest, AFailedOpenGoesOnSilentlyAndLeavesTheExitCode) {
    out_.SetDevices({}, {});
    MakeRoot();
    EXPECT_NE(dynamic_cast<SoundServiceNone*>(root_->GetSoundService()), nullptr);
    EXPECT_EQ(xPendingExitCode, kErrNoSoundDriver);
}

TEST_F(SoundServiceTest, RecordsRunOutAfter256) {
    MakeRoot();
    std::vector<std::unique_ptr<Sfx>> sounds;
    for (int i = 0; i < SoundService::kRecords; ++i) sounds.push_back(std::make_unique<Sfx>(root_.get(), 99));
    EXPECT_EQ(Service().AddSound(nullptr, 99, "Sfx ", -1), -1);
    EXPECT_EQ(xErrorCode, kErrSoundSlotsFull);
}

// The program's own output: the service on SDL's queued audio through the disk
// driver, the mixer on the manual clock. What the mixer writes reaches the file
// as the capture records it.
TEST_F(SoundServiceTest, AVoiceOnSdlsDiskDriverGoesFromStartedToStopped) {
    constexpr std::size_t kFirstFill = 7 * 1024;
    std::vector<std::int16_t> firstFill;
    {
        MakeRoot();
        Service().Idle();  // the volumes, before the first fill
        Voice voice(root_.get(), 4);
        voice.Start();
        for (int i = 0; i < 400 && !voice.IsStopped(); ++i) Pass();
        // The capture records silence before its first buffer too.
        firstFill = WithoutLeadingSilence(out_.RecordedSamples());
    }
    root_.reset();
    ASSERT_GT(firstFill.size(), kFirstFill / 2);
    firstFill.resize(kFirstFill / 2);

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("sound-service-" + std::to_string(::getpid()) + ".raw");
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "disk");
        ScopedEnv path("SDL_DISKAUDIOFILE", file.c_str());
        ScopedEnv delay("SDL_DISKAUDIODELAY", "0");
        platform::SdlAudioOut sdl([this] { return now_; });
        if (!sdl.HasAudio()) {
            GTEST_SKIP() << "SDL has no disk audio driver";
        }
        xMixerSetAudioOut(&sdl);
        MakeRoot();
        ASSERT_NE(dynamic_cast<SoundServiceX*>(root_->GetSoundService()), nullptr);
        Service().Idle();
        {
            Voice voice(root_.get(), 4);
            Journal& journal = Watch(voice);
            voice.Start();
            for (int i = 0; i < 400 && !voice.IsStopped(); ++i) {
                Pass();
                // SDL's own thread takes the queue; wait for it, bounded.
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (std::chrono::steady_clock::now() < deadline && sdl.Queued() > 0) {
                    std::this_thread::yield();
                    sdl.Update();
                }
            }
            EXPECT_EQ(journal.Text(), "Starting Started Stopping Stopped");
        }
        root_.reset();
        journals_.clear();
        xMixerSetAudioOut(&out_);
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    in.close();
    std::filesystem::remove(file);
    std::vector<std::int16_t> written(bytes.size() / 2);
    for (std::size_t i = 0; i < written.size(); ++i) {
        written[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    written = WithoutLeadingSilence(written);
    // Every sample in order; a buffer may follow a stretch of the silence SDL
    // plays whenever its queue runs dry (the voice begins late in the first fill).
    ASSERT_GE(written.size(), firstFill.size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < firstFill.size(); ++i) {
        while (at < written.size() && written[at] != firstFill[i] && written[at] == 0) ++at;
        ASSERT_LT(at, written.size()) << "sample " << i;
        ASSERT_EQ(written[at], firstFill[i]) << "sample " << i;
        ++at;
    }
}

}  // namespace
// Started is announced as the sound's first samples reach the output: the
// estimate runs 100 ms ahead of the buffer that holds them, so the report comes
// at most three passes before that buffer plays and never after. The first start
// waits behind the 1.6 s the reader queues before reading the sound's data; later
// starts of the loaded sound wait only for the usual lead.
TEST_F(SoundServiceTest, StartedIsAnnouncedAsTheFirstSamplesReachTheOutput) {
    MakeRoot();
    Music sound(root_.get(), 3);  // 600 ms
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const std::size_t before = out_.RecordedSamples().size();
        sound.Start();
        int startedAt = -1, heardAt = -1;
        for (int pass = 1; pass <= 100 && heardAt < 0; ++pass) {
            Pass();
            if (startedAt < 0 && sound.IsStarted()) startedAt = pass;
            const std::vector<std::int16_t> samples = out_.RecordedSamples();
            std::size_t first = before;
            while (first < samples.size() && samples[first] == 0) ++first;
            const std::size_t played = out_.Writes() - out_.Queued();
            if (first < samples.size() && played >= first / 1024) heardAt = pass;
        }
        ASSERT_GT(startedAt, 0);
        ASSERT_GT(heardAt, 0);
        EXPECT_LE(startedAt, heardAt);
        EXPECT_GE(startedAt, heardAt - 3);
        if (round > 0) {
            EXPECT_LE(startedAt, 6);  // within the lead of about 320 ms
        }
        sound.Stop();
        RunUntilStopped(sound);
        for (int i = 0; i < 40; ++i) Pass();
    }
}

// A looped effect shorter than the output lead is announced from its first play:
// every later play would otherwise move its estimated start ahead again.
TEST_F(SoundServiceTest, AShortEffectLoopedForEverIsAnnouncedStarted) {
    MakeRoot();
    Sfx sound(root_.get(), 6);  // 40 ms
    Journal& journal = Watch(sound);
    sound.LoopForever();
    sound.Start();
    int passes = 0;
    while (!sound.IsStarted() && passes < 200) {
        Pass();
        ++passes;
    }
    EXPECT_LT(passes, 50);
    sound.EndLoops();
    RunUntilStopped(sound);
    EXPECT_EQ(journal.Text(), "Starting Started Stopping Stopped");
}
