#include "game/screens/RoomChoice.h"

#include <string>
#include <string_view>

#include "game/model/PictureRoom.h"

namespace {

// Letter case folded in ASCII only: the texts are Windows-1252.
bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

struct Band {
    std::int32_t low;
    std::int32_t high;
    std::uint32_t threshold;  // a draw of 0..99 below it passes
    std::int32_t value;
};

constexpr Band kPlayerBands[] = {
    {9, 9, 20, 4}, {8, 8, 40, 3}, {6, 7, 80, 2}, {3, 5, 100, 1}, {1, 2, 100, 0}, {0, 0, 100, -1000},
};

constexpr Band kValueBands[] = {
    {0, 0, 100, 7}, {1, 1, 100, 6}, {2, 2, 100, 5},  {3, 3, 100, 4},
    {4, 5, 100, 3}, {6, 8, 100, 2}, {9, 15, 100, 1}, {16, 999, 100, 0},
};

const Band* FindBand(const Band* first, const Band* last, std::int32_t v) {
    for (const Band* b = first; b != last; ++b)
        if (b->low <= v && v <= b->high) return b;
    return nullptr;
}

constexpr std::int32_t kRoundsPerGame = 7;

}  // namespace

bool IsJoinableRoom(const PictureRoom* room) {
    if (room == nullptr) return false;
    for (const char* closed : {"full", "listing rooms", "dead", "unknown"})
        if (SameIgnoringCase(room->GetState(), closed)) return false;
    return room->GetPlayers() < room->GetPlayerLimit();
}

std::int32_t ScoreRoom(const PictureRoom& room, const RoomRandom& random) {
    std::int32_t score = 0;
    if (const Band* b = FindBand(std::begin(kPlayerBands), std::end(kPlayerBands), room.GetPlayers()))
        score = random(100) < b->threshold ? b->value : -10;
    const std::int32_t played = room.GetRound() < 0 ? 0 : room.GetRound();
    const std::int64_t left = std::int64_t{kRoundsPerGame} - played;
    const std::int64_t value = left <= 0 ? 1000 : room.GetSecondCount() / left;
    if (value >= 0 && value <= 999) {
        if (const Band* b =
                FindBand(std::begin(kValueBands), std::end(kValueBands), static_cast<std::int32_t>(value)))
            if (random(100) < b->threshold) score += b->value;
    }
    return score;
}

const PictureRoom* ChooseRoomForMe(const std::vector<const PictureRoom*>& rooms, bool cleanTab,
                                   const RoomRandom& random) {
    std::int32_t best = -1000;
    std::vector<const PictureRoom*> candidates;
    for (const PictureRoom* room : rooms) {
        if (!IsJoinableRoom(room) || room->IsExcluded() || room->IsLanguageFiltered() != cleanTab) continue;
        const std::int32_t s = ScoreRoom(*room, random);
        if (s > best) {
            best = s;
            candidates.clear();
        }
        if (s == best) candidates.push_back(room);
    }
    if (candidates.empty()) return nullptr;
    if (candidates.size() == 1) return candidates.front();
    const std::uint32_t pick = random(static_cast<std::uint32_t>(candidates.size()));
    return candidates[pick < candidates.size() ? pick : 0];
}
