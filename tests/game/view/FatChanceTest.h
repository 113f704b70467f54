#pragma once

// The game view with the real Dar Eradar board, timer, player list and
// name-and-score board, its screens made by their rows; segments come as room
// texts read by the game's own message factory; sound plays on the captured
// output, which the passes advance with the manual clock.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ViewParts.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/PicturePlayer.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/controls/FatChanceControl.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "game/view/screens/FatChanceResultsScreen.h"
#include "game/view/screens/FatChanceSelectionScreen.h"
#include "media/Animation.h"
#include "net/RoomMsgStream.h"
#include "sequencers/ParallelSequencer.h"
#include "sound/Music.h"
#include "sound/Voice.h"

#include <gtest/gtest.h>

namespace fatchance {

// "BL n B value revealed ..." as the room writes it (bools are 1 or -1).
inline std::string BoardText(const std::vector<FatChanceEntry>& board) {
    std::string out = "BL " + std::to_string(board.size());
    for (const FatChanceEntry& e : board)
        out += " B " + std::to_string(e.number) + (e.flag ? " 1" : " -1");
    return out;
}

// Ten swatches, value i mod 9, the listed ones revealed.
inline std::vector<FatChanceEntry> Board(std::vector<int> revealed, int count = 10) {
    std::vector<FatChanceEntry> out;
    for (int i = 0; i < count; ++i) {
        bool flag = false;
        for (int r : revealed) flag = flag || r == i;
        out.push_back({i % 9, flag});
    }
    return out;
}

template <class T>
std::unique_ptr<T> Read(const std::string& text) {
    RoomMsgStream stream(text);
    PictureRoomMsgFactory factory;
    std::unique_ptr<RoomMsg> msg = factory.CreateRoomMsg(stream);
    T* typed = dynamic_cast<T*>(msg.get());
    if (typed == nullptr) {
        ADD_FAILURE() << "unreadable: " << text;
        return nullptr;
    }
    msg.release();
    return std::unique_ptr<T>(typed);
}

// The segment's times: it runs `ms`, all of it the middle phase.
inline std::string Times(int ms) {
    return " S 0 " + std::to_string(ms) + " 0 " + std::to_string(ms) + " 0";
}

inline std::unique_ptr<StartFatChanceSelectionRoomMsg> Sfcs(const std::string& winner, int score,
                                                              const std::string& board, bool secondHalf,
                                                              int preset, int ms = 10000) {
    return Read<StartFatChanceSelectionRoomMsg>("SFCS 14 " + winner + " " + std::to_string(score) + " " + board +
                                                (secondHalf ? " 1 " : " -1 ") + std::to_string(preset) + Times(ms));
}

inline std::unique_ptr<StartFatChanceResultsRoomMsg> Sfcr(const std::string& winner, const std::string& board,
                                                            int chosen, int newScore, int ms = 6000) {
    return Read<StartFatChanceResultsRoomMsg>("SFCR " + winner + " " + board + " " + std::to_string(chosen) + " " +
                                              std::to_string(newScore) + Times(ms));
}

// Notes the starts of the processes it is given names for.
struct Probe : MsgReceiver {
    std::map<MsgSender*, std::string> names;
    std::vector<std::string> started;
    void Watch(Process* p, const std::string& name) {
        auto* sender = dynamic_cast<MsgSender*>(p);
        if (sender == nullptr) return;
        names[sender] = name;
        sender->AddReceiver(this);
    }
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        auto it = names.find(from);
        if (it != names.end() && msg.Is<StartedMsg>()) started.push_back(it->second);
        return 0;
    }
    bool Saw(const std::string& name) const {
        for (const std::string& s : started)
            if (s == name) return true;
        return false;
    }
    std::string Joined() const {
        std::string out;
        for (const std::string& s : started) out += s + " ";
        return out;
    }
};

// What the view passed on of the board's picks.
struct Picks : MsgReceiver {
    std::vector<std::pair<int, int>> sent;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (msg.Is<FatChanceSelectionRoomMsg>()) {
            const auto& m = static_cast<const FatChanceSelectionRoomMsg&>(msg);
            sent.emplace_back(m.GetSegmentId(), m.GetEntry());
        }
        return 0;
    }
};

class FatChanceFixture : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        auto parts = RecordingParts();
        parts.fatChance = nullptr;
        parts.timer = nullptr;
        parts.playerList = nullptr;
        Customize(parts);
        MakeView(std::move(parts));
        view_->AddReceiver(&picks_);
        StartView();
        view_->SetLocalPlayerName("Al");
        view_->AddPlayer(PicturePlayer("Al", 7));
        view_->AddPlayer(PicturePlayer("Bo", 3));
        board_ = dynamic_cast<FatChanceControl*>(view_->GetSharedControls()[kFatChanceSlot]);
        ASSERT_NE(board_, nullptr);
        timer_ = dynamic_cast<TimerControl*>(view_->GetSharedControls()[kTimerSlot]);
        nas_ = dynamic_cast<NameAndScoreControl*>(view_->GetSharedControls()[kNameAndScoreSlot]);
        list_ = dynamic_cast<PicturePlayerListControl*>(view_->GetSharedControls()[kPlayerListSlot]);
        world_.journal.lines.clear();
        WatchScreens();
    }
    virtual void Customize(view::PictureViewParts&) {}

    void WatchScreens() {
        FatChanceSelectionScreen* s = view_->GetFatChanceSelectionScreen();
        using V = FatChanceSelectionScreen;
        const char* names[] = {"FCOthers1", "FCOthers2", "FCOthers3", "FCWinner",
                               "FCTooSlow1", "FCTooSlow2", "SecondHalf1", "SecondHalf2"};
        for (std::size_t i = 0; i < V::kVoiceCount; ++i) probe_.Watch(s->GetVoice(static_cast<V::VoiceSlot>(i)), names[i]);
        probe_.Watch(s->GetWinnerAnim(), "winnerAnim");
        probe_.Watch(s->GetOthersAnim(), "othersAnim");
        probe_.Watch(s->GetSecondHalfAnim(), "secondHalfAnim");
        probe_.Watch(s->GetMusicB(), "FatChanceB");
        probe_.Watch(s->GetMusicC(), "FatChanceC");
        FatChanceResultsScreen* r = view_->GetFatChanceResultsScreen();
        for (std::size_t v = 0; v < FatChanceResultsScreen::kValues; ++v) {
            probe_.Watch(r->GetPlayerAnim(v), "playerAnim" + std::to_string(v));
            probe_.Watch(r->GetYouAnim(v), "youAnim" + std::to_string(v));
            probe_.Watch(r->GetPlayerVoice(v), "playerVoice" + std::to_string(v));
            probe_.Watch(r->GetYouVoice(v), "youVoice" + std::to_string(v));
        }
        probe_.Watch(r->GetWinFanfare(), "WinFanfare");
        probe_.Watch(r->GetLossFanfare(), "NegFanfare");
        probe_.Watch(board_->GetBoardSequence(), "boardSequence");
    }

    // One pass per millisecond, the sound output along with the clock.
    void Pass(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            audio_.Advance(1);
            Run();
        }
    }
    template <class Pred>
    bool PassUntil(Pred pred, std::uint32_t ms = 5000) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            if (pred()) return true;
            Pass(1);
        }
        return pred();
    }
    // The centre of swatch i as the fixture pack lays the board out.
    static xPoint Centre(int i) {
        return {static_cast<std::int16_t>(70 + 100 * (i % 5)), static_cast<std::int16_t>(160 + 100 * (i / 5))};
    }
    void Click(int i) {
        const xPoint c = Centre(i);
        MouseService::GetInstance()->OnLeftButtonDown(c.x, c.y);
        MouseService::GetInstance()->OnLeftButtonUp(c.x, c.y);
        Run(3);
    }
    std::string ScoreOf(const std::string& name) {
        for (std::int32_t r = 0; r < list_->GetRowCount(); ++r) {
            if (list_->GetRow(r).cells[0] == name) return list_->GetRow(r).cells[1];
        }
        return "(none)";
    }
    std::vector<std::string> ChatLines() const { return world_.journal.With("System("); }
    bool IsRunning(Process* p) const { return p != nullptr && (p->IsStarted() || p->IsPaused()); }

    Picks picks_;
    Probe probe_;
    FatChanceControl* board_ = nullptr;
    TimerControl* timer_ = nullptr;
    NameAndScoreControl* nas_ = nullptr;
    PicturePlayerListControl* list_ = nullptr;
};

}  // namespace fatchance
