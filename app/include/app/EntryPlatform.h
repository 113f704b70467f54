#pragma once

// What the program's entry asks of the machine, gathered so that the whole entry
// can run in-process against scripted facts: the executable fills it from the
// system, tests from a fake queue and chosen answers.

#include <functional>
#include <optional>
#include <string>

#include "platform/MessageQueue.h"

// The desktop's display mode as the machine checks read it.
struct DisplayMode {
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
};

struct EntryPlatform {
    const void* instance = nullptr;
    // The program file's full path; empty when the system cannot tell.
    std::string programPath;
    // The product name of the program's version record, none without a record;
    // unset: read from the program file's own record.
    std::function<std::optional<std::string>(const std::string& programPath)> productName;
    // The processor and system-version checks; every machine we run on passes them.
    bool processorIs386 = false;
    bool systemIsWin32s = false;
    bool systemIsNT = true;
    // The desktop's display mode; empty when there is no display at all.
    std::function<std::optional<DisplayMode>()> displayMode;
    // Makes the folder the current directory.
    std::function<void(const std::string& folder)> setCurrentFolder;
    // Takes the single-instance lock for the program path for the rest of the run;
    // false when another running copy of the same program file holds it.
    std::function<bool(const std::string& programPath)> claimSingleInstance;
    // The thread's message queue (borrowed for the run).
    platform::MessageQueue* queue = nullptr;
    // Shows what the pass composed; called once at the end of every main-loop pass.
    std::function<void()> presentFrame;
};
