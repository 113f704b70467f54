#include "platform/CaptureAudioOut.h"

namespace platform {

namespace {

CaptureAudioOut::Device FullDevice(const char* name) {
    CaptureAudioOut::Device device;
    device.caps.name = name;
    device.caps.formats = kAudioFormatMono16 | kAudioFormatStereo8;
    return device;
}

}  // namespace

CaptureAudioOut::CaptureAudioOut() : mapper_(FullDevice("Wave mapper")), devices_{FullDevice("Capture")} {}

void CaptureAudioOut::SetDevices(Device mapper, std::vector<Device> devices, bool countUnknown) {
    mapper_ = std::move(mapper);
    devices_ = std::move(devices);
    countUnknown_ = countUnknown;
}

std::vector<std::int16_t> CaptureAudioOut::RecordedSamples() const {
    std::vector<std::int16_t> samples(recording_.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(recording_[2 * i] | (recording_[2 * i + 1] << 8));
    }
    return samples;
}

const CaptureAudioOut::Device* CaptureAudioOut::Find(int id) const {
    if (id == kMapper) {
        return &mapper_;
    }
    if (id < 0 || static_cast<std::size_t>(id) >= devices_.size()) {
        return nullptr;
    }
    return &devices_[static_cast<std::size_t>(id)];
}

int CaptureAudioOut::DeviceCount() {
    return countUnknown_ ? -1 : static_cast<int>(devices_.size());
}

bool CaptureAudioOut::GetCaps(int id, AudioDeviceCaps& caps) {
    const Device* device = Find(id);
    if (device == nullptr || !device->capsReadable) {
        return false;
    }
    caps = device->caps;
    return true;
}

bool CaptureAudioOut::Open(int id, std::uint32_t format) {
    const Device* device = Find(id);
    if (openId_ || device == nullptr || !device->opens || (device->caps.formats & format) == 0 ||
        (format != kAudioFormatMono16 && format != kAudioFormatStereo8)) {
        return false;
    }
    openId_ = id;
    openFormat_ = format;
    paused_ = false;
    playedUntil_ = now_;
    ++opens_;
    return true;
}

void CaptureAudioOut::Close() {
    queue_.clear();
    openId_.reset();
    openFormat_ = 0;
}

bool CaptureAudioOut::RoundTripVolume() {
    const Device* device = openId_ ? Find(*openId_) : nullptr;
    return device != nullptr && device->volumeWorks;
}

bool CaptureAudioOut::Write(AudioBuffer& buffer) {
    if (!openId_ || failWrites_) {
        return false;
    }
    Play();
    if (queue_.empty()) {
        playedUntil_ = now_;  // an idle device starts playing what arrives now
    }
    recording_.insert(recording_.end(), buffer.bytes.begin(), buffer.bytes.end());
    queue_.push_back(&buffer);
    ++writes_;
    return true;
}

void CaptureAudioOut::Play() {
    if (!openId_ || paused_) {
        playedUntil_ = now_;
        return;
    }
    while (!queue_.empty() && static_cast<std::int32_t>(now_ - playedUntil_) >= static_cast<std::int32_t>(kBufferMs)) {
        queue_.front()->done = true;
        queue_.pop_front();
        playedUntil_ += kBufferMs;
    }
    if (queue_.empty()) {
        playedUntil_ = now_;
    }
}

void CaptureAudioOut::Update() {
    Play();
}

void CaptureAudioOut::Pause() {
    Play();
    paused_ = true;
}

void CaptureAudioOut::Restart() {
    Play();
    paused_ = false;
    playedUntil_ = now_;
}

void CaptureAudioOut::Reset() {
    for (AudioBuffer* buffer : queue_) {
        buffer->done = true;
    }
    queue_.clear();
    playedUntil_ = now_;
}

}  // namespace platform
