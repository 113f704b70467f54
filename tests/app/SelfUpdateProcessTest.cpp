// The built program updates itself: the test HTTP server offers a copy of the
// program stamped with a newer version record (testbed/update/stamp_version.py);
// the program downloads it, starts the updater and ends; the updater moves the
// copy over the program and starts it again, and the new program fetches the
// update script but not itself. The test is the child subreaper of both, so the
// restarted program is its child and is ended by its pid.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "net/TestHttpServer.h"

namespace {

namespace fs = std::filesystem;

const fs::path kProgram = fs::path(VIZUZOR_BINARY_DIR) / "app" / "RovodevIdozEzozuz";
const fs::path kUpdater = fs::path(VIZUZOR_BINARY_DIR) / "app" / "Resources" / "EXEUpdater.exe";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Another process's pace: real time, with a generous limit.
template <class Done>
bool WaitUntil(Done done, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// The children of this process other than those named.
std::vector<pid_t> ChildrenBut(const std::vector<pid_t>& known) {
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) != 2) continue;
        const pid_t pid = static_cast<pid_t>(std::stoi(name));
        const bool listed = std::find(known.begin(), known.end(), pid) != known.end();
        if (parent == ::getpid() && !listed && state != 'Z') found.push_back(pid);
    }
    return found;
}

int Count(const std::vector<TestHttpServer::Recorded>& requests, const std::string& start) {
    int count = 0;
    for (const auto& request : requests) count += request.bytes.rfind(start, 0) == 0 ? 1 : 0;
    return count;
}

TEST(SelfUpdateProcessTest, TheProgramIsReplacedAndStartsAgainWithoutAPageOrBox) {
    ASSERT_TRUE(fs::exists(kProgram));
    ASSERT_TRUE(fs::exists(kUpdater));
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const fs::path root = fs::temp_directory_path() / ("self-update-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path prog = root / "prog";
    const fs::path www = root / "www";
    fs::create_directories(prog / "Resources");
    fs::create_directories(www);
    fs::create_directories(root / "locks");
    fs::copy_file(kProgram, prog / "RovodevIdozEzozuz");
    fs::copy_file(kUpdater, prog / "Resources" / "EXEUpdater.exe");

    TestHttpServer server(www.string());
    if (!server.Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    const std::string stamp = "python3 '" + std::string(VIZUZOR_TESTBED) + "/update/stamp_version.py' '" +
                              kProgram.string() + "' '" + (www / "rovodevidozezozuz").string() + "' 1.0.0.1";
    ASSERT_EQ(std::system(stamp.c_str()), 0);
    // The update service asks for the lower-cased name (its file names are case-blind).
    const std::string newer = ReadAll(www / "rovodevidozezozuz");
    ASSERT_NE(newer, ReadAll(kProgram));
    std::ofstream(www / "dispatch.ini", std::ios::binary)
        << "[Dispatch File]\r\nUpdate Script Server Path=file/updatescript.ini\r\n"
           "Registration Server Section=Reg\r\nContent Server Section=Content\r\nVizuzor Server Section=Pics\r\n"
           "Game List Server Section=List\r\n[List 1]\r\nIRC Server Name=127.0.0.1\r\nIRC Server Port=1\r\n"
           "[Reg 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=1\r\n"
           "[Pics 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port=1\r\n"
           "[Content 1]\r\nHTTP Server Name=127.0.0.1\r\nHTTP Server Port="
        << server.port() << "\r\n";
    std::ofstream(www / "updatescript.ini", std::ios::binary)
        << "[Update Script]\r\nCommand=if client_path LessThan version then update\r\n"
           "Client Path=RovodevIdozEzozuz\r\nVersion=1.0.0.1\r\nGroup Priority=1\r\nMandatory=true\r\n"
           "[Server Version Folders]\r\n1.0.0.1=file\r\n";
    std::ofstream(prog / "Vizuzor.ini", std::ios::binary)
        << "[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort=" << server.port()
        << "\r\nDispatchServerFilePath=file/dispatch.ini\r\nFullScreen=0\r\n";

    const fs::path errors = root / "stderr.txt";
    // The HTTP server is a child too.
    std::vector<pid_t> known = ChildrenBut({});
    const pid_t first = ::fork();
    if (first == 0) {
        std::FILE* err = std::freopen(errors.c_str(), "w", stderr);
        std::FILE* out = std::freopen("/dev/null", "w", stdout);
        (void)err;
        (void)out;
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::setenv("XDG_RUNTIME_DIR", (root / "locks").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", root.c_str(), 1);
        const std::string program = (prog / "RovodevIdozEzozuz").string();
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(first, 0);
    int status = 0;
    ASSERT_TRUE(WaitUntil([&] { return ::waitpid(first, &status, WNOHANG) == first; })) << ReadAll(errors);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << ReadAll(errors);
    // The first run shows no box. (The restarted program writes to the same file
    // later: its folder holds no game resources, so it ends at their loading.)
    const std::string firstSaid = ReadAll(errors);
    EXPECT_EQ(firstSaid.find(" - Error"), std::string::npos) << firstSaid;

    // The updater, reparented here, becomes the restarted program; it is ended
    // whatever the checks find.
    pid_t restarted = -1;
    struct Reaper {
        pid_t& pid;
        ~Reaper() {
            if (pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    } reaper{restarted};
    ASSERT_TRUE(WaitUntil([&] {
        known.push_back(first);
        const std::vector<pid_t> children = ChildrenBut(known);
        if (children.empty()) return false;
        restarted = children.front();
        return true;
    })) << ReadAll(errors);
    ASSERT_TRUE(WaitUntil([&] { return Count(server.Requests(), "GET /file/updatescript.ini") >= 2; }))
        << ReadAll(errors) << [&] {
               std::string all;
               for (const auto& request : server.Requests()) all += request.bytes.substr(0, 60) + "\n";
               return all;
           }();
    EXPECT_EQ(ReadAll(prog / "RovodevIdozEzozuz"), newer) << "replaced byte for byte";
    struct stat info {};
    ASSERT_EQ(::stat((prog / "RovodevIdozEzozuz").c_str(), &info), 0);
    struct stat original {};
    ASSERT_EQ(::stat(kProgram.c_str(), &original), 0);
    EXPECT_EQ(info.st_mode & 07777, original.st_mode & 07777) << "the program's mode, not the download's";
    EXPECT_NE(info.st_mode & S_IXUSR, 0u) << "still a program";
    EXPECT_FALSE(fs::exists(prog / "update_RovodevIdozEzozuz"));
    const auto requests = server.Requests();
    EXPECT_EQ(Count(requests, "GET /file/dispatch.ini"), 2);
    EXPECT_EQ(Count(requests, "GET /file/rovodevidozezozuz"), 1) << "the restarted program does not fetch itself";
    const std::string said = ReadAll(errors);
    EXPECT_EQ(said.find("EXEUpdater:"), std::string::npos) << said;

    ::kill(restarted, SIGTERM);
    int restartedStatus = 0;
    EXPECT_TRUE(WaitUntil([&] { return ::waitpid(restarted, &restartedStatus, WNOHANG) == restarted; }));
    EXPECT_TRUE(WIFEXITED(restartedStatus)) << restartedStatus;
    restarted = -1;
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    fs::remove_all(root);
}

}  // namespace
