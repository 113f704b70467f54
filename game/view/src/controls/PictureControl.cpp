#include "game/view/controls/PictureControl.h"

#include <algorithm>

#include "divir/xError.h"
#include "divir/xRandom.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/PictureRoomMsgs.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "media/OffsetStripResource.h"
#include "net/HttpClient.h"
#include "net/HttpResponseMsg.h"
#include "resource/FileResource.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kPictures = 1010;  // Vizuzor.srf
constexpr std::int32_t kComp = 1000;      // Comp.srf
constexpr std::int32_t kFrameEffect = 1055;  // PixFrame.srf

struct Row {
    std::int32_t strip, number, layer;
};
// Entries of styles 1-3, pictures, exits, the round-winner frame, the text
// panel and the four introductions.
constexpr Row kRows[15] = {{kPictures, 1, 0},   {kPictures, 36, 0},  {kPictures, 71, 0},  {kPictures, 107, 1},
                           {kPictures, 115, 1}, {kPictures, 123, 1}, {kPictures, 132, 2}, {kPictures, 153, 2},
                           {kPictures, 174, 2}, {kPictures, 194, 0}, {kComp, 405, 3},     {kComp, 498, 3},
                           {kComp, 514, 3},     {kComp, 545, 3},     {kComp, 562, 3}};

// HeresZuv, ZeravizuvuVoice2, CopyFitsVoice2, SlimerickVoiceA2, SlimerickVoiceB,
// Poem1, Poem2, Poem3, TabHeadsVoice2.
constexpr std::int32_t kVoices[9] = {2055, 2196, 2206, 2226, 2230, 2210, 2215, 2220, 2236};
constexpr int kHeres = 0, kSlimerickA = 3, kSlimerickB = 4, kPoem1 = 5;
constexpr int kPanelText = 166;
constexpr const char* kFailTitle = "Error downloading picture";
constexpr const char* kFailText = "The game is unable to download content at this time.\nPlease try again later.";

}  // namespace

PictureControl::PictureControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
    : Control(parent, receiver, layer), random_([](std::uint32_t n) { return xRandom(n); }) {
    const std::int32_t l = GetLayer();
    for (int i = 0; i < 15; ++i) {
        animations_[i] = std::make_unique<Animation>(this, kRows[i].strip, kRows[i].number);
        animations_[i]->SetLayer(l + kRows[i].layer);
        if (i < 10) {
            // The frames all draw the one picture decoded into the shared picture strip.
            AnimationResource* resource = animations_[i]->GetResource();
            OffsetStripResource* strip = resource != nullptr ? resource->GetStripResource() : nullptr;
            if (strip != nullptr) strip->SetPictureFlag(true);
        }
        animations_[i]->SetHoldAtEnd();
    }
    for (auto& effect : effects_) effect = std::make_unique<Sfx>(this, kFrameEffect);
    for (int i = 0; i < 9; ++i) voices_[i] = std::make_unique<Voice>(this, kVoices[i]);
    a_ = std::make_unique<SerialSequencer>(this);
    b_ = std::make_unique<SerialSequencer>(this);
    c_ = std::make_unique<SerialSequencer>(this);
    main_ = std::make_unique<ParallelSequencer>(this);
    main_->Add(a_.get());
    main_->Add(b_.get());
    main_->Add(c_.get());
    stopSequencer_ = std::make_unique<StopSequencer>(this);
    for (auto& animation : animations_) stopSequencer_->Add(animation.get());
    for (auto& effect : effects_) stopSequencer_->Add(effect.get());
    for (auto& voice : voices_) stopSequencer_->Add(voice.get());
    http_ = std::make_unique<HttpClient>(this);
}

PictureControl::~PictureControl() {
    http_.reset();
    stopSequencer_.reset();
    main_.reset();
    a_.reset();
    b_.reset();
    c_.reset();
}

Animation* PictureControl::GetAnimation(int number) const {
    return number >= 1 && number <= 15 ? animations_[static_cast<std::size_t>(number - 1)].get() : nullptr;
}

SerialSequencer* PictureControl::GetSequencer(char name) const {
    switch (name) {
        case 'A': return a_.get();
        case 'B': return b_.get();
        case 'C': return c_.get();
        default: return nullptr;
    }
}

void PictureControl::SetHttpUserAgent(const std::string& agent) {
    http_->SetUserAgent(agent);
}

void PictureControl::AddHttpServer(const std::string& host, std::int32_t port) {
    http_->AddServer(host, port);
}

PictureControl::Slot* PictureControl::FindSlot(std::uint32_t pictureId) {
    for (Slot& slot : slots_)
        if (slot.picture.number1 == pictureId && slot.requestId != 0) return &slot;
    return nullptr;
}

void PictureControl::DownloadPicture(const PictureInfo& picture) {
    if (current_.number1 == 0) current_ = picture;
    Slot& slot = slots_[static_cast<std::size_t>(nextSlot_)];
    if (slot.pending) http_->Cancel(slot.requestId);
    const FileResource file(picture.text2, picture.text1);
    slot.requestId = http_->BufferedGet(file.GetUrlName(), slot.buffer.data(), kSlotBytes);
    slot.picture = picture;
    slot.pending = true;
    slot.viewed = false;
    slot.length = 0;
    nextSlot_ = nextSlot_ == 0 ? 1 : 0;
}

void PictureControl::OnDownloadDone(const char* data, std::int32_t length) {
    Slot* slot = nullptr;
    for (Slot& s : slots_)
        if (data != nullptr && data == s.buffer.data()) slot = &s;
    if (slot == nullptr) return;
    slot->pending = false;
    slot->length = std::max(0, std::min(length, kSlotBytes));
    if (slot->picture.number1 != current_.number1) return;
    if (!IsStarted() && !IsStarting()) return;
    animations_[3]->LoadPictureFromMemory(slot->buffer.data(), slot->length);
    if (IsStarting()) return;
    for (int i = 3; i <= 9; ++i) {
        Animation& animation = *animations_[i];
        if (animation.IsStarted() || animation.IsPaused()) {
            hold_ = true;
            animation.Stop();
            break;
        }
    }
    slot->viewed = true;
    Send(PictureViewedRoomMsg(slot->picture.number1));
}

void PictureControl::OnDownloadFailed(std::uint32_t requestId) {
    Slot* slot = nullptr;
    for (Slot& s : slots_)
        if (requestId != 0 && s.requestId == requestId) slot = &s;
    if (slot == nullptr) return;
    slot->pending = false;
    slot->length = 0;
    xAlert(kFailTitle, "%s", kFailText);
    throw 0;
}

void PictureControl::SetPicture(const PictureInfo& picture) {
    current_ = picture;
    Slot* slot = FindSlot(picture.number1);
    if (slot != nullptr && !slot->pending && slot->length > 0)
        animations_[3]->LoadPictureFromMemory(slot->buffer.data(), slot->length);
    else
        animations_[3]->LoadPicture(kStillDownload);
    Redraw();
}

void PictureControl::AddAnimation(SerialSequencer& to, Animation& animation) {
    to.Add(&animation, true);
}

void PictureControl::StartIntroduction(int number, int voice) {
    Animation& intro = *animations_[static_cast<std::size_t>(number - 1)];
    if (!instant_) {
        intro.SetFrame(0);
        if (voice >= 0) b_->Add(voices_[static_cast<std::size_t>(voice)].get());
    } else {
        intro.SetFrame(intro.GetCelCount() - 1);
    }
}

void PictureControl::OnStarting() {
    a_->Clear();
    b_->Clear();
    c_->Clear();
    SetPicture(current_);
    const std::int32_t style = current_.number2;
    const bool framed = style >= 1 && style <= 3;
    Animation* entry = framed ? animations_[static_cast<std::size_t>(style - 1)].get() : nullptr;
    Animation* picture = framed ? animations_[static_cast<std::size_t>(style + 2)].get() : nullptr;
    Animation* exit = framed ? animations_[static_cast<std::size_t>(style + 5)].get() : nullptr;
    Animation& panel = *animations_[10];
    if (mode_ >= 0 && mode_ <= 4) {
        if (framed) {
            entry->Show();
            picture->Show();
            picture->SetFrame(0);
            if (!instant_) {
                AddAnimation(*a_, *entry);
                c_->Add(effects_[0].get());
            }
            AddAnimation(*a_, *picture);
        }
        AddAnimation(*a_, panel);
        panel.SetText(kPanelText, current_.text3);
        Animation* intro = nullptr;
        switch (mode_) {
            case 0:
                if (!instant_) b_->Add(voices_[kHeres].get());
                break;
            case 1:
                StartIntroduction(12, 1);
                intro = animations_[11].get();
                break;
            case 2:
                StartIntroduction(13, 2);
                intro = animations_[12].get();
                intro->SetText(163, copyFitsTexts_[0]);
                intro->SetText(164, copyFitsTexts_[1]);
                intro->SetText(165, copyFitsTexts_[2]);
                break;
            case 3:
                StartIntroduction(14, -1);
                if (!instant_) {
                    b_->Add(voices_[kSlimerickA].get());
                    b_->Add(voices_[static_cast<std::size_t>(kPoem1 + random_(3) % 3)].get());
                    b_->Add(voices_[kSlimerickB].get());
                }
                intro = animations_[13].get();
                break;
            case 4:
                StartIntroduction(15, 8);
                intro = animations_[14].get();
                break;
            default:
                break;
        }
        if (intro != nullptr && intro->IsStopped()) intro->Start();
    } else if (mode_ == 5) {
        if (framed) {
            exit->SetFrame(exit->GetCelCount() - 1);
            AddAnimation(*a_, *exit);
        }
        panel.SetText(kPanelText, "");
        AddAnimation(*a_, *animations_[3]);
    } else if (mode_ == 6) {
        animations_[9]->SetFrame(0);
        AddAnimation(*a_, *animations_[9]);
        panel.SetText(kPanelText, "");
    }
    main_->Start();
}

void PictureControl::ReportViewed() {
    Slot* slot = FindSlot(current_.number1);
    if (slot != nullptr && !slot->pending && !slot->viewed) {
        slot->viewed = true;
        Send(PictureViewedRoomMsg(slot->picture.number1));
    }
}

void PictureControl::OnStarted() {
    ReportViewed();
    ProcessForwarder::OnStarted();
}

void PictureControl::PlayExit() {
    a_->Clear();
    b_->Clear();
    c_->Clear();
    animations_[10]->SetText(kPanelText, "");
    const std::int32_t style = current_.number2;
    if (style >= 1 && style <= 3) {
        Animation& exit = *animations_[static_cast<std::size_t>(style + 5)];
        exit.SetFrame(0);
        AddAnimation(*a_, exit);
    }
    if (mode_ >= 1 && mode_ <= 4) {
        Animation& intro = *animations_[static_cast<std::size_t>(mode_ + 10)];
        if (!intro.IsStopped() && !intro.IsStopping()) intro.Stop();
    }
    main_->Start();
}

void PictureControl::FinishTransition() {
    if (IsStarting()) DefaultOnStarting();
    Send(PictureControlTransitionDoneMsg());
}

void PictureControl::OnStopping() {
    Hide();
    // A restart waiting on a stopped frame would undo the stop's work.
    hold_ = false;
    stopSequencer_->Start();
    instant_ = false;
}

std::int32_t PictureControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto& part) { return from == static_cast<MsgSender*>(part.get()); };
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    const bool fromHttp = is(http_);
    int exitStyle = 0;
    if (started)
        for (int s = 1; s <= 3; ++s)
            if (is(animations_[static_cast<std::size_t>(s + 5)])) exitStyle = s;
    int frame = -1;
    if (stopped)
        for (int i = 3; i <= 9; ++i)
            if (is(animations_[static_cast<std::size_t>(i)])) frame = i;
    const bool ours = (stopped && (is(main_) || is(stopSequencer_))) || exitStyle != 0 || frame >= 0 ||
                      (fromHttp && (msg.Is<HttpResponseDoneMsg>() || msg.Is<HttpResponseFailedMsg>() ||
                                    msg.Is<HttpResponseTimedOutMsg>()));
    if (ours) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (stopped && is(main_)) {
            if (IsStarting()) {
                DefaultOnStarting();
                ReportViewed();
            } else if (IsStarted()) {
                FinishTransition();
            }
        } else if (exitStyle != 0) {
            animations_[static_cast<std::size_t>(exitStyle - 1)]->Hide();
            animations_[static_cast<std::size_t>(exitStyle + 2)]->Hide();
        } else if (frame >= 0) {
            // Only while running: after the stop began the frame stays stopped.
            Animation& animation = *animations_[static_cast<std::size_t>(frame)];
            if (hold_ && (IsStarting() || IsStarted()) && animation.IsStopped()) {
                animation.SetFrame(animation.GetCelCount() - 1);
                animation.Start();
                hold_ = false;
            }
        } else if (stopped && is(stopSequencer_)) {
            if (IsStopping()) DefaultOnStopping();
        } else if (const auto* done = dynamic_cast<const HttpResponseDoneMsg*>(&msg)) {
            OnDownloadDone(done->GetData(), done->GetLength());
        } else if (const auto* failed = dynamic_cast<const HttpResponseMsg*>(&msg)) {
            OnDownloadFailed(failed->GetRequestId());
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
