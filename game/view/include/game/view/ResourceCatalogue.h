#pragma once

// The names of the game's resource files and of the resource kinds, and the one
// registration that binds every resource id of the game to its .srf file. After
// RegisterGameResources no screen or control names a file: an animation is
// reached by its offset strip's id, a sound by its id within its kind.

#include <array>
#include <cstdint>
#include <string_view>

class MsgReceiver;
class PictureRoom;
class UIRoot;

// The kinds of catalogue entries; the four-character ones are also the kind
// codes inside .srf files ("snd ", "Ver " and "Sfx " end in a space).
inline constexpr std::string_view kFileKind = "File";
inline constexpr std::string_view kSrfFileKind = "SrfFile";
inline constexpr std::string_view kStripKind = "off4";
inline constexpr std::string_view kMn01Kind = "Mn01";
inline constexpr std::string_view kSoundKind = "snd ";
inline constexpr std::string_view kTextKind = "Text";
inline constexpr std::string_view kVersionKind = "Ver ";
inline constexpr std::string_view kMusicKind = "Musi";
inline constexpr std::string_view kVoiceKind = "Voic";
inline constexpr std::string_view kSfxKind = "Sfx ";

// Every resource file twice: its bare name (the key it is catalogued under) and
// its path relative to the program folder (where it is opened). In order: the
// six program-file strings (three bare names, three paths), the 193 bare names,
// the 193 paths. Paths use one backslash per separator.
inline constexpr std::size_t kProgramFileNames = 6;
inline constexpr std::size_t kResourceFileCount = 193;
inline constexpr std::size_t kCatalogueSize = kProgramFileNames + 2 * kResourceFileCount;
extern const std::array<std::string_view, kCatalogueSize> kResourceCatalogue;

// Named members of the table that code outside the registration opens.
inline constexpr std::string_view kUpdaterName = "EXEUpdater.exe";
inline constexpr std::string_view kUpdaterPath = "Resources\\EXEUpdater.exe";
inline constexpr std::string_view kStillDownloadPath = "Resources\\Pictures\\StillDownload.jpg";
inline constexpr std::string_view kPalettePath = "Resources\\Palette\\Palette.srf";
inline constexpr std::string_view kLanguageFilterPath = "Resources\\LanguageFilter.srf";

// One .srf file's resource: its kind, its bare name and its id (the id of the
// resource inside the file too). Ids are unique within a kind only.
struct GameResource {
    std::string_view kind;
    std::string_view name;
    std::int32_t id;
};
// The 191 bindings in registration order: animations, music, voices, effects
// (their ids in their own order, which puts "PixFrame.srf" before "Jabba.srf"),
// then the language filter's word list.
inline constexpr std::size_t kGameResourceCount = 191;
extern const std::array<GameResource, kGameResourceCount> kGameResources;

// The path of a catalogued bare name ("Comp.srf" gives
// "Resources\Animation\Comp.srf"); empty for a name the catalogue lacks.
std::string_view CataloguePathOf(std::string_view bareName);

// The room that stands for no room: the Room defaults and zero PictureRoom fields.
const PictureRoom& DefaultPictureRoom();

// Registers the updater, the palette file (with the file registry only), the
// 191 .srf files and one id entry for each with the resource service singleton.
// The files' owner is the service itself, the offset strips' owner the view.
// Nothing is opened: a missing file shows when a resource of it is first loaded.
void RegisterGameResources(UIRoot* view);
