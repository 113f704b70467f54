#include "game/view/controls/PicturePlayerListControl.h"

PicturePlayerListControl::PicturePlayerListControl(UI* parent, MsgReceiver* receiver, std::int32_t layer,
                                                   std::int32_t firstItem, std::int32_t lastItem,
                                                   std::int32_t resourceId, std::int32_t openingAnimation,
                                                   std::int32_t closingAnimation, std::int32_t textAnimation,
                                                   std::int32_t hitAreaAnimation, std::int32_t columns,
                                                   std::int32_t capacity, bool dropWhenFull,
                                                   std::int32_t fifthColumnAnimation)
    : ListControl(parent, receiver, layer, firstItem, lastItem, resourceId, openingAnimation, closingAnimation,
                  textAnimation, hitAreaAnimation, columns, capacity, dropWhenFull, fifthColumnAnimation) {}

std::int32_t PicturePlayerListControl::AddRow(const std::string& name, const std::string& score,
                                              const std::string& text3, const std::string& text4,
                                              const std::string& text5, bool marked, std::int32_t /*firstColour*/,
                                              std::int32_t /*secondColour*/) {
    const std::int32_t local = name == localPlayerName_ ? 1 : 0;
    return ListControl::AddRow(name, score, text3, text4, text5, marked, local, local);
}

void PicturePlayerListControl::SetPlayerScore(const std::string& name, std::int32_t score) {
    const std::int32_t row = ListControl::FindRow(0, name, true);
    if (row == -1) return;
    SetCell(row, 1, std::to_string(score), false);
}
