#include "platform/SdlAudioOut.h"

#include <SDL.h>

namespace platform {

SdlAudioOut::SdlAudioOut(std::function<std::uint32_t()> clock) : clock_(std::move(clock)) {
    audioStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SdlAudioOut::~SdlAudioOut() {
    Close();
    if (audioStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

int SdlAudioOut::DeviceCount() {
    if (!audioStarted_) {
        return 0;
    }
    return SDL_GetNumAudioDevices(0);
}

bool SdlAudioOut::GetCaps(int id, AudioDeviceCaps& caps) {
    if (!audioStarted_) {
        return false;
    }
    if (id == kMapper) {
        caps.name = "SDL default output";
    } else {
        const char* name = SDL_GetAudioDeviceName(id, 0);
        if (name == nullptr) {
            return false;
        }
        caps.name = name;
    }
    caps.formats = kAudioFormatMono16 | kAudioFormatStereo8;
    caps.synchronous = false;
    return true;
}

bool SdlAudioOut::Open(int id, std::uint32_t format) {
    if (!audioStarted_ || device_ != 0 || (format != kAudioFormatMono16 && format != kAudioFormatStereo8)) {
        return false;
    }
    const char* name = nullptr;
    if (id != kMapper) {
        name = SDL_GetAudioDeviceName(id, 0);
        if (name == nullptr) {
            return false;
        }
    }
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(kAudioSampleRate);
    wanted.format = format == kAudioFormatMono16 ? AUDIO_S16LSB : AUDIO_U8;
    wanted.channels = format == kAudioFormatMono16 ? 1 : 2;
    wanted.samples = 1024;
    wanted.callback = nullptr;
    SDL_AudioSpec obtained{};
    device_ = SDL_OpenAudioDevice(name, 0, &wanted, &obtained, 0);
    if (device_ == 0) {
        return false;
    }
    written_ = 0;
    retired_ = 0;
    queue_.clear();
    // SDL opens the device paused; it starts with the first buffer, so nothing but
    // queued sound (and silence after it) reaches the output.
    paused_ = false;
    running_ = false;
    return true;
}

void SdlAudioOut::Close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    queue_.clear();
    written_ = 0;
    retired_ = 0;
}

bool SdlAudioOut::Write(AudioBuffer& buffer) {
    if (device_ == 0 || SDL_QueueAudio(device_, buffer.bytes.data(), static_cast<Uint32>(buffer.bytes.size())) != 0) {
        return false;
    }
    written_ += buffer.bytes.size();
    queue_.push_back(&buffer);
    Run();
    return true;
}

void SdlAudioOut::Update() {
    if (device_ == 0) {
        return;
    }
    const std::uint64_t taken = written_ - SDL_GetQueuedAudioSize(device_);
    while (!queue_.empty() && retired_ + kAudioBufferBytes <= taken) {
        queue_.front()->done = true;
        queue_.pop_front();
        retired_ += kAudioBufferBytes;
    }
}

void SdlAudioOut::Run() {
    if (device_ != 0 && !paused_ && !running_ && !queue_.empty()) {
        SDL_PauseAudioDevice(device_, 0);
        running_ = true;
    }
}

void SdlAudioOut::Pause() {
    paused_ = true;
    if (device_ != 0 && running_) {
        SDL_PauseAudioDevice(device_, 1);
        running_ = false;
    }
}

void SdlAudioOut::Restart() {
    paused_ = false;
    Run();
}

void SdlAudioOut::Reset() {
    if (device_ != 0) {
        SDL_ClearQueuedAudio(device_);
    }
    for (AudioBuffer* buffer : queue_) {
        buffer->done = true;
    }
    queue_.clear();
    written_ = 0;
    retired_ = 0;
}

std::uint32_t SdlAudioOut::Now() {
    return clock_ ? clock_() : SDL_GetTicks();
}

}  // namespace platform
