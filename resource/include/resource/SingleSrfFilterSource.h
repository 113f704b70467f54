#pragma once

// A filter source over one resource file named by its path, for the program until
// the resource service's catalogue serves the "Text" kind, and for tools and tests.

#include <memory>
#include <string>

#include "resource/LanguageFilter.h"
#include "resource/xSimpleResFile.h"

class SingleSrfFilterSource : public LanguageFilterSource {
  public:
    explicit SingleSrfFilterSource(std::string path) : path_(std::move(path)) {}

    // Entry 0 for the "Text" kind, whatever the id (the file says whether it has it).
    std::int32_t FindById(std::int32_t id, const char* kind) override;
    // Opens the file on each call; null when it does not open.
    xSimpleResFile* OpenSrf(std::int32_t entry, const void* owner) override;
    void CloseSrf(std::int32_t entry, const void* owner) override;

    int GetOpenCount() const { return reader_ ? 1 : 0; }

  private:
    std::string path_;
    std::unique_ptr<xSimpleResFile> reader_;
};
