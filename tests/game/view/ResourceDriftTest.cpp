// The demo pack's table against the game's own requests: the real view, over the
// generated demo pack, is taken through every screen and segment with a
// resource service and an animation service that note what the classes ask
// for. Every strip, sound and text resource asked for, and every animation
// played, must be listed in pack-check's table; and every one the table lists
// must be asked for by some class (the sponsor ads, files of their own, aside).

#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FatChanceTest.h"
#include "ViewParts.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/screens/ControlPanelScreen.h"
#include "controls/ToggleButtonControl.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "media/OffsetStripResource.h"
#include "net/RoomMsgStream.h"
#include "resource/ResourceService.h"

namespace {

// "off4 1200", "Voic 2005", "Text 1000": a resource as the catalogue binds it;
// "anim 1200 40": an animation of a strip.
using Names = std::set<std::string>;

std::string ResourceName(const std::string& kind, std::int32_t id) {
    return kind + " " + std::to_string(id);
}
std::string AnimationName(std::int32_t strip, std::int32_t number) {
    return "anim " + std::to_string(strip) + " " + std::to_string(number);
}

// What pack-check's table lists of the catalogue's resources and the strips'
// animations; the palettes, pictures and ads are read by path, not asked of the
// resource service, and stay out.
Names ReadTable(const std::string& path) {
    std::ifstream in(path);
    Names names;
    for (std::string line; std::getline(in, line);) {
        std::stringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty() || w[0][0] == '#') continue;
        if (w[0] == "strip" && w.size() == 3) {
            names.insert(ResourceName("off4", std::stoi(w[1])));
        } else if (w[0] == "sound" && w.size() == 6) {
            std::string kind = w[1];
            kind.resize(4, ' ');
            names.insert(ResourceName(kind, std::stoi(w[2])));
        } else if (w[0] == "filter" && w.size() >= 3) {
            names.insert(ResourceName("Text", std::stoi(w[2])));
        } else if (w[0] == "anim" && w.size() >= 3) {
            for (std::size_t i = 2; i < w.size(); ++i) names.insert(AnimationName(std::stoi(w[1]), std::stoi(w[i])));
        }
    }
    return names;
}

// The product's resource service, noting every id lookup.
class RecordingResources : public ResourceService {
  public:
    explicit RecordingResources(Names& asked) : asked_(asked) {}
    std::int32_t FindById(std::int32_t id, const std::string& type) const override {
        asked_.insert(ResourceName(type, id));
        return ResourceService::FindById(id, type);
    }

  private:
    Names& asked_;
};

// The product's animation service, noting the strip and first cel of every
// animation a class makes.
class RecordingAnimations : public AnimationService {
  public:
    RecordingAnimations(UIRoot* root, Names& asked) : AnimationService(root, true, 0), asked_(asked) {}
    void AddAnimation(Animation* animation, AnimationResource* resource) override {
        if (resource != nullptr && resource->GetStripResource() != nullptr)
            asked_.insert(AnimationName(resource->GetStripResource()->GetStripId(), resource->GetFirstCel()));
        AnimationService::AddAnimation(animation, resource);
    }

  private:
    Names& asked_;
};

std::string Listed(const Names& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
    return out;
}

const std::string Q = "\x02";

// A picture record of the room protocol: id, frame style 1.
std::string Pic(std::uint32_t id) {
    return "Zuv pic" + std::to_string(id) + ".jpg pics " + std::to_string(id) + " 1 " + Q + "a text" + Q + " 9 ";
}

PictureInfo Picture(std::uint32_t id) {
    PictureInfo p;
    p.number1 = id;
    p.number2 = 1;
    return p;
}

class ResourceDriftTest : public ViewFixture {
  public:
    void SetUp() override {
        ViewFixture::SetUp();
        ASSERT_EQ(::chdir(VIZUZOR_DEMO_PACK), 0);
        Names& asked = asked_;
        UIRoot::SetAnimationServiceMaker([&asked](UIRoot& root) -> std::unique_ptr<RootAnimationService> {
            return std::make_unique<RecordingAnimations>(&root, asked);
        });
        view::PictureViewParts parts;
        parts.resources = [&asked] { return std::make_unique<RecordingResources>(asked); };
        MakeView(std::move(parts));
        StartView();
    }
    void TearDown() override {
        view_.reset();
        ViewFixture::TearDown();
    }

    // Passes of one millisecond, the captured output keeping pace.
    void Play(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            audio_.Advance(1);
            Run();
        }
    }

    Names asked_;
};

TEST_F(ResourceDriftTest, TheViewAsksForWhatThePackTableListsAndNothingElse) {
    using fatchance::Board;
    using fatchance::BoardText;
    using fatchance::Read;
    // Start-up: the opening with its sponsor ad, the room chooser with a list,
    // and a room. (The progress, logon and complaint dialogs draw no art of the
    // pack.)
    view_->SetSponsorAd(AdInfo("Sponsor1.srf", "s", 1000));
    view_->ShowOpening();
    Play(8000);
    view_->ShowChooseRoom();
    view_->RoomListBegin(RoomListBeginRoomMsg(2));
    for (std::int32_t i = 0; i < 2; ++i)
        view_->RoomListItem(RoomListItemRoomMsg(
            i, std::make_unique<PictureRoom>(i == 0 ? "Clean" : "Adult", "irc.example", 6667, "#r", "open", 3, false,
                                             8, 1, 10, i == 0, false)));
    Play(3000);
    view_->EnterRoom(PictureRoom("Clean", "", 0, "", "", 3, false, 8, 1, 0, true, false));
    view_->SetLocalPlayerName("Al");
    Play(1000);

    // A game: preflight, then per round composition, voting, scoring and the
    // round winner (a Dar Eradar round among them), an ad break, the game winner.
    view_->StartPreflight(StartPreflightRoomMsg(Picture(7), 0, 0, 0, 3000, 0));
    Play(4000);
    for (std::int32_t type : {0, 1, 2}) {
        view_->StartComp(StartCompRoomMsg(type + 1, Picture(5), type, "fits 1", "fits 2", "fits 3", 0, 0, 500, 3000,
                                          500));
        Play(5000);
        view_->StartVote(*Read<StartVoteRoomMsg>("SV 4 " + Pic(5) + "-1 S 0 3000 0 3000 0 "));
        CaptionsControl::CaptionList list;
        for (std::int32_t i = 0; i < 10; ++i)
            list.push_back(std::make_unique<CompListItemRoomMsg>(i, "P" + std::to_string(i), "line " +
                                                                 std::to_string(i), i % 2 == 0 ? "" : "second"));
        view_->ShowCompList(list);
        Play(4000);
        view_->StartScore(*Read<StartScoreRoomMsg>("SS 1 -1 -1 0 " + Q + Q + " S 0 3000 0 3000 0 "));
        Play(4000);
        view_->StartRoundWinner(
            *Read<StartRoundWinnerRoomMsg>("SRW Al x y " + Pic(5) + "-1 -1 -1 S 0 3000 0 3000 0 "));
        Play(4000);
    }
    view_->StartFatChanceSelection(
        *Read<StartFatChanceSelectionRoomMsg>("SFCS 14 Al 12 " + BoardText(Board({3})) + " 1 6 S 0 3000 0 3000 0"));
    Play(4000);
    view_->StartFatChanceResults(
        *Read<StartFatChanceResultsRoomMsg>("SFCR Al " + BoardText(Board({})) + " 3 20 S 0 3000 0 3000 0"));
    Play(4000);
    std::vector<AdInfo> ads = {AdInfo("Ad1.srf", "s", 1000), AdInfo("Ad2.srf", "s", 1000)};
    view_->StartPictureAds(StartPictureAdsRoomMsg(0, false, std::move(ads), 0, 0, 0, 0, 6000));
    Play(7000);
    view_->StartGameWinner(*Read<StartGameWinnerRoomMsg>("SGW -1 3 Al 30 Bo 20 Cy 10 S 0 0 0 3000 0 "));
    Play(4000);

    // The control panel over the game, its complaint dialog opened and closed.
    view_->ShowControlPanel();
    Play(2000);
    if (ControlPanelScreen* panel = view_->GetControlPanelScreen()) panel->GetProblemPlayerToggle()->Click();
    Play(1000);
    view_->HideControlPanel();
    Play(2000);

    view_->Stop();
    for (int i = 0; i < 20000 && !view_->IsStopped(); ++i) Play(1);
    ASSERT_TRUE(view_->IsStopped());
    const Names listed = ReadTable(VIZUZOR_DEMO_TABLE);
    ASSERT_FALSE(listed.empty()) << VIZUZOR_DEMO_TABLE;
    Names unlisted, unasked;
    for (const std::string& n : asked_)
        if (listed.count(n) == 0) unlisted.insert(n);
    for (const std::string& n : listed)
        if (asked_.count(n) == 0) unasked.insert(n);
    EXPECT_TRUE(unlisted.empty()) << "asked for, but not in the table: " << Listed(unlisted);
    EXPECT_TRUE(unasked.empty()) << "in the table, but asked for by no class: " << Listed(unasked);
}

}  // namespace
