#pragma once
// Where a maker note's own directory lies and how its offsets count, for the
// makers whose layouts are known, and which of its tags hold the position of
// a preview or thumbnail image. Used to find everything a maker note
// addresses before an edit reuses or moves bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace exif {

// A tag (or one LONG element of an array tag) that holds an image's start,
// with the tag (element) that holds its length.
struct ImagePositionTag {
  std::uint16_t tag;
  std::uint8_t element;
  std::uint16_t lengthTag;
  std::uint8_t lengthElement;
};

struct MakerNoteLayout {
  enum class Kind {
    Directory,   // a TIFF directory at `directory`
    WordsAbsolute,  // 32-bit words; the preview's start is a file position
  };
  Kind kind = Kind::Directory;
  std::size_t directory = 0;           // payload position of its first directory
  std::size_t base = 0;                // payload position its offsets count from
  std::optional<bool> bigEndian;       // its own byte order, where it names one
  bool offsetsKnown = true;            // false: a directory of a maker whose offset tags are not known
  std::vector<ImagePositionTag> imageTags;  // preview/thumbnail positions, in it and its sub-directories
  std::vector<std::uint16_t> subDirectoryTags;  // LONG tags that point at sub-directories
  // WordsAbsolute: byte offsets of the start and length words.
  std::size_t startWord = 0, lengthWord = 0;
};

// The layout of the maker note of `size` bytes at payload position `at`, by
// its signature or, without one, by the camera's make. Nothing when neither
// is known (the caller then cannot know what the maker note addresses).
std::optional<MakerNoteLayout> makerNoteLayout(std::span<const std::uint8_t> payload, std::size_t at,
                                               std::size_t size, std::string_view make);

}  // namespace exif
