#pragma once

// A resource that is a file, named relative to the program's folder (or by an
// absolute name). It can take over a downloaded replacement file: at once when
// nobody holds it, else on its last unlock. Upper-layer failures throw the integer 0.

#include <string>
#include <vector>

#include "resource/Resource.h"
#include "resource/Version.h"

class FileResource : public Resource {
  public:
    explicit FileResource(const std::string& name);
    // Folder and name joined with '/'.
    FileResource(const std::string& folder, const std::string& name);
    // Stops listening to its pending replacement; targets waiting for this one as
    // their replacement forget it (their update stays pending).
    ~FileResource() override;

    // The shared object that stands for "no replacement"; never deleted.
    static FileResource& None();

    // Lower-cased with backslashes: the key of the file registry.
    virtual const std::string& GetName() const;
    // The absolute name, or the program's folder joined with the name.
    virtual const std::string& GetPath() const;
    // The part after the last backslash (a leading drive dropped); throws when the
    // name ends in a backslash.
    virtual const std::string& GetFileName();
    // The name (or the path) up to its file name, without the backslash before it.
    virtual const std::string& GetFolder();
    virtual const std::string& GetPathFolder();
    // The name with forward slashes.
    virtual const std::string& GetUrlName() const;
    // "none" for a plain file.
    virtual Version GetVersion() const;
    // Takes over the pending replacement when unlocked and the replacement exists;
    // otherwise waits for the last unlock. Without a replacement, announces the
    // file (which must exist) as updated.
    virtual void Update();
    // Only when no update is pending: remembers the replacement, listens to it, and
    // updates.
    virtual void UpdateFrom(FileResource* replacement);
    virtual FileResource* GetPendingUpdate() const;
    virtual bool IsCurrent() const;
    // Sends FileUpdatedMsg.
    virtual void NotifyUpdated();
    virtual bool Exists();
    virtual bool DeleteFile();
    // Moves this file onto the other's path; refuses an existing target.
    virtual bool RenameTo(FileResource& other);
    // Lower-cases, turns '/' into '\', and works out the path: a name whose second
    // character is ':' or that begins with '\' is absolute.
    virtual void SetName(const std::string& name);

    // The last unlock runs a pending update.
    void Unlock() override;
    // FileUpdatedMsg from the pending replacement runs Update; nothing else is heard.
    std::int32_t Receive(const Msg& msg, MsgSender* from) override;

  protected:
    // Lets go of the file before a replacement is moved onto it.
    virtual void ReleaseFile() {}

  private:
    void ForgetReplacement();

    std::string name_;
    std::string path_;
    std::string urlName_;
    bool updatePending_ = false;
    FileResource* replacement_ = nullptr;  // null: none
    std::vector<FileResource*> waiting_;   // targets whose replacement this is
    std::string fileName_;
    std::string folder_;
    std::string pathFolder_;
};
