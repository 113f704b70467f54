#include "resource/FileResource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "SrfFixtures.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "framework/MsgLog.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "resource/ExeResource.h"
#include "resource/FileFunctions.h"
#include "resource/FileResourceFactory.h"
#include "resource/ResourceMsgs.h"
#include "resource/SrfResource.h"
#include "support/TempFolder.h"

namespace {

std::string ProgramFolder() {
    const std::string program = xFileGetApplicationFileSpec().c_str();
    return program.substr(0, program.find_last_of('\\') + 1);
}

class FileResourceTest : public ::testing::Test {
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
    // An absolute name inside the temporary folder, in the program's form.
    std::string Name(const std::string& file) const { return dir_.Win(file); }
    void CopyFixture(const std::string& fixture, const std::string& file) const {
        dir_.Write(file, srf_fixtures::Bytes(fixture));
    }

    TempFolder dir_;
};

TEST_F(FileResourceTest, NormalisesNamesAndPaths) {
    struct Case {
        const char* name;
        bool absolute;
        const char* stored;
        const char* url;
        const char* fileName;
        const char* folder;
    } const cases[] = {
        {"Resources/Music/Title.SRF", false, "resources\\music\\title.srf", "resources/music/title.srf", "title.srf",
         "resources\\music"},
        {"Vizuzor.exe", false, "vizuzor.exe", "vizuzor.exe", "vizuzor.exe", ""},
        {"C:\\Game\\Client.EXE", true, "c:\\game\\client.exe", "c:/game/client.exe", "client.exe", "c:\\game"},
        {"x:file.txt", true, "x:file.txt", "x:file.txt", "file.txt", "x:"},
        {"\\\\Server\\Share\\a.srf", true, "\\\\server\\share\\a.srf", "//server/share/a.srf", "a.srf",
         "\\\\server\\share"},
        {"\\tmp\\Game\\b.srf", true, "\\tmp\\game\\b.srf", "/tmp/game/b.srf", "b.srf", "\\tmp\\game"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileResource file(c.name);
        EXPECT_EQ(file.GetName(), c.stored);
        EXPECT_EQ(file.GetPath(), c.absolute ? std::string(c.stored) : ProgramFolder() + c.stored);
        EXPECT_EQ(file.GetUrlName(), c.url);
        EXPECT_EQ(file.GetFileName(), c.fileName);
        EXPECT_EQ(file.GetFolder(), c.folder);
        EXPECT_TRUE(file.GetVersion().IsNone());
        EXPECT_TRUE(file.IsCurrent());
        EXPECT_EQ(file.GetPendingUpdate(), &FileResource::None());
    }
    FileResource joined("Resources", "Sfx/Pop.srf");
    EXPECT_EQ(joined.GetName(), "resources\\sfx\\pop.srf");
    EXPECT_EQ(joined.GetPathFolder(), ProgramFolder() + "resources\\sfx");
    FileResource folderOnly("Resources/");
    EXPECT_THROW(folderOnly.GetFileName(), int);
}

TEST_F(FileResourceTest, DependentsFollowLocks) {
    Resource source;
    Resource dependent;
    MsgLog log;
    source.AddReceiver(&log);
    source.Subscribe(&dependent);
    EXPECT_TRUE(source.IsSubscribed(&dependent));
    EXPECT_EQ(source.SubscriberCount(), 2);
    source.Lock();
    source.Lock();
    EXPECT_TRUE(dependent.IsLocked());
    EXPECT_EQ(dependent.GetLockCount(), 1);
    source.Unlock();
    EXPECT_TRUE(dependent.IsLocked());
    source.Unlock();
    source.Unlock();  // below 1: nothing
    EXPECT_FALSE(dependent.IsLocked());
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"ResourceLockedMsg", "ResourceUnlockedMsg"}));

    // Subscribing to a locked resource locks once; unsubscribing unlocks once.
    Resource late;
    source.Lock();
    source.Subscribe(&late);
    EXPECT_EQ(late.GetLockCount(), 1);
    source.Unsubscribe(&late);
    EXPECT_EQ(late.GetLockCount(), 0);
    source.Unsubscribe(&dependent);
    EXPECT_EQ(dependent.GetLockCount(), 0);

    // A resource destroyed while locked tells its receivers once.
    log.Clear();
    {
        Resource doomed;
        doomed.AddReceiver(&log);
        doomed.Lock();
        doomed.Lock();
    }
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"ResourceLockedMsg", "ResourceUnlockedMsg"}));
    source.RemoveReceiver(&log);
}

// A replacement waits while the target is locked and is moved onto it at the last
// unlock; the target then announces the update.
TEST_F(FileResourceTest, UpdateWaitsForTheLastUnlock) {
    dir_.Write("data.txt", "old");
    dir_.Write("update_data.txt", "new");
    FileResource target(Name("data.txt"));
    FileResource replacement(Name("update_data.txt"));
    MsgLog log;
    target.AddReceiver(&log);
    target.Lock();
    target.Lock();
    target.UpdateFrom(&replacement);
    EXPECT_FALSE(target.IsCurrent());
    EXPECT_EQ(target.GetPendingUpdate(), &replacement);
    EXPECT_TRUE(replacement.IsSubscribed(&target));
    target.Unlock();
    EXPECT_EQ(dir_.Read("data.txt"), "old");
    target.Unlock();
    EXPECT_EQ(dir_.Read("data.txt"), "new");
    EXPECT_FALSE(FileExists(Name("update_data.txt")));
    EXPECT_TRUE(target.IsCurrent());
    EXPECT_EQ(target.GetPendingUpdate(), &FileResource::None());
    EXPECT_FALSE(replacement.IsSubscribed(&target));
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"ResourceLockedMsg", "ResourceUnlockedMsg", "FileUpdatedMsg"}));
    target.RemoveReceiver(&log);
}

// A replacement that is not there yet is taken when it announces itself.
TEST_F(FileResourceTest, UpdateWaitsForTheReplacementFile) {
    dir_.Write("data.txt", "old");
    FileResource target(Name("data.txt"));
    FileResource replacement(Name("update_data.txt"));
    target.UpdateFrom(&replacement);
    EXPECT_FALSE(target.IsCurrent());
    EXPECT_EQ(dir_.Read("data.txt"), "old");
    // A second request while one is pending is ignored.
    FileResource other(Name("other.txt"));
    target.UpdateFrom(&other);
    EXPECT_EQ(target.GetPendingUpdate(), &replacement);
    dir_.Write("update_data.txt", "new");
    replacement.NotifyUpdated();
    EXPECT_TRUE(target.IsCurrent());
    EXPECT_EQ(dir_.Read("data.txt"), "new");
}

// A receiver may delete the resource when it hears the last unlock; the pending
// update is then not run on the dead object.
TEST_F(FileResourceTest, SurvivesBeingDeletedByAnUnlockReceiver) {
    dir_.Write("data.txt", "old");
    dir_.Write("update_data.txt", "new");
    struct Deleter : MsgReceiver {
        std::unique_ptr<FileResource> target;
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            if (msg.Is<ResourceUnlockedMsg>()) target.reset();
            return 0;
        }
    } deleter;
    FileResource replacement(Name("update_data.txt"));
    deleter.target = std::make_unique<FileResource>(Name("data.txt"));
    FileResource* target = deleter.target.get();
    target->AddReceiver(&deleter);
    target->Lock();
    target->UpdateFrom(&replacement);
    target->Unlock();
    EXPECT_EQ(deleter.target, nullptr);
    EXPECT_EQ(dir_.Read("data.txt"), "old");
}

TEST_F(FileResourceTest, UpdateOfAMissingFileThrows) {
    FileResource missing(Name("missing.txt"));
    EXPECT_THROW(missing.Update(), int);
    dir_.Write("here.txt", "x");
    FileResource here(Name("here.txt"));
    MsgLog log;
    here.AddReceiver(&log);
    here.Update();
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"FileUpdatedMsg"}));
    here.RemoveReceiver(&log);
}

TEST_F(FileResourceTest, DeletesAndRenames) {
    dir_.Write("a.txt", "a");
    dir_.Write("b.txt", "b");
    FileResource a(Name("a.txt"));
    FileResource b(Name("b.txt"));
    FileResource c(Name("c.txt"));
    EXPECT_FALSE(a.RenameTo(b)) << "an existing target is refused";
    EXPECT_TRUE(a.RenameTo(c));
    EXPECT_FALSE(a.Exists());
    EXPECT_TRUE(c.Exists());
    EXPECT_TRUE(c.DeleteFile());
    EXPECT_FALSE(c.DeleteFile());
    EXPECT_FALSE(c.Exists());
}

TEST_F(FileResourceTest, ReplacingMoveKeepsTheTargetWhenItFails) {
    dir_.Write("target.txt", "old");
    EXPECT_FALSE(FileReplace(Name("absent.txt"), Name("target.txt")));
    EXPECT_EQ(dir_.Read("target.txt"), "old");
    dir_.Write("source.txt", "new");
    EXPECT_TRUE(FileReplace(Name("source.txt"), Name("target.txt")));
    EXPECT_EQ(dir_.Read("target.txt"), "new");
    EXPECT_FALSE(FileExists(Name("source.txt")));
}

TEST_F(FileResourceTest, TempFilePathBesideTheFile) {
    struct Case {
        std::string path;
        std::string temp;
    } const cases[] = {
        {"C:\\Game\\Resources\\a.srf", "C:\\Game\\Resources\\TempFile.tmp"},
        {"c:a.srf", "c:TempFile.tmp"},
        {"a.srf", "a.srfTempFile.tmp"},
        {"\\dir\\", "\\dir\\TempFile.tmp"},
        {std::string(300, 'x') + "\\a", std::string(255, 'x') + "TempFile.tmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(TempFilePathBeside(c.path)), c.temp) << c.path;
    }
}

TEST_F(FileResourceTest, SrfResourceReadsItsVersionAndTakesItsUpdateAfterTheLastUnlock) {
    CopyFixture("kinds_v2", "art.srf");
    CopyFixture("version_2", "update_art.srf");
    SrfResource art(Name("art.srf"));
    EXPECT_TRUE(art.Exists());
    EXPECT_EQ(art.GetVersion().GetText(), "1.2.3.4");
    EXPECT_STREQ(art.GetOwnerName(), Name("art.srf").substr(0, 31).c_str());
    SrfResource replacement(Name("update_art.srf"));
    EXPECT_EQ(replacement.GetVersion().GetText(), "2.0.0.0");

    MsgLog log;
    art.AddReceiver(&log);
    art.Lock();
    EXPECT_FALSE(art.DeleteFile()) << "refused while locked";
    art.UpdateFrom(&replacement);
    EXPECT_EQ(art.GetVersion().GetText(), "1.2.3.4");
    std::uint8_t* data = art.LoadResource(MakeFourCC("Ver "), 1, 0);
    ASSERT_NE(data, nullptr);
    ResDataFree(data);
    art.Unlock();
    EXPECT_TRUE(art.IsCurrent());
    EXPECT_TRUE(art.Exists());
    EXPECT_EQ(art.GetVersion().GetText(), "2.0.0.0");
    EXPECT_FALSE(replacement.Exists()) << "the replacement let go of its file";
    data = art.LoadResource(MakeFourCC("Mn01"), 1, 0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data)), "second edition");
    ResDataFree(data);
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"ResourceLockedMsg", "ResourceUnlockedMsg", "FileUpdatedMsg"}));
    art.RemoveReceiver(&log);
    EXPECT_TRUE(art.DeleteFile());
    EXPECT_FALSE(art.Exists());
    EXPECT_TRUE(art.GetVersion().IsNone());
}

TEST_F(FileResourceTest, SrfResourceOfABadFileStaysClosed) {
    CopyFixture("bad_magic", "bad.srf");
    CopyFixture("version_long", "long.srf");
    SrfResource bad(Name("bad.srf"));
    EXPECT_FALSE(bad.Exists());
    EXPECT_TRUE(bad.GetVersion().IsNone());
    EXPECT_EQ(xErrorCode, 0);
    SrfResource absent(Name("absent.srf"));
    EXPECT_FALSE(absent.Exists());
    SrfResource longText(Name("long.srf"));
    EXPECT_TRUE(longText.Exists());
    EXPECT_TRUE(longText.GetVersion().IsNone()) << "a text of 99 bytes or more is no version";
}

TEST_F(FileResourceTest, ExeResourceReadsTheVersionRecord) {
    const std::string program = xFileGetApplicationFileSpec().c_str();
    ExeResource self(program);
    EXPECT_TRUE(self.Exists());
    EXPECT_EQ(self.GetVersion().GetText(), "4.3.2.1");
    dir_.Write("plain.exe", "no record here");
    ExeResource plain(Name("plain.exe"));
    EXPECT_FALSE(plain.Exists());
    EXPECT_TRUE(plain.GetVersion().IsNone());
}

TEST_F(FileResourceTest, FactoryMakesTheKindOfTheName) {
    FileResourceFactory factory;
    struct Case {
        const char* name;
        const char* kind;
    } const cases[] = {
        {"a.srf", "SrfResource"}, {"B.SRF", "SrfResource"}, {"c.Exe", "ExeResource"},
        {"d.txt", "FileResource"}, {"srf", "FileResource"},  {"e.srfx", "FileResource"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(factory.GetClassName(c.name), c.kind);
        std::unique_ptr<FileResource> made(factory.Create(Name(c.name)));
        ASSERT_NE(made, nullptr);
        const bool srf = dynamic_cast<SrfResource*>(made.get()) != nullptr;
        const bool exe = dynamic_cast<ExeResource*>(made.get()) != nullptr;
        EXPECT_EQ(srf, std::string(c.kind) == "SrfResource");
        EXPECT_EQ(exe, std::string(c.kind) == "ExeResource");
    }
    FileResourceFactory::Provide();
    SingletonDefaults::Register(FileResourceFactory::kName);
    EXPECT_NE(dynamic_cast<FileResourceFactory*>(ObjectRegistry::GetSingleton(FileResourceFactory::kName)), nullptr);
    SingletonDefaults::Withdraw(FileResourceFactory::kName);
}

}  // namespace
