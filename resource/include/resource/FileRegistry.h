#pragma once

// The process-wide registry of file objects by normalised name (FileResource::GetName),
// through which the update script, the file-update service and the resources inside
// .srf files find the one file object of a path. Two maps: objects the registry made
// itself (owned) and objects registered by their owners (not owned). The registry
// exists while a FileRegistry object lives (the file-update service owns it; a test
// may make one alone); the free functions answer through it.

#include <map>
#include <memory>
#include <string>

class FileResource;

class FileRegistry {
  public:
    // Becomes the process-wide registry; one at a time.
    FileRegistry();
    // Deletes the file objects it made, then stops being the registry.
    ~FileRegistry();
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    // The registry now alive, or null.
    static FileRegistry* Instance();

  private:
    friend bool IsRegisteredFile(const std::string& path);
    friend FileResource& FindOrRegisterFile(const std::string& path);
    friend void RegisterFile(FileResource* file);
    friend FileResource& LookupRegisteredFile(const std::string& path);

    FileResource* Find(const std::string& name) const;

    std::map<std::string, std::unique_ptr<FileResource>> made_;
    std::map<std::string, FileResource*> registered_;
};

// Whether a file object is registered under the path's name; false without a registry.
bool IsRegisteredFile(const std::string& path);
// The registered object of the path; when there is none, the "FileResourceFactory"
// singleton makes one (a SrfResource for ".srf", an ExeResource for ".exe", else a
// FileResource) and the registry keeps it. Throws the integer 0 without a registry.
FileResource& FindOrRegisterFile(const std::string& path);
// Registers an object its owner keeps, unless its name is registered already.
// Throws the integer 0 without a registry.
void RegisterFile(FileResource* file);
// The object registered under the path's name (the registry's own first); throws
// the integer 0 without a registry or when the name is not registered.
FileResource& LookupRegisteredFile(const std::string& path);
