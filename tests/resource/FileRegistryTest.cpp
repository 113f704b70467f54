#include "resource/FileRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "resource/FileResource.h"
#include "resource/FileResourceFactory.h"
#include "resource/SrfResource.h"
#include "support/TempFolder.h"

namespace {

class FileRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
    }
    void TearDown() override {
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
        xErrorCode = 0;
    }
    std::string Name(const std::string& file) const { return dir_.Win(file); }

    TempFolder dir_;
};

TEST_F(FileRegistryTest, WithoutARegistryNothingIsRegistered) {
    ASSERT_EQ(FileRegistry::Instance(), nullptr);
    FileResource file(Name("a.txt"));
    EXPECT_FALSE(IsRegisteredFile(Name("a.txt")));
    EXPECT_THROW(FindOrRegisterFile(Name("a.txt")), int);
    EXPECT_THROW(RegisterFile(&file), int);
    EXPECT_THROW(LookupRegisteredFile(Name("a.txt")), int);
}

TEST_F(FileRegistryTest, FindsOneObjectPerName) {
    FileRegistry registry;
    EXPECT_EQ(FileRegistry::Instance(), &registry);
    EXPECT_THROW(FileRegistry(), int) << "one registry at a time";
    FileResource& art = FindOrRegisterFile(Name("Resources/Art.SRF"));
    EXPECT_NE(dynamic_cast<SrfResource*>(&art), nullptr);
    EXPECT_EQ(&FindOrRegisterFile(Name("resources\\art.srf")), &art);
    EXPECT_TRUE(IsRegisteredFile(Name("RESOURCES/art.srf")));
    EXPECT_EQ(&LookupRegisteredFile(Name("resources/art.srf")), &art);

    FileResource owned(Name("owned.txt"));
    RegisterFile(&owned);
    EXPECT_EQ(&LookupRegisteredFile(Name("Owned.txt")), &owned);
    EXPECT_EQ(&FindOrRegisterFile(Name("owned.txt")), &owned);
    // A name registered already keeps its object.
    FileResource again(Name("resources/art.srf"));
    RegisterFile(&again);
    EXPECT_EQ(&LookupRegisteredFile(Name("resources/art.srf")), &art);
    EXPECT_THROW(LookupRegisteredFile(Name("unknown.txt")), int);
}

// The registry's objects go in name order; a target whose pending replacement
// goes first must not reach for it afterwards.
TEST_F(FileRegistryTest, TearsDownTargetsAndPendingReplacements) {
    auto registry = std::make_unique<FileRegistry>();
    dir_.Write("zz.txt", "old");
    FileResource& target = FindOrRegisterFile(Name("zz.txt"));
    FileResource& replacement = FindOrRegisterFile(Name("update_zz.txt"));
    target.UpdateFrom(&replacement);
    EXPECT_FALSE(target.IsCurrent());
    registry.reset();
    EXPECT_EQ(FileRegistry::Instance(), nullptr);
}

}  // namespace
