#include "game/screens/ChooserRooms.h"

#include <algorithm>

namespace {

// The record if it is a game room the chooser may list.
const PictureRoom* Listable(const Room* room, bool preflightMode) {
    const auto* game = dynamic_cast<const PictureRoom*>(room);
    if (game == nullptr) return nullptr;
    if (!preflightMode && game->GetPreflight()) return nullptr;
    return game;
}

}  // namespace

void ChooserRooms::Begin(std::int32_t countHint) {
    rooms_.clear();
    rooms_.reserve(static_cast<std::size_t>(std::clamp(countHint, 0, kReserveCap)));
}

ChooserRooms::Change ChooserRooms::Add(const Room* room, bool preflightMode) {
    const PictureRoom* game = Listable(room, preflightMode);
    if (game == nullptr) return {};
    rooms_.push_back(*game);
    return {Change::Kind::Added, rooms_.size() - 1};
}

ChooserRooms::Change ChooserRooms::Update(const Room* room, bool preflightMode) {
    const PictureRoom* game = Listable(room, preflightMode);
    if (game == nullptr) return {};
    const std::ptrdiff_t at = Find(game->GetName());
    if (at < 0) return {};
    const auto index = static_cast<std::size_t>(at);
    const bool moved = rooms_[index].IsLanguageFiltered() != game->IsLanguageFiltered();
    rooms_[index] = *game;
    return {moved ? Change::Kind::Moved : Change::Kind::Updated, index};
}

std::ptrdiff_t ChooserRooms::Find(const std::string& name) const {
    for (std::size_t i = 0; i < rooms_.size(); ++i)
        if (rooms_[i].GetName() == name) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::vector<const PictureRoom*> ChooserRooms::All() const {
    std::vector<const PictureRoom*> all;
    all.reserve(rooms_.size());
    for (const PictureRoom& r : rooms_) all.push_back(&r);
    return all;
}
