#pragma once
// Constants shared by the whole EXIF library: field type sizes, directory
// pointer tags, identifiers and character-code prefixes.
#include <array>
#include <cstdint>
#include <vector>

namespace exif {

// A tag key: the tag number, wide enough for any key a caller passes
// (the store must be able to report "No Tag found for Key 99999").
using TagKey = std::int64_t;

// Owned bytes.
using Bytes = std::vector<std::uint8_t>;

// "Exif" and one NUL: the signature that opens an EXIF APP1 payload.
inline constexpr std::array<std::uint8_t, 5> exifChars = {'E', 'x', 'i', 'f', 0};
inline constexpr std::uint8_t M_ORDER = 'M';  // big-endian mark ("MM")
inline constexpr std::uint8_t I_ORDER = 'I';  // little-endian mark ("II")

// Bytes per element, indexed by the TIFF field type code (0 unused, 1..12).
inline constexpr std::array<std::uint16_t, 13> bytesPerFormat = {0, 1, 1, 2, 4, 8, 1,
                                                                 1, 2, 4, 8, 4, 8};
inline constexpr int kFirstFieldType = 1;
inline constexpr int kLastFieldType = 12;
inline constexpr bool isValidFieldType(std::int64_t code) {
  return code >= kFirstFieldType && code <= kLastFieldType;
}

// Field type codes.
enum FieldType : std::int32_t {
  kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSByte = 6,
  kUndefined = 7, kSShort = 8, kSLong = 9, kSRational = 10, kFloat = 11, kDouble = 12,
};

// Directory pointer tags and the id of the root directory.
inline constexpr TagKey TAG_EXIF_OFFSET = 0x8769;
inline constexpr TagKey TAG_INTEROP_OFFSET = 0xA005;
inline constexpr TagKey TAG_EXIF_GPS = 0x8825;
inline constexpr std::int32_t TAG_EXIF_ROOT = -1;
inline constexpr bool isDirectoryPointerTag(TagKey key) {
  return key == TAG_EXIF_OFFSET || key == TAG_INTEROP_OFFSET || key == TAG_EXIF_GPS;
}

// IFD1 thumbnail location tags.
inline constexpr TagKey TAG_JPEG_INTERCHANGE_FORMAT = 0x0201;
inline constexpr TagKey TAG_JPEG_INTERCHANGE_FORMAT_LENGTH = 0x0202;

// Character-code prefixes of an EXIF user comment.
inline constexpr std::array<std::uint8_t, 8> ASCIIChars = {'A', 'S', 'C', 'I', 'I', 0, 0, 0};
inline constexpr std::array<std::uint8_t, 8> JISChars = {'J', 'I', 'S', 0, 0, 0, 0, 0};
inline constexpr std::array<std::uint8_t, 8> UNIChars = {'U', 'N', 'I', 'C', 'O', 'D', 'E', 0};

// JFIF APP0: the smallest payload (also where its thumbnail starts) and the
// identifier, "JFIF" with its NUL.
inline constexpr std::int32_t JFIF_MIN_LENGTH = 14;
inline constexpr std::array<char, 5> JFIF_IDENTIFIER = {'J', 'F', 'I', 'F', '\0'};

// A JPEG segment's payload must fit a 16-bit length that counts itself.
inline constexpr std::size_t kMaxSegmentPayload = 65533;

}  // namespace exif
