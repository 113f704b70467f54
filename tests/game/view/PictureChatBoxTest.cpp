// The game's chat box and player list on the fixture pack: the lines' formats
// and kinds, the ignore set, the log file in a folder of its own with a fixed
// local time, and both drawn on the real screen canvas and read back.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GameViewFixture.h"
#include "controls/EditControl.h"
#include "controls/ListControl.h"
#include "controls/TextInput.h"
#include "divir/xError.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseService.h"
#include "game/view/controls/PendingComposition.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/Animation.h"
#include "media/AnimationService.h"
#include "media/TextStrip.h"
#include "media/xPalette.h"

namespace {

constexpr int kFirstLine = 132;  // the chat lines' first text item (the bottom line)
constexpr int kFirstRow = 142;   // the player rows' first text item

// The chat box as the view makes it, with the stamp's local time fixed.
class FixedTimeChatBox : public PictureChatBox {
  public:
    explicit FixedTimeChatBox(UI* parent)
        : PictureChatBox(parent, nullptr, 0, 1200, 132, 141, 0, 0, 70, 75, 131, 0, 0, 0, "Veda", "Unknown") {}
    xDateTime now{9, 5, 42, 7, 3, 2026, 7};

  protected:
    void GetLocalTime(xDateTime& out) override { out = now; }
};

class Composition : public PendingComposition {
  public:
    explicit Composition(std::vector<std::string>& seen, PictureChatBox*& box) : seen_(seen), box_(box) {}
    void BeginComposition() override {
        seen_.push_back("Begin");
        // A line added from here does not begin again.
        box_->AddSystemLine("begun");
    }

  private:
    std::vector<std::string>& seen_;
    PictureChatBox*& box_;
};

class PictureChatBoxTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        MouseService::Register();
        MakeView(640, 480);
        // Four distinct palette colours for the four kinds, set on the lines'
        // first text item before the chat box is made.
        for (int kind = 0; kind < 4; ++kind) {
            xRGB colour{};
            xPalette::Default().GetEntry(colour, kKindIndex[kind]);
            kindColour_[kind] = colour;
            Strip().SetColour(kFirstLine, kind, colour);
        }
        xPalette::Default().GetEntry(localColour_, kLocalIndex);
        xPalette::Default().GetEntry(otherColour_, kOtherIndex);
        Strip().SetColour(kFirstRow, 0, otherColour_);
        Strip().SetColour(kFirstRow, 1, localColour_);
    }
    void TearDown() override {
        chat_.reset();
        list_.reset();
        GameViewFixture::TearDown();
    }

    TextStrip& Strip() {
        return *dynamic_cast<AnimationService*>(view_->GetAnimationService())->GetTextStrip();
    }
    FixedTimeChatBox& MakeChat(bool start = true) {
        chat_ = std::make_unique<FixedTimeChatBox>(view_.get());
        if (start) {
            EXPECT_GT(StartAndSettle(*chat_), 0);
        }
        return *chat_;
    }
    PicturePlayerListControl& MakeList() {
        list_ = std::make_unique<PicturePlayerListControl>(view_.get(), nullptr, 0, 142, 161, 1200, 10, 0, 40, 0,
                                                           2, 256, false, -1);
        list_->EnableSorting();
        list_->SetColumns(1, 2, 0, 0, -1, 0, -1, 0, -1, 0);
        return *list_;
    }
    // The chat's rows, newest first.
    std::vector<std::string> Rows() {
        std::vector<std::string> out;
        ListControl& lines = chat_->GetLines();
        for (int i = 0; i < lines.GetRowCount(); ++i) out.push_back(lines.GetRow(i).cells[0]);
        return out;
    }
    std::string Newest() { return chat_->GetLines().GetRowCount() > 0 ? chat_->GetLines().GetRow(0).cells[0] : ""; }

    // Pixels of that palette index inside the rectangle.
    int Count(const xRect& area, std::uint8_t index) {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint8_t* row = Back().Row(y);
            for (int x = area.left; x < area.right; ++x) n += row[x] == index ? 1 : 0;
        }
        return n;
    }
    // Chat line k counted from the bottom (0 the newest).
    static xRect ChatLine(int k) {
        const auto top = static_cast<std::int16_t>(410 - 20 * k);
        return {160, top, 600, static_cast<std::int16_t>(top + 20)};
    }
    // Player row k from the top: the name cell.
    static xRect NameCell(int k) {
        const auto top = static_cast<std::int16_t>(24 + 20 * k);
        return {8, top, 112, static_cast<std::int16_t>(top + 20)};
    }

    static constexpr std::uint8_t kKindIndex[4] = {100, 120, 150, 200};
    static constexpr std::uint8_t kLocalIndex = 60;
    static constexpr std::uint8_t kOtherIndex = 80;
    xRGB kindColour_[4]{};
    xRGB localColour_{};
    xRGB otherColour_{};
    std::unique_ptr<FixedTimeChatBox> chat_;
    std::unique_ptr<PicturePlayerListControl> list_;
};

TEST_F(PictureChatBoxTest, IsBuiltAsTheViewAsksWithAnEntryOf78Characters) {
    PictureChatBox& chat = MakeChat(false);
    EXPECT_EQ(chat.GetEntry().GetInput().GetMaxLength(), 78);
    EXPECT_EQ(chat.GetLines().GetCapacity(), 201);
    EXPECT_EQ(chat.GetNameText(), "Unknown");
    EXPECT_FALSE(chat.IsLogging());
    EXPECT_FALSE(chat.HasTypedText());
    chat.OnKeyboardChar(KeyboardCharMsg('h'));
    EXPECT_TRUE(chat.HasTypedText());
}

TEST_F(PictureChatBoxTest, LineFormatsAndKinds) {
    PictureChatBox& chat = MakeChat();
    struct Case {
        const char* what;
        std::function<void()> add;
        const char* line;
        int kind;
    };
    const Case cases[] = {
        {"public", [&] { chat.AddPublicLine("Bob", "hi all"); }, "<Bob>: hi all", 0},
        {"private", [&] { chat.AddPrivateLine("Bob", "Al", "psst"); }, "<Bob>: PRIVATE MSG TO Al: psst", 3},
        {"emote", [&] { chat.AddMeLine("Bob", "waves"); }, "** Bob waves", 2},
        {"system", [&] { chat.AddSystemLine("Round 2"); }, "<Veda>: Round 2", 1},
        {"plain system", [&] { chat.AddPlainSystemLine("as it is"); }, "as it is", 1},
        {"plain emote", [&] { chat.AddPlainEmoteLine("as it is too"); }, "as it is too", 2},
        {"by kind", [&] { chat.AddLine(3, "raw"); }, "raw", 3},
        {"public after a system line", [&] { chat.AddPublicLine("Al", "again"); }, "<Al>: again", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.add();
        RunFor(2);
        EXPECT_EQ(Newest(), c.line);
        EXPECT_EQ(chat.GetLines().GetRow(0).first, kindColour_[c.kind]);
    }
    const std::size_t before = Rows().size();
    chat.AddText("typed text is not a line here");
    EXPECT_EQ(Rows().size(), before);
}

TEST_F(PictureChatBoxTest, IgnoredPlayers) {
    PictureChatBox& chat = MakeChat();
    chat.IgnorePlayer("bOb");
    chat.IgnorePlayer("");
    struct Case {
        const char* what;
        std::function<void()> add;
        const char* shown;  // null when nothing is added
    };
    const std::string longName(150, 'z');
    chat.IgnorePlayer(longName);
    const std::string longShown = "<" + std::string(149, 'z') + "y>: x";
    const Case cases[] = {
        {"public, other case", [&] { chat.AddPublicLine("BOB", "x"); }, nullptr},
        {"emote", [&] { chat.AddMeLine("bob", "x"); }, nullptr},
        {"private from the ignored", [&] { chat.AddPrivateLine("Bob", "Al", "x"); }, nullptr},
        {"private to the ignored", [&] { chat.AddPrivateLine("Al", "Bob", "x"); }, "<Al>: PRIVATE MSG TO Bob: x"},
        {"system lines are never left out", [&] { chat.AddSystemLine("Bob left"); }, "<Veda>: Bob left"},
        {"another player", [&] { chat.AddPublicLine("Bobby", "x"); }, "<Bobby>: x"},
        {"a long name, other case", [&] { chat.AddPublicLine(std::string(150, 'Z'), "x"); }, nullptr},
        {"a long name that differs past 64 characters",
         [&] { chat.AddPublicLine(std::string(149, 'z') + "y", "x"); }, longShown.c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = Rows().size();
        c.add();
        if (c.shown == nullptr) {
            EXPECT_EQ(Rows().size(), before);
        } else {
            EXPECT_EQ(Newest(), c.shown);
        }
    }
    EXPECT_TRUE(chat.IsIgnored("BOB"));
    EXPECT_FALSE(chat.IsIgnored(""));
    EXPECT_TRUE(chat.IsIgnored(std::string(150, 'Z')));
    EXPECT_FALSE(chat.IsIgnored(std::string(149, 'Z') + "Y"));
    chat.UnignorePlayer("BOB");
    chat.AddPublicLine("bob", "back");
    EXPECT_EQ(Newest(), "<bob>: back");
}

TEST_F(PictureChatBoxTest, APendingCompositionBeginsOnceAtTheNextLine) {
    PictureChatBox& chat = MakeChat();
    std::vector<std::string> seen;
    PictureChatBox* box = &chat;
    Composition screen(seen, box);
    chat.SetPendingScreen(&screen);
    EXPECT_TRUE(seen.empty());
    chat.AddPublicLine("Bob", "done typing");
    EXPECT_EQ(seen, std::vector<std::string>{"Begin"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"<Bob>: done typing", "<Veda>: begun"}));
    chat.AddSystemLine("later");
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(PictureChatBoxTest, TheStampLine) {
    EXPECT_EQ(PictureChatBox::StampLine({9, 5, 42, 7, 3, 2026, 7}), "========== 3/7/2026  9:05 ==========");
    EXPECT_EQ(PictureChatBox::StampLine({23, 59, 1, 31, 12, 1999, 1}), "========== 12/31/1999  23:59 ==========");
    EXPECT_EQ(PictureChatBox::StampLine({0, 0, 59, 1, 1, 2000, 1}), "========== 1/1/2000  0:00 ==========");
}

// The chat log in a folder of its own (the pack's resources linked in).
class ChatLogTest : public PictureChatBoxTest {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/chatlogXXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        std::filesystem::create_directory_symlink(std::string(VIEW_PACK) + "/Resources", folder_ + "/Resources");
        PictureChatBoxTest::SetUp();
        ASSERT_EQ(::chdir(folder_.c_str()), 0);
    }
    void TearDown() override {
        PictureChatBoxTest::TearDown();
        ::chmod(folder_.c_str(), 0700);
        ASSERT_EQ(::chdir(VIEW_PACK), 0);
        std::filesystem::remove_all(folder_);
    }
    std::string Log() {
        std::ifstream in(folder_ + "/RaruvedOzo.txt", std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    bool LogExists() { return std::filesystem::exists(folder_ + "/RaruvedOzo.txt"); }

    std::string folder_;
};

TEST_F(ChatLogTest, OnOffAndToggle) {
    FixedTimeChatBox& chat = MakeChat();
    const std::string stamp = "========== 3/7/2026  9:05 ==========\r\n";
    chat.AddPublicLine("Bob", "before");
    EXPECT_FALSE(LogExists());

    struct Step {
        std::int32_t mode;
        const char* line;   // the newest line after the step
        bool logging;       // after the step
        const char* added;  // the bytes the step appends to the log
    };
    const Step steps[] = {
        {2, "<Veda>: Message logging is already off.", false, ""},
        {1, "<Veda>: Messages are now being logged to RARUVEDOZO.TXT", true,
         "========== 3/7/2026  9:05 ==========\r\n<Veda>: Messages are now being logged to RARUVEDOZO.TXT\r\n"},
        {1, "<Veda>: Messages are already being logged to RARUVEDOZO.TXT", true,
         "<Veda>: Messages are already being logged to RARUVEDOZO.TXT\r\n"},
        {0, "<Veda>: Message logging is now off.", false, ""},
        {7, "<Veda>: Messages are now being logged to RARUVEDOZO.TXT", true,
         "========== 3/7/2026  9:05 ==========\r\n<Veda>: Messages are now being logged to RARUVEDOZO.TXT\r\n"},
        {2, "<Veda>: Message logging is now off.", false, ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.mode);
        const std::string before = Log();
        chat.SetLogging(s.mode);
        EXPECT_EQ(Newest(), s.line);
        EXPECT_EQ(chat.IsLogging(), s.logging);
        const std::string after = Log();
        ASSERT_EQ(after.compare(0, before.size(), before), 0) << "only appended";
        EXPECT_EQ(after.substr(before.size()), s.added);
        if (s.logging) {
            chat.AddPublicLine("Bob", "hello");
            chat.AddMeLine("Bob", "waves");
            EXPECT_EQ(Log().substr(after.size()), "<Bob>: hello\r\n** Bob waves\r\n");
        }
    }
    EXPECT_EQ(xErrorCode, 0);
    EXPECT_EQ(Log().find(stamp), 0u);
}

TEST_F(ChatLogTest, SaveWritesTheHistoryOldestFirstAndKeepsLogging) {
    FixedTimeChatBox& chat = MakeChat();
    chat.AddPublicLine("Bob", "one");
    chat.AddSystemLine("two");
    chat.AddMeLine("Al", "three");
    chat.SaveHistory();
    EXPECT_TRUE(chat.IsLogging());
    EXPECT_EQ(Newest(), "<Veda>: Saving message history to RARUVEDOZO.TXT.");
    EXPECT_EQ(Log(),
              "========== 3/7/2026  9:05 ==========\r\n<Bob>: one\r\n<Veda>: two\r\n** Al three\r\n"
              "<Veda>: Saving message history to RARUVEDOZO.TXT.\r\n");
    const std::string saved = Log();
    chat.SaveHistory();
    EXPECT_EQ(Newest(), "<Veda>: Message history is already being logged to RARUVEDOZO.TXT.");
    EXPECT_EQ(Log(), saved + "<Veda>: Message history is already being logged to RARUVEDOZO.TXT.\r\n")
        << "the history is not written again";
    chat.AddPublicLine("Bob", "four");
    const std::string log = Log();
    EXPECT_EQ(log.substr(log.size() - 13), "<Bob>: four\r\n") << "logging goes on";
}

TEST_F(ChatLogTest, AnExistingLogKeepsItsContents) {
    {
        std::ofstream old(folder_ + "/RaruvedOzo.txt", std::ios::binary);
        old << "old line\r\n";
    }
    FixedTimeChatBox& chat = MakeChat();
    chat.now = {23, 7, 59, 31, 12, 2025, 4};
    chat.SetLogging(1);
    EXPECT_EQ(Log(),
              "old line\r\n========== 12/31/2025  23:07 ==========\r\n"
              "<Veda>: Messages are now being logged to RARUVEDOZO.TXT\r\n");
}

TEST_F(ChatLogTest, ALogThatCannotBeOpenedIsSaidAndLoggingStaysOff) {
    struct Case {
        const char* what;
        bool readOnlyFolder;  // else a folder stands in the log's place
    };
    const Case cases[] = {{"a read-only folder", true}, {"a folder named like the log", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.readOnlyFolder) {
            if (::geteuid() == 0) continue;  // the superuser writes anyway
            ASSERT_EQ(::chmod(folder_.c_str(), 0500), 0);
        } else {
            ASSERT_EQ(::chmod(folder_.c_str(), 0700), 0);
            std::filesystem::create_directory(folder_ + "/RaruvedOzo.txt");
        }
        FixedTimeChatBox& chat = MakeChat();
        chat.SetLogging(1);
        EXPECT_EQ(Newest(), "<Veda>: Cannot open RARUVEDOZO.TXT.");
        EXPECT_FALSE(chat.IsLogging());
        EXPECT_EQ(xErrorCode, 0) << "no code is left for the exit box";
        chat.SetLogging(0);
        EXPECT_EQ(Newest(), "<Veda>: Cannot open RARUVEDOZO.TXT.");
        EXPECT_FALSE(chat.IsLogging());
        chat.SaveHistory();
        EXPECT_EQ(Rows()[1], "<Veda>: Saving message history to RARUVEDOZO.TXT.");
        EXPECT_EQ(Newest(), "<Veda>: Cannot open RARUVEDOZO.TXT.");
        EXPECT_FALSE(chat.IsLogging());
        EXPECT_EQ(xErrorCode, 0);
        chat.SetLogging(2);
        EXPECT_EQ(Newest(), "<Veda>: Message logging is already off.");
        chat_.reset();
        Run(2);
    }
}

TEST_F(PictureChatBoxTest, TheNewestLineIsDrawnAtTheBottomInItsKindsColour) {
    PictureChatBox& chat = MakeChat();
    chat.AddSystemLine("welcome");
    chat.AddPublicLine("Bob", "hi");
    chat.AddMeLine("Bob", "waves");
    chat.AddPrivateLine("Bob", "Al", "psst");
    chat.AddPublicLine("Al", "hello");
    RunFor(50);
    // Bottom up: public, private, emote, public, system.
    const int kinds[] = {0, 3, 2, 0, 1};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        const xRect line = ChatLine(k);
        EXPECT_GT(Count(line, kKindIndex[kinds[k]]), 10);
        for (int other = 0; other < 4; ++other) {
            if (other != kinds[k]) {
                EXPECT_EQ(Count(line, kKindIndex[other]), 0) << "kind " << other;
            }
        }
    }
    for (int k = 5; k < 10; ++k) {
        for (int kind = 0; kind < 4; ++kind) EXPECT_EQ(Count(ChatLine(k), kKindIndex[kind]), 0);
    }
    EXPECT_EQ(Strip().GetItem(kFirstLine + 9)->text, "<Al>: hello");

    // A full box: its top line is the first text item, whose colour table
    // gives the kinds' colours. Lines added after a system line reached the
    // top keep their own kinds' colours.
    chat.AddSystemLine("top");
    for (int i = 0; i < 9; ++i) chat.AddMeLine("Bob", "waves " + std::to_string(i));
    RunFor(50);
    EXPECT_EQ(Strip().GetItem(kFirstLine)->text, "<Veda>: top");
    EXPECT_GT(Count(ChatLine(9), kKindIndex[1]), 10);
    chat.AddPublicLine("Bob", "a public line");
    chat.AddPrivateLine("Bob", "Al", "a private line");
    RunFor(50);
    EXPECT_GT(Count(ChatLine(0), kKindIndex[3]), 10);
    EXPECT_EQ(Count(ChatLine(0), kKindIndex[2]), 0);
    EXPECT_GT(Count(ChatLine(1), kKindIndex[0]), 10);
    EXPECT_EQ(Count(ChatLine(1), kKindIndex[2]), 0);
    EXPECT_EQ(chat.GetLines().GetRow(1).first, kindColour_[0]);

    // A chat box made after this one stopped finds the table as it was.
    ASSERT_GT(StopAndSettle(chat), 0);
    chat_.reset();
    PictureChatBox& again = MakeChat();
    again.AddPublicLine("Bob", "once more");
    RunFor(50);
    EXPECT_EQ(again.GetLines().GetRow(0).first, kindColour_[0]);
    EXPECT_GT(Count(ChatLine(0), kKindIndex[0]), 10);
}

TEST_F(PictureChatBoxTest, ThePlayerListMarksTheLocalRowAndSortsByScore) {
    PicturePlayerListControl& list = MakeList();
    list.SetLocalPlayerName("Al");
    list.SetRoomName("Lobby 3");
    EXPECT_EQ(list.GetRoomName(), "Lobby 3");
    ASSERT_GT(StartAndSettle(list), 0);
    list.AddRow("Bob", "5", "", "", "", true, 0, 1);
    list.AddRow("Al", "3", "", "", "", true, 0, 1);
    list.AddRow("al", "4", "", "", "", true, 1, 1);  // another player: names compare exactly
    list.AddRow("Cy", "5", "", "", "", true, 0, 1);
    RunFor(50);
    const auto names = [&] {
        std::string out;
        for (int i = 0; i < list.GetRowCount(); ++i) {
            out += (i ? "|" : "") + list.GetRow(i).cells[0] + "=" + list.GetRow(i).cells[1];
        }
        return out;
    };
    EXPECT_EQ(names(), "Bob=5|Cy=5|al=4|Al=3");
    EXPECT_GT(Count(NameCell(3), kLocalIndex), 10) << "the local row in colour 1";
    EXPECT_EQ(Count(NameCell(3), kOtherIndex), 0);
    EXPECT_GT(Count(NameCell(2), kOtherIndex), 10);
    EXPECT_EQ(Count(NameCell(2), kLocalIndex), 0);

    list.SetPlayerScore("Al", 9);
    list.SetPlayerScore("Zed", 12);  // left the room
    list.SetPlayerScore("Cy", -2);
    RunFor(50);
    EXPECT_EQ(names(), "Al=9|Bob=5|al=4|Cy=-2");
    EXPECT_GT(Count(NameCell(0), kLocalIndex), 10) << "the local row moved up with its score";
    EXPECT_EQ(Count(NameCell(0), kOtherIndex), 0);
    EXPECT_GT(Count(NameCell(3), kOtherIndex), 10);
    EXPECT_EQ(Strip().GetItem(kFirstRow)->text, "Al");
    EXPECT_EQ(Strip().GetItem(kFirstRow + 10)->text, "9");
    EXPECT_EQ(Strip().GetItem(kFirstRow + 13)->text, "-2");

    // Rows listed before the local name was known keep their colour.
    list.SetLocalPlayerName("Bob");
    list.AddRow("Dee", "1", "", "", "", true, 0, 1);
    EXPECT_EQ(list.GetRow(list.GetRowCount() - 1).first, otherColour_);
    EXPECT_EQ(list.GetRow(1).first, otherColour_);
    ASSERT_GT(StopAndSettle(list), 0);
}

}  // namespace
