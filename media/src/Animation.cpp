#include "media/Animation.h"

#include "media/AnimationArt.h"

Animation::Animation(UI* parent, std::int32_t resourceId, std::int32_t animationNumber, AnimationService*)
    : ProcessNode(parent), parent_(parent), resourceId_(resourceId), animationNumber_(animationNumber) {
    AddReceiver(parent);
}

Animation::~Animation() {
    if (HasReceiver(parent_)) {
        RemoveReceiver(parent_);
    }
}

std::int32_t Animation::GetCelCount() {
    return static_cast<std::int32_t>(AnimationArt::GetCels(resourceId_, animationNumber_).size());
}

xRect& Animation::GetCelRect(xRect& out, std::int32_t cel) {
    const std::vector<xRect>& cels = AnimationArt::GetCels(resourceId_, animationNumber_);
    out = (cel >= 0 && cel < static_cast<std::int32_t>(cels.size())) ? cels[static_cast<std::size_t>(cel)]
                                                                     : xRect{};
    return out;
}
