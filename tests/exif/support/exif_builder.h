#pragma once
// Test support: writes valid EXIF APP1 payloads and JPEG files byte by byte,
// independently of the library's writer, so that each test can start from a
// correct block and change one thing.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace exif_testing {

using Bytes = std::vector<std::uint8_t>;

enum class Ifd { Ifd0, Exif, Gps, Interop, Ifd1 };

// One directory entry: numbers are encoded in the builder's byte order when
// the payload is built (two per rational); `raw` bytes are taken as they are.
struct Entry {
  std::uint16_t tag, type;
  std::uint32_t count;
  std::vector<std::uint64_t> numbers;
  std::optional<Bytes> raw;
};

Entry Byte(std::uint16_t tag, std::initializer_list<std::uint64_t> values);
Entry Short(std::uint16_t tag, std::initializer_list<std::uint64_t> values);
Entry Long(std::uint16_t tag, std::initializer_list<std::uint64_t> values);
Entry Rational(std::uint16_t tag, std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> v);
Entry SRational(std::uint16_t tag, std::initializer_list<std::pair<std::int32_t, std::int32_t>> v);
Entry Ascii(std::uint16_t tag, const std::string& text);  // with its NUL
Entry Undefined(std::uint16_t tag, const Bytes& bytes);
// Any type code and count over bytes already in file order.
Entry Raw(std::uint16_t tag, std::uint16_t type, std::uint32_t count, const Bytes& bytes);

class ExifBuilder {
 public:
  explicit ExifBuilder(bool bigEndian) : big_(bigEndian) {}

  ExifBuilder& add(Ifd ifd, Entry entry) {
    entries_[ifd].push_back(std::move(entry));
    return *this;
  }
  // Adds IFD1's JPEGInterchangeFormat and its length, and places the bytes
  // at the end of the payload.
  ExifBuilder& thumbnail(Bytes jpeg) {
    thumbnail_ = std::move(jpeg);
    return *this;
  }

  // "Exif" NUL NUL, TIFF header, IFD0 (with pointers to the groups), the
  // groups, IFD1 and the thumbnail, each directory followed by its values.
  Bytes build() const;
  // Payload positions of each directory in the last build().
  const std::map<Ifd, std::size_t>& positions() const { return positions_; }

 private:
  bool big_;
  std::map<Ifd, std::vector<Entry>> entries_;
  std::optional<Bytes> thumbnail_;
  mutable std::map<Ifd, std::size_t> positions_;
};

// JPEG assembly.
Bytes segment(std::uint8_t marker, const Bytes& payload);
// A JFIF APP0 payload, version 1.2, 72 × 72 dpi, no thumbnail.
Bytes jfifPayload();
// Tables, a 16 × 8 SOF0, a scan of `scanBytes` filler bytes, and EOI.
Bytes jpegTail(std::size_t scanBytes = 16);
// SOI, the segments, then the tail.
Bytes jpeg(std::initializer_list<Bytes> segments, const Bytes& tail);

// Byte edits and files.
void putU16(Bytes& bytes, std::size_t at, std::uint16_t v, bool bigEndian);
void putU32(Bytes& bytes, std::size_t at, std::uint32_t v, bool bigEndian);
Bytes bytesOf(std::initializer_list<int> values);
Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);

}  // namespace exif_testing
