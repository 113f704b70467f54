#pragma once

// What the file-update service tells its receivers, step by step. Failures come
// as plain ErrorMsg texts.

#include <cstdint>
#include <utility>

#include "framework/CloneableMsg.h"
#include "resource/AdInfo.h"

class FileUpdateGettingUpdateScriptMsg : public CloneableMsg<FileUpdateGettingUpdateScriptMsg> {};

// A piece of the script: the length the response named (-1 unknown) and the
// piece's bytes.
class FileUpdateReceivingUpdateScriptMsg : public CloneableMsg<FileUpdateReceivingUpdateScriptMsg> {
  public:
    FileUpdateReceivingUpdateScriptMsg(std::int32_t data, std::int32_t length) : data_(data), length_(length) {}
    std::int32_t GetData() const { return data_; }
    std::int32_t GetLength() const { return length_; }

  private:
    std::int32_t data_;
    std::int32_t length_;
};

class FileUpdateGotUpdateScriptMsg : public CloneableMsg<FileUpdateGotUpdateScriptMsg> {};
class FileUpdateProcessedUpdateScriptMsg : public CloneableMsg<FileUpdateProcessedUpdateScriptMsg> {};

class FileUpdateGettingMandatoryFilesMsg : public CloneableMsg<FileUpdateGettingMandatoryFilesMsg> {
  public:
    explicit FileUpdateGettingMandatoryFilesMsg(std::int32_t totalBytes) : totalBytes_(totalBytes) {}
    std::int32_t GetTotalBytes() const { return totalBytes_; }

  private:
    std::int32_t totalBytes_;
};

class FileUpdateReceivingMandatoryFilesMsg : public CloneableMsg<FileUpdateReceivingMandatoryFilesMsg> {
  public:
    explicit FileUpdateReceivingMandatoryFilesMsg(std::int32_t length) : length_(length) {}
    std::int32_t GetLength() const { return length_; }

  private:
    std::int32_t length_;
};

class FileUpdateGotMandatoryFilesMsg : public CloneableMsg<FileUpdateGotMandatoryFilesMsg> {};
class FileUpdateGettingSponsorAdMsg : public CloneableMsg<FileUpdateGettingSponsorAdMsg> {};

class FileUpdateReceivingSponsorAdMsg : public CloneableMsg<FileUpdateReceivingSponsorAdMsg> {
  public:
    FileUpdateReceivingSponsorAdMsg(std::int32_t data, std::int32_t length) : data_(data), length_(length) {}
    std::int32_t GetData() const { return data_; }
    std::int32_t GetLength() const { return length_; }

  private:
    std::int32_t data_;
    std::int32_t length_;
};

// The sponsor ad is on disk: its record, name first.
class FileUpdateGotSponsorAdMsg : public CloneableMsg<FileUpdateGotSponsorAdMsg> {
  public:
    explicit FileUpdateGotSponsorAdMsg(AdInfo ad) : ad_(std::move(ad)) {}
    const AdInfo& GetName() const { return ad_; }

  private:
    AdInfo ad_;
};
