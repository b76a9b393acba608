// The map of an EXIF payload: one walk over its directories, the maker
// note's included, marking every byte something addresses.
#include "exif/exif_block_map.h"

#include "exif/byte_reader.h"
#include "exif/exf_exception.h"
#include "exif/maker_note_layout.h"

#include <algorithm>
#include <string>

namespace exif {
namespace {

constexpr std::size_t kTiff = 6;  // TIFF offsets count from payload position 6
constexpr std::uint16_t kIfdType = 13;
constexpr int kMaxDepth = 8;

enum class Dir { Ifd0, Exif, Gps, Interop, Ifd1, Other, Maker };

[[noreturn]] void uneditable(const std::string& reason) {
  throw EXFException(kUneditableExifException, reason);
}

std::uint64_t typeSize(std::uint16_t type) {
  if (type == kIfdType) return 4;
  return isValidFieldType(type) ? bytesPerFormat[type] : 0;
}

class Mapper {
 public:
  Mapper(std::span<const std::uint8_t> payload, ExifBlockMap& map)
      : p_(payload), r_(payload), m_(map) {}

  void setMake(std::string make) { make_ = std::move(make); }
  void directory(std::size_t pos, std::size_t base, bool big, Dir kind, const MakerNoteLayout* maker, int depth);

 private:
  struct Entry {
    std::size_t at;  // payload position of the entry
    std::uint16_t tag, type;
    std::uint32_t count;
    std::uint64_t size;
    std::size_t valueAt;  // where the value lies (may be past the payload)
  };

  void mark(std::size_t begin, std::uint64_t size, Dir kind) {
    if (begin >= p_.size()) return;
    const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(p_.size(), begin + size));
    auto& bits = kind == Dir::Gps ? m_.gpsBytes : m_.used;
    std::fill(bits.begin() + static_cast<std::ptrdiff_t>(begin), bits.begin() + static_cast<std::ptrdiff_t>(end), true);
  }
  void pastEnd(std::size_t field, std::optional<std::size_t> base, bool big, Dir kind) {
    if (kind != Dir::Gps) m_.pastEnd.push_back({field, base, big});
  }
  // Element i of a SHORT or LONG entry: its field position, width and value.
  std::optional<std::pair<std::size_t, std::uint32_t>> element(const Entry& e, std::size_t i, bool big,
                                                              std::size_t* width = nullptr) const {
    if (i >= e.count || (e.type != kShort && e.type != kLong && e.type != kIfdType)) return std::nullopt;
    const std::size_t w = e.type == kShort ? 2 : 4;
    const std::size_t at = e.valueAt + w * i;
    if (width) *width = w;
    if (w == 2) {
      auto v = r_.u16(at, big);
      return v ? std::optional(std::pair{at, std::uint32_t{*v}}) : std::nullopt;
    }
    auto v = r_.u32(at, big);
    return v ? std::optional(std::pair{at, *v}) : std::nullopt;
  }
  // An image addressed by the start element of one tag and the length
  // element of another.
  void image(const std::vector<Entry>& entries, const ImagePositionTag& t, std::size_t base, bool big, Dir kind) {
    auto find = [&](std::uint16_t tag) -> const Entry* {
      for (const Entry& e : entries)
        if (e.tag == tag) return &e;
      return nullptr;
    };
    const Entry* start = find(t.tag);
    const Entry* length = find(t.lengthTag);
    if (!start) return;
    // Strips: every element is one.
    const std::size_t n = t.tag == 0x0111 ? std::min<std::size_t>(start->count, 4096) : 1;
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t width = 0;
      const auto s = element(*start, t.tag == 0x0111 ? i : t.element, big, &width);
      if (!s) return;
      const auto len = length ? element(*length, t.tag == 0x0111 ? i : t.lengthElement, big) : std::nullopt;
      const std::size_t target = base + s->second;
      if (target >= p_.size()) {
        if (width == 4)
          pastEnd(s->first, base, big, kind);
        else
          m_.unreadMakerNote = true;  // a 2-byte position cannot be told to move
      } else {
        mark(target, len ? len->second : 0, kind);
      }
    }
  }
  void makerNote(std::size_t at, std::size_t size);
  bool plausible(std::size_t pos, bool big) const {
    const auto n = r_.u16(pos, big);
    if (!n || *n == 0 || *n > 512 || !r_.has(pos + 2, 12ull * *n)) return false;
    std::size_t valid = 0;
    for (std::size_t i = 0; i < *n; ++i) valid += typeSize(*r_.u16(pos + 2 + 12 * i + 2, big)) != 0;
    return valid * 2 >= *n;
  }

  std::span<const std::uint8_t> p_;
  ByteReader r_;
  ExifBlockMap& m_;
  std::string make_;
  std::vector<std::size_t> visited_;
};

void Mapper::directory(std::size_t pos, std::size_t base, bool big, Dir kind, const MakerNoteLayout* maker,
                       int depth) {
  if (std::find(visited_.begin(), visited_.end(), pos) != visited_.end()) return;
  if (kind == Dir::Maker && !plausible(pos, big)) {
    m_.unreadMakerNote = true;
    return;
  }
  const auto count = r_.u16(pos, big);
  if (!count) return;
  visited_.push_back(pos);
  const std::size_t n = std::min<std::size_t>(*count, (p_.size() - pos - 2) / 12);
  mark(pos, 2 + 12ull * *count + 4, kind);

  std::vector<Entry> entries;
  entries.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t e = pos + 2 + 12 * i;
    Entry entry{e, *r_.u16(e, big), *r_.u16(e + 2, big), *r_.u32(e + 4, big), 0, e + 8};
    entry.size = typeSize(entry.type) * entry.count;
    if (entry.size == 0) continue;
    if (entry.size > 4) {
      entry.valueAt = base + *r_.u32(e + 8, big);
      if (entry.valueAt >= p_.size()) {
        pastEnd(e + 8, base, big, kind);
        continue;
      }
      mark(entry.valueAt, entry.size, kind);
    }
    entries.push_back(entry);
  }

  for (const Entry& e : entries) {
    std::optional<Dir> child;
    const bool standard = kind == Dir::Ifd0 || kind == Dir::Ifd1 || kind == Dir::Other;
    if (standard && e.tag == TAG_EXIF_OFFSET) child = Dir::Exif;
    if (standard && e.tag == 0x014A) child = Dir::Other;  // SubIFDs
    if ((standard || kind == Dir::Exif) && e.tag == TAG_INTEROP_OFFSET) child = Dir::Interop;
    if (kind == Dir::Ifd0 && e.tag == TAG_EXIF_GPS) {
      if ((e.type != kLong && e.type != kIfdType) || e.count != 1)
        uneditable("IFD0's GPS pointer has field type " + std::to_string(e.type) + " and count " +
                   std::to_string(e.count) + " instead of one offset");
      if (m_.gpsPointerEntry) uneditable("IFD0 holds two GPS pointers");
      m_.gpsPointerEntry = e.at;
      const std::size_t target = base + *r_.u32(e.valueAt, big);
      const auto gpsCount = r_.u16(target, big);
      if (!gpsCount || !r_.has(target + 2, 12ull * *gpsCount + 4))
        uneditable("the GPS directory lies outside the EXIF block");
      m_.gps = target;
      child = Dir::Gps;
    }
    if (kind == Dir::Maker && maker &&
        (e.type == kIfdType || (e.type == kLong && std::find(maker->subDirectoryTags.begin(),
                                                             maker->subDirectoryTags.end(),
                                                             e.tag) != maker->subDirectoryTags.end())))
      child = Dir::Maker;
    if (child) {
      for (std::size_t i = 0; i < std::min<std::size_t>(e.count, 16); ++i) {
        const auto field = element(e, i, big);
        if (!field) break;
        const std::size_t target = base + field->second;
        if (kind != Dir::Maker) m_.directoryPointers.emplace_back(field->first, target);
        if (target >= p_.size())
          pastEnd(field->first, base, big, kind);
        else if (depth < kMaxDepth)
          directory(target, base, big, *child, maker, depth + 1);
      }
    }
    if (kind == Dir::Exif && e.tag == 0x927C && e.type == kUndefined && e.valueAt < p_.size())
      makerNote(e.valueAt, static_cast<std::size_t>(std::min<std::uint64_t>(e.size, p_.size() - e.valueAt)));
  }

  bool imageNamed = false;
  if (kind == Dir::Ifd0 || kind == Dir::Ifd1 || kind == Dir::Other) {
    for (const ImagePositionTag& t : {ImagePositionTag{0x0201, 0, 0x0202, 0}, ImagePositionTag{0x0111, 0, 0x0117, 0}}) {
      imageNamed |= std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.tag == t.tag; });
      image(entries, t, base, big, kind);
    }
  } else if (kind == Dir::Maker && maker) {
    for (const ImagePositionTag& t : maker->imageTags) image(entries, t, base, big, kind);
  }

  const std::size_t linkAt = pos + 2 + 12 * std::size_t{*count};
  if (kind == Dir::Ifd1 && !imageNamed) {
    // A thumbnail may follow the directory without being named: keep all after it.
    mark(linkAt, p_.size(), kind);
  }
  if (kind == Dir::Ifd0 || kind == Dir::Ifd1 || kind == Dir::Other) {
    const auto link = r_.u32(linkAt, big);
    if (link && *link != 0 && depth < kMaxDepth) {
      const std::size_t target = base + *link;
      m_.directoryPointers.emplace_back(linkAt, target);
      if (target < p_.size()) directory(target, base, big, kind == Dir::Ifd0 ? Dir::Ifd1 : Dir::Other, nullptr, depth + 1);
    }
  }
}

void Mapper::makerNote(std::size_t at, std::size_t size) {
  const auto layout = makerNoteLayout(p_, at, size, make_);
  if (!layout) {
    m_.unreadMakerNote = true;
    return;
  }
  if (layout->kind == MakerNoteLayout::Kind::WordsAbsolute) {
    // A file position: whether it lies past the payload only the file knows.
    m_.pastEnd.push_back({at + layout->startWord, std::nullopt, m_.bigEndian});
    return;
  }
  if (!layout->offsetsKnown) m_.unreadMakerNote = true;
  directory(layout->directory, layout->base, layout->bigEndian.value_or(m_.bigEndian), Dir::Maker, &*layout, 0);
}

}  // namespace

std::vector<ByteRange> ExifBlockMap::room(std::span<const std::uint8_t> payload) const {
  std::vector<ByteRange> runs;
  for (std::size_t i = 14; i < payload.size(); ++i) {
    const bool usable = !used[i] && (gpsBytes[i] || !unreadMakerNote || payload[i] == 0);
    if (!usable) continue;
    if (!runs.empty() && runs.back().end == i)
      runs.back().end = i + 1;
    else
      runs.push_back({i, i + 1});
  }
  return runs;
}

ExifBlockMap mapExifBlock(std::span<const std::uint8_t> payload) {
  const ByteReader r(payload);
  if (payload.size() < 14 || !std::equal(exifChars.begin(), exifChars.begin() + 4, payload.begin()))
    uneditable("not an EXIF block");
  ExifBlockMap map;
  if (payload[6] == M_ORDER && payload[7] == M_ORDER)
    map.bigEndian = true;
  else if (payload[6] == I_ORDER && payload[7] == I_ORDER)
    map.bigEndian = false;
  else
    uneditable("unknown byte order mark in the EXIF block");
  const bool big = map.bigEndian;
  if (*r.u16(8, big) != 42) uneditable("the EXIF block's TIFF header lacks the number 42");
  map.ifd0 = kTiff + *r.u32(10, big);
  const auto count = r.u16(map.ifd0, big);
  if (!count || !r.has(map.ifd0 + 2, 12ull * *count + 4)) uneditable("IFD0 lies outside the EXIF block");
  map.used.assign(payload.size(), false);
  map.gpsBytes.assign(payload.size(), false);
  std::fill(map.used.begin(), map.used.begin() + 14, true);

  Mapper mapper(payload, map);
  // The make tells whose maker note it is.
  for (std::size_t i = 0; i < *count; ++i) {
    const std::size_t e = map.ifd0 + 2 + 12 * i;
    if (*r.u16(e, big) != 0x010F || *r.u16(e + 2, big) != kAscii) continue;
    const std::uint32_t n = *r.u32(e + 4, big);
    const std::uint64_t at = n <= 4 ? e + 8 : kTiff + *r.u32(e + 8, big);
    if (auto text = r.span(at, n)) mapper.setMake(std::string(text->begin(), text->end()));
  }
  map.directoryPointers.emplace_back(10, map.ifd0);
  mapper.directory(map.ifd0, kTiff, big, Dir::Ifd0, nullptr, 0);
  return map;
}

}  // namespace exif
