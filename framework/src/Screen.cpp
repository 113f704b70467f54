#include "framework/Screen.h"

#include "framework/AppTime.h"

Screen::Screen(UI* parent, std::int32_t layer) : ProcessNode(parent) {
    Screen::SetLayer(layer);
}

void Screen::SetSegmentTimes(std::uint32_t segment, std::uint32_t first, std::uint32_t middle,
                             std::uint32_t last) {
    segment_ = segment;
    baseFirst_ = first;
    baseMiddle_ = middle;
    baseLast_ = last;
    baseTotal_ = first + middle + last;
    total_ = baseTotal_;
    first_ = first;
    middle_ = middle;
    last_ = last;
}

void Screen::Start() {
    requestTime_ = GetAppTime();
    ProcessNode::Start();
}

void Screen::Stop() {
    requestTime_ = GetAppTime();
    ProcessNode::Stop();
}
