// pack-check PACK TABLE: loads a resource pack through the client's own readers and
// checks it against a table of what the game needs (see the table's own comments).
// Prints one line per failure and a summary; exits 0 when nothing failed, 1 otherwise,
// 2 on a bad command line or table.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <sstream>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "divir/xFile.h"
#include "divir/xFilePath.h"
#include "divir/xTryFrame.h"
#include "framework/SingletonDefaults.h"
#include "media/JpegDecoder.h"
#include "media/PaletteResource.h"
#include "media/TextStyleTable.h"
#include "media/xOffsetStrip.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "resource/LanguageFilter.h"
#include "resource/ResourceService.h"
#include "resource/SrfVersion.h"
#include "resource/Version.h"
#include "resource/xSimpleResFile.h"
#include "sound/DecodeSpeechFrame.h"
#include "sound/ImaAdpcm.h"
#include "sound/MpegAudioDecodeFrame.h"
#include "sound/MpegAudioSynthesisHistory.h"
#include "sound/MpegAudioTables.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SoundDataHeader.h"
#include "sound/SpeechData.h"
#include "sound/StoredMusic.h"

namespace {

constexpr double kRate = 22050.0;

struct Checker {
    std::string pack;
    int checked = 0;
    int failures = 0;
    std::string version;
    std::map<std::int32_t, std::string> strips;  // strip id -> path

    void Fail(const std::string& where, const std::string& what) {
        ++failures;
        std::printf("FAIL %s: %s\n", where.c_str(), what.c_str());
    }
    std::string Path(const std::string& rel) const { return pack + "/" + rel; }

    // The catalogue, registered as the game registers it: every file by its bare name,
    // then each resource id of its kind bound to its file.
    std::vector<std::tuple<std::string, std::int32_t, std::string>> catalogue;  // kind, id, path
    void Register(ResourceService& service) {
        for (const auto& [kind, id, rel] : catalogue) {
            service.AddSrfFile(std::filesystem::path(rel).filename().string(), Path(rel), nullptr);
        }
        for (const auto& [kind, id, rel] : catalogue) {
            service.AddIdResource(id, kind, service.FindSrfFile(std::filesystem::path(rel).filename().string()));
        }
    }

    // The resource's bytes through the catalogue (FindById, then the entry's open file),
    // or nothing (the failure reported).
    bool Load(const std::string& rel, const char* kind, std::int32_t id, std::vector<std::uint8_t>& out) {
        ++checked;
        Version got;
        bool loaded = false;
        if (!GetSrfVersion(Path(rel), got, &loaded) || !loaded || got.GetText() != version) {
            Fail(rel, "version " + (loaded ? got.GetText() : std::string("missing")) + ", not " + version);
        }
        ResourceService& service = *ResourceService::Instance();
        const std::int32_t entry = service.FindById(id, kind);
        if (entry < 0 || service.GetEntryPath(service.FindSrfFile(std::filesystem::path(rel).filename().string())) !=
                             Path(rel)) {
            Fail(rel, std::string("\"") + kind + "\" " + std::to_string(id) + " is not in the catalogue");
            return false;
        }
        int owner = 0;
        std::uint8_t* data = nullptr;
        const std::int16_t code = xTry([&] {
            xSimpleResFile* reader = service.OpenSrf(entry, &owner);
            data = reader->LoadResource(MakeFourCC(kind[0], kind[1], kind[2], kind[3]), id, xSimpleResFile::kAnyFile);
        });
        service.CloseSrf(entry, &owner);
        if (code != 0 || data == nullptr) {
            Fail(rel, std::string("no \"") + kind + "\" " + std::to_string(id) + " (error " + std::to_string(code) + ")");
            return false;
        }
        out.assign(data, data + ResDataSize(data));
        ResDataFree(data);
        return true;
    }

    // Decodes a stored sound with the client's decoders; its length in samples at 22050 Hz.
    bool Decode(const std::string& where, std::span<const std::uint8_t> data, std::size_t& samples) {
        const sound::SoundDataHeader header = sound::SoundDataHeader::Read(data);
        samples = 0;
        switch (header.format) {
            case sound::SoundFormat::kMusic: {
                const auto parsed = sound::StoredMusic::Parse(data);
                if (!parsed.music) {
                    Fail(where, "music refused");
                    return false;
                }
                static const sound::MpegAudioTables tables;
                sound::MpegAudioSynthesisHistory history;
                std::int16_t frame[sound::kMpegAudioFrameSamples];
                for (std::size_t i = 0; i < parsed.music->FrameCount(); ++i) {
                    samples += parsed.music->DecodeFrame(i, tables, history, frame);
                }
                return true;
            }
            case sound::SoundFormat::kSpeech: {
                const auto speech = sound::SpeechData::Read(data);
                if (!speech) {
                    Fail(where, "speech refused");
                    return false;
                }
                sound::SharedSpeechDecoder decoder;
                sound::SpeechChannel channel;
                decoder.StartSound(channel);
                std::array<std::int16_t, sound::SpeechResampler::kMaxFrameOutput> block;
                std::size_t remaining = speech->sampleCount;
                for (std::size_t position = 0; remaining > 0;) {
                    const sound::SpeechFrame taken = sound::SpeechFrame::Take(speech->frames, position);
                    if (taken.advance == 0) {
                        break;
                    }
                    position += taken.advance;
                    const std::size_t produced = std::min(decoder.DecodeFrame(channel, taken.bytes, block), remaining);
                    samples += produced;
                    remaining -= produced;
                }
                if (remaining > 0) {
                    Fail(where, "speech frames end before its length");
                }
                return true;
            }
            case sound::SoundFormat::kIma: {
                static const sound::ImaAdpcmTable table;
                std::array<std::int16_t, sound::kImaBlockSamples> block;
                for (std::size_t at = 0; at + sound::kImaBlockBytes <= header.payload.size();
                     at += sound::kImaBlockBytes) {
                    sound::DecodeImaBlock(table, header.payload.subspan(at).first<sound::kImaBlockBytes>(), block);
                    samples += block.size();
                }
                return true;
            }
            case sound::SoundFormat::kPcm:
                samples = header.sampleCount;
                return true;
            case sound::SoundFormat::kNone:
                break;
        }
        Fail(where, "not a sound the mixer reads");
        return false;
    }

    void Sound(const std::string& kind, std::int32_t id, const std::string& rel, double low, double high) {
        std::vector<std::uint8_t> data;
        std::string code = kind;
        code.resize(4, ' ');
        if (!Load(rel, code.c_str(), id, data)) {
            return;
        }
        std::size_t samples = 0;
        if (!Decode(rel, data, samples)) {
            return;
        }
        const double seconds = static_cast<double>(samples) / kRate;
        if (seconds < low || seconds > high) {
            char text[120];
            std::snprintf(text, sizeof text, "lasts %.2f s, not %.2f to %.2f", seconds, low, high);
            Fail(rel, text);
        }
    }

    void Palette(const std::string& rel, std::int32_t id) {
        ++checked;
        PaletteResource palette(Path(rel), id);
        try {
            palette.Load();
        } catch (int) {
            Fail(rel, "palette " + std::to_string(id) + " does not load 256 colours");
            return;
        }
        if (!palette.IsLoaded() || palette.GetCount() != 256) {
            Fail(rel, "palette " + std::to_string(id) + " does not load 256 colours");
        }
    }

    // The language filter loads its list through the catalogue, as the game does.
    struct FilterSource : LanguageFilterSource {
        std::int32_t FindById(std::int32_t id, const char* kind) override {
            return ResourceService::Instance()->FindById(id, kind);
        }
        xSimpleResFile* OpenSrf(std::int32_t entry, const void* owner) override {
            return ResourceService::Instance()->OpenSrf(entry, const_cast<void*>(owner));
        }
        void CloseSrf(std::int32_t entry, const void* owner) override {
            ResourceService::Instance()->CloseSrf(entry, const_cast<void*>(owner));
        }
    };

    void Filter(const std::string& rel, std::int32_t id, const std::vector<std::string>& patterns) {
        std::vector<std::uint8_t> data;
        if (!Load(rel, "Text", id, data)) {
            return;
        }
        FilterSource source;
        SetLanguageFilterSource(&source);
        LanguageFilterClear();
        int owner = 0;
        const std::int16_t code = xTry([&] { LanguageFilterLoad(id, &owner); });
        if (code != 0) {
            Fail(rel, "the filter list does not load (error " + std::to_string(code) + ")");
        } else if (LanguageFilterPatterns() != patterns) {
            Fail(rel, "the filter list differs");
        }
        LanguageFilterClear();
        SetLanguageFilterSource(nullptr);
    }

    // One strip, loaded for a run of animation checks.
    struct Strip {
        xOffsetStrip strip;
        bool loaded = false;
    };

    bool LoadStrip(std::int32_t id, Strip& out) {
        const auto found = strips.find(id);
        if (found == strips.end()) {
            Fail("strip " + std::to_string(id), "not in the catalogue");
            return false;
        }
        std::vector<std::uint8_t> data;
        if (!Load(found->second, "off4", id, data)) {
            return false;
        }
        ResourceService& service = *ResourceService::Instance();
        const std::int32_t entry = service.FindById(id, "off4");
        int owner = 0;
        const std::int16_t code = xTry([&] { out.strip.Load(*service.OpenSrf(entry, &owner), id, 0, nullptr); });
        service.CloseSrf(entry, &owner);
        if (code != 0 || !out.strip.IsLoaded()) {
            Fail(found->second, "strip " + std::to_string(id) + " does not load");
            return false;
        }
        out.loaded = true;
        return true;
    }

    static std::int16_t Cel(int n) { return static_cast<std::int16_t>(n); }

    // The animation's text part numbers (cels of the text strip).
    static std::set<int> TextParts(xOffsetStrip& strip, int first, int count) {
        std::set<int> numbers;
        for (int c = first; c < first + count; ++c) {
            const auto* parts = strip.GetCelParts(Cel(c), xPoint{0, 0}, 0);
            if (parts == nullptr) {
                continue;
            }
            for (int p = 0; p < parts->count; ++p) {
                if ((parts->parts[p].flags & xOffsetStrip::kPartSecondary) != 0) {
                    numbers.insert(parts->parts[p].number);
                }
            }
        }
        return numbers;
    }

    void Animations(std::int32_t id, const std::vector<std::string>& entries, const std::vector<int>& all) {
        Strip s;
        if (!LoadStrip(id, s)) {
            return;
        }
        const auto& rows = TextStyleTable::Rows();
        for (const std::string& entry : entries) {
            ++checked;
            const std::size_t colon = entry.find(':');
            const int number = std::stoi(entry.substr(0, colon));
            const std::string where = strips[id] + " animation " + std::to_string(number);
            std::vector<std::string> options;
            if (colon != std::string::npos) {
                std::stringstream list(entry.substr(colon + 1));
                for (std::string o; std::getline(list, o, ',');) {
                    options.push_back(o);
                }
            }
            const int count = s.strip.GetRunLength(Cel(number));
            if (count < 1) {
                Fail(where, "missing");
                continue;
            }
            const auto next = std::upper_bound(all.begin(), all.end(), number);
            if (next != all.end() && number + count >= *next) {
                Fail(where, std::to_string(count) + " cels run into " + std::to_string(*next));
            }
            bool bounded = false;
            for (int c = number; c < number + count; ++c) {
                const xRect r = s.strip.GetCelSize(Cel(c));
                bounded = bounded || (r.Width() > 0 && r.Height() > 0);
            }
            if (!bounded) {
                Fail(where, "empty bounds");
            }
            const int last = number + count - 1;
            const std::set<int> texts = TextParts(s.strip, number, count);
            for (const std::string& o : options) {
                if (o == "E" && s.strip.FindPartOfKind(Cel(last), 4) != 0) {
                    Fail(where, "ends, but holds at its last cel");
                } else if (o == "P" && s.strip.FindPartOfKind(Cel(last), 2) == 0) {
                    Fail(where, "no pause mark on its last cel");
                } else if (o[0] == 'c' && count < std::stoi(o.substr(1))) {
                    Fail(where, std::to_string(count) + " cels, not at least " + o.substr(1));
                } else if (o[0] == 'T') {
                    const std::size_t dash = o.find('-');
                    const int a = std::stoi(o.substr(1, dash == std::string::npos ? std::string::npos : dash - 1));
                    const int b = dash == std::string::npos ? a : std::stoi(o.substr(dash + 1));
                    for (int item = a; item <= b; ++item) {
                        if (item < 0 || item >= TextStyleTable::kRows || texts.count(rows[item].id) == 0) {
                            Fail(where, "no text item " + std::to_string(item));
                        }
                    }
                }
            }
        }
    }

    void Equal(std::int32_t id, int a, int b) {
        Strip s;
        if (!LoadStrip(id, s)) {
            return;
        }
        if (s.strip.GetRunLength(Cel(a)) != s.strip.GetRunLength(Cel(b))) {
            Fail(strips[id], "animations " + std::to_string(a) + " and " + std::to_string(b) +
                                 " have different cel counts");
        }
    }

    void Jpeg(const std::string& rel, int width, int height, long low, long high) {
        ++checked;
        std::ifstream in(Path(rel), std::ios::binary);
        std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (data.empty()) {
            Fail(rel, "missing");
            return;
        }
        const long size = static_cast<long>(data.size());
        if ((low > 0 && size < low) || (high > 0 && size > high)) {
            Fail(rel, std::to_string(size) + " bytes");
        }
        media::JpegDecoder decoder;
        if (const char* why = decoder.ReadHeaders(data)) {
            Fail(rel, why);
            return;
        }
        if ((width > 0 && decoder.Width() != width) || (height > 0 && decoder.Height() != height)) {
            Fail(rel, "size " + std::to_string(decoder.Width()) + "x" + std::to_string(decoder.Height()));
        }
        const int stride = decoder.McusAcross() * decoder.McuWidth();
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * decoder.McusDown() * decoder.McuHeight());
        if (!decoder.DecodeRegion(pixels, stride, 0, 0, decoder.McusAcross(), decoder.McusDown()) ||
            decoder.SawCorruptData()) {
            Fail(rel, "does not decode");
        }
    }

    std::set<std::size_t> adLengths;

    // An ad is no catalogue file: each gets a resource service of its own, as the ad
    // process's file is read on its own.
    void Ad(const std::string& rel) {
        ResourceService service;
        const std::string name = std::filesystem::path(rel).filename().string();
        const std::int32_t file = service.AddSrfFile(name, Path(rel), nullptr);
        service.AddIdResource(1, "snd ", file);
        service.AddIdResource(30000, "off4", file);
        std::vector<std::uint8_t> data;
        if (!Load(rel, "snd ", 1, data)) {
            return;
        }
        std::size_t samples = 0;
        if (Decode(rel, data, samples) && !adLengths.insert(samples).second) {
            Fail(rel, "lasts as long as another ad");
        }
        strips[30000] = rel;
        Animations(30000, {"200"}, {200});
    }
};

}  // namespace

int Run(int argc, char** argv);

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {  // a number in the table that does not read
        std::fprintf(stderr, "pack-check: bad table: %s\n", e.what());
        return 2;
    }
}

int Run(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: pack-check PACK TABLE\n", stderr);
        return 2;
    }
    Checker check;
    // The client's readers take a relative name from the program's folder: the pack's
    // paths are made absolute.
    std::error_code ec;
    check.pack = std::filesystem::absolute(argv[1], ec).lexically_normal().string();
    if (ec) {
        std::fprintf(stderr, "pack-check: bad folder %s\n", argv[1]);
        return 2;
    }
    std::ifstream table(argv[2]);
    if (!table) {
        std::fprintf(stderr, "pack-check: cannot read %s\n", argv[2]);
        return 2;
    }
    xFileStartup(8);
    FileResourceFactory::Provide();
    SingletonDefaults::Register(FileResourceFactory::kName);
    auto registry = std::make_unique<FileRegistry>();
    auto service = std::make_unique<ResourceService>();
    service->ReserveEntries();
    // Animation lines are gathered first: each strip's numbers bound the runs before them.
    std::map<std::int32_t, std::vector<std::string>> anims;
    std::map<std::int32_t, std::vector<int>> numbers;
    std::vector<std::vector<std::string>> lines;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::stringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) {
            w.push_back(word);
        }
        if (w[0] == "anim" && w.size() >= 3) {
            const std::int32_t id = std::stoi(w[1]);
            for (std::size_t i = 2; i < w.size(); ++i) {
                anims[id].push_back(w[i]);
                numbers[id].push_back(std::stoi(w[i]));
            }
        } else {
            lines.push_back(w);
        }
        if (w[0] == "strip" && w.size() == 3) {
            check.strips[std::stoi(w[1])] = w[2];
            check.catalogue.emplace_back("off4", std::stoi(w[1]), w[2]);
        } else if (w[0] == "sound" && w.size() == 6) {
            std::string kind = w[1];
            kind.resize(4, ' ');
            check.catalogue.emplace_back(kind, std::stoi(w[2]), w[3]);
        } else if (w[0] == "filter" && w.size() >= 3) {
            check.catalogue.emplace_back("Text", std::stoi(w[2]), w[1]);
        }
    }
    check.Register(*service);
    std::vector<std::string> ads;
    for (auto& [id, list] : numbers) {
        std::sort(list.begin(), list.end());
    }
    for (const auto& w : lines) {
        const std::string& kind = w[0];
        if (kind == "version" && w.size() == 2) {
            check.version = w[1];
        } else if (kind == "palette" && w.size() >= 3) {
            for (std::size_t i = 2; i < w.size(); ++i) {
                check.Palette(w[1], std::stoi(w[i]));
            }
        } else if (kind == "filter" && w.size() >= 3) {
            check.Filter(w[1], std::stoi(w[2]), std::vector<std::string>(w.begin() + 3, w.end()));
        } else if (kind == "strip" && w.size() == 3) {
            std::vector<std::uint8_t> data;
            check.Load(w[2], "off4", std::stoi(w[1]), data);
        } else if (kind == "sound" && w.size() == 6) {
            check.Sound(w[1], std::stoi(w[2]), w[3], std::stod(w[4]), std::stod(w[5]));
        } else if (kind == "equal" && w.size() == 4) {
            check.Equal(std::stoi(w[1]), std::stoi(w[2]), std::stoi(w[3]));
        } else if (kind == "jpeg" && w.size() == 6) {
            check.Jpeg(w[1], std::stoi(w[2]), std::stoi(w[3]), std::stol(w[4]), std::stol(w[5]));
        } else if (kind == "ad" && w.size() == 2) {
            ads.push_back(w[1]);
        } else {
            std::fprintf(stderr, "pack-check: bad table line: %s\n", kind.c_str());
            return 2;
        }
    }
    for (const auto& [id, entries] : anims) {
        check.Animations(id, entries, numbers[id]);
    }
    service.reset();
    for (const std::string& ad : ads) {
        check.Ad(ad);
    }
    registry.reset();
    SingletonDefaults::Withdraw(FileResourceFactory::kName);
    xFileCleanup();
    std::printf("pack-check: %d checks, %d failures\n", check.checked, check.failures);
    return check.failures == 0 ? 0 : 1;
}
