#include "platform/SdlAudioOut.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::AudioBuffer;
using platform::SdlAudioOut;

// Sets an environment variable for the life of the object.
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

TEST(SdlAudioOutTest, TheDummyDriverOpensTheMapperWithBothFormats) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SdlAudioOut out([] { return 1234u; });
    ASSERT_TRUE(out.HasAudio());
    platform::AudioDeviceCaps caps;
    ASSERT_TRUE(out.GetCaps(SdlAudioOut::kMapper, caps));
    EXPECT_EQ(caps.formats, platform::kAudioFormatMono16 | platform::kAudioFormatStereo8);
    EXPECT_FALSE(caps.synchronous);
    EXPECT_EQ(out.Now(), 1234u);

    ASSERT_TRUE(out.Open(SdlAudioOut::kMapper, platform::kAudioFormatMono16));
    EXPECT_FALSE(out.RoundTripVolume());
    AudioBuffer buffer;
    ASSERT_TRUE(out.Write(buffer));
    out.Pause();
    out.Reset();
    EXPECT_TRUE(buffer.done);
    out.Close();
    EXPECT_FALSE(out.IsOpen());
}

TEST(SdlAudioOutTest, AnUnknownDriverGivesNoDevice) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    SdlAudioOut out;
    EXPECT_FALSE(out.HasAudio());
    EXPECT_EQ(out.DeviceCount(), 0);
    EXPECT_FALSE(out.Open(SdlAudioOut::kMapper, platform::kAudioFormatMono16));
}

TEST(SdlAudioOutTest, TheDiskDriverWritesExactlyTheQueuedBuffers) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("sdl-audio-out-" + std::to_string(::getpid()) + ".raw");
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "disk");
        ScopedEnv path("SDL_DISKAUDIOFILE", file.c_str());
        ScopedEnv delay("SDL_DISKAUDIODELAY", "0");
        SdlAudioOut out;
        if (!out.HasAudio()) {
            GTEST_SKIP() << "SDL has no disk audio driver";
        }
        ASSERT_TRUE(out.Open(SdlAudioOut::kMapper, platform::kAudioFormatMono16));
        // Held back while queuing, as the mixer's first fill does.
        out.Pause();
        std::array<AudioBuffer, 3> buffers;
        for (std::size_t i = 0; i < buffers.size(); ++i) {
            for (std::size_t k = 0; k < platform::kAudioBufferBytes; ++k) {
                buffers[i].bytes[k] = static_cast<std::uint8_t>((i * 7 + k) % 255 + 1);
            }
            ASSERT_TRUE(out.Write(buffers[i]));
        }
        out.Restart();
        // The driver's own thread drains the queue without delay; wait for it, bounded.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!buffers[2].done && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
            out.Update();
        }
        EXPECT_TRUE(buffers[0].done && buffers[1].done && buffers[2].done);
        out.Close();
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::filesystem::remove(file);
    // SDL plays silence while the device is paused: the file may begin with it.
    std::size_t first = 0;
    while (first < written.size() && written[first] == 0) {
        ++first;
    }
    ASSERT_GE(written.size(), first + 3 * platform::kAudioBufferBytes);
    for (std::size_t i = 0; i < 3 * platform::kAudioBufferBytes; ++i) {
        const std::size_t buffer = i / platform::kAudioBufferBytes;
        const std::size_t k = i % platform::kAudioBufferBytes;
        ASSERT_EQ(written[first + i], static_cast<std::uint8_t>((buffer * 7 + k) % 255 + 1)) << "byte " << i;
    }
}

}  // namespace
