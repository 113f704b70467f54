#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "divir/LogonRandom.h"
#include "divir/xFile.h"
#include "divir/xTokenizer.h"
#include "platform/HostPath.h"

namespace {

// A scratch folder for one benchmark run.
class Scratch {
  public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "divir-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Lines of a chat-log-like file read one by one through the lower layer.
void BM_ReadLines(benchmark::State& state) {
    Scratch scratch;
    const std::string file = scratch.Path() + "/log.txt";
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 10000; ++i)
            out << "<player" << i << "> a line of chat text number " << i << "\r\n";
    }
    const xFileSpec fileSpec(platform::ToWindowsPath(file).c_str());
    xFileStartup(10);
    char line[256];
    std::int64_t bytes = 0;
    for (auto _ : state) {
        std::uint16_t h = xFileOpen(fileSpec, kFileModeRead, 0, 0);
        for (std::uint32_t n; (n = xFileReadLine(h, line, sizeof line)) != kFileEnd;) bytes += n;
        xFileClose(h);
    }
    xFileCleanup();
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadLines);

// A path whose every component differs in case from the names on disk, in
// folders of 200 entries.
void BM_ResolveCaseBlind(benchmark::State& state) {
    Scratch scratch;
    std::string folder = scratch.Path();
    for (const char* part : {"Resources", "Music"}) {
        folder += std::string("/") + part;
        std::filesystem::create_directories(folder);
        for (int i = 0; i < 200; ++i) std::ofstream(folder + "/Filler" + std::to_string(i) + ".srf");
    }
    std::ofstream(folder + "/Title.srf");
    const std::string path = platform::ToWindowsPath(scratch.Path()) + "\\RESOURCES\\music\\title.SRF";
    for (auto _ : state) benchmark::DoNotOptimize(platform::ResolveHostPath(path));
}
BENCHMARK(BM_ResolveCaseBlind);

void BM_LogonChallenge(benchmark::State& state) {
    std::uint32_t challenge = 1;
    for (auto _ : state) benchmark::DoNotOptimize(LogonChallengeResponse(challenge++));
}
BENCHMARK(BM_LogonChallenge);

void BM_TokenizeChatLine(benchmark::State& state) {
    const std::string line = "PRIVMSG #room :\"quoted caption text\" and some more words to split up";
    xTokenizer tokenizer;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            tokenizer.TokenizeLine(line.c_str(), static_cast<std::int16_t>(line.size())));
}
BENCHMARK(BM_TokenizeChatLine);

}  // namespace
