#include "platform/CommandLine.h"

#include <utility>

namespace platform {

namespace {

std::string& Stored() {
    static std::string text;
    return text;
}

}  // namespace

std::string JoinCommandLine(std::span<const char* const> arguments) {
    std::string text;
    for (const char* argument : arguments) {
        if (argument == nullptr) continue;
        const std::string value(argument);
        if (!text.empty()) text += ' ';
        if (value.empty() || value.find(' ') != std::string::npos) {
            text += '"' + value + '"';
        } else {
            text += value;
        }
    }
    if (text.size() > kMaxCommandLine) text.resize(kMaxCommandLine);
    return text;
}

void SetCommandLine(std::string text) {
    if (text.size() > kMaxCommandLine) text.resize(kMaxCommandLine);
    Stored() = std::move(text);
}

const std::string& GetCommandLine() {
    return Stored();
}

}  // namespace platform
