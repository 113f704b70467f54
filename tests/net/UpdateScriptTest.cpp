#include "net/UpdateScript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <memory>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "platform/HostPath.h"
#include "resource/FileResource.h"
#include "resource/FileResourceFactory.h"
#include "support/TempFolder.h"

namespace {

// The service's side, written down: files are made through the factory in the
// program folder, updates and errors are recorded.
class RecordingHost final : public UpdateScriptHost {
  public:
    explicit RecordingHost(std::string programFolder) : programFolder_(std::move(programFolder)) {}

    void PumpMessages() override { ++pumps; }
    void SendError(const std::string& text) override { errors.push_back(text); }
    FileResource& FindOrRegisterFile(const std::string& clientPath) override {
        auto& file = files_[clientPath];
        if (!file) file.reset(FileResourceFactory().Create(programFolder_ + clientPath));
        return *file;
    }
    void QueueUpdate(const std::string& clientPath, const std::string& serverFolder, const Version& version,
                     std::int32_t priority, std::int32_t size) override {
        if (!queued.empty()) queued += "; ";
        queued += clientPath + " " + serverFolder + " " + version.GetText() + " " + std::to_string(priority) + " " +
                  std::to_string(size);
    }

    int pumps = 0;
    std::vector<std::string> errors;
    std::string queued;

  private:
    std::string programFolder_;
    std::map<std::string, std::unique_ptr<FileResource>> files_;
};

constexpr const char* kFolders = "[Server Version Folders]\n1.0.0.0=/v1\n2.0.0.0=/v2\n";

// An update section for a client path, in group 2, not mandatory.
std::string UpdateSection(const std::string& name, const std::string& path) {
    return "[" + name + "]\nCommand=update\nClient Path=" + path +
           "\nVersion=1.0.0.0\nGroup Priority=2\nMandatory=false\n";
}

struct Case {
    const char* name;
    std::string script;
    std::vector<std::string> setup;  // "file", "folder/", "link->target"
    const char* clientVersion;
    bool fails;
    std::string queued;
    bool stopped;
    bool mandatory;
    std::vector<std::string> present;
    std::vector<std::string> absent;
    std::string adServerFolder;
};

std::vector<Case> Cases() {
    const std::string a = UpdateSection("A", "a.txt");
    const std::string b = UpdateSection("B", "b.txt");
    const std::string qa = "a.txt /v1 1.0.0.0 2 0";
    const std::string qb = "b.txt /v1 1.0.0.0 2 0";
    return {
        {"neither command nor goto", "[Update Script]\nNote=1\n", {}, "1.0.0.0", true, "", false, false, {}, {}, ""},
        {"no first section", "[Other]\nCommand=stop\n", {}, "1.0.0.0", true, "", false, false, {}, {}, ""},
        {"goto list naming itself", "[Update Script]\n1 Goto=Update Script\n", {}, "1.0.0.0", true, "", false, false,
         {}, {}, ""},
        {"goto list stops at a gap", "[Update Script]\n1 Goto=A\n3 Goto=B\n" + a + b + kFolders, {}, "1.0.0.0", false,
         qa, false, false, {}, {}, ""},
        {"list runs in order", "[Update Script]\n1 Goto=B\n2 Goto=A\n" + a + b + kFolders, {}, "1.0.0.0", false,
         qb + "; " + qa, false, false, {}, {}, ""},
        {"command words ignore case",
         "[Update Script]\nCommand=UPDATE\nClient Path=a.txt\nVersion=2.0.0.0\nGroup Priority=-3\nMandatory=T\n"
         "File Size Bytes=1234\n" +
             std::string(kFolders),
         {}, "1.0.0.0", false, "a.txt /v2 2.0.0.0 -3 1234", false, true, {}, {}, ""},
        {"command section ignores its gotos", "[Update Script]\nCommand=Stop\n1 Goto=A\n" + a + kFolders, {},
         "1.0.0.0", false, "", true, false, {}, {}, ""},
        {"wildcard makes this equal",
         "[Update Script]\n1 Goto=Check\n2 Goto=A\n[Check]\nCommand=if this LessThan version then stop\nVersion=1.2.3.*\n" +
             a + kFolders,
         {}, "1.2.3.4", false, qa, false, false, {}, {}, ""},
        {"this is less: stop",
         "[Update Script]\n1 Goto=Check\n2 Goto=A\n[Check]\nCommand=if this LessThan version then stop\nVersion=1.2.4\n" +
             a + kFolders,
         {}, "1.2.3.4", false, "", true, false, {}, {}, ""},
        {"a file without version is greater",
         "[Update Script]\nCommand=If client_path GreaterThan version then goto\nClient Path=plain.txt\nVersion=9.0.0.0\n"
         "Goto=A\n" +
             a + kFolders,
         {"plain.txt"}, "1.0.0.0", false, qa, false, false, {}, {}, ""},
        {"a file without version is not less",
         "[Update Script]\nCommand=if client_path LessThan version then goto\nClient Path=plain.txt\nVersion=9.0.0.0\n"
         "Goto=A\n" +
             a + kFolders,
         {"plain.txt"}, "1.0.0.0", false, "", false, false, {}, {}, ""},
        {"a resource file's version",
         "[Update Script]\nCommand=if client_path EqualTo version then goto\nClient Path=art.srf\nVersion=1.2.3.4\n"
         "Goto=A\n" +
             a + kFolders,
         {"art.srf=kinds_v2"}, "1.0.0.0", false, qa, false, false, {}, {}, ""},
        {"exists", "[Update Script]\nCommand=if client_path Exists then stop\nClient Path=plain.txt\n", {"plain.txt"},
         "1.0.0.0", false, "", true, false, {}, {}, ""},
        {"does not exist", "[Update Script]\nCommand=if client_path DoesNotExist then stop\nClient Path=plain.txt\n",
         {"plain.txt"}, "1.0.0.0", false, "", false, false, {}, {}, ""},
        {"missing folder: the action is not examined",
         "[Update Script]\nCommand=if client_folder Exists then nonsense\nClient Folder=Ads\n", {}, "1.0.0.0", false,
         "", false, false, {}, {"Ads"}, ""},
        {"a wrong action word where it runs",
         "[Update Script]\nCommand=if client_folder DoesNotExist then nonsense\nClient Folder=Ads\n", {}, "1.0.0.0",
         true, "", false, false, {}, {}, ""},
        {"create_folder after if",
         "[Update Script]\nCommand=if client_folder DoesNotExist then create_folder\nClient Folder=Ads\n", {},
         "1.0.0.0", false, "", false, false, {"Ads"}, {}, ""},
        {"create_folder alone", "[Update Script]\nCommand=create_folder\nClient Folder=Ads\n", {}, "1.0.0.0", true, "",
         false, false, {}, {"Ads"}, ""},
        {"unknown subject", "[Update Script]\nCommand=if that Exists then stop\n", {}, "1.0.0.0", true, "", false,
         false, {}, {}, ""},
        {"unknown test", "[Update Script]\nCommand=if client_path Maybe then stop\nClient Path=a.txt\n", {}, "1.0.0.0",
         true, "", false, false, {}, {}, ""},
        {"condition key missing", "[Update Script]\nCommand=if client_path Exists then stop\n", {}, "1.0.0.0", true, "",
         false, false, {}, {}, ""},
        {"set the ad server folder",
         "[Update Script]\n1 Goto=S1\n2 Goto=S2\n[S1]\nCommand=set variable\nVariable=AdServerFolder\nValue=/ads\n"
         "[S2]\nCommand=SET Variable\nVariable=AdExpirationDays\nValue=7\n",
         {}, "1.0.0.0", false, "", false, false, {}, {}, "/ads"},
        {"variable names are exact",
         "[Update Script]\nCommand=set variable\nVariable=adserverfolder\nValue=/ads\n", {}, "1.0.0.0", true, "",
         false, false, {}, {}, ""},
        {"set needs the word variable", "[Update Script]\nCommand=set AdServerFolder\nVariable=AdServerFolder\nValue=x\n",
         {}, "1.0.0.0", true, "", false, false, {}, {}, ""},
        {"mandatory must be a truth value",
         "[Update Script]\nCommand=update\nClient Path=a.txt\nVersion=1.0.0.0\nGroup Priority=1\nMandatory=yes\n" +
             std::string(kFolders),
         {}, "1.0.0.0", true, "", false, false, {}, {}, ""},
        {"mandatory 1",
         "[Update Script]\nCommand=update\nClient Path=a.txt\nVersion=1.0.0.0\nGroup Priority=1\nMandatory=1\n" +
             std::string(kFolders),
         {}, "1.0.0.0", false, "a.txt /v1 1.0.0.0 1 0", false, true, {}, {}, ""},
        {"update without its server folder",
         "[Update Script]\nCommand=update\nClient Path=a.txt\nVersion=3.0.0.0\nGroup Priority=1\nMandatory=0\n" +
             std::string(kFolders),
         {}, "1.0.0.0", true, "", false, false, {}, {}, ""},
        {"update without mandatory",
         "[Update Script]\nCommand=update\nClient Path=a.txt\nVersion=1.0.0.0\nGroup Priority=1\n" +
             std::string(kFolders),
         {}, "1.0.0.0", true, "", false, false, {}, {}, ""},
        {"stop ends every enclosing list",
         "[Update Script]\n1 Goto=L\n2 Goto=A\n[L]\n1 Goto=S\n2 Goto=B\n[S]\nCommand=stop\n" + a + b + kFolders, {},
         "1.0.0.0", false, "", true, false, {}, {}, ""},
        {"goto cycle", "[Update Script]\n1 Goto=A\n[A]\n1 Goto=B\n[B]\nCommand=goto\nGoto=A\n", {}, "1.0.0.0", true,
         "", false, false, {}, {}, ""},
        {"goto cycle in other letters", "[Update Script]\n1 Goto=A\n[A]\n1 Goto=B\n[B]\nCommand=goto\nGoto=a\n", {},
         "1.0.0.0", true, "", false, false, {}, {}, ""},
        {"goto to itself", "[Update Script]\nCommand=goto\nGoto=Update Script\n", {}, "1.0.0.0", true, "", false,
         false, {}, {}, ""},
        {"one section twice is no cycle", "[Update Script]\n1 Goto=A\n2 Goto=A\n" + a + kFolders, {}, "1.0.0.0", false,
         qa + "; " + qa, false, false, {}, {}, ""},
        {"delete", "[Update Script]\nCommand=delete\nClient Path=old.txt\n", {"old.txt"}, "1.0.0.0", false, "", false,
         false, {}, {"old.txt"}, ""},
        {"delete of a missing file", "[Update Script]\nCommand=delete\nClient Path=old.txt\n", {}, "1.0.0.0", false,
         "", false, false, {}, {}, ""},
        {"rename", "[Update Script]\nCommand=rename\nOld Path=Sub\\a.txt\nNew Path=Sub/b.txt\n", {"Sub/a.txt"},
         "1.0.0.0", false, "", false, false, {"Sub/b.txt"}, {"Sub/a.txt"}, ""},
        {"rename onto a file is ignored", "[Update Script]\nCommand=rename\nOld Path=a.txt\nNew Path=b.txt\n",
         {"a.txt", "b.txt"}, "1.0.0.0", false, "", false, false, {"a.txt", "b.txt"}, {}, ""},
        {"delete outside the folder", "[Update Script]\nCommand=delete\nClient Path=..\\victim.txt\n",
         {"../victim.txt"}, "1.0.0.0", true, "", false, false, {"../victim.txt"}, {}, ""},
        {"delete through a link out of the folder", "[Update Script]\nCommand=delete\nClient Path=out\\victim.txt\n",
         {"../victim.txt", "out->.."}, "1.0.0.0", true, "", false, false, {"../victim.txt"}, {}, ""},
        {"absolute delete", "[Update Script]\nCommand=delete\nClient Path=\\tmp\\victim.txt\n", {}, "1.0.0.0", true,
         "", false, false, {}, {}, ""},
        {"drive delete", "[Update Script]\nCommand=delete\nClient Path=C:\\victim.txt\n", {}, "1.0.0.0", true, "",
         false, false, {}, {}, ""},
        {"rename out of the folder", "[Update Script]\nCommand=rename\nOld Path=a.txt\nNew Path=..\\a.txt\n",
         {"a.txt"}, "1.0.0.0", true, "", false, false, {"a.txt"}, {"../a.txt"}, ""},
        {"update outside the folder", UpdateSection("Update Script", "..\\..\\a.txt") + kFolders, {}, "1.0.0.0", true,
         "", false, false, {}, {}, ""},
        {"folder outside the folder",
         "[Update Script]\nCommand=if client_folder DoesNotExist then create_folder\nClient Folder=..\\Evil\n", {},
         "1.0.0.0", true, "", false, false, {}, {"../Evil"}, ""},
        {"unknown command", "[Update Script]\nCommand=format c:\n", {}, "1.0.0.0", true, "", false, false, {}, {},
         ""},
    };
}

class UpdateScriptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xFileStartup(8);
    }
    void TearDown() override {
        xFileCleanup();
        xErrorCode = 0;
    }
};

TEST_F(UpdateScriptTest, RunsScripts) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        root.Write("prog/updatescript.ini", c.script);
        const std::string prog = root.Host("prog");
        for (const std::string& item : c.setup) {
            const std::size_t arrow = item.find("->");
            const std::size_t equals = item.find('=');
            if (arrow != std::string::npos) {
                std::filesystem::create_directory_symlink(item.substr(arrow + 2), prog + "/" + item.substr(0, arrow));
            } else if (equals != std::string::npos) {
                std::filesystem::copy_file(std::string(SRF_FIXTURES) + "/" + item.substr(equals + 1) + ".srf",
                                           prog + "/" + item.substr(0, equals));
            } else if (item.back() == '/') {
                std::filesystem::create_directories(prog + "/" + item);
            } else {
                root.Write("prog/" + item, "x");
            }
        }
        const std::string folder = root.Win("prog") + "\\";
        RecordingHost host(folder);
        UpdateScript script(host, folder);
        script.SetClientVersion(Version(std::string(c.clientVersion)));
        bool threw = false;
        try {
            script.Run(root.Win("prog/updatescript.ini"));
        } catch (int) {
            threw = true;
        }
        EXPECT_EQ(threw, c.fails);
        EXPECT_EQ(host.errors, c.fails ? std::vector<std::string>{"Cannot parse update script."}
                                       : std::vector<std::string>{});
        EXPECT_EQ(host.queued, c.queued);
        EXPECT_EQ(script.IsStopped(), c.stopped);
        EXPECT_EQ(script.IsMandatory(), c.mandatory);
        EXPECT_EQ(script.GetAdServerFolder(), c.adServerFolder);
        EXPECT_GT(host.pumps, 0);
        for (const std::string& p : c.present) {
            EXPECT_TRUE(std::filesystem::exists(prog + "/" + p)) << p;
        }
        for (const std::string& p : c.absent) {
            EXPECT_FALSE(std::filesystem::exists(prog + "/" + p)) << p;
        }
    }
}

// Each section step serves the window messages once.
TEST_F(UpdateScriptTest, PumpsOncePerSectionStep) {
    TempFolder root;
    root.Write("u.ini", "[Update Script]\n1 Goto=A\n2 Goto=B\n[A]\nCommand=set variable\nVariable=AdExpirationDays\n"
                        "Value=1\n[B]\nCommand=set variable\nVariable=AdExpirationDays\nValue=2\n");
    RecordingHost host(root.Win() + "\\");
    UpdateScript script(host, root.Win() + "\\");
    script.Run(root.Win("u.ini"));
    // "Update Script" itself, A, B, and the goto steps 1, 2 and the missing 3.
    EXPECT_EQ(host.pumps, 6);
}

// A chain of gotos deeper than the interpreter allows fails instead of running
// the stack out; one just inside the limit runs.
TEST_F(UpdateScriptTest, BoundsTheDepthOfNestedSections) {
    for (const std::size_t depth : {UpdateScript::kMaxDepth, UpdateScript::kMaxDepth + 1}) {
        SCOPED_TRACE(depth);
        TempFolder root;
        std::string text = "[Update Script]\n1 Goto=S1\n";
        for (std::size_t i = 1; i + 1 < depth; ++i) {
            text += "[S" + std::to_string(i) + "]\n1 Goto=S" + std::to_string(i + 1) + "\n";
        }
        text += "[S" + std::to_string(depth - 1) + "]\nCommand=stop\n";
        root.Write("u.ini", text);
        RecordingHost host(root.Win() + "\\");
        UpdateScript script(host, root.Win() + "\\");
        bool threw = false;
        try {
            script.Run(root.Win("u.ini"));
        } catch (int) {
            threw = true;
        }
        EXPECT_EQ(threw, depth > UpdateScript::kMaxDepth);
        EXPECT_EQ(script.IsStopped(), depth <= UpdateScript::kMaxDepth);
    }
}

// Random scripts made of the script's own words never crash the interpreter: each
// run ends, or fails with the parse failure.
TEST_F(UpdateScriptTest, SurvivesRandomScripts) {
    static const std::string kLongWord(150, 'w');  // longer than a value can be
    const char* const words[] = {"if",      "set",           "goto",         "update",      "delete",
                                 "rename",  "stop",          "create_folder", "client_path", "client_folder",
                                 "this",    "Exists",        "DoesNotExist", "LessThan",    "EqualTo",
                                 "version", "variable",      "then",         "..\\x",       "\"q r\"",
                                 "",        kLongWord.c_str()};
    const char* const keys[] = {"Command", "Client Path", "Version", "Group Priority", "Mandatory",
                                "File Size Bytes", "Goto", "1 Goto", "2 Goto", "Old Path", "New Path",
                                "Client Folder", "Variable", "Value"};
    std::mt19937 random(77);
    TempFolder root;
    root.Write("prog/keep.txt", "x");
    const std::string folder = root.Win("prog") + "\\";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int sections = 1 + static_cast<int>(random() % 5);
        for (int s = 0; s < sections; ++s) {
            text += s == 0 ? "[Update Script]\n" : "[S" + std::to_string(random() % 5) + "]\n";
            const int lines = static_cast<int>(random() % 6);
            for (int l = 0; l < lines; ++l) {
                text += std::string(keys[random() % std::size(keys)]) + "=";
                const int count = static_cast<int>(random() % 7);
                for (int w = 0; w < count; ++w) {
                    const int pick = static_cast<int>(random() % (std::size(words) + 3));
                    if (pick >= static_cast<int>(std::size(words))) {
                        text += "S" + std::to_string(random() % 5);
                    } else {
                        text += words[pick];
                    }
                    text += w + 1 < count ? " " : "";
                }
                text += "\n";
            }
        }
        text += kFolders;
        root.Write("prog/u.ini", text);
        RecordingHost host(folder);
        UpdateScript script(host, folder);
        try {
            script.Run(root.Win("prog/u.ini"));
        } catch (int) {
            EXPECT_EQ(host.errors.size(), 1u);
        }
    }
    EXPECT_TRUE(std::filesystem::exists(root.Host("prog/keep.txt")));
}

}  // namespace
