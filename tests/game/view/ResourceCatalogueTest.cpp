// The catalogue's names and the registration: which (id, kind) reaches which
// file, how many entries it makes, and which lookups ignore letter case.

#include "game/view/ResourceCatalogue.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "divir/xFile.h"
#include "framework/SingletonDefaults.h"
#include "game/model/PictureRoom.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "resource/ResourceService.h"

namespace {

class ResourceCatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        registry_ = std::make_unique<FileRegistry>();
        service_ = std::make_unique<ResourceService>();
        service_->ReserveEntries(200);
        RegisterGameResources(nullptr);
    }
    void TearDown() override {
        service_.reset();
        registry_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
    }

    // The path of the file that the (id, kind) entry is bound to.
    std::string PathOf(std::int32_t id, const std::string& kind) {
        const std::int32_t entry = service_->FindById(id, kind);
        if (entry < 0) return "(none)";
        return service_->GetEntryPath(service_->GetEntryFile(entry));
    }

    std::unique_ptr<FileRegistry> registry_;
    std::unique_ptr<ResourceService> service_;
};

TEST(ResourceCatalogueNames, TheTableHoldsEveryNameOnceInItsGroup) {
    EXPECT_EQ(kResourceCatalogue.size(), 392u);
    EXPECT_EQ(kResourceCatalogue[2], "EXEUpdater.exe");
    EXPECT_EQ(kResourceCatalogue[5], kUpdaterPath);
    // Bare names and paths pair up, apart from the one voice out of place.
    std::set<std::string_view> bare(kResourceCatalogue.begin() + 6, kResourceCatalogue.begin() + 199);
    EXPECT_EQ(bare.size(), 193u);
    for (std::size_t i = 199; i < 392; ++i) {
        const std::string_view path = kResourceCatalogue[i];
        EXPECT_TRUE(path.starts_with("Resources\\")) << path;
        EXPECT_EQ(bare.count(path.substr(path.rfind('\\') + 1)), 1u) << path;
    }
    EXPECT_EQ(kResourceCatalogue[199], kStillDownloadPath);
    EXPECT_EQ(kResourceCatalogue[200], kPalettePath);
    EXPECT_EQ(kResourceCatalogue[391], kLanguageFilterPath);
    // "VoteTie.srf" follows "VoteNow.srf" among the bare names and
    // "ShowVotes.srf" among the paths.
    auto at = [](std::string_view name, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            if (kResourceCatalogue[i] == name) return i;
        }
        return std::size_t{0};
    };
    EXPECT_EQ(at("VoteTie.srf", 6, 199), at("VoteNow.srf", 6, 199) + 1);
    EXPECT_EQ(at("Resources\\Voice\\VoteTie.srf", 199, 392),
              at("Resources\\Voice\\ShowVotes.srf", 199, 392) + 1);
    EXPECT_EQ(kSfxKind, "Sfx ");
    EXPECT_EQ(kSoundKind, "snd ");
    EXPECT_EQ(kVersionKind, "Ver ");
}

TEST(ResourceCatalogueNames, TheDefaultRoomIsNoRoom) {
    const PictureRoom& room = DefaultPictureRoom();
    EXPECT_EQ(room.GetName(), "Unknown");
    EXPECT_FALSE(room.IsLanguageFiltered());
}

TEST_F(ResourceCatalogueTest, RegistrationMakes383Entries) {
    EXPECT_EQ(service_->GetEntryCount(), 383);
    EXPECT_TRUE(IsRegisteredFile("Resources\\Palette\\Palette.srf"));
    EXPECT_EQ(service_->Find("Palette.srf", "SrfFile"), -1);
    EXPECT_TRUE(IsRegisteredFile("Resources\\Sfx\\Window.srf"));
    EXPECT_EQ(service_->GetEntryPath(service_->Find("EXEUpdater.exe", "File")), "Resources\\EXEUpdater.exe");
    // The effect files are catalogued alphabetically, their ids in their own order.
    EXPECT_LT(service_->FindSrfFile("Jabba.srf"), service_->FindSrfFile("PixFrame.srf"));
    EXPECT_LT(service_->FindById(1055, "Sfx "), service_->FindById(1047, "Sfx "));
    EXPECT_LT(service_->FindSrfFile("Window.srf"), service_->FindSrfFile("LanguageFilter.srf"));
}

TEST_F(ResourceCatalogueTest, TheKindDecidesTheFile) {
    struct Case {
        std::int32_t id;
        const char* kind;
        const char* path;
    };
    const Case cases[] = {
        {1000, "off4", "Resources\\Animation\\Comp.srf"},
        {1000, "Sfx ", "Resources\\Sfx\\Applause.srf"},
        {1000, "Text", "Resources\\LanguageFilter.srf"},
        {1000, "Musi", "(none)"},
        {1200, "off4", "Resources\\Animation\\Intrfce.srf"},
        {31000, "off4", "Resources\\Animation\\AdClick.srf"},
        {3100, "off4", "Resources\\Animation\\StandBy.srf"},
        {1970, "off4", "Resources\\Animation\\SegB10.srf"},
        {3025, "Musi", "Resources\\Music\\CompInstrLoop.srf"},
        {3090, "Musi", "Resources\\Music\\CompM.srf"},
        {3315, "Musi", "Resources\\Music\\VotingO.srf"},
        {3270, "Musi", "Resources\\Music\\VotingF.srf"},
        {2442, "Voic", "Resources\\Voice\\VoteTie.srf"},
        {2440, "Voic", "Resources\\Voice\\ShowVotes.srf"},
        {2445, "Voic", "Resources\\Voice\\Welcome1.srf"},
        {2495, "Voic", "Resources\\Voice\\RoundWinner3.srf"},
        {2005, "Voic", "Resources\\Voice\\FinalExtro1.srf"},
        {1055, "Sfx ", "Resources\\Sfx\\PixFrame.srf"},
        {1047, "Sfx ", "Resources\\Sfx\\Jabba.srf"},
        {1400, "Sfx ", "Resources\\Sfx\\AdClkSfx.srf"},
        {1062, "Sfx ", "Resources\\Sfx\\SwatchDownTurn.srf"},
        {1062, "Sfx", "(none)"},
        {2000, "off4", "Resources\\Animation\\CPanel.srf"},
        {2000, "Voic", "(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << " '" << c.kind << "'");
        EXPECT_EQ(PathOf(c.id, c.kind), c.path);
    }
}

TEST_F(ResourceCatalogueTest, FileNamesIgnoreCaseIdNamesDoNot) {
    const std::int32_t comp = service_->FindSrfFile("Comp.srf");
    ASSERT_GE(comp, 0);
    EXPECT_EQ(service_->FindSrfFile("COMP.SRF"), comp);
    EXPECT_EQ(service_->FindSrfFile("comp.srf"), comp);
    EXPECT_EQ(service_->Find("exeupdater.EXE", "File"), service_->Find("EXEUpdater.exe", "File"));
    EXPECT_GE(service_->Find("<1000>", "off4"), 0);
    EXPECT_EQ(service_->Find("<1000>", "OFF4"), -1);
    EXPECT_EQ(service_->Find("<01000>", "off4"), -1);
}

TEST_F(ResourceCatalogueTest, EveryBindingReachesItsOwnFile) {
    for (const GameResource& r : kGameResources) {
        SCOPED_TRACE(std::string(r.name));
        const std::string path = PathOf(r.id, std::string(r.kind));
        EXPECT_TRUE(path.ends_with("\\" + std::string(r.name))) << path;
    }
}

}  // namespace
