#include "media/AnimationArt.h"

#include <map>
#include <utility>

namespace {

using Key = std::pair<std::int32_t, std::int32_t>;

std::map<Key, std::vector<xRect>>& Filed() {
    static std::map<Key, std::vector<xRect>> filed;
    return filed;
}

}  // namespace

void AnimationArt::SetCels(std::int32_t resourceId, std::int32_t animationNumber, std::vector<xRect> cels) {
    Filed()[Key{resourceId, animationNumber}] = std::move(cels);
}

const std::vector<xRect>& AnimationArt::GetCels(std::int32_t resourceId, std::int32_t animationNumber) {
    static const std::vector<xRect> none;
    const auto it = Filed().find(Key{resourceId, animationNumber});
    return it == Filed().end() ? none : it->second;
}

void AnimationArt::Clear() {
    Filed().clear();
}
