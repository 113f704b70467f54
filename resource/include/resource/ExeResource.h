#pragma once

// A program file: its version comes from the file's version record.

#include "resource/FileResource.h"
#include "resource/Version.h"

class ExeResource : public FileResource {
  public:
    // Reads the version record at once when the file exists.
    explicit ExeResource(const std::string& name);

    Version GetVersion() const override;
    // Whether the last read found a version record.
    bool Exists() override;
    // Update announces the file itself, after reading it again.
    void NotifyUpdated() override {}
    void Update() override;

  private:
    Version version_;
    bool exists_ = false;
};
