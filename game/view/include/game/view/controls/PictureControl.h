#pragma once

// The round's picture: downloaded ahead of time into one of two fixed buffers,
// shown inside one of three animated frames with the introduction of the
// segment (modes below), and reported once per download to the room bot as
// viewed (PictureViewedRoomMsg). A failed download ends the program after its
// message box.
//
// Modes: 0 ordinary round, 1 Zeravizuvu, 2 CopyFits, 3 Duzarezuri, 4 TabHeads,
// 5 voting, 6 round winner. The instant flag (one run) shows the final frames
// without the introductions.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/CloneableMsg.h"
#include "framework/Control.h"
#include "net/PictureInfo.h"

class Animation;
class HttpClient;
class ParallelSequencer;
class SerialSequencer;
class Sfx;
class StopSequencer;
class Voice;

class PictureControlTransitionDoneMsg : public CloneableMsg<PictureControlTransitionDoneMsg> {};

class PictureControl : public Control {
  public:
    static constexpr std::int32_t kSlotBytes = 50000;
    static constexpr const char* kStillDownload = "Resources\\Pictures\\StillDownload.jpg";

    PictureControl(UI* parent, MsgReceiver* receiver, std::int32_t layer);
    ~PictureControl() override;

    virtual void DownloadPicture(const PictureInfo& picture);
    virtual void SetPicture(const PictureInfo& picture);
    virtual std::uint32_t GetCurrentPictureId() { return current_.number1; }
    void SetMode(std::int32_t mode) { mode_ = mode; }
    std::int32_t GetMode() const { return mode_; }
    void SetCopyFitsTexts(const std::string& a, const std::string& b, const std::string& c) {
        copyFitsTexts_ = {a, b, c};
    }
    void SetInstant() { instant_ = true; }
    bool IsInstant() const { return instant_; }
    virtual void PlayExit();
    // What the game view gives its HTTP client.
    virtual void SetHttpUserAgent(const std::string& agent);
    virtual void AddHttpServer(const std::string& host, std::int32_t port);

    // Where random choices come from (n -> 0 .. n - 1); generator B unless replaced.
    void SetRandomSource(std::function<std::uint32_t(std::uint32_t)> source) { random_ = std::move(source); }

    void OnStarting() override;
    void OnStarted() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // For tests and the screens: animation 1..15 of the table, the sequencers,
    // the client, the slots.
    Animation* GetAnimation(int number) const;
    SerialSequencer* GetSequencer(char name) const;
    HttpClient* GetHttpClient() const { return http_.get(); }
    Voice* GetVoice(int index) const { return voices_[static_cast<std::size_t>(index)].get(); }
    Sfx* GetFrameEffect() const { return effects_[0].get(); }
    struct Slot {
        PictureInfo picture;
        bool pending = false;
        bool viewed = false;
        std::uint32_t requestId = 0;
        std::vector<char> buffer = std::vector<char>(kSlotBytes);
        std::int32_t length = 0;
    };
    const Slot& GetSlot(int index) const { return slots_[static_cast<std::size_t>(index & 1)]; }
    bool IsHolding() const { return hold_; }

  private:
    void OnDownloadDone(const char* data, std::int32_t length);
    void OnDownloadFailed(std::uint32_t requestId);
    void FinishTransition();
    // "PV" for the current picture once its slot has landed, once per slot.
    void ReportViewed();
    Slot* FindSlot(std::uint32_t pictureId);
    void AddAnimation(SerialSequencer& to, Animation& animation);
    void StartIntroduction(int number, int voice);

    std::array<std::unique_ptr<Animation>, 15> animations_;
    std::array<std::unique_ptr<Sfx>, 3> effects_;
    std::array<std::unique_ptr<Voice>, 9> voices_;
    std::unique_ptr<SerialSequencer> a_;
    std::unique_ptr<SerialSequencer> b_;
    std::unique_ptr<SerialSequencer> c_;
    std::unique_ptr<ParallelSequencer> main_;
    std::unique_ptr<StopSequencer> stopSequencer_;
    PictureInfo current_;
    std::unique_ptr<HttpClient> http_;
    int nextSlot_ = 0;
    std::array<Slot, 2> slots_;
    std::int32_t mode_ = 0;
    std::array<std::string, 3> copyFitsTexts_;
    bool instant_ = false;
    bool hold_ = false;
    std::function<std::uint32_t(std::uint32_t)> random_;
};
