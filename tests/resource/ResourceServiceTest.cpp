#include "resource/ResourceService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "SrfFixtures.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "framework/SingletonDefaults.h"
#include "framework/xMsgResourceUpdateRequest.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "resource/xSimpleResFile.h"
#include "support/TempFolder.h"

namespace {

class ResourceServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        registry_ = std::make_unique<FileRegistry>();
        service_ = std::make_unique<ResourceService>();
        service_->ReserveEntries();
    }
    void TearDown() override {
        service_.reset();
        registry_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
        xErrorCode = 0;
    }

    std::unique_ptr<FileRegistry> registry_;
    std::unique_ptr<ResourceService> service_;
};

TEST_F(ResourceServiceTest, IsTheSingletonWhileItLives) {
    EXPECT_EQ(ResourceService::Instance(), service_.get());
    service_.reset();
    EXPECT_EQ(ResourceService::Instance(), nullptr);
}

TEST_F(ResourceServiceTest, NamesAndKinds) {
    EXPECT_EQ(MakeResourceIdName(12), "<12>");
    EXPECT_EQ(MakeResourceIdName(-12), "<-12>");
    EXPECT_EQ(ParseResourceIdName("<12>"), 12);
    EXPECT_EQ(ParseResourceIdName("<-12>"), -12);
    EXPECT_EQ(ParseResourceIdName("12"), -1);
    EXPECT_EQ(ParseResourceIdName(""), -1);
    EXPECT_EQ(ParseResourceIdName("<99999999999999>"), ParseResourceIdName("<99999999999999>"))
        << "an over-long number stays defined";
    EXPECT_EQ(ResTypeToFourCC("off4"), MakeFourCC("off4"));
    EXPECT_EQ(ResTypeToFourCC("Sfx "), MakeFourCC("Sfx "));
    EXPECT_EQ(ResTypeToFourCC("SrfFile"), 0u);
    EXPECT_EQ(ResTypeToFourCC("File"), 0u);
    EXPECT_EQ(ResTypeToFourCC("pal "), 0u);
}

TEST_F(ResourceServiceTest, FindComparesFileNamesIgnoringCase) {
    const std::int32_t comp = service_->AddSrfFile("Comp.srf", srf_fixtures::Path("kinds_v2"), nullptr);
    const std::int32_t plain = service_->AddPlainFile("EXEUpdater.exe", "Resources\\EXEUpdater.exe", nullptr);
    const std::int32_t strip = service_->AddOffsetStrip(1000, "off4", comp, nullptr);
    const std::int32_t sound = service_->AddIdResource(1000, "Sfx ", comp);
    EXPECT_EQ(comp, 0);
    EXPECT_EQ(plain, 1);
    EXPECT_TRUE(IsRegisteredFile(srf_fixtures::Path("kinds_v2"))) << "a .srf is registered";
    EXPECT_EQ(service_->FindSrfFile("comp.SRF"), comp);
    EXPECT_EQ(service_->Find("exeupdater.EXE", "File"), plain);
    EXPECT_EQ(service_->Find("Comp.srf", "File"), -1);
    EXPECT_EQ(service_->FindById(1000, "off4"), strip);
    EXPECT_EQ(service_->FindById(1000, "Sfx "), sound);
    EXPECT_EQ(service_->Find("<1000>", "off4"), strip);
    EXPECT_EQ(service_->Find("<1000> ", "off4"), -1);
    EXPECT_EQ(service_->FindById(1001, "off4"), -1);
    EXPECT_EQ(service_->GetEntryName(strip), "<1000>");
    EXPECT_EQ(service_->GetEntryName(-1), "");
    EXPECT_EQ(service_->GetEntryResource(-1), nullptr);
}

TEST_F(ResourceServiceTest, AnSrfStaysOpenWhileAnOwnerHoldsIt) {
    const std::int32_t file = service_->AddSrfFile("kinds.srf", srf_fixtures::Path("kinds_v2"), nullptr);
    const std::int32_t strip = service_->AddIdResource(1, "off4", file);
    int a = 0;
    int b = 0;
    xSimpleResFile* first = service_->OpenSrf(strip, &a);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsOpen(0)) << "the strip opens its file's path";
    EXPECT_EQ(service_->OpenSrf(strip, &b), first);
    service_->CloseSrf(strip, &a);
    EXPECT_TRUE(first->IsOpen(0));
    service_->CloseSrf(strip, &a);  // no longer an owner: nothing
    EXPECT_TRUE(first->IsOpen(0));
    service_->CloseSrf(strip, &b);
    EXPECT_FALSE(first->IsOpen(0));
    EXPECT_EQ(service_->OpenSrf(strip, &a), first) << "the same reader opens it again";
    EXPECT_TRUE(first->IsOpen(0));
    service_->CloseSrf(strip, &a);
}

TEST_F(ResourceServiceTest, AFileThatCannotBeOpenedRaisesSeven) {
    const std::int32_t missing =
        service_->AddSrfFile("gone.srf", srf_fixtures::Path("no_such_file"), nullptr);
    int owner = 0;
    EXPECT_EQ(xTry([&] { service_->OpenSrf(missing, &owner); }), kErrBadState);
    EXPECT_EQ(service_->GetEntryOwnerCount(missing), 1) << "the owner stays listed";
    EXPECT_EQ(xTry([&] { service_->OpenSrf(-1, &owner); }), kErrBadState) << "-1 indexes nothing";
    EXPECT_EQ(xTry([&] { service_->OpenSrf(99, &owner); }), kErrBadState);
    service_->CloseSrf(-1, &owner);
    service_->CloseSrf(missing, &owner);
    EXPECT_EQ(service_->GetEntryOwnerCount(missing), 0);
    xErrorCode = 0;
}

TEST_F(ResourceServiceTest, VersionsThroughTheReader) {
    Version version;
    EXPECT_TRUE(service_->GetSrfVersion(srf_fixtures::Path("kinds_v2"), version));
    EXPECT_EQ(version, Version("1.2.3.4"));
    EXPECT_TRUE(service_->GetSrfVersion(srf_fixtures::Path("no_version"), version));
    EXPECT_EQ(version, Version(0, 0, 0, Version::kAbsent));
    EXPECT_FALSE(service_->GetSrfVersion(srf_fixtures::Path("no_such_file"), version));
    EXPECT_EQ(service_->ReadSrfVersion(srf_fixtures::Path("kinds_v2")), Version("1.2.3.4"));
}

// The swap moves the downloaded B onto A through "TempFile.tmp" beside A.
// A missing B, or any failed rename, leaves A as it was.
TEST_F(ResourceServiceTest, SwapTable) {
    struct Case {
        const char* what;
        bool a;
        bool b;
        const char* block;   // "temp": TempFile.tmp is a folder that cannot go; "a": A is a folder
        const char* aAfter;  // content of A afterwards; "" when absent
        bool bAfter;
    };
    const Case cases[] = {
        {"both present", true, true, "", "new", false},
        {"only B", false, true, "", "new", false},
        {"only A", true, false, "", "old", false},
        {"neither", false, false, "", "", false},
        {"A cannot be moved away", true, true, "temp", "old", true},
        {"B cannot be moved onto A", false, true, "a", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        if (c.a) dir.Write("A.srf", "old");
        if (c.b) dir.Write("B.srf", "new");
        if (std::string(c.block) == "temp") dir.Write("TempFile.tmp/keep", "x");
        if (std::string(c.block) == "a") dir.Write("A.srf/keep", "x");
        const std::int32_t entry = service_->AddPlainFile("A.srf", dir.Win("A.srf"), nullptr);
        service_->SetEntryUpdatePath(entry, dir.Win("B.srf"));
        service_->HandleMsg(xMsgResourceUpdateRequest(entry), nullptr, false, false);
        const bool aIsFile = std::filesystem::is_regular_file(dir.Host("A.srf"));
        EXPECT_EQ(aIsFile ? dir.Read("A.srf") : std::string(), c.aAfter);
        EXPECT_EQ(std::filesystem::exists(dir.Host("B.srf")), c.bAfter);
        if (std::string(c.block).empty()) {
            EXPECT_FALSE(std::filesystem::exists(dir.Host("TempFile.tmp")));
        }
    }
}

}  // namespace
