#pragma once
// Camera-roll numbering: which file the album service just wrote, found by
// comparing the folder's listing before the save with the one after it.
// Pure functions of the listings; the folder is read by camera_roll.h.
//
// A listing holds the entry paths relative to the camera-roll folder whose
// extension is exactly "JPG", sorted case-insensitively.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace holdstill {

// Stem used when no new entry can be named.
inline constexpr int kFallbackFileNumber = 999;

// The listing of a folder's entries: those with the extension "JPG"
// (case-sensitive), sorted with a case-insensitive comparison.
std::vector<std::string> cameraRollListingOf(std::vector<std::string> entries);

// The first position where `current` differs from `previous` (a position
// past the end of `previous` counts as different); nothing when `current`
// is empty or the walk finds no difference.
std::optional<std::size_t> newEntryPosition(const std::vector<std::string>& current,
                                            const std::vector<std::string>& previous);

// "IMG_%04d" of the number in an entry such as IMG_0043.JPG (the leading
// digits after the first "_", 0 when there are none); the fallback number
// for no entry or an entry without "_".
std::string fileStemOfEntry(const std::optional<std::string>& entry);

// The stem of the new picture, as the comparison names it: fileStemOfEntry
// of the entry at newEntryPosition.
std::string nextFileStem(const std::vector<std::string>& current, const std::vector<std::string>& previous);

// The entry that may be replaced by the picture composed for the save just
// completed: the one the comparison names, when it is the only entry of
// `current` absent from `previous` and is the very file "<stem>.JPG"
// directly in the folder. Nothing otherwise: the name may not belong to
// that picture.
std::optional<std::string> replaceableNewEntry(const std::vector<std::string>& current,
                                               const std::vector<std::string>& previous);

}  // namespace holdstill
