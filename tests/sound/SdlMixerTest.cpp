// The mixer on SDL's real queued audio, through the disk driver: what the first
// fill queues is exactly what reaches the file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "MixerTestSupport.h"
#include "platform/SdlAudioOut.h"
#include "sound/SoundSlot.h"
#include "sound/xMixer.h"

namespace {

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

TEST(SdlMixerTest, TheFirstFillReachesTheDiskDriverExactly) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("sdl-mixer-" + std::to_string(::getpid()) + ".raw");
    std::vector<std::int16_t> samples(9000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>((static_cast<int>(i) * 97) % 20000 - 10000);
    }
    const std::vector<std::uint8_t> wave = sound::mixer_test::MakeWave(samples);
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "disk");
        ScopedEnv path("SDL_DISKAUDIOFILE", file.c_str());
        ScopedEnv delay("SDL_DISKAUDIODELAY", "0");
        std::uint32_t now = 5000;  // the mixer's clock is ours
        platform::SdlAudioOut out([&now] { return now; });
        if (!out.HasAudio()) {
            GTEST_SKIP() << "SDL has no disk audio driver";
        }
        xMixerSetAudioOut(&out);
        ASSERT_EQ(xMixerOpen(-1, platform::kAudioFormatMono16), 0);
        xMixerRestart();
        xMixerSetChannelVolume(512, 0);
        sound::SoundSlot slot;
        slot.data = wave;
        slot.playsRemaining = 1;
        slot.progressScale = 100;
        ASSERT_EQ(xMixerQueueSound(0, &slot), 0);
        xMixerFill(250);
        EXPECT_EQ(slot.startTime, 5000u - 100u);
        // SDL's own thread drains the queue; wait for it, bounded.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        // Seven buffers of 2048 bytes went out in the first fill.
        std::error_code error;
        while (std::chrono::steady_clock::now() < deadline &&
               !(std::filesystem::exists(file, error) && std::filesystem::file_size(file, error) >= 7 * 2048)) {
            std::this_thread::yield();
        }
        xMixerClose();
        xMixerSetAudioOut(nullptr);
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::filesystem::remove(file);
    ASSERT_GE(written.size(), 7u * 2048u);
    for (std::size_t i = 0; i < 7 * 1024; ++i) {
        const std::int16_t expected = i < samples.size() ? samples[i] : 0;
        const auto got = static_cast<std::int16_t>(written[2 * i] | (written[2 * i + 1] << 8));
        ASSERT_EQ(got, expected) << "sample " << i;
    }
}

}  // namespace
