// The mixer on SDL's real queued audio, through the disk driver: what the first
// fill queues is exactly what reaches the file. SDL plays silence while a device
// is paused, so the file may begin with silence from before the first fill.
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

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Bytes of 16-bit silence before the first sound.
std::size_t LeadingSilence(const std::vector<std::uint8_t>& bytes) {
    std::size_t first = 0;
    while (first + 1 < bytes.size() && bytes[first] == 0 && bytes[first + 1] == 0) {
        first += 2;
    }
    return first;
}

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
        // SDL's own thread takes the queue; wait for all of it, bounded, and close at once:
        // with no delay the driver writes silence as fast as it can.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline && out.Queued() > 0) {
            std::this_thread::yield();
            out.Update();
        }
        EXPECT_EQ(out.Queued(), 0u);
        xMixerClose();
        xMixerSetAudioOut(nullptr);
    }
    const std::vector<std::uint8_t> written = ReadAll(file);
    std::filesystem::remove(file);
    const std::size_t first = LeadingSilence(written);
    ASSERT_GE(written.size(), first + 7u * 2048u);
    for (std::size_t i = 0; i < 7 * 1024; ++i) {
        const std::int16_t expected = i < samples.size() ? samples[i] : 0;
        const auto got = static_cast<std::int16_t>(written[first + 2 * i] | (written[first + 2 * i + 1] << 8));
        ASSERT_EQ(got, expected) << "sample " << i;
    }
}

}  // namespace
