#include "game/model/AdProcess.h"

#include <memory>

namespace {

std::unique_ptr<std::string> g_folder;
std::int32_t g_live = 0;

}  // namespace

void AdProcess::SetAdFolder(const std::string& folder) {
    if (!g_folder) g_folder = std::make_unique<std::string>();
    *g_folder = folder;
}

void AdProcess::ClearAdFolder() {
    if (g_live == 0) g_folder.reset();
}

std::string AdProcess::GetAdFolder() {
    return g_folder ? *g_folder : std::string("Ads\\");
}

bool AdProcess::HasAdFolder() {
    return g_folder != nullptr;
}

std::int32_t AdProcess::LiveCount() {
    return g_live;
}

AdProcess::AdProcess() {
    ++g_live;
}

AdProcess::~AdProcess() {
    --g_live;
}
