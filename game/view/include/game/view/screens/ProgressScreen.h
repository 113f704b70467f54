#pragma once

// Stand-in for the progress screen: the operations the game view calls, doing nothing. It starts
// and stops at once. The real ProgressScreen takes its place with the same name and operations.

#include <cstdint>
#include <string>

#include "framework/Screen.h"

class ProgressScreen : public Screen {
  public:
    ProgressScreen(UI* parent, std::int32_t layer) : Screen(parent, layer) {}
    virtual void Reset() {}
    virtual void SetTitle(const std::string& /*text*/) {}
    virtual void SetStatus(const std::string& /*text*/) {}
    virtual void StartTimeout(std::int32_t /*ms*/) {}
    virtual void StopTimeout() {}
    virtual void SetProgressTotal(std::int32_t /*total*/) {}
    virtual void AddProgress(std::int32_t /*amount*/) {}
    virtual void ProgressDone() {}
    virtual void ResetProgressBar() {}
    virtual void DisableCancel() {}
    virtual void EnableCancel() {}
};
