#include "resource/LanguageFilter.h"

#include <cstring>
#include <memory>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "divir/xTokenizer.h"
#include "resource/xFilterList.h"
#include "resource/xSimpleResFile.h"

namespace {

constexpr std::size_t kLineBuffer = 600;
constexpr std::size_t kCheckArea = 1024;

LanguageFilterSource* gSource = nullptr;
std::unique_ptr<std::vector<std::string>> gWords;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Matches(const std::string& word, const std::string& pattern) {
    const bool leading = !pattern.empty() && pattern.front() == '*';
    const bool trailing = pattern.size() > (leading ? 1u : 0u) && pattern.back() == '*';
    const std::size_t start = leading ? 1 : 0;
    const std::size_t length = pattern.size() - start - (trailing ? 1 : 0);
    if (length == 0) {
        return false;  // a pattern of stars alone would match every word
    }
    const std::string core = pattern.substr(start, length);
    if (leading && trailing) {
        return word.find(core) != std::string::npos;
    }
    if (leading) {
        return EndsWith(word, core);
    }
    if (trailing) {
        return word.compare(0, core.size(), core) == 0;
    }
    return word == core;
}

// Reads the block's lines into the list; false when the block or its checksum is bad.
bool ReadBlock(std::span<const std::uint8_t> block) {
    if (!gWords) {
        gWords = std::make_unique<std::vector<std::string>>();
    }
    xFilterList list(block);
    if (!list.IsValid()) {
        return false;
    }
    char line[kLineBuffer];
    while (list.ReadLine(line, sizeof line) != 0) {
        if (line[0] == '\0') {
            continue;
        }
        std::string pattern(line);
        for (char& c : pattern) {
            c = Lower(c);
        }
        gWords->push_back(std::move(pattern));
    }
    return list.GetCheckSum().GetSum() == list.GetHeader().checksum;
}

}  // namespace

void SetLanguageFilterSource(LanguageFilterSource* source) {
    gSource = source;
}

LanguageFilterSource* GetLanguageFilterSource() {
    return gSource;
}

void LanguageFilterLoadBlock(std::span<const std::uint8_t> block) {
    if (!ReadBlock(block)) {
        LanguageFilterClear();
        xThrow(kErrResourceFile);
    }
}

void LanguageFilterLoad(std::int32_t resourceId, const void* owner) {
    if (!gWords) {
        gWords = std::make_unique<std::vector<std::string>>();
    }
    if (gSource == nullptr) {
        xThrow(kErrResourceFile);
        return;
    }
    const std::int32_t entry = gSource->FindById(resourceId, "Text");
    xSimpleResFile* file = entry < 0 ? nullptr : gSource->OpenSrf(entry, owner);
    if (file == nullptr) {
        gSource->CloseSrf(entry, owner);
        xThrow(kErrResourceFile);
        return;
    }
    // The file's own failure is passed on once the file is released.
    std::uint8_t* data = nullptr;
    const std::int16_t code =
        xTry([&] { data = file->LoadResource(MakeFourCC("Text"), resourceId, xSimpleResFile::kAnyFile); });
    if (code != 0 || data == nullptr) {
        ResDataFree(data);
        gSource->CloseSrf(entry, owner);
        xThrow(code != 0 ? code : kErrResourceMissing);
        return;
    }
    ResDataLock(data);
    const bool good = ReadBlock(std::span<const std::uint8_t>(data, ResDataSize(data)));
    ResDataUnlock(data);
    ResDataFree(data);
    if (!good) {
        gSource->CloseSrf(entry, owner);
        LanguageFilterClear();
        xThrow(kErrResourceFile);
        return;
    }
    gSource->CloseSrf(entry, owner);
}

void LanguageFilterClear() {
    gWords.reset();
}

std::int16_t LanguageFilterMatchWord(const char* word) {
    if (!gWords || word == nullptr) {
        return 1;
    }
    std::string lower(word);
    for (char& c : lower) {
        c = Lower(c);
    }
    for (const std::string& pattern : *gWords) {
        if (Matches(lower, pattern)) {
            return 0;
        }
    }
    return 1;
}

std::int16_t LanguageFilterCheck(const char* text, char* out, std::size_t outSize) {
    if (out != nullptr && outSize > 0) {
        std::memset(out, 0, outSize);
    }
    if (text == nullptr) {
        return 1;
    }
    // Longer texts are cut to the work area; the tokenizer takes 512 characters of it.
    char copy[kCheckArea];
    const std::size_t length = strnlen(text, sizeof copy - 1);
    for (std::size_t i = 0; i < length; ++i) {
        copy[i] = IsLetter(text[i]) ? text[i] : ' ';
    }
    copy[length] = '\0';
    xTokenizer tokens;
    tokens.TokenizeLine(copy, static_cast<std::int16_t>(length < 512 ? length : 512));
    for (std::int16_t i = 0; i < tokens.GetTokenCount(); ++i) {
        const char* word = tokens.GetToken(i);
        if (LanguageFilterMatchWord(word) == 0) {
            if (out != nullptr && outSize > 0) {
                std::strncpy(out, word, outSize - 1);
                out[outSize - 1] = '\0';
            }
            return 0;
        }
    }
    return 1;
}

std::vector<std::string> LanguageFilterPatterns() {
    return gWords ? *gWords : std::vector<std::string>();
}
