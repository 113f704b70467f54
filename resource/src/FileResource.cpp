#include "resource/FileResource.h"

#include <vector>

#include "resource/FileFunctions.h"
#include "resource/ResourceMsgs.h"

namespace {

// The part of a Windows path after its last backslash; a leading drive dropped when
// there is none. Throws for a path that ends in a backslash.
std::string FilePart(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) {
        return path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
    }
    if (slash + 1 == path.size()) throw 0;
    return path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
    std::string folder = path.substr(0, path.size() - FilePart(path).size());
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace

FileResource::FileResource(const std::string& name) {
    SetName(name);
}

FileResource::FileResource(const std::string& folder, const std::string& name)
    : FileResource(folder + "/" + name) {}

FileResource::~FileResource() {
    ForgetReplacement();
    for (FileResource* target : waiting_) {
        target->replacement_ = nullptr;
    }
}

void FileResource::ForgetReplacement() {
    if (replacement_ == nullptr) return;
    std::erase(replacement_->waiting_, this);
    replacement_->RemoveReceiver(this);
    replacement_ = nullptr;
}

FileResource& FileResource::None() {
    // Lives to the end of the program: every target points at it between updates.
    static FileResource* const none = new FileResource("none");
    return *none;
}

void FileResource::SetName(const std::string& name) {
    name_ = name;
    for (char& c : name_) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '/') c = '\\';
    }
    const bool absolute = (name_.size() >= 2 && name_[1] == ':') || (!name_.empty() && name_[0] == '\\');
    path_ = absolute ? name_ : ProgramFolder() + name_;
    urlName_ = name_;
    for (char& c : urlName_) {
        if (c == '\\') c = '/';
    }
}

const std::string& FileResource::GetName() const {
    return name_;
}

const std::string& FileResource::GetPath() const {
    return path_;
}

const std::string& FileResource::GetFileName() {
    fileName_ = FilePart(name_);
    return fileName_;
}

const std::string& FileResource::GetFolder() {
    folder_ = FolderPart(name_);
    return folder_;
}

const std::string& FileResource::GetPathFolder() {
    pathFolder_ = FolderPart(path_);
    return pathFolder_;
}

const std::string& FileResource::GetUrlName() const {
    return urlName_;
}

Version FileResource::GetVersion() const {
    return Version::None();
}

FileResource* FileResource::GetPendingUpdate() const {
    return replacement_ != nullptr ? replacement_ : &None();
}

bool FileResource::IsCurrent() const {
    return !updatePending_;
}

void FileResource::NotifyUpdated() {
    Send(FileUpdatedMsg());
}

bool FileResource::Exists() {
    return FileExists(path_);
}

bool FileResource::DeleteFile() {
    return FileDelete(path_);
}

bool FileResource::RenameTo(FileResource& other) {
    return FileRename(path_, other.GetPath());
}

void FileResource::UpdateFrom(FileResource* replacement) {
    if (updatePending_ || replacement == nullptr || replacement == this) return;
    updatePending_ = true;
    replacement_ = replacement == &None() ? nullptr : replacement;
    if (replacement_ != nullptr) {
        replacement_->waiting_.push_back(this);
        replacement_->Subscribe(this);
    }
    Update();
}

void FileResource::Update() {
    updatePending_ = false;
    if (replacement_ == nullptr) {
        if (IsLocked()) {
            updatePending_ = true;
            return;
        }
        if (!FileExists(path_)) throw 0;
        NotifyUpdated();
        return;
    }
    if (IsLocked() || !replacement_->Exists()) {
        updatePending_ = true;
        return;
    }
    FileResource* replacement = replacement_;
    ReleaseFile();
    replacement->ReleaseFile();
    replacement->Unsubscribe(this);
    std::erase(replacement->waiting_, this);
    // One move replaces the file: were it refused, the old file would still be there.
    if (!FileReplace(replacement->GetPath(), path_)) throw 0;
    replacement_ = nullptr;
    NotifyUpdated();
}

void FileResource::Unlock() {
    if (!UnlockAndSurvive()) return;
    if (!IsLocked() && updatePending_) {
        Update();
    }
}

std::int32_t FileResource::Receive(const Msg& msg, MsgSender* from) {
    if (msg.Is<FileUpdatedMsg>() && replacement_ != nullptr && from == static_cast<MsgSender*>(replacement_)) {
        Update();
    }
    return 0;
}
