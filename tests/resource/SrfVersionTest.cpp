#include "resource/SrfVersion.h"

#include <gtest/gtest.h>

#include "SrfFixtures.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"

namespace {

class SrfVersionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xFileStartup(8);
    }
    void TearDown() override {
        xFileCleanup();
        EXPECT_EQ(xTryTop(), nullptr);
        xErrorCode = 0;
    }
};

TEST_F(SrfVersionTest, ReadsTheVersionText) {
    struct Case {
        const char* name;
        bool opened;
        bool loaded;
        const char* version;
    } const cases[] = {
        {"kinds_v2", true, true, "1.2.3.4"},
        {"kinds_v1", true, true, "1.2.3.4"},
        {"version_long", true, true, "1.2.3.4"},
        {"no_version", true, false, "0.0.0"},
        {"bad_magic", false, false, "0.0.0"},
        {"not_there", false, false, "0.0.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Version version(9, 9, 9, 9);
        bool loaded = true;
        EXPECT_EQ(GetSrfVersion(srf_fixtures::Path(c.name), version, &loaded), c.opened);
        EXPECT_EQ(loaded, c.loaded);
        EXPECT_EQ(version.GetText(), c.version);
        EXPECT_EQ(xErrorCode, 0) << "file failures are answered, not raised";
        Version read;
        EXPECT_EQ(ReadSrfVersion(srf_fixtures::Path(c.name), read), c.opened && c.loaded);
        EXPECT_EQ(ReadSrfVersion(srf_fixtures::Path(c.name)).GetText(), c.version);
    }
}

TEST_F(SrfVersionTest, FindsARelativeNameAlongTheSearchPath) {
    xFileSpec folder(srf_fixtures::Path("kinds_v2").c_str());
    xFileChangeFileSpec(folder, nullptr);
    xFileAddToSearchPath(folder);
    Version version;
    EXPECT_TRUE(GetSrfVersion("version_2.srf", version));
    EXPECT_EQ(version.GetText(), "2.0.0.0");
    xFileResetSearchPath();
}

}  // namespace
