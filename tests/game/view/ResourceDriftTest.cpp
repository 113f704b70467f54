// The demo pack's table against the game's own requests: the real view, over the
// generated demo pack, is taken through every screen and segment with a
// resource service and an animation service that note what the classes ask
// for. Every strip, sound and text resource asked for, and every animation
// played, must be listed in pack-check's table; and every one the table lists
// must be asked for by some class (the sponsor ads, files of their own, aside).

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FatChanceTest.h"
#include "ViewParts.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/screens/FatChanceResultsScreen.h"
#include "game/view/screens/GameWinnerScreen.h"
#include "game/view/screens/PreflightScreen.h"
#include "game/view/screens/ScoringScreen.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "media/OffsetStripResource.h"
#include "net/RoomMsgStream.h"
#include "platform/HostPath.h"
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
// animations (the palettes and pictures are read by path, not asked of either
// service, and stay out); a sponsor ad's animation goes to `ads`.
struct Table {
    Names names;
    Names ads;
};

Table ReadTable(const std::string& path) {
    std::ifstream in(path);
    Table table;
    Names& names = table.names;
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
        } else if (w[0] == "ad" && w.size() == 2) {
            table.ads.insert(AnimationName(AdProcess::kAdStrip, AdProcess::kAdAnimation));
        }
    }
    return table;
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
        // The client reads its files from the program's folder: this program's
        // own folder gets the demo pack's Resources and Ads.
        namespace fs = std::filesystem;
        const std::optional<std::string> program = platform::ProgramPath();
        ASSERT_TRUE(program.has_value());
        const fs::path folder = fs::path(*program).parent_path();
        for (const char* part : {"Resources", "Ads"}) {
            std::error_code ec;
            fs::remove(folder / part, ec);
            fs::create_directory_symlink(fs::path(VIZUZOR_DEMO_PACK) / part, folder / part, ec);
            ASSERT_FALSE(ec) << part << ": " << ec.message();
        }
        ASSERT_EQ(::chdir(folder.c_str()), 0);
        Names& asked = asked_;
        UIRoot::SetAnimationServiceMaker([&asked](UIRoot& root) -> std::unique_ptr<RootAnimationService> {
            return std::make_unique<RecordingAnimations>(&root, asked);
        });
        view::PictureViewParts parts;
        parts.resources = [&asked] { return std::make_unique<RecordingResources>(asked); };
        MakeView(std::move(parts));
        StartView();
    }

    // Plays until the screen is the view's current one and started (a segment
    // waits for the screen before it to play out), then `more` milliseconds.
    ::testing::AssertionResult Shows(Screen* screen, std::uint32_t more) {
        for (std::uint32_t t = 0; t < 20000; ++t) {
            if (screen != nullptr && view_->GetCurrentScreen() == screen && screen->IsStarted()) {
                Play(more);
                return ::testing::AssertionSuccess();
            }
            Play(1);
        }
        return ::testing::AssertionFailure() << "the screen never showed";
    }

    Names asked_;
};

TEST_F(ResourceDriftTest, TheViewAsksForWhatThePackTableListsAndNothingElse) {
    using fatchance::Board;
    using fatchance::BoardText;
    using fatchance::Read;
    // Start-up: the opening with its sponsor ad, the room chooser with a list,
    // and a room. (The progress, logon and complaint dialogs are the platform's
    // dialogs: they ask the pack for nothing.)
    view_->SetSponsorAd(AdInfo("Sponsor1.srf", "s", 1000));
    view_->ShowOpening();
    ASSERT_TRUE(Shows(view_->GetOpeningScreen(), 0));
    // The title, the brand intro and the instructions, then the sponsor ad.
    OpeningScreen& opening = *view_->GetOpeningScreen();
    for (int t = 0; t < 60000 && !opening.IsSponsorAdPlaying(); ++t) Play(1);
    EXPECT_TRUE(opening.IsSponsorAdPlaying()) << "the sponsor ad never played";
    Play(2000);
    view_->ShowChooseRoom();
    view_->RoomListBegin(RoomListBeginRoomMsg(2));
    for (std::int32_t i = 0; i < 2; ++i)
        view_->RoomListItem(RoomListItemRoomMsg(
            i, std::make_unique<PictureRoom>(i == 0 ? "Clean" : "Adult", "irc.example", 6667, "#r", "open", 3, false,
                                             8, 1, 10, i == 0, false)));
    ASSERT_TRUE(Shows(view_->GetChooseRoomScreen(), 3000)) << "room chooser";
    view_->EnterRoom(PictureRoom("Clean", "", 0, "", "", 3, false, 8, 1, 0, true, false));
    view_->SetLocalPlayerName("Al");
    Play(1000);

    // A game: preflight, then rounds of each kind with composition, voting of
    // ten captions, scoring and the round winner, the Dar Eradar selection and
    // results, an ad break of two ads, the game winner.
    view_->StartPreflight(StartPreflightRoomMsg(Picture(7), 0, 0, 0, 3000, 0));
    ASSERT_TRUE(Shows(view_->GetPreflightScreen(), 3000)) << "preflight";
    for (std::int32_t type : {0, 1, 2}) {
        SCOPED_TRACE("round type " + std::to_string(type));
        view_->StartComp(StartCompRoomMsg(type + 1, Picture(5), type, "fits 1", "fits 2", "fits 3", 0, 0, 500, 3000,
                                          500));
        ASSERT_TRUE(Shows(view_->GetCompositionScreen(), 4000)) << "composition";
        view_->StartVote(*Read<StartVoteRoomMsg>("SV 4 " + Pic(5) + "-1 S 0 3000 0 3000 0 "));
        CaptionsControl::CaptionList list;
        for (std::int32_t i = 0; i < 10; ++i)
            list.push_back(std::make_unique<CompListItemRoomMsg>(i, "P" + std::to_string(i), "line " +
                                                                 std::to_string(i), i % 2 == 0 ? "" : "second"));
        view_->ShowCompList(list);
        ASSERT_TRUE(Shows(view_->GetVotingScreen(), 3500)) << "voting";
        view_->StartScore(*Read<StartScoreRoomMsg>("SS 1 -1 -1 0 " + Q + Q + " S 0 3000 0 3000 0 "));
        ASSERT_TRUE(Shows(view_->GetScoringScreen(), 3500)) << "scoring";
        view_->StartRoundWinner(
            *Read<StartRoundWinnerRoomMsg>("SRW Al x y " + Pic(5) + "-1 -1 -1 S 0 3000 0 3000 0 "));
        ASSERT_TRUE(Shows(view_->GetRoundWinnerScreen(), 3500)) << "round winner";
    }
    view_->StartFatChanceSelection(
        *Read<StartFatChanceSelectionRoomMsg>("SFCS 14 Al 12 " + BoardText(Board({3})) + " 1 6 S 0 3000 0 3000 0"));
    ASSERT_TRUE(Shows(view_->GetFatChanceSelectionScreen(), 3500)) << "Dar Eradar selection";
    view_->StartFatChanceResults(
        *Read<StartFatChanceResultsRoomMsg>("SFCR Al " + BoardText(Board({})) + " 3 20 S 0 3000 0 3000 0"));
    ASSERT_TRUE(Shows(view_->GetFatChanceResultsScreen(), 3500)) << "Dar Eradar results";
    std::vector<AdInfo> ads = {AdInfo("Ad1.srf", "s", 1000), AdInfo("Ad2.srf", "s", 1000)};
    view_->StartPictureAds(StartPictureAdsRoomMsg(0, false, std::move(ads), 0, 0, 0, 0, 6000));
    ASSERT_TRUE(Shows(view_->GetAdsScreen(), 0)) << "ads";
    EXPECT_GE(view_->GetAdsScreen()->GetAdCount(), 1u);
    Play(6500);
    view_->StartGameWinner(*Read<StartGameWinnerRoomMsg>("SGW -1 3 Al 30 Bo 20 Cy 10 S 0 0 0 3000 0 "));
    ASSERT_TRUE(Shows(view_->GetGameWinnerScreen(), 3500)) << "game winner";

    // The control panel over the game, up and down again.
    view_->ShowControlPanel();
    for (int t = 0; t < 5000 && !view_->IsControlPanelUp(); ++t) Play(1);
    ASSERT_TRUE(view_->IsControlPanelUp());
    Play(1000);
    view_->HideControlPanel();
    Play(2000);

    view_->Stop();
    for (int i = 0; i < 20000 && !view_->IsStopped(); ++i) Play(1);
    ASSERT_TRUE(view_->IsStopped());
    const Table table = ReadTable(VIZUZOR_DEMO_TABLE);
    ASSERT_FALSE(table.names.empty()) << VIZUZOR_DEMO_TABLE;
    // The ads played (they are files of their own, read whole by path).
    EXPECT_EQ(asked_.count(AnimationName(AdProcess::kAdStrip, AdProcess::kAdAnimation)), 1u);
    Names unlisted, unasked;
    for (const std::string& n : asked_)
        if (table.names.count(n) == 0 && table.ads.count(n) == 0) unlisted.insert(n);
    for (const std::string& n : table.names)
        if (asked_.count(n) == 0) unasked.insert(n);
    EXPECT_TRUE(unlisted.empty()) << "asked for, but not in the table: " << Listed(unlisted);
    EXPECT_TRUE(unasked.empty()) << "in the table, but asked for by no class: " << Listed(unasked);
}

}  // namespace
