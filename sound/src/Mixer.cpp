#include "Mixer.h"

#include <algorithm>
#include <new>

#include "framework/xMixerPoll.h"
#include "sound/SoundDataHeader.h"
#include "sound/xMixer.h"

namespace sound {

namespace {

constexpr std::int32_t kSampleLimit = 32767;  // sums are held symmetric: -32767 .. 32767
constexpr std::uint32_t kDueMs = 50;
constexpr std::uint32_t kStartCorrectionMs = 100;
constexpr std::uint32_t kEndCorrectionMs = 101;
constexpr int kMaxRetire = 63;

std::int32_t Saturate(std::int32_t value) {
    return std::clamp(value, -kSampleLimit, kSampleLimit);
}

int Ring(int value) {
    return ((value % Mixer::kBuffers) + Mixer::kBuffers) % Mixer::kBuffers;
}

// Whether clock reading `a` lies after `b` on the wrapping 32-bit clock.
bool After(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b) > 0;
}

void PollHook(std::uint32_t ms) {
    Mixer::Instance().Poll(ms);
}

}  // namespace

Mixer& Mixer::Instance() {
    static Mixer mixer;
    return mixer;
}

void Mixer::SetOut(platform::AudioOut* out) {
    Close();
    out_ = out;
}

std::int16_t Mixer::Open(std::int16_t lead, std::uint32_t format) {
    Close();
    SetVolume(MixerChannel::kUnity, -1);
    if (format != platform::kAudioFormatMono16 && format != platform::kAudioFormatStereo8) {
        return kMixerOpenNoDevice;
    }
    lead_ = lead >= 0 && lead <= 61 ? lead : kDefaultLead;

    std::int16_t result = Choose(format);
    if (result != 0) {
        format = platform::kAudioFormatStereo8;
        result = Choose(format);
        if (result != 0) {
            Close();
            return result;
        }
    }
    if (!out_->Open(deviceId_, format)) {
        Close();
        return kMixerOpenRefused;
    }
    format_ = format;
    try {
        buffers_ = std::make_unique<std::array<platform::AudioBuffer, kBuffers>>();
    } catch (const std::bad_alloc&) {
        Close();
        return kMixerOpenNoMemory;
    }
    Reset();
    try {
        ima_ = std::make_unique<ImaAdpcmTable>();
        if (!music_) {
            music_ = std::make_unique<MpegAudioTables>();
        }
        speech_ = std::make_unique<SharedSpeechDecoder>();
    } catch (const std::bad_alloc&) {
        Close();
        return kMixerOpenNoMemory;
    }
    xMixerSetPollHook(&PollHook);
    return 0;
}

std::int16_t Mixer::Choose(std::uint32_t format) {
    const int count = out_ != nullptr ? out_->DeviceCount() : 0;
    if (count == 0) {
        return kMixerOpenNoDevice;
    }
    std::int16_t result = kMixerOpenNoFormat;
    int bestScore = 0;
    int best = platform::AudioOut::kMapper;
    // The mapper first, then every device the system counts (none when it cannot count).
    for (int id = platform::AudioOut::kMapper; id < std::max(count, 0); ++id) {
        platform::AudioDeviceCaps caps;
        if (!out_->GetCaps(id, caps)) {
            continue;
        }
        int score = id == platform::AudioOut::kMapper ? 10 : 0;
        if ((caps.formats & format) != 0 && !caps.synchronous) {
            result = kMixerOpenRefused;
            if (out_->Open(id, format)) {
                score += out_->RoundTripVolume() ? 1100 : 1000;
                out_->Close();
            } else {
                score = 0;
            }
        }
        if (score > bestScore) {
            bestScore = score;
            best = id;
        }
    }
    if (bestScore > 0) {
        deviceId_ = best;
        return 0;
    }
    return result;
}

void Mixer::Close() {
    Reset();
    xMixerSetPollHook(nullptr);
    if (out_ != nullptr && out_->IsOpen()) {
        out_->Close();
    }
    buffers_.reset();
    ima_.reset();
    format_ = 0;
}

void Mixer::Reset() {
    resetFlag_ = true;
    if (IsOpen()) {
        out_->Reset();
    }
    playIndex_ = 0;
    writeIndex_ = 0;
    needsRestart_ = true;
    Queue(-1, nullptr);
}

void Mixer::Restart() {
    if (!resetFlag_ || !IsOpen()) {
        return;
    }
    mixTime_ = out_->Now();
    lastLead_ = 0;
    nextDue_ = mixTime_;
    for (platform::AudioBuffer& buffer : *buffers_) {
        buffer.done = false;
    }
    out_->Restart();
    resetFlag_ = false;
}

std::int16_t Mixer::Queue(int channel, SoundSlot* slot) {
    if (slot == nullptr) {
        if (channel == -1) {
            for (MixerChannel& each : channels_) {
                each.Clear();
            }
            return 0;
        }
        if (channel < 0 || channel >= kMixerChannels) {
            return kMixerBadChannel;
        }
        channels_[static_cast<std::size_t>(channel)].Clear();
        return 0;
    }
    if (channel < 0 || channel >= kMixerChannels) {
        return kMixerBadChannel;
    }
    MixerChannel& target = channels_[static_cast<std::size_t>(channel)];
    slot->length = xMixerGetSampleCount(slot->data);
    if (target.Count() >= MixerChannel::kQueueSize) {
        return kMixerQueueFull;
    }
    if (slot->length == 0) {
        return kMixerNotASound;
    }
    if (slot->playsRemaining == 0) {
        return kMixerNoPlays;
    }
    slot->progress = 0;
    slot->done = 0;
    slot->startTime = 0;
    slot->endTime = 0;
    slot->justStarted = false;
    slot->firstStartKnown = false;
    slot->begun = false;
    target.Append(*slot);
    return 0;
}

std::int16_t Mixer::EndLoops(int channel) {
    if (channel == -1) {
        for (MixerChannel& each : channels_) {
            each.EndLoops();
        }
        return 0;
    }
    if (channel < 0 || channel >= kMixerChannels) {
        return kMixerBadChannel;
    }
    channels_[static_cast<std::size_t>(channel)].EndLoops();
    return 0;
}

void Mixer::Forget(SoundSlot* slot) {
    if (slot == nullptr) {
        return;
    }
    for (MixerChannel& channel : channels_) {
        channel.Forget(*slot);
    }
}

bool Mixer::IsChannelEmpty(int channel) const {
    if (channel < 0 || channel >= kMixerChannels) {
        return std::all_of(channels_.begin(), channels_.end(), [](const MixerChannel& each) { return each.Count() == 0; });
    }
    return channels_[static_cast<std::size_t>(channel)].Count() == 0;
}

void Mixer::SetVolume(int volume, int channel) {
    // The level is a 16-bit value: held in 0 .. 32767.
    const auto level = static_cast<std::int16_t>(std::clamp(volume, 0, 32767));
    for (int i = 0; i < kMixerChannels; ++i) {
        if (channel == i || channel < 0 || channel >= kMixerChannels) {
            MixerChannel& each = channels_[static_cast<std::size_t>(i)];
            each.volume = level;
            each.targetVolume = level;
            each.rampStep = MixerChannel::kUnity;
        }
    }
}

void Mixer::Fill(std::uint32_t ms) {
    if (!IsOpen()) {
        return;
    }
    nextDue_ = out_->Now() + kDueMs;
    lastLead_ = ms;
    const int n = std::max(1, std::min(static_cast<int>(ms / kMsPerBuffer), 60 - lead_));
    if (resetFlag_) {
        return;
    }

    out_->Update();
    for (int retired = 0; retired < kMaxRetire && (*buffers_)[static_cast<std::size_t>(playIndex_)].done; ++retired) {
        (*buffers_)[static_cast<std::size_t>(playIndex_)].done = false;
        playIndex_ = Ring(playIndex_ + 1);
    }
    const int target = Ring(playIndex_ + n + lead_);

    mixTime_ = out_->Now();
    if (needsRestart_) {
        out_->Pause();
    }
    if (Ring(writeIndex_ - playIndex_ + 1) <= Ring(target - playIndex_ + 1) && writeIndex_ != target) {
        std::array<std::int32_t, kFrames> mix;
        while (writeIndex_ != target) {
            platform::AudioBuffer& buffer = (*buffers_)[static_cast<std::size_t>(writeIndex_)];
            MixBuffer(mix);
            Encode(mix, buffer);
            // A refused buffer is never played; count it as done so the ring keeps moving.
            if (!out_->Write(buffer)) {
                buffer.done = true;
            }
            UpdateTiming(writeIndex_);
            writeIndex_ = Ring(writeIndex_ + 1);
        }
    } else {
        UpdateTiming(writeIndex_);
    }
    if (needsRestart_) {
        if (!resetFlag_) {
            out_->Restart();
        }
        needsRestart_ = false;
    }
}

void Mixer::Poll(std::uint32_t ms) {
    if (!IsOpen()) {
        return;
    }
    if (After(out_->Now(), nextDue_) || ms > lastLead_) {
        Fill(ms);
    }
}

void Mixer::MixBuffer(std::array<std::int32_t, kFrames>& mix) {
    for (MixerChannel& channel : channels_) {
        channel.Ramp();
    }
    const MixerDecoders decoders{ima_.get(), music_.get(), speech_.get()};

    int speechChannel = -1;
    for (int i = 0; i < kMixerChannels; ++i) {
        const MixerChannel& channel = channels_[static_cast<std::size_t>(i)];
        if (channel.Count() > 0 && channel.Format() == SoundFormat::kSpeech) {
            speechChannel = i;
            break;
        }
    }
    const bool ducking = speechChannel >= 0;
    const int base = ducking ? speechChannel : 0;

    // The base channel: its first non-silent sample opens the voice span, its last sample closes it.
    std::array<std::int16_t, kFrames> samples;
    MixerChannel& baseChannel = channels_[static_cast<std::size_t>(base)];
    const std::size_t baseTaken = baseChannel.Take(samples, decoders);
    std::size_t spanStart = baseTaken;
    for (std::size_t i = 0; i < baseTaken; ++i) {
        mix[i] = Saturate((samples[i] * baseChannel.volume) >> 9);
        if (spanStart == baseTaken && mix[i] != 0) {
            spanStart = i;
        }
    }
    if (spanStart == baseTaken) {
        spanStart = 0;
    }
    const std::size_t spanEnd = baseTaken;
    std::fill(mix.begin() + static_cast<std::ptrdiff_t>(baseTaken), mix.end(), 0);

    for (int i = 0; i < kMixerChannels; ++i) {
        MixerChannel& channel = channels_[static_cast<std::size_t>(i)];
        if (i == base || channel.Count() == 0) {
            continue;
        }
        const bool duck = ducking && channel.Format() != SoundFormat::kSpeech;
        const std::size_t taken = channel.Take(samples, decoders);
        for (std::size_t k = 0; k < taken; ++k) {
            const int shift = duck && k >= spanStart && k < spanEnd ? 10 : 9;
            mix[k] = Saturate(mix[k] + ((samples[k] * channel.volume) >> shift));
        }
    }
}

void Mixer::Encode(const std::array<std::int32_t, kFrames>& mix, platform::AudioBuffer& buffer) const {
    if (format_ == platform::kAudioFormatStereo8) {
        for (std::size_t i = 0; i < kFrames; ++i) {
            const auto value = static_cast<std::uint8_t>((mix[i] >> 8) + 128);
            buffer.bytes[2 * i] = value;
            buffer.bytes[2 * i + 1] = value;
        }
        return;
    }
    for (std::size_t i = 0; i < kFrames; ++i) {
        const auto value = static_cast<std::uint16_t>(static_cast<std::int16_t>(mix[i]));
        buffer.bytes[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
        buffer.bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
}

void Mixer::UpdateTiming(int bufferIndex) {
    for (MixerChannel& channel : channels_) {
        std::size_t index = 0;
        while (index < channel.Count()) {
            SoundSlot& slot = *channel.At(index);
            if (!slot.begun) {
                ++index;
                continue;
            }
            if (slot.justStarted) {
                slot.startTime = static_cast<std::uint32_t>(Ring(bufferIndex - playIndex_) * kMsPerBuffer) + mixTime_ -
                                 kStartCorrectionMs;
                slot.endTime = slot.startTime - 1;
                slot.justStarted = false;
                if (!slot.firstStartKnown) {
                    slot.firstStartTime = slot.startTime;
                    slot.firstStartKnown = true;
                }
            }
            if (slot.endTime == slot.startTime - 1) {
                if (slot.playsRemaining == 0) {
                    // 2972 / 65536 ms per sample is 1000 / 22050; 64 bits, since long sounds overflow 32.
                    const auto lengthMs = static_cast<std::uint32_t>((std::uint64_t{slot.length} * 2972) >> 16);
                    slot.endTime = slot.startTime + kEndCorrectionMs + lengthMs;
                }
                if (slot.progressScale != 0 && After(mixTime_, slot.firstStartTime)) {
                    slot.progress = 1;
                }
            }
            if (slot.endTime != slot.startTime - 1 && After(mixTime_, slot.startTime)) {
                if (After(slot.endTime, mixTime_) || &slot == channel.Current()) {
                    if (slot.progressScale != 0) {
                        const std::uint64_t elapsed = mixTime_ - slot.startTime;
                        const std::uint64_t span = slot.endTime - slot.startTime;
                        const std::uint64_t progress = slot.progressScale * elapsed / span;
                        slot.progress = static_cast<std::uint16_t>(
                            std::max<std::uint64_t>(1, std::min<std::uint64_t>(progress, slot.progressScale - 1u)));
                    }
                } else {
                    channel.Remove(index);
                    continue;
                }
            }
            ++index;
        }
    }
}

}  // namespace sound

void xMixerSetAudioOut(platform::AudioOut* out) {
    sound::Mixer::Instance().SetOut(out);
}

std::int16_t xMixerOpen(std::int16_t lead, std::uint32_t format) {
    return sound::Mixer::Instance().Open(lead, format);
}

std::int16_t ChooseWaveDevice(std::uint32_t format) {
    return sound::Mixer::Instance().Choose(format);
}

int xMixerDeviceId() {
    return sound::Mixer::Instance().DeviceId();
}

std::uint32_t xMixerOpenFormat() {
    return sound::Mixer::Instance().OpenFormat();
}

void xMixerClose() {
    sound::Mixer::Instance().Close();
}

void xMixerReset() {
    sound::Mixer::Instance().Reset();
}

void xMixerRestart() {
    sound::Mixer::Instance().Restart();
}

std::int16_t xMixerQueueSound(int channel, sound::SoundSlot* slot) {
    return sound::Mixer::Instance().Queue(channel, slot);
}

std::int16_t xMixerEndLoops(int channel) {
    return sound::Mixer::Instance().EndLoops(channel);
}

void xMixerForgetSlot(sound::SoundSlot* slot) {
    sound::Mixer::Instance().Forget(slot);
}

bool xMixerIsChannelEmpty(int channel) {
    return sound::Mixer::Instance().IsChannelEmpty(channel);
}

void xMixerSetChannelVolume(int volume, int channel) {
    sound::Mixer::Instance().SetVolume(volume, channel);
}

std::uint32_t xMixerGetSampleCount(std::span<const std::uint8_t> data) {
    const std::size_t samples = sound::SoundDataHeader::Read(data).sampleCount;
    return static_cast<std::uint32_t>(std::min<std::size_t>(samples, UINT32_MAX));
}

void xMixerFill(std::uint32_t ms) {
    sound::Mixer::Instance().Fill(ms);
}
