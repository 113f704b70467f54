#pragma once

// The list of the players in the room beside the game: a list of names and
// scores whose local player's row is drawn in the second colour, sorted by the
// view's column set-up, keeping the local player's name and the room's name.

#include <cstdint>
#include <string>

#include "controls/ListControl.h"
#include "game/view/controls/PlayerRows.h"

class PicturePlayerListControl : public ListControl, public PlayerRows {
  public:
    // The list's own arguments, handed on unchanged.
    PicturePlayerListControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t firstItem,
                             std::int32_t lastItem, std::int32_t resourceId, std::int32_t openingAnimation,
                             std::int32_t closingAnimation, std::int32_t textAnimation,
                             std::int32_t hitAreaAnimation, std::int32_t columns, std::int32_t capacity,
                             bool dropWhenFull, std::int32_t fifthColumnAnimation);

    // Both colour numbers become 1 for the local player's row (the name
    // compared exactly) and 0 for every other; the marked flag is kept.
    std::int32_t AddRow(const std::string& name, const std::string& score, const std::string& text3,
                        const std::string& text4, const std::string& text5, bool marked,
                        std::int32_t firstColour, std::int32_t secondColour) override;
    // The room's name is kept; the list has no header to show it in.
    void SetRoomName(const std::string& name) override { roomName_ = name; }
    // Rows added later compare against it; rows already listed keep their colours.
    void SetLocalPlayerName(const std::string& name) override { localPlayerName_ = name; }
    // Writes the number into the score column of the first row named so
    // (exactly) and re-sorts; a name not listed changes nothing.
    virtual void SetPlayerScore(const std::string& name, std::int32_t score);

    const std::string& GetRoomName() const { return roomName_; }
    const std::string& GetLocalPlayerName() const { return localPlayerName_; }

    // The view's set-up.
    void EnableSorting() override { SetSorted(); }
    void SetColumns(std::int32_t column0, std::int32_t mode0, std::int32_t column1, std::int32_t mode1,
                    std::int32_t column2, std::int32_t mode2, std::int32_t column3, std::int32_t mode3,
                    std::int32_t column4, std::int32_t mode4) override {
        SetSortKeys(column0, mode0, column1, mode1, column2, mode2, column3, mode3, column4, mode4);
    }
    void RemoveAllRows() override { ListControl::RemoveAllRows(); }
    std::int32_t FindRow(std::int32_t column, const std::string& text, bool exact) const override {
        return ListControl::FindRow(column, text, exact);
    }
    std::int32_t FindRowEx(std::int32_t column, const std::string& text) const override {
        return ListControl::FindRowEx(column, text);
    }
    std::int32_t RemoveRow(std::int32_t rowId) override { return ListControl::RemoveRow(rowId); }

  private:
    std::string roomName_;
    std::string localPlayerName_;
};
