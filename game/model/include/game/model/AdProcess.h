#pragma once

#include <cstdint>
#include <string>

// The folder of the downloaded sponsor ads, shared by every ad process. The
// application object names it once the dispatch step has succeeded and lets it
// go when it is destroyed; the ad processes that play from it count themselves
// here, so that the folder text outlives the last of them.
class AdProcess {
  public:
    // Creates the folder text if missing and assigns the given text.
    static void SetAdFolder(const std::string& folder);
    // Discards the folder text, unless an ad process still lives.
    static void ClearAdFolder();
    // The folder text; "Ads\" until one is set, and again once it is discarded.
    static std::string GetAdFolder();
    static bool HasAdFolder();
    static std::int32_t LiveCount();

  protected:
    AdProcess();
    ~AdProcess();
    AdProcess(const AdProcess&) = delete;
    AdProcess& operator=(const AdProcess&) = delete;
};
