#pragma once

// The language filter: one program-wide list of lower-cased word patterns, loaded
// from the "Text" resource of a resource file and consulted for every chat line
// and caption. A pattern is a core with an optional leading star (the word ends
// with the core), an optional trailing star (the word begins with it), both (the
// core occurs anywhere) or none (the word equals it).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class xSimpleResFile;

// What the load needs of the resource service: the catalogue entry of a kind and
// id, and its resource file opened for an owner. OpenSrf and the file raise
// lower-layer codes on failure and may return null when no frame is open.
class LanguageFilterSource {
  public:
    virtual ~LanguageFilterSource() = default;
    // The entry index, or -1.
    virtual std::int32_t FindById(std::int32_t id, const char* kind) = 0;
    virtual xSimpleResFile* OpenSrf(std::int32_t entry, const void* owner) = 0;
    virtual void CloseSrf(std::int32_t entry, const void* owner) = 0;
};

// The source the load goes through (not owned); null until the program sets one.
void SetLanguageFilterSource(LanguageFilterSource* source);
LanguageFilterSource* GetLanguageFilterSource();

// Appends the patterns of the "Text" resource of the id to the list (creating it).
// A missing file, a block whose length does not fit it, or a checksum mismatch
// raise lower-layer code 3; a mismatch first clears the list. With no frame open
// the load returns right after the raise.
void LanguageFilterLoad(std::int32_t resourceId, const void* owner);
// Same over a block already in hand (the list's loader and tests).
void LanguageFilterLoadBlock(std::span<const std::uint8_t> block);
// Empties and deletes the list.
void LanguageFilterClear();
// 1 when no run of letters of the text matches a pattern; else 0 with the first
// matching word, as typed, in out (at most outSize - 1 characters, terminated).
// Out may be null or outSize 0: nothing is written then. At most 512 characters
// of the text are looked at.
std::int16_t LanguageFilterCheck(const char* text, char* out, std::size_t outSize);
// 0 when the word matches a pattern, 1 otherwise.
std::int16_t LanguageFilterMatchWord(const char* word);

// The current patterns, in list order (empty when there is no list).
std::vector<std::string> LanguageFilterPatterns();
