#pragma once

// The interpreter of the downloaded update script (a profile file): sections run
// depth first from "Update Script", each either a command section ("Command") or a
// list of numbered gotos ("1 Goto", "2 Goto", ...). Commands test files, folders
// and versions, queue file updates, delete, rename, create folders, set the ad
// server folder and stop the script. Anything it cannot parse sends "Cannot parse
// update script." through the host and throws the integer 0.
//
// Every path the script names must lie inside the program's folder once resolved
// (".." and links included); one that does not is a parse failure, and nothing
// outside the folder is touched.

#include <cstdint>
#include <set>
#include <string>

#include "resource/Version.h"

class FileResource;

// What the interpreter needs of the file-update service.
class UpdateScriptHost {
  public:
    virtual ~UpdateScriptHost() = default;
    // Serves pending window messages once; called once per section step.
    virtual void PumpMessages() = 0;
    // Tells the service's receivers of a failure (an ErrorMsg with the text).
    virtual void SendError(const std::string& text) = 0;
    // The registered file object of a client path, created and registered when absent.
    virtual FileResource& FindOrRegisterFile(const std::string& clientPath) = 0;
    virtual void QueueUpdate(const std::string& clientPath, const std::string& serverFolder, const Version& version,
                             std::int32_t priority, std::int32_t size) = 0;
};

class UpdateScript {
  public:
    static constexpr const char* kFirstSection = "Update Script";
    static constexpr const char* kFailure = "Cannot parse update script.";
    // Sections nested deeper than this fail like a cycle: a downloaded script must
    // not be able to exhaust the stack.
    static constexpr std::size_t kMaxDepth = 256;

    // programFolder: the folder every script path is relative to, in Windows form,
    // with its trailing separator.
    UpdateScript(UpdateScriptHost& host, std::string programFolder);

    // Runs the script file from "Update Script" with the stop and mandatory flags
    // cleared.
    void Run(const std::string& scriptPath);

    // Runs a section (index 0) or one entry of its goto list (index >= 1) of the
    // script last given to Run; true when there was nothing to run at that index.
    bool RunUpdateScriptSection(const std::string& section, std::int32_t index);
    // Executes the section's "Command".
    void ExecuteUpdateScriptCommand(const std::string& section);

    void SetClientVersion(const Version& version) { clientVersion_ = version; }
    const Version& GetClientVersion() const { return clientVersion_; }
    bool IsStopped() const { return stop_; }
    bool IsMandatory() const { return mandatory_; }
    void ClearMandatory() { mandatory_ = false; }
    const std::string& GetAdServerFolder() const { return adServerFolder_; }

  private:
    // A key's value, or false when the key is absent.
    bool Read(const std::string& section, const char* key, std::string& value) const;
    std::string Require(const std::string& section, const char* key);
    std::string RequirePath(const std::string& section, const char* key);
    bool RunSection(const std::string& section);
    bool RunGotoList(const std::string& section, std::int32_t first);
    void RunAction(const std::string& word, const std::string& section, bool afterIf);
    bool Compare(const Version& left, const std::string& op, const Version& right);
    bool IsOperator(const std::string& word) const;
    [[noreturn]] void Fail();

    UpdateScriptHost& host_;
    std::string programFolder_;
    std::string scriptPath_;
    bool stop_ = false;
    bool mandatory_ = false;
    std::string adServerFolder_;
    Version clientVersion_;
    // Sections now running, lower-cased as the profile lookup matches them.
    std::set<std::string> active_;
};

// Whether the program's folder joined with the name is a folder.
bool ClientFolderExists(const std::string& name, const std::string& programFolder);
// Creates the folder program folder + name; false when the system refuses.
bool CreateClientFolder(const std::string& name, const std::string& programFolder);
