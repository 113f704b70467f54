#pragma once

// The one catalogue of the client's resource files and of the resources inside
// them, and the keeper of the open .srf files. An open .srf is shared: it stays
// open while at least one owner holds it. On xMsgResourceUpdateRequest it moves a
// downloaded replacement onto a catalogued file.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/MsgSenderSupport.h"
#include "framework/QueuedMsgReceiverSupport.h"
#include "resource/Version.h"

class Resource;
class UIRoot;
class xSimpleResFile;

// "off4" and the other resource kinds as FourCCs; 0 for the file kinds and any
// other text.
std::uint32_t ResTypeToFourCC(const std::string& type);
// "<12>", "<-12>".
std::string MakeResourceIdName(std::int32_t id);
// The id of such a name; -1 for an empty name or one that does not begin with '<'.
std::int32_t ParseResourceIdName(const std::string& name);

class ResourceService : public QueuedMsgReceiverSupport, public MsgSenderSupport {
  public:
    // What makes the offset-strip resource of an "off4" entry (the graphics library
    // installs it): the .srf path, the strip id and the UI root that draws it.
    using OffsetStripMaker =
        std::function<std::unique_ptr<Resource>(const std::string& path, std::int32_t id, UIRoot* owner)>;
    static void SetOffsetStripMaker(OffsetStripMaker maker);

    // Becomes the singleton.
    ResourceService();
    // Closes every reader and deletes every entry's resource, in catalogue order.
    ~ResourceService() override;
    ResourceService(const ResourceService&) = delete;
    ResourceService& operator=(const ResourceService&) = delete;

    static ResourceService* Instance();

    void ReserveEntries(std::size_t count = 200);
    std::int32_t AddEntry(const std::string& name, const std::string& type, std::int32_t parent);
    // A "SrfFile" path is first registered with the file registry. A null receiver
    // stands for the service itself.
    std::int32_t AddFile(const std::string& name, const std::string& type, const std::string& path,
                         MsgReceiver* receiver);
    std::int32_t AddSrfFile(const std::string& name, const std::string& path, MsgReceiver* receiver);
    std::int32_t AddPlainFile(const std::string& name, const std::string& path, MsgReceiver* receiver);
    std::int32_t AddOffsetStrip(std::int32_t stripId, const std::string& type, std::int32_t parent,
                                UIRoot* owner);
    std::int32_t AddIdResource(std::int32_t id, const std::string& type, std::int32_t parent);
    // The first entry of the type with the name; file kinds compare ignoring case.
    std::int32_t Find(const std::string& name, const std::string& type) const;
    // Every id lookup of the game's classes comes here (a test's service notes them).
    virtual std::int32_t FindById(std::int32_t id, const std::string& type) const;
    std::int32_t FindSrfFile(const std::string& name) const;

    std::int32_t GetEntryCount() const { return static_cast<std::int32_t>(entries_.size()); }
    // Empty or null for an index outside the catalogue.
    std::string GetEntryName(std::int32_t index) const;
    std::string GetEntryPath(std::int32_t index) const;
    // The file entry an id entry is bound to; -1 for a file entry or an index
    // outside the catalogue.
    std::int32_t GetEntryFile(std::int32_t index) const;
    Resource* GetEntryResource(std::int32_t index) const;
    // Where the entry's downloaded replacement lies.
    void SetEntryUpdatePath(std::int32_t index, const std::string& path);
    std::int32_t GetEntryOwnerCount(std::int32_t index) const;

    // The entry's reader with its file open (opened for the first owner). A file
    // that cannot be opened, or an index outside the catalogue, raises x-layer
    // error 7; the owner stays listed.
    xSimpleResFile* OpenSrf(std::int32_t index, void* owner);
    // Ends the owner's hold; the file closes with the last one. Unknown indices and
    // owners are ignored.
    void CloseSrf(std::int32_t index, void* owner);

    bool GetSrfVersion(const std::string& path, Version& version);
    Version ReadSrfVersion(const std::string& path);

    // The file swap on a direct xMsgResourceUpdateRequest; everything else to the base.
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    struct Entry;
    Entry* At(std::int32_t index) const;
    // Moves the entry's replacement onto its path; true when it is in place.
    bool SwapIn(const Entry& entry);

    std::vector<std::unique_ptr<Entry>> entries_;
    std::int32_t currentIndex_ = -1;
    void* currentOwner_ = nullptr;
};
