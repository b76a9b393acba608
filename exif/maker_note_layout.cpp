// Maker-note layouts by signature and make.
#include "exif/maker_note_layout.h"

#include "exif/byte_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace exif {
namespace {

constexpr std::size_t kTiff = 6;  // payload position of the TIFF header

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

std::optional<bool> orderMark(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (bytes.size() < at + 2) return std::nullopt;
  if (bytes[at] == 'M' && bytes[at + 1] == 'M') return true;
  if (bytes[at] == 'I' && bytes[at + 1] == 'I') return false;
  return std::nullopt;
}

bool makeIs(std::string_view make, std::string_view prefix) {
  if (make.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(make[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

// Preview and thumbnail positions by maker.
const std::vector<ImagePositionTag> kMinoltaOlympus = {
    {0x0088, 0, 0x0089, 0}, {0x0101, 0, 0x0102, 0}, {0x1036, 0, 0x1037, 0}};
const std::vector<ImagePositionTag> kPentax = {{0x0004, 0, 0x0003, 0}};
const std::vector<ImagePositionTag> kCanon = {{0x00B6, 5, 0x00B6, 2}};
const std::vector<ImagePositionTag> kPreviewIfd = {{0x0201, 0, 0x0202, 0}};

}  // namespace

std::optional<MakerNoteLayout> makerNoteLayout(std::span<const std::uint8_t> payload, std::size_t at,
                                               std::size_t size, std::string_view make) {
  if (at > payload.size() || size > payload.size() - at) return std::nullopt;
  const auto note = payload.subspan(at, size);
  MakerNoteLayout l;
  auto directory = [&](std::size_t offset, std::size_t base, std::optional<bool> big,
                       const std::vector<ImagePositionTag>& tags, std::vector<std::uint16_t> subs = {}) {
    l.directory = at + offset;
    l.base = base;
    l.bigEndian = big;
    l.imageTags = tags;
    l.subDirectoryTags = std::move(subs);
    return l;
  };
  if (startsWith(note, std::string_view("Nikon\0\x02", 7))) {
    // Its own TIFF header at +10; offsets count from there.
    const auto big = orderMark(note, 10);
    if (!big) return std::nullopt;
    const auto first = ByteReader(note).u32(14, *big);
    if (!first) return std::nullopt;
    return directory(10 + *first, at + 10, big, kPreviewIfd, {0x0011});
  }
  if (startsWith(note, std::string_view("Nikon\0\x01", 7))) return directory(8, kTiff, std::nullopt, {});
  if (startsWith(note, std::string_view("OLYMPUS\0", 8))) {
    const auto big = orderMark(note, 8);
    if (!big) return std::nullopt;
    return directory(12, at, big, kMinoltaOlympus, {0x2010, 0x2020, 0x2030, 0x2040, 0x2050});
  }
  if (startsWith(note, std::string_view("OM SYSTEM\0\0\0", 12))) {
    const auto big = orderMark(note, 12);
    if (!big) return std::nullopt;
    return directory(16, at, big, kMinoltaOlympus, {0x2010, 0x2020, 0x2030, 0x2040, 0x2050});
  }
  for (std::string_view sig : {std::string_view("OLYMP\0", 6), std::string_view("EPSON\0", 6),
                               std::string_view("CAMER\0", 6), std::string_view("MINOL\0", 6)})
    if (startsWith(note, sig)) return directory(8, kTiff, std::nullopt, kMinoltaOlympus);
  if (startsWith(note, std::string_view("AOC\0", 4))) return directory(6, kTiff, orderMark(note, 4), kPentax);
  if (startsWith(note, std::string_view("PENTAX \0", 8))) {
    const auto big = orderMark(note, 8);
    if (!big) return std::nullopt;
    return directory(10, at, big, kPentax);
  }
  for (std::string_view sig : {std::string_view("SONY DSC \0\0\0", 12), std::string_view("SONY CAM \0\0\0", 12),
                               std::string_view("Panasonic\0\0\0", 12)})
    if (startsWith(note, sig)) return directory(12, kTiff, std::nullopt, kPreviewIfd);
  if (startsWith(note, std::string_view("Apple iOS\0", 10))) {
    const auto big = orderMark(note, 12);
    if (!big) return std::nullopt;
    return directory(14, at, big, {});
  }
  if (startsWith(note, "FUJIFILM")) {
    const auto first = ByteReader(note).u32(8, false);
    if (!first) return std::nullopt;
    return directory(*first, at, false, {});
  }
  if (startsWith(note, "STMN") && note.size() >= 16) {
    l.kind = MakerNoteLayout::Kind::WordsAbsolute;
    l.startWord = 8;
    l.lengthWord = 12;
    return l;
  }
  // No signature: a plain directory, offsets from the TIFF header.
  if (makeIs(make, "Canon")) return directory(0, kTiff, std::nullopt, kCanon);
  if (makeIs(make, "Minolta") || makeIs(make, "KONICA MINOLTA"))
    return directory(0, kTiff, std::nullopt, kMinoltaOlympus);
  if (makeIs(make, "Samsung")) return directory(0, kTiff, std::nullopt, kPreviewIfd);
  // Some other maker's plain directory: what it addresses can be read, but
  // not which of its numbers are positions.
  l = directory(0, kTiff, std::nullopt, {});
  l.offsetsKnown = false;
  return l;
}

}  // namespace exif
