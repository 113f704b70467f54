#include "resource/ResourceService.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <typeinfo>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "framework/xMsgResourceUpdateRequest.h"
#include "resource/FileFunctions.h"
#include "resource/FileRegistry.h"
#include "resource/Resource.h"
#include "resource/SrfVersion.h"
#include "resource/xSimpleResFile.h"

namespace {

ResourceService* instance = nullptr;

ResourceService::OffsetStripMaker& StripMaker() {
    static ResourceService::OffsetStripMaker maker;
    return maker;
}

constexpr const char* kResourceTypes[] = {"off4", "Mn01", "snd ", "Text", "Ver ", "Musi", "Voic", "Sfx "};

bool IsFileType(const std::string& type) {
    return type == "File" || type == "SrfFile";
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

struct ResourceService::Entry {
    std::string name;
    std::string type;
    std::int32_t parent = -1;
    std::vector<void*> owners;
    std::string path;
    std::string updatePath;
    MsgReceiver* receiver = nullptr;
    std::unique_ptr<xSimpleResFile> reader;
    std::unique_ptr<Resource> resource;
};

std::uint32_t ResTypeToFourCC(const std::string& type) {
    for (const char* known : kResourceTypes) {
        if (type == known) return MakeFourCC(known[0], known[1], known[2], known[3]);
    }
    return 0;
}

std::string MakeResourceIdName(std::int32_t id) {
    return "<" + std::to_string(id) + ">";
}

std::int32_t ParseResourceIdName(const std::string& name) {
    if (name.empty() || name[0] != '<') return -1;
    const bool negative = name.size() > 1 && name[1] == '-';
    std::int64_t value = 0;
    for (std::size_t i = negative ? 2 : 1;
         i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])); ++i) {
        value = value * 10 + (name[i] - '0');
        if (value > 0x7FFFFFFF) break;  // an id never has that many digits; stop before overflow
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void ResourceService::SetOffsetStripMaker(OffsetStripMaker maker) {
    StripMaker() = std::move(maker);
}

ResourceService::ResourceService() : QueuedMsgReceiverSupport(this) {
    instance = this;
}

ResourceService::~ResourceService() {
    for (auto& entry : entries_) {
        entry->reader.reset();
        entry->resource.reset();
        entry.reset();
    }
    if (instance == this) instance = nullptr;
}

ResourceService* ResourceService::Instance() {
    return instance;
}

void ResourceService::ReserveEntries(std::size_t count) {
    entries_.reserve(count);
}

ResourceService::Entry* ResourceService::At(std::int32_t index) const {
    if (index < 0 || index >= static_cast<std::int32_t>(entries_.size())) return nullptr;
    return entries_[static_cast<std::size_t>(index)].get();
}

std::int32_t ResourceService::AddEntry(const std::string& name, const std::string& type,
                                       std::int32_t parent) {
    auto entry = std::make_unique<Entry>();
    entry->name = name;
    entry->type = type;
    entry->parent = parent;
    entry->receiver = this;
    entries_.push_back(std::move(entry));
    return static_cast<std::int32_t>(entries_.size()) - 1;
}

std::int32_t ResourceService::AddFile(const std::string& name, const std::string& type,
                                      const std::string& path, MsgReceiver* receiver) {
    if (type == "SrfFile") FindOrRegisterFile(path);
    const std::int32_t index = AddEntry(name, type, -1);
    Entry& entry = *entries_.back();
    entry.path = path;
    entry.receiver = receiver != nullptr ? receiver : this;
    return index;
}

std::int32_t ResourceService::AddSrfFile(const std::string& name, const std::string& path,
                                         MsgReceiver* receiver) {
    return AddFile(name, "SrfFile", path, receiver);
}

std::int32_t ResourceService::AddPlainFile(const std::string& name, const std::string& path,
                                           MsgReceiver* receiver) {
    return AddFile(name, "File", path, receiver);
}

std::int32_t ResourceService::AddOffsetStrip(std::int32_t stripId, const std::string& type,
                                             std::int32_t parent, UIRoot* owner) {
    const Entry* file = At(parent);
    const std::int32_t index = AddEntry(MakeResourceIdName(stripId), type, parent);
    if (StripMaker()) {
        entries_.back()->resource =
            StripMaker()(file != nullptr ? file->path : std::string(), stripId, owner);
    }
    return index;
}

std::int32_t ResourceService::AddIdResource(std::int32_t id, const std::string& type, std::int32_t parent) {
    return AddEntry(MakeResourceIdName(id), type, parent);
}

std::int32_t ResourceService::Find(const std::string& name, const std::string& type) const {
    const bool blind = IsFileType(type);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = *entries_[i];
        if (e.type == type && (blind ? SameIgnoringCase(e.name, name) : e.name == name)) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

std::int32_t ResourceService::FindById(std::int32_t id, const std::string& type) const {
    return Find(MakeResourceIdName(id), type);
}

std::int32_t ResourceService::FindSrfFile(const std::string& name) const {
    return Find(name, "SrfFile");
}

std::string ResourceService::GetEntryName(std::int32_t index) const {
    const Entry* e = At(index);
    return e != nullptr ? e->name : std::string();
}

std::string ResourceService::GetEntryPath(std::int32_t index) const {
    const Entry* e = At(index);
    return e != nullptr ? e->path : std::string();
}

std::int32_t ResourceService::GetEntryFile(std::int32_t index) const {
    const Entry* e = At(index);
    return e != nullptr ? e->parent : -1;
}

Resource* ResourceService::GetEntryResource(std::int32_t index) const {
    const Entry* e = At(index);
    return e != nullptr ? e->resource.get() : nullptr;
}

void ResourceService::SetEntryUpdatePath(std::int32_t index, const std::string& path) {
    if (Entry* e = At(index)) e->updatePath = path;
}

std::int32_t ResourceService::GetEntryOwnerCount(std::int32_t index) const {
    const Entry* e = At(index);
    return e != nullptr ? static_cast<std::int32_t>(e->owners.size()) : 0;
}

xSimpleResFile* ResourceService::OpenSrf(std::int32_t index, void* owner) {
    Entry* e = At(index);
    if (e == nullptr) {
        xThrow(kErrBadState);
        return nullptr;
    }
    e->owners.push_back(owner);
    if (!e->reader) e->reader = std::make_unique<xSimpleResFile>(e->name.c_str());
    const Entry* parent = At(e->parent);
    const std::string path = parent != nullptr ? parent->path : e->path;
    if (!e->reader->IsOpen(0)) {
        const std::int16_t code = xTry([&] {
            if (xFileIsAbsolutePath(path.c_str())) {
                e->reader->OpenAt(0, xFileSpec(path.c_str()), 0);
            } else {
                e->reader->OpenSrfFile(0, path.c_str(), 0);
            }
        });
        if (code != 0) {
            xThrow(kErrBadState);
            return nullptr;
        }
    }
    return e->reader.get();
}

void ResourceService::CloseSrf(std::int32_t index, void* owner) {
    Entry* e = At(index);
    if (e == nullptr) return;
    auto it = std::find(e->owners.begin(), e->owners.end(), owner);
    if (it == e->owners.end()) return;
    e->owners.erase(it);
    if (e->owners.empty() && e->reader && e->reader->IsOpen(0)) e->reader->Close(0);
    if (index == currentIndex_ && owner == currentOwner_) {
        currentIndex_ = -1;
        currentOwner_ = nullptr;
    }
}

bool ResourceService::GetSrfVersion(const std::string& path, Version& version) {
    return ::GetSrfVersion(path, version);
}

Version ResourceService::ReadSrfVersion(const std::string& path) {
    return ::ReadSrfVersion(path);
}

bool ResourceService::SwapIn(const Entry& entry) {
    const std::string& a = entry.path;
    const std::string& b = entry.updatePath;
    const std::string t = TempFilePathBeside(a);
    FileDelete(t);
    // The replacement is checked before the old file is moved away, so that a
    // missing one never leaves the entry without its file.
    if (b.empty() || !FileExists(b)) return false;
    const bool hadOld = FileExists(a);
    if (hadOld && !FileRename(a, t)) return false;
    if (!FileRename(b, a)) {
        if (hadOld) FileRename(t, a);
        return false;
    }
    if (hadOld) FileDelete(t);
    return true;
}

std::int32_t ResourceService::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (!fromQueue && typeid(msg) == typeid(xMsgResourceUpdateRequest)) {
        const Entry* e = At(static_cast<const xMsgResourceUpdateRequest&>(msg).GetEntry());
        if (e == nullptr || !SwapIn(*e)) return 0;
    }
    return QueuedMsgReceiverSupport::HandleMsg(msg, from, fromQueue, queued);
}
