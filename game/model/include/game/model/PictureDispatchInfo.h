#pragma once

#include <array>
#include <cstdint>

#include "net/DispatchInfo.h"

// The dispatch file as the game reads it: the generic servers and, in addition,
// the picture servers (the HTTP servers the game's pictures come from).
class PictureDispatchInfo : public DispatchInfo {
  public:
    std::int32_t GetPictureServerCount() const { return pictureServerCount_; }
    // An empty record for an index outside the list.
    const ContentServer& GetPictureServer(std::int32_t index) const;

    // Empties the list.
    void ClearPictureServers();
    // Appends a server; false when the list is full.
    bool AddPictureServer(ContentServer server);

  private:
    // 0 to kMaxServers; records from the count on are empty.
    std::int32_t pictureServerCount_ = 0;
    std::array<ContentServer, kMaxServers> pictureServers_{};
};
