#pragma once

// Stand-in for the player list: the operations the game view calls, doing nothing. It starts and
// stops at once. The real PicturePlayerListControl takes its place with the same name and
// operations.

#include <cstdint>
#include <string>

#include "framework/Control.h"
#include "game/view/controls/PlayerRows.h"

class PicturePlayerListControl : public Control, public PlayerRows {
  public:
    PicturePlayerListControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
        : Control(parent, receiver, layer) {}

    void EnableSorting() override {}
    void SetColumns(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    void RemoveAllRows() override {}
    void SetLocalPlayerName(const std::string& /*name*/) override {}
    void SetRoomName(const std::string& /*name*/) override {}
    void AddRow(const std::string& /*name*/, const std::string& /*score*/, const std::string& /*text3*/,
                const std::string& /*text4*/, const std::string& /*text5*/, std::int32_t /*a*/,
                std::int32_t /*b*/, std::int32_t /*c*/) override {}
    std::int32_t FindRow(std::int32_t /*column*/, const std::string& /*text*/, bool /*exact*/) override {
        return -1;
    }
    std::int32_t FindRowEx(std::int32_t /*column*/, const std::string& /*text*/) override { return -1; }
    void RemoveRow(std::int32_t /*rowId*/) override {}
};
