#pragma once

// A .srf file in use: kept open under file id 0 of its own reader, with the
// version read from its "Ver " resource (id 1).

#include "resource/FileResource.h"
#include "resource/Version.h"
#include "resource/xSimpleResFile.h"

class SrfResource : public FileResource, public xSimpleResFile {
  public:
    // Opens the file at once when it exists.
    explicit SrfResource(const std::string& name, SrfFileAccess* access = nullptr);
    ~SrfResource() override;

    // The open flag: a file that opened as a .srf.
    bool Exists() override;
    Version GetVersion() const override;
    // Update announces the file itself, after opening it again.
    void NotifyUpdated() override {}
    // After the file update: closes, opens again and reads the version; failures
    // leave it closed or without version. Then sends FileUpdatedMsg.
    void Update() override;
    // Refused (false) while locked; otherwise the file is closed first.
    bool DeleteFile() override;
    bool RenameTo(FileResource& other) override;

  protected:
    void ReleaseFile() override;

  private:
    Version version_;
    bool open_ = false;
};
