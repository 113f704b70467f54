#include "net/UpdateScript.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <strings.h>
#include <utility>

#include "divir/xFilePath.h"
#include "divir/xIni.h"
#include "divir/xTokenizer.h"
#include "platform/HostFileSystem.h"
#include "platform/HostPath.h"
#include "resource/FileResource.h"

namespace {

constexpr const char* kMissing = "_nOt_fOuNd_";
constexpr std::uint32_t kValueBuffer = 100;

bool Is(const std::string& word, const char* expected) {
    return ::strcasecmp(word.c_str(), expected) == 0;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// A decimal at the start of the text (white space and one sign allowed), saturated
// to 32 bits; 0 when there is none.
std::int32_t DecimalValue(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// The name as the program joins it to its folder: absolute names (a drive, or a
// leading separator) are not client paths at all.
bool IsAbsolute(const std::string& name) {
    return (name.size() >= 2 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/'));
}

}  // namespace

UpdateScript::UpdateScript(UpdateScriptHost& host, std::string programFolder)
    : host_(host), programFolder_(std::move(programFolder)) {}

void UpdateScript::Run(const std::string& scriptPath) {
    scriptPath_ = scriptPath;
    stop_ = false;
    mandatory_ = false;
    active_.clear();
    RunUpdateScriptSection(kFirstSection, 0);
}

bool UpdateScript::Read(const std::string& section, const char* key, std::string& value) const {
    char buffer[kValueBuffer] = {};
    xIniGetString(section.c_str(), key, kMissing, buffer, sizeof buffer, xFileSpec(scriptPath_.c_str()));
    value = buffer;
    return value != kMissing;
}

std::string UpdateScript::Require(const std::string& section, const char* key) {
    std::string value;
    if (!Read(section, key, value)) Fail();
    return value;
}

std::string UpdateScript::RequirePath(const std::string& section, const char* key) {
    std::string path = Require(section, key);
    if (path.empty() || IsAbsolute(path) || !platform::IsPathInsideFolder(programFolder_, programFolder_ + path)) {
        Fail();
    }
    return path;
}

void UpdateScript::Fail() {
    host_.SendError(kFailure);
    throw 0;
}

bool UpdateScript::RunUpdateScriptSection(const std::string& section, std::int32_t index) {
    if (index >= 1) {
        return RunGotoList(section, index);
    }
    return RunSection(section);
}

bool UpdateScript::RunSection(const std::string& section) {
    host_.PumpMessages();
    if (stop_) return true;
    // A section that is running already is a cycle of gotos.
    const std::string key = Lower(section);
    if (active_.size() >= kMaxDepth || !active_.insert(key).second) Fail();
    struct Leave {
        std::set<std::string>& active;
        const std::string& key;
        ~Leave() { active.erase(key); }
    } leave{active_, key};

    std::string command;
    const bool hasCommand = Read(section, "Command", command);
    if (hasCommand) {
        ExecuteUpdateScriptCommand(section);
    }
    if (!stop_ && !hasCommand) {
        if (RunGotoList(section, 1)) Fail();
    }
    return false;
}

// Entries from `first` up to the first missing number, one after another (each
// step serves the window messages once); true when there was none at `first` (or
// the script had stopped before it).
bool UpdateScript::RunGotoList(const std::string& section, std::int32_t first) {
    for (std::int32_t index = first;; ++index) {
        host_.PumpMessages();
        if (stop_) return index == first;
        char key[32];
        std::snprintf(key, sizeof key, "%d Goto", index);
        std::string target;
        if (!Read(section, key, target)) return index == first;
        if (target == section) Fail();
        RunSection(target);
    }
}

bool UpdateScript::IsOperator(const std::string& word) const {
    for (const char* op :
         {"EqualTo", "NotEqualTo", "LessThan", "LessThanOrEqualTo", "GreaterThan", "GreaterThanOrEqualTo"}) {
        if (Is(word, op)) return true;
    }
    return false;
}

bool UpdateScript::Compare(const Version& left, const std::string& op, const Version& right) {
    if (Is(op, "EqualTo")) return left.EqualTo(right);
    if (Is(op, "NotEqualTo")) return left.NotEqualTo(right);
    if (Is(op, "LessThan")) return left.LessThan(right);
    if (Is(op, "LessThanOrEqualTo")) return left.LessThanOrEqualTo(right);
    if (Is(op, "GreaterThan")) return left.GreaterThan(right);
    if (Is(op, "GreaterThanOrEqualTo")) return left.GreaterThanOrEqualTo(right);
    Fail();
}

void UpdateScript::ExecuteUpdateScriptCommand(const std::string& section) {
    std::string command;
    if (!Read(section, "Command", command)) return;
    xTokenizer tokens;
    tokens.TokenizeLine(command.c_str(), static_cast<std::int16_t>(command.size()));
    auto token = [&](std::int16_t i) { return std::string(tokens.GetToken(i)); };
    const std::string word = token(0);

    if (Is(word, "if")) {
        const std::string subject = token(1);
        const std::string test = token(2);
        bool holds = false;
        std::int16_t actionAt = 4;
        if (Is(subject, "client_path")) {
            const std::string path = RequirePath(section, "Client Path");
            if (Is(test, "Exists") || Is(test, "DoesNotExist")) {
                const bool exists = host_.FindOrRegisterFile(path).Exists();
                holds = Is(test, "Exists") ? exists : !exists;
            } else if (IsOperator(test) && Is(token(3), "version")) {
                const Version right(Require(section, "Version"));
                holds = Compare(host_.FindOrRegisterFile(path).GetVersion(), test, right);
                actionAt = 5;
            } else {
                Fail();
            }
        } else if (Is(subject, "client_folder")) {
            const std::string folder = RequirePath(section, "Client Folder");
            if (Is(test, "Exists") || Is(test, "DoesNotExist")) {
                const bool exists = ClientFolderExists(folder, programFolder_);
                holds = Is(test, "Exists") ? exists : !exists;
            } else {
                Fail();
            }
        } else if (Is(subject, "this")) {
            if (!IsOperator(test) || !Is(token(3), "version")) Fail();
            const Version right(Require(section, "Version"));
            holds = Compare(clientVersion_, test, right);
            actionAt = 5;
        } else {
            Fail();
        }
        if (holds) {
            RunAction(token(actionAt), section, true);
        }
        return;
    }
    if (Is(word, "set")) {
        if (!Is(token(1), "variable")) Fail();
        const std::string variable = Require(section, "Variable");
        const std::string value = Require(section, "Value");
        if (variable == "AdServerFolder") {
            adServerFolder_ = value;
        } else if (variable != "AdExpirationDays") {
            Fail();
        }
        return;
    }
    RunAction(word, section, false);
}

void UpdateScript::RunAction(const std::string& word, const std::string& section, bool afterIf) {
    if (Is(word, "goto")) {
        const std::string target = Require(section, "Goto");
        if (target == section) Fail();
        RunSection(target);
    } else if (Is(word, "update")) {
        const std::string path = Require(section, "Client Path");
        const std::string versionText = Require(section, "Version");
        const std::string priorityText = Require(section, "Group Priority");
        const std::string mandatoryText = Require(section, "Mandatory");
        std::string sizeText;
        const std::int32_t size = Read(section, "File Size Bytes", sizeText) ? DecimalValue(sizeText) : 0;
        std::string serverFolder;
        if (!Read("Server Version Folders", versionText.c_str(), serverFolder)) Fail();
        const std::int32_t priority = DecimalValue(priorityText);
        const char flag = mandatoryText.empty() ? '\0' : mandatoryText[0];
        if (flag == 't' || flag == 'T' || flag == '1') {
            mandatory_ = true;
        } else if (flag != 'f' && flag != 'F' && flag != '0') {
            Fail();
        }
        RequirePath(section, "Client Path");
        host_.QueueUpdate(path, serverFolder, Version(versionText), priority, size);
    } else if (Is(word, "delete")) {
        const std::string path = RequirePath(section, "Client Path");
        FileResource(programFolder_ + path).DeleteFile();
    } else if (Is(word, "rename")) {
        const std::string from = RequirePath(section, "Old Path");
        const std::string to = RequirePath(section, "New Path");
        FileResource target(programFolder_ + to);
        FileResource(programFolder_ + from).RenameTo(target);
    } else if (Is(word, "stop")) {
        stop_ = true;
    } else if (afterIf && Is(word, "create_folder")) {
        CreateClientFolder(RequirePath(section, "Client Folder"), programFolder_);
    } else {
        Fail();
    }
}

bool ClientFolderExists(const std::string& name, const std::string& programFolder) {
    return platform::HostIsDirectory(platform::ResolveHostPath(programFolder + name));
}

bool CreateClientFolder(const std::string& name, const std::string& programFolder) {
    return platform::HostMakeDirectory(platform::ResolveHostPath(programFolder + name));
}
