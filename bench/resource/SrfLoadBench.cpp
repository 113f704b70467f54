// Loading a 1 MB entry through the .srf reader, against a plain read of the same
// bytes with the file layer (the bound the reader can approach).

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "platform/HostPath.h"
#include "resource/xSimpleResFile.h"

namespace {

constexpr std::uint32_t kEntrySize = 1 << 20;
constexpr std::uint32_t kIndexSize = 24;
constexpr std::uint32_t kDataOffset = 12 + kIndexSize;

void PutWord(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A version-2 .srf of one "Mn01" entry of 1 MB, written once into a temporary folder.
class BenchFile {
  public:
    BenchFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "srfbench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        std::string bytes = "srf2";
        PutWord(bytes, kDataOffset + kEntrySize);
        PutWord(bytes, kIndexSize);
        PutWord(bytes, MakeFourCC("Mn01"));
        PutWord(bytes, 1);
        PutWord(bytes, 1);
        PutWord(bytes, kDataOffset);
        PutWord(bytes, kEntrySize);
        PutWord(bytes, kEntrySize);
        for (std::uint32_t i = 0; i < kEntrySize; ++i) bytes.push_back(static_cast<char>(i * 7));
        std::ofstream(folder_ + "/bench.srf", std::ios::binary) << bytes;
        path_ = platform::ToWindowsPath(folder_ + "/bench.srf");
        xFileStartup(8);
    }
    ~BenchFile() {
        xFileCleanup();
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string folder_;
    std::string path_;
};

BenchFile& File() {
    static BenchFile file;
    return file;
}

void BM_SrfLoadResource1MB(benchmark::State& state) {
    xSimpleResFile reader("bench");
    reader.OpenAt(0, xFileSpec(File().Path().c_str()), 0);
    if (!reader.IsOpen(0)) {
        state.SkipWithError("cannot open the bench file");
        return;
    }
    for (auto _ : state) {
        std::uint8_t* data = reader.LoadResource(MakeFourCC("Mn01"), 1, 0);
        benchmark::DoNotOptimize(data);
        ResDataFree(data);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kEntrySize);
}
BENCHMARK(BM_SrfLoadResource1MB);

void BM_PlainRead1MB(benchmark::State& state) {
    std::uint16_t handle = xFileOpen(xFileSpec(File().Path().c_str()), kFileModeRead, 0, 0);
    std::vector<std::uint8_t> buffer(kEntrySize + 1);
    for (auto _ : state) {
        xFileSeek(handle, kDataOffset, 0);
        benchmark::DoNotOptimize(xFileRead(handle, buffer.data(), kEntrySize));
    }
    xFileClose(handle);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kEntrySize);
}
BENCHMARK(BM_PlainRead1MB);

}  // namespace
