#include "game/view/screens/CompositionScreen.h"

#include <algorithm>
#include <limits>

#include "controls/ChatBox.h"
#include "controls/EditControl.h"
#include "controls/EditControlTextEnteredMsg.h"
#include "framework/ActOnDrain.h"
#include "framework/ButtonDownMouseMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/view/PictureView.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/RoundIndicator.h"
#include "game/view/controls/TimerControl.h"
#include "media/Animation.h"
#include "net/GenericRoomMsgs.h"
#include "resource/LanguageFilter.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/SerialStartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"
#include "sound/Sfx.h"

namespace {

// Comp.srf and its parts.
constexpr std::int32_t kCompId = 1000;
constexpr std::int32_t kCaptionAnimation = 438;
constexpr std::int32_t kCaptionItem = 167;
constexpr std::int32_t kCaptionLength = 160;
constexpr std::int32_t kLineOneAnimation = 460;
constexpr std::int32_t kLineOneItem = 168;
constexpr std::int32_t kLineTwoAnimation = 477;
constexpr std::int32_t kLineTwoItem = 169;
constexpr std::int32_t kLineLength = 80;
constexpr std::int32_t kOneLineSent = 454;
constexpr std::int32_t kTwoLineSent = 492;
// Music: the instrumental loop, then CompA .. CompM five ids apart.
constexpr std::int32_t kLoopId = 3025;
constexpr std::int32_t kFirstTrackId = 3030;
constexpr std::int32_t kTrackStep = 5;
// CompC, CompD, CompI, CompJ: played twice in the two-line round.
constexpr std::int32_t kRepeated[4] = {2, 3, 8, 9};
constexpr std::int32_t kCaptionEnteredId = 1012;
constexpr std::int32_t kShortestCountdown = 1000;
constexpr std::int32_t kCompositionCountdown = 1;
constexpr char kTab = 9;
constexpr std::size_t kWordBuffer = 256;

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

bool IsFrom(MsgSender* from, Control* control) {
    return control != nullptr && from == static_cast<MsgSender*>(control);
}

// The round type table: picture mode and round indicator type, for types 0-4.
struct RoundLook {
    std::int32_t pictureMode;
    std::int32_t indicatorType;
};
constexpr RoundLook kLooks[5] = {{0, 1}, {4, 5}, {3, 4}, {2, 3}, {1, 2}};

}  // namespace

CompositionScreen::CompositionScreen(UI* parent, std::int32_t layer, SharedControls* shared, PictureRoom* room)
    : OwnTimesScreen(parent, layer, Total::kSegment), shared_(shared), room_(room) {
    startSequence_ = std::make_unique<SerialStartSequencer>(this);
    music_ = std::make_unique<SerialSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    const auto field = [this](std::int32_t animation, std::int32_t item, std::int32_t length) {
        auto edit = std::make_unique<EditControl>(this, this, GetLayer() + 1, animation, item, kCompId, 0, 0, length, 0);
        edit->Hide();
        return edit;
    };
    captionEdit_ = field(kCaptionAnimation, kCaptionItem, kCaptionLength);
    lineOneEdit_ = field(kLineOneAnimation, kLineOneItem, kLineLength);
    lineTwoEdit_ = field(kLineTwoAnimation, kLineTwoItem, kLineLength);
    const auto sent = [this](std::int32_t number) {
        auto animation = std::make_unique<Animation>(this, kCompId, number);
        animation->SetLayer(GetLayer() + 10);
        animation->SetHoldAtEnd();
        return animation;
    };
    oneLineSent_ = sent(kOneLineSent);
    twoLineSent_ = sent(kTwoLineSent);
    loop_ = std::make_unique<Music>(this, kLoopId);
    loop_->LoopForever();
    for (std::int32_t i = 0; i < kTracks; ++i) {
        tracks_[static_cast<std::size_t>(i)] = std::make_unique<Music>(this, kFirstTrackId + kTrackStep * i);
    }
    for (std::size_t i = 0; i < repeats_.size(); ++i) {
        repeats_[i] = std::make_unique<Music>(this, kFirstTrackId + kTrackStep * kRepeated[i]);
    }
    entered_ = std::make_unique<Sfx>(this, kCaptionEnteredId);
    for (Process* p : std::initializer_list<Process*>{captionEdit_.get(), lineOneEdit_.get(), lineTwoEdit_.get(),
                                                      oneLineSent_.get(), twoLineSent_.get(), music_.get(),
                                                      entered_.get(), Shared(kTimerSlot)}) {
        stopper_->Add(p);
    }
}

CompositionScreen::~CompositionScreen() {
    Subscribe(false);
    if (auto* chat = dynamic_cast<PictureChatBox*>(Shared(kChatBoxSlot))) chat->SetPendingScreen(nullptr);
    stopper_.reset();
    startSequence_.reset();
    music_.reset();
    entered_.reset();
    for (auto& track : repeats_) track.reset();
    for (auto& track : tracks_) track.reset();
    loop_.reset();
    twoLineSent_.reset();
    oneLineSent_.reset();
    lineTwoEdit_.reset();
    lineOneEdit_.reset();
    captionEdit_.reset();
}

std::string CompositionScreen::Trim(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    const std::size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

bool CompositionScreen::IsTwoLine() const {
    return start_ && start_->GetRoundKind() == kTwoLineRound;
}

EditControl* CompositionScreen::FirstField() const {
    return IsTwoLine() ? lineOneEdit_.get() : captionEdit_.get();
}

EditControl* CompositionScreen::ActiveField() const {
    if (!IsTwoLine()) return captionEdit_.get();
    return onLineTwo_ ? lineTwoEdit_.get() : lineOneEdit_.get();
}

Animation* CompositionScreen::SentAnimation() const {
    return IsTwoLine() ? twoLineSent_.get() : oneLineSent_.get();
}

void CompositionScreen::ChatLoses() {
    if (Control* chat = Shared(kChatBoxSlot)) chat->OnLostKeyboardFocus();
}

void CompositionScreen::ChatGains() {
    if (Control* chat = Shared(kChatBoxSlot)) chat->OnGainedKeyboardFocus();
}

void CompositionScreen::ClearPending() {
    if (auto* chat = dynamic_cast<PictureChatBox*>(Shared(kChatBoxSlot))) chat->SetPendingScreen(nullptr);
}

void CompositionScreen::Subscribe(bool on) {
    if (subscribed_ == on) return;
    subscribed_ = on;
    for (SharedControl slot : {kTimerSlot, kChatBoxSlot, kRoundIndicatorSlot, kPictureSlot}) {
        Control* c = Shared(slot);
        if (c == nullptr) continue;
        if (on) {
            c->AddReceiver(this);
        } else {
            c->RemoveReceiver(this);
        }
    }
}

void CompositionScreen::BeginComposition() {
    ChatLoses();
    onLineTwo_ = false;
    composing_ = true;
    FirstField()->OnGainedKeyboardFocus();
}

void CompositionScreen::SubmitCaption(const std::string& lineOne, const std::string& lineTwo) {
    // A caption sent while the last one's effect still plays lets that one go on.
    if (entered_->IsStopped()) entered_->Start();
    Send(CompRoomMsg(-1, lineOne, lineTwo));
    if (IsTwoLine()) {
        lineOneEdit_->ClearText();
        lineTwoEdit_->ClearText();
        lineOneEdit_->SetText(lineOne.c_str());
        lineTwoEdit_->SetText(lineTwo.c_str());
    } else {
        captionEdit_->ClearText();
        captionEdit_->SetText(lineOne.c_str());
    }
}

// ---- start and stop ----

void CompositionScreen::OnStarting() {
    entryEnabled_ = false;
    lineOne_.clear();
    // An unchanged line two from an earlier round must be checked again.
    lineTwo_.clear();
    // Whatever the last composition left, a new one starts in the chat box.
    composing_ = false;
    onLineTwo_ = false;
    focused_ = nullptr;
    const std::int32_t type = start_ ? start_->GetRoundKind() : 0;
    const bool twoLine = type == kTwoLineRound;

    auto* picture = dynamic_cast<PictureControl*>(Shared(kPictureSlot));
    if (std::uint64_t{GetMiddleTime()} < std::uint64_t{GetBaseMiddleTime()} * 3 / 4 && picture != nullptr) {
        picture->SetInstant();
    }

    for (SharedControl slot :
         {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot, kPictureSlot, kTimerSlot, kRoundIndicatorSlot}) {
        if (Control* c = Shared(slot)) c->Show();
    }
    for (SharedControl slot : {kCaptionsSlot, kFatChanceSlot, kNameAndScoreSlot}) {
        if (Control* c = Shared(slot)) c->Hide();
    }
    if (twoLine) {
        lineOneEdit_->Show();
        lineTwoEdit_->Show();
    } else {
        captionEdit_->Show();
    }

    Subscribe(true);

    startSequence_->Clear();
    music_->Clear();
    if (type == 0) startSequence_->Add(music_.get());
    const auto track = [this](char name) { return tracks_[static_cast<std::size_t>(name - 'A')].get(); };
    music_->Add(loop_.get());
    for (char name : {'A', 'B', 'C', 'D'}) music_->Add(track(name));
    if (twoLine) {
        music_->Add(repeats_[0].get());
        music_->Add(repeats_[1].get());
    }
    for (char name : {'E', 'F', 'G', 'H', 'I', 'J'}) music_->Add(track(name));
    if (twoLine) {
        music_->Add(repeats_[2].get());
        music_->Add(repeats_[3].get());
    }
    for (char name : {'K', 'L', 'M'}) music_->Add(track(name));

    // The start sequence takes only stopped children.
    for (SharedControl slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        if (Control* c = Shared(slot)) startSequence_->Add(c);
    }
    // The indicator takes a round only while stopped, and starts only with a
    // type: a second segment while it runs, or a first one of a type outside
    // the table, leaves it alone.
    auto* indicator = dynamic_cast<RoundIndicator*>(Shared(kRoundIndicatorSlot));
    bool indicatorReports = false;
    if (type >= 0 && type < 5) {
        const RoundLook& look = kLooks[type];
        if (picture != nullptr) picture->SetMode(look.pictureMode);
        if (type == 3 && picture != nullptr) {
            picture->SetCopyFitsTexts(start_->GetText1(), start_->GetText2(), start_->GetText3());
        }
        if (indicator != nullptr && indicator->IsStopped()) {
            indicator->SetRound(look.indicatorType, start_ ? start_->GetSegmentId() : 0, false);
        }
    }
    if (indicator != nullptr && indicator->IsStopped() && indicator->GetType() != 0) {
        startSequence_->Add(indicator);
        indicatorReports = true;
    }
    // Music that waits for an indicator that will not start goes with the rest.
    if (type != 0 && !indicatorReports) startSequence_->Add(music_.get());

    if (auto* timer = dynamic_cast<TimerControl*>(Shared(kTimerSlot))) {
        startSequence_->Add(timer);
        const std::uint32_t middle = std::max<std::uint32_t>(kShortestCountdown, GetMiddleTime());
        const std::uint32_t cap = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
        timer->SetCountdown(static_cast<std::int32_t>(std::min(middle, cap)),
                            static_cast<std::int32_t>(std::min(GetBaseMiddleTime(), cap)), kCompositionCountdown);
    }
    if (picture != nullptr) startSequence_->Add(picture);
    if (twoLine) {
        startSequence_->Add(lineOneEdit_.get());
        startSequence_->Add(lineTwoEdit_.get());
    } else {
        startSequence_->Add(captionEdit_.get());
    }
    startSequence_->Start();
}

void CompositionScreen::StartFinished() {
    // The loop plays its pass to the end, then the sequence goes on with CompA.
    loop_->EndLoops();
    if (IsStarting()) ProcessForwarder::OnStarting();
    if (auto* timer = dynamic_cast<TimerControl*>(Shared(kTimerSlot)); timer != nullptr && timer->IsStarted()) {
        timer->StartCountdown();
    }
    entryEnabled_ = true;
}

void CompositionScreen::OnStarted() {
    ProcessForwarder::OnStarted();
    auto* chat = dynamic_cast<PictureChatBox*>(Shared(kChatBoxSlot));
    if (chat == nullptr || !chat->HasTypedText()) {
        BeginComposition();
    } else {
        chat->SetPendingScreen(this);
    }
}

void CompositionScreen::OnStopping() {
    for (EditControl* field : {captionEdit_.get(), lineOneEdit_.get(), lineTwoEdit_.get()}) {
        field->ClearText();
        field->Hide();
    }
    // A chat line in a later screen must not begin a composition here.
    ClearPending();
    if (composing_) {
        ActiveField()->OnLostKeyboardFocus();
        ChatGains();
        composing_ = false;
        onLineTwo_ = false;
    }
    stopper_->Start();
}

void CompositionScreen::Expired() {
    if (!composing_) return;
    ActiveField()->OnLostKeyboardFocus();
    composing_ = false;
    onLineTwo_ = false;
    ChatGains();
    entryEnabled_ = false;
}

// ---- captions ----

std::optional<std::string> CompositionScreen::Refusal(const std::string& text) const {
    if (room_ == nullptr || !room_->IsLanguageFiltered()) return std::nullopt;
    char word[kWordBuffer] = {};
    if (LanguageFilterCheck(text.c_str(), word, sizeof word) != 0) return std::nullopt;
    return "We don't use words like " + std::string(word) + " here.";
}

void CompositionScreen::HostLine(const std::string& text) {
    Send(HostChatRoomMsg(text));
}

void CompositionScreen::OneLineEntered(const std::string& entered) {
    const std::string text = Trim(entered);
    if (!entryEnabled_ || text.empty() || text == lineOne_) return;
    if (auto refusal = Refusal(text)) {
        HostLine(*refusal);
        return;
    }
    lineOne_ = text;
    SubmitCaption(lineOne_, "");
    if (oneLineSent_->IsStopped()) oneLineSent_->Start();
    captionEdit_->OnLostKeyboardFocus();
    ChatGains();
    composing_ = false;
}

void CompositionScreen::LineOneEntered(const std::string& entered) {
    const std::string text = Trim(entered);
    if (!entryEnabled_ || text.empty() || text == lineOne_) return;
    if (auto refusal = Refusal(text)) {
        HostLine(*refusal);
        return;
    }
    lineOne_ = text;
    lineOneEdit_->OnLostKeyboardFocus();
    lineTwoEdit_->OnGainedKeyboardFocus();
    onLineTwo_ = true;
}

void CompositionScreen::LineTwoEntered(const std::string& entered) {
    const std::string two = Trim(entered);
    if (!entryEnabled_ || two.empty()) return;
    const auto backToLineOne = [this] {
        lineTwoEdit_->OnLostKeyboardFocus();
        lineOneEdit_->OnGainedKeyboardFocus();
        onLineTwo_ = false;
    };
    const std::string one = Trim(lineOneEdit_->GetText());
    if (one.empty()) {
        HostLine("Line one of your slimerick seems to be missing...");
        backToLineOne();
        return;
    }
    if (one != lineOne_) {
        if (auto refusal = Refusal(one)) {
            HostLine(*refusal);
            backToLineOne();
            return;
        }
        lineOne_ = one;
    }
    if (two != lineTwo_) {
        if (auto refusal = Refusal(two)) {
            HostLine(*refusal);
            return;
        }
        lineTwo_ = two;
    }
    SubmitCaption(lineOne_, lineTwo_);
    if (twoLineSent_->IsStopped()) twoLineSent_->Start();
    lineTwoEdit_->OnLostKeyboardFocus();
    ChatGains();
    composing_ = false;
    onLineTwo_ = false;
}

// ---- keyboard and mouse ----

void CompositionScreen::OnKeyboardChar(const KeyboardCharMsg& msg) {
    if (msg.GetKey() != kTab) {
        if (!composing_) {
            if (auto* chat = dynamic_cast<ChatBox*>(Shared(kChatBoxSlot))) chat->OnKeyboardChar(msg);
        } else if (entryEnabled_) {
            ActiveField()->OnKeyboardChar(msg);
        }
        return;
    }
    if (composing_) {
        if (IsTwoLine() && !onLineTwo_) {
            lineOneEdit_->OnLostKeyboardFocus();
            lineTwoEdit_->OnGainedKeyboardFocus();
            onLineTwo_ = true;
        } else {
            ActiveField()->OnLostKeyboardFocus();
            ChatGains();
            composing_ = false;
            onLineTwo_ = false;
        }
        return;
    }
    if (!entryEnabled_) return;
    ClearPending();
    ChatLoses();
    Animation* sent = SentAnimation();
    if (sent->IsStarted() || sent->IsPaused()) sent->Stop();
    FirstField()->OnGainedKeyboardFocus();
    composing_ = true;
    onLineTwo_ = false;
}

void CompositionScreen::Pressed(EditControl* field) {
    if (!entryEnabled_) return;
    const bool lineTwo = field == lineTwoEdit_.get();
    if (!composing_) {
        ClearPending();
        ChatLoses();
        Animation* sent = field == captionEdit_.get() ? oneLineSent_.get() : twoLineSent_.get();
        if (sent->IsStarted() || sent->IsPaused()) sent->Stop();
        field->OnGainedKeyboardFocus();
        composing_ = true;
        if (field != captionEdit_.get()) onLineTwo_ = lineTwo;
        return;
    }
    if (field == captionEdit_.get()) return;
    // Composing on the other line: the keyboard moves over.
    if (onLineTwo_ != lineTwo) {
        ActiveField()->OnLostKeyboardFocus();
        field->OnGainedKeyboardFocus();
        onLineTwo_ = lineTwo;
    }
}

void CompositionScreen::ChatPressed() {
    if (!composing_) return;
    ActiveField()->OnLostKeyboardFocus();
    ChatGains();
    composing_ = false;
    onLineTwo_ = false;
}

void CompositionScreen::OnLostKeyboardFocus() {
    focused_ = nullptr;
    auto* chat = dynamic_cast<ChatBox*>(Shared(kChatBoxSlot));
    if (chat != nullptr && chat->IsEditKeyboardTarget()) {
        focused_ = chat;
    } else if (composing_) {
        focused_ = ActiveField();
    }
    if (focused_ != nullptr) focused_->OnLostKeyboardFocus();
}

void CompositionScreen::OnGainedKeyboardFocus() {
    if (focused_ != nullptr) focused_->OnGainedKeyboardFocus();
    focused_ = nullptr;
}

// ---- messages ----

std::int32_t CompositionScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    const bool entered = msg.Is<EditControlTextEnteredMsg>();
    const auto text = [&msg] { return static_cast<const EditControlTextEnteredMsg&>(msg).GetText(); };
    const bool pressed = msg.Is<ButtonDownMouseMsg>();
    Control* indicator = Shared(kRoundIndicatorSlot);
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, startSequence_))) StartFinished();
    if (wanted(entered && IsFrom(from, captionEdit_))) OneLineEntered(text());
    if (wanted(entered && IsFrom(from, lineOneEdit_))) LineOneEntered(text());
    if (wanted(entered && IsFrom(from, lineTwoEdit_))) LineTwoEntered(text());
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, indicator)) && start_ && start_->GetRoundKind() != 0 &&
        music_->IsStopped() && IsStarting()) {
        music_->Start();
    }
    if (wanted(pressed && IsFrom(from, captionEdit_))) Pressed(captionEdit_.get());
    if (wanted(pressed && IsFrom(from, lineOneEdit_))) Pressed(lineOneEdit_.get());
    if (wanted(pressed && IsFrom(from, lineTwoEdit_))) Pressed(lineTwoEdit_.get());
    if (wanted(pressed && IsFrom(from, Shared(kChatBoxSlot)))) ChatPressed();
    if (wanted(msg.Is<TimerControlExpiredMsg>() && IsFrom(from, Shared(kTimerSlot)))) Expired();
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, stopper_)) && IsStopping()) {
        Subscribe(false);
        ProcessForwarder::OnStopping();
    }
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
