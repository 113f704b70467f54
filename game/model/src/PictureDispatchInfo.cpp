#include "game/model/PictureDispatchInfo.h"

#include <utility>

const ContentServer& PictureDispatchInfo::GetPictureServer(std::int32_t index) const {
    static const ContentServer kNone;
    if (index < 0 || index >= pictureServerCount_) return kNone;
    return pictureServers_[static_cast<std::size_t>(index)];
}

void PictureDispatchInfo::ClearPictureServers() {
    pictureServers_.fill(ContentServer{});
    pictureServerCount_ = 0;
}

bool PictureDispatchInfo::AddPictureServer(ContentServer server) {
    if (pictureServerCount_ >= kMaxServers) return false;
    pictureServers_[static_cast<std::size_t>(pictureServerCount_++)] = std::move(server);
    return true;
}
