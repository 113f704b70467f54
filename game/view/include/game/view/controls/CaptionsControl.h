#pragma once

// Stand-in for the captions control: the operations the game view calls, doing nothing. It starts
// and stops at once. The real CaptionsControl takes its place with the same name and operations.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Control.h"
#include "framework/Msg.h"

class CaptionsControl : public Control {
  public:
    CaptionsControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
        : Control(parent, receiver, layer) {}

    using CaptionList = std::vector<std::unique_ptr<Msg>>;
    virtual void SetScoreFlag(bool /*nobodyVoted*/) {}
    virtual void SetLocalPlayerName(const std::string& /*name*/) {}
    virtual void ShowCompList(const CaptionList& /*captions*/) {}
    virtual void ShowResultsList(const CaptionList& /*results*/) {}
    virtual void SetCount(std::int32_t /*count*/) {}
    virtual void SetListFlag(bool /*flag*/) {}
    virtual void VoteFor(std::int32_t /*number*/) {}
};
