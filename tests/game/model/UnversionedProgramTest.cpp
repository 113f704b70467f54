// A program file without a version record (this test program is built without
// one): the game's application object refuses to be made, and the entry ends
// the run with the general internal-error text.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/WinMain.h"
#include "divir/xError.h"
#include "framework/ObjectRegistry.h"
#include "game/model/PictureModel.h"
#include "platform/CommandLine.h"
#include "platform/FakeMessageQueue.h"
#include "platform/HostPath.h"
#include "platform/RecordingMessageBoxSink.h"

namespace {

TEST(UnversionedProgramTest, TheEntryShowsTheInternalErrorText) {
    PictureModel::Register();
    platform::SetCommandLine("game");
    platform::FakeMessageQueue queue;
    platform::RecordingMessageBoxSink boxes;
    EntryPlatform entry;
    entry.programPath = platform::ProgramPath().value_or(std::string());
    entry.productName = [](const std::string&) { return std::optional<std::string>("Vizuzor"); };
    entry.displayMode = [] { return std::optional<DisplayMode>(DisplayMode{32, 1024, 768}); };
    entry.setCurrentFolder = [](const std::string&) {};
    entry.claimSingleInstance = [](const std::string&) { return true; };
    entry.queue = &queue;

    EXPECT_THROW(ObjectRegistry::GetSingleton("XApplication"), int);
    ObjectRegistry::DestroyAll();
    PictureModel::Register();
    WinMain(entry);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "An unusual internal error occurred.\nPlease check your connection to the Internet\nor try to play "
              "again later.");
    ObjectRegistry::DestroyAll();
    platform::SetCommandLine("");
    xErrorCode = 0;
}

}  // namespace
