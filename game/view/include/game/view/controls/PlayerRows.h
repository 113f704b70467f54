#pragma once

// What the game view asks of its player list: rows by name, the local player's
// name whose row is marked, and the room's name. PicturePlayerListControl
// implements it.

#include <cstdint>
#include <string>

class PlayerRows {
  public:
    virtual ~PlayerRows() = default;
    // The view's set-up right after making the list: rows kept sorted, and the
    // columns' layout.
    virtual void EnableSorting() = 0;
    virtual void SetColumns(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                            std::int32_t f, std::int32_t g, std::int32_t h, std::int32_t i,
                            std::int32_t j) = 0;
    virtual void RemoveAllRows() = 0;
    virtual void SetLocalPlayerName(const std::string& name) = 0;
    virtual void SetRoomName(const std::string& name) = 0;
    // The two colour numbers are replaced by whether the name is the local
    // player's. The new row's id, or -1.
    virtual std::int32_t AddRow(const std::string& name, const std::string& score, const std::string& text3,
                                const std::string& text4, const std::string& text5, bool marked,
                                std::int32_t firstColour, std::int32_t secondColour) = 0;
    // The row id of the first row whose column holds the text (exactly, or
    // ignoring letter case), or -1.
    virtual std::int32_t FindRow(std::int32_t column, const std::string& text, bool exact) const = 0;
    // The index of the first row whose column holds the text, letter case
    // ignored, or -1.
    virtual std::int32_t FindRowEx(std::int32_t column, const std::string& text) const = 0;
    // By row id; an unknown id changes nothing (-1).
    virtual std::int32_t RemoveRow(std::int32_t rowId) = 0;
};
