// The mixer's recording of eight busy channels against an offline mix of the same
// decodes. The offline mix applies the mixing rules on whole decoded sounds: it
// shares nothing with the mixer but the decoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "MixerTestSupport.h"
#include "SoundTestSupport.h"
#include "platform/CaptureAudioOut.h"
#include "sound/ImaAdpcm.h"
#include "sound/MpegAudioTables.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SoundSlot.h"
#include "sound/SpeechData.h"
#include "sound/StoredMusic.h"
#include "sound/xMixer.h"

namespace {

using namespace sound::mixer_test;

struct Decoded {
    std::vector<std::uint8_t> data;
    std::vector<std::int16_t> samples;
    bool speech = false;
};

Decoded Wave(std::vector<std::int16_t> samples) {
    return {MakeWave(samples), std::move(samples), false};
}

Decoded Xima(std::size_t blocks) {
    Decoded sound{MakeXima(static_cast<std::uint32_t>(blocks), ImaBlocks(blocks)), {}, false};
    const sound::ImaAdpcmTable table;
    for (std::size_t b = 0; b < blocks; ++b) {
        std::array<std::int16_t, sound::kImaBlockSamples> out;
        DecodeImaBlock(table, std::span(sound.data).subspan(8 + b * 34).first<sound::kImaBlockBytes>(), out);
        sound.samples.insert(sound.samples.end(), out.begin(), out.end());
    }
    return sound;
}

Decoded Music(const char* name, const sound::MpegAudioTables& tables) {
    Decoded sound{sound::test::ReadFixture(name), {}, false};
    const auto music = sound::StoredMusic::Parse(sound.data).music;
    sound::MpegAudioSynthesisHistory history;
    for (std::size_t frame = 0; music && frame < music->FrameCount(); ++frame) {
        std::array<std::int16_t, sound::kMpegAudioFrameSamples> out;
        const std::size_t n = music->DecodeFrame(frame, tables, history, out);
        sound.samples.insert(sound.samples.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return sound;
}

Decoded Voice(const char* name) {
    Decoded sound{sound::test::ReadFixture(name), {}, true};
    const auto speech = sound::SpeechData::Read(sound.data);
    sound::SharedSpeechDecoder decoder;
    sound::SpeechChannel channel;
    decoder.StartSound(channel);
    for (std::size_t position = 0; speech && sound.samples.size() < speech->sampleCount;) {
        const sound::SpeechFrame frame = sound::SpeechFrame::Take(speech->frames, position);
        if (frame.advance == 0) {
            break;
        }
        position += frame.advance;
        std::array<std::int16_t, sound::SpeechResampler::kMaxFrameOutput> out;
        const std::size_t n = decoder.DecodeFrame(channel, frame.bytes, out);
        sound.samples.insert(sound.samples.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
    }
    sound.samples.resize(std::min(sound.samples.size(), speech ? speech->sampleCount : 0));
    return sound;
}

std::vector<std::int16_t> Square(std::size_t n, std::int16_t level, std::size_t period) {
    std::vector<std::int16_t> samples(n);
    for (std::size_t i = 0; i < n; ++i) {
        samples[i] = (i / period) % 2 == 0 ? level : static_cast<std::int16_t>(-level);
    }
    return samples;
}

struct Queued {
    const Decoded* sound;
    std::uint16_t plays;
};

struct Channel {
    int volume;
    std::vector<Queued> queue;
};

// What one channel plays, sample by sample, with the kind of sound each sample came from.
struct Stream {
    std::vector<std::int16_t> samples;
    std::vector<bool> speech;
};

Stream Concatenate(const Channel& channel) {
    Stream stream;
    for (const Queued& queued : channel.queue) {
        for (int play = 0; play < queued.plays; ++play) {
            stream.samples.insert(stream.samples.end(), queued.sound->samples.begin(), queued.sound->samples.end());
            stream.speech.insert(stream.speech.end(), queued.sound->samples.size(), queued.sound->speech);
        }
    }
    return stream;
}

int Clip(int value) {
    return std::clamp(value, -32767, 32767);
}

// Buffers of 1024: a channel counts as speech when the last sample it gave was speech.
// The first such channel is the base; its first non-zero output opens the voice span and
// its last sample closes it; every other channel that is not speech is halved in the span.
std::vector<std::int16_t> OfflineMix(const std::vector<Channel>& channels, std::size_t buffers) {
    std::vector<Stream> streams;
    for (const Channel& channel : channels) {
        streams.push_back(Concatenate(channel));
    }
    std::vector<std::size_t> read(channels.size(), 0);
    std::vector<std::int16_t> out;
    for (std::size_t b = 0; b < buffers; ++b) {
        std::vector<bool> speechNow(channels.size());
        int base = -1;
        for (std::size_t c = 0; c < channels.size(); ++c) {
            speechNow[c] = read[c] > 0 && streams[c].speech[read[c] - 1];
            if (base < 0 && speechNow[c]) {
                base = static_cast<int>(c);
            }
        }
        const bool ducking = base >= 0;
        if (!ducking) {
            base = 0;
        }
        std::array<int, 1024> mix{};
        std::size_t spanStart = 0;
        std::size_t spanEnd = 0;
        auto take = [&](std::size_t c) {
            const std::size_t n = std::min<std::size_t>(1024, streams[c].samples.size() - read[c]);
            const std::int16_t* samples = streams[c].samples.data() + read[c];
            read[c] += n;
            return std::pair{samples, n};
        };
        {
            const auto [samples, n] = take(static_cast<std::size_t>(base));
            bool found = false;
            for (std::size_t i = 0; i < n; ++i) {
                mix[i] = Clip((samples[i] * channels[static_cast<std::size_t>(base)].volume) >> 9);
                if (!found && mix[i] != 0) {
                    spanStart = i;
                    found = true;
                }
            }
            spanEnd = n;
        }
        for (std::size_t c = 0; c < channels.size(); ++c) {
            if (static_cast<int>(c) == base) {
                continue;
            }
            const bool duck = ducking && !speechNow[c];
            const auto [samples, n] = take(c);
            for (std::size_t i = 0; i < n; ++i) {
                const int shift = duck && i >= spanStart && i < spanEnd ? 10 : 9;
                mix[i] = Clip(mix[i] + ((samples[i] * channels[c].volume) >> shift));
            }
        }
        out.insert(out.end(), mix.begin(), mix.end());
    }
    return out;
}

TEST(OfflineMixTest, EightChannelsMatchTheOfflineMixSampleForSample) {
    const sound::MpegAudioTables tables;
    const Decoded music64 = Music("music_64k.xmp", tables);
    const Decoded music8 = Music("music_8k.xmp", tables);
    const Decoded female = Voice("speech-female.ts");
    const Decoded male = Voice("speech-male.ts");
    const Decoded loud = Wave(Square(30000, 30000, 37));
    const Decoded quiet = Wave(Square(9000, -30000, 53));
    const Decoded ramp = Wave([] {
        std::vector<std::int16_t> s(3000);
        for (std::size_t i = 0; i < s.size(); ++i) {
            s[i] = static_cast<std::int16_t>(static_cast<int>(i) * 11 - 16000);
        }
        return s;
    }());
    const Decoded ima = Xima(200);
    const Decoded imaShort = Xima(40);
    ASSERT_GT(music64.samples.size(), 0u);
    ASSERT_GT(female.samples.size(), 0u);
    ASSERT_GT(male.samples.size(), 0u);
    // The first voice channel must outlast the second: a finished voice that is still queued
    // stays the base, which the offline rule above does not model.
    const Decoded& longVoice = female.samples.size() > male.samples.size() ? female : male;
    const Decoded& shortVoice = female.samples.size() > male.samples.size() ? male : female;

    const std::vector<Channel> channels = {
        {256, {{&music64, 2}}},                 // music, looped
        {512, {{&loud, 1}}},                    // clips against the rest
        {300, {{&longVoice, 1}}},               // the voice that ducks
        {256, {{&ima, 3}}},                     // IMA, three plays
        {200, {{&ramp, 1}, {&imaShort, 2}}},    // a chain: WAVE, then IMA twice
        {400, {{&music8, 1}}},
        {256, {{&shortVoice, 1}}},              // a second voice: not ducked
        {512, {{&quiet, 1}}},
    };

    platform::CaptureAudioOut out;
    xMixerSetAudioOut(&out);
    ASSERT_EQ(xMixerOpen(-1, platform::kAudioFormatMono16), 0);
    xMixerRestart();
    std::vector<std::vector<sound::SoundSlot>> slots(channels.size());
    for (std::size_t c = 0; c < channels.size(); ++c) {
        xMixerSetChannelVolume(channels[c].volume, static_cast<int>(c));
        slots[c].resize(channels[c].queue.size());
        for (std::size_t q = 0; q < channels[c].queue.size(); ++q) {
            sound::SoundSlot& slot = slots[c][q];
            slot.data = channels[c].queue[q].sound->data;
            slot.playsRemaining = channels[c].queue[q].plays;
            slot.progressScale = 100;
            ASSERT_EQ(xMixerQueueSound(static_cast<int>(c), &slot), 0) << c << "/" << q;
        }
    }
    for (int pass = 0; pass < 2000 && !xMixerIsChannelEmpty(-1); ++pass) {
        xMixerFill(250);
        out.Advance(46);
    }
    ASSERT_TRUE(xMixerIsChannelEmpty(-1));
    xMixerClose();
    xMixerSetAudioOut(nullptr);

    const std::vector<std::int16_t> recorded = out.RecordedSamples();
    const std::vector<std::int16_t> expected = OfflineMix(channels, recorded.size() / 1024);
    ASSERT_EQ(recorded.size(), expected.size());
    std::size_t clippedHigh = 0;
    std::size_t clippedLow = 0;
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        ASSERT_EQ(recorded[i], expected[i]) << "sample " << i << " of buffer " << i / 1024;
        clippedHigh += recorded[i] == 32767;
        clippedLow += recorded[i] == -32767;
    }
    EXPECT_GT(clippedHigh, 0u);
    EXPECT_GT(clippedLow, 0u);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), -32768), 0);
}

}  // namespace
