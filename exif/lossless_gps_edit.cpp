// The lossless GPS edit: the original payload is copied as it stands; the
// new GPS directory goes where the old one was or into room nothing
// addresses, and past the payload's end only when there is none.
#include "exif/lossless_gps_edit.h"

#include "exif/afcp_trailer.h"
#include "exif/byte_reader.h"
#include "exif/exf_exception.h"
#include "exif/exif_block_map.h"
#include "exif/jpeg_segments.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace exif {
namespace {

constexpr std::size_t kBase = 6;  // TIFF offsets count from payload offset 6
constexpr std::uint16_t kGpsVersionTag = 0;

[[noreturn]] void badValue(const std::string& reason) {
  throw EXFException(kInvalidGPSValueException, reason);
}

void put16(std::uint8_t* at, std::uint32_t v, bool big) {
  at[big ? 0 : 1] = static_cast<std::uint8_t>(v >> 8);
  at[big ? 1 : 0] = static_cast<std::uint8_t>(v);
}
void put32(std::uint8_t* at, std::uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i) at[big ? i : 3 - i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A coordinate of |degrees| as whole degrees, whole minutes and seconds to
// 1/10000, rounded once on the total so that 59.99995" never shows as 60".
GPSEdit::Value location(double degrees) {
  const auto total = static_cast<std::uint64_t>(std::llround(std::fabs(degrees) * 3600.0 * 10000.0));
  const std::uint64_t perDegree = 3600ull * 10000, perMinute = 60ull * 10000;
  const auto d = static_cast<std::uint32_t>(total / perDegree);
  const auto m = static_cast<std::uint32_t>(total % perDegree / perMinute);
  const auto s = static_cast<std::uint32_t>(total % perMinute);
  return {kRational, 3, {d, 1, m, 1, s, 10000}, {}};
}

GPSEdit::Value rationals(std::initializer_list<std::optional<EXFraction>> parts) {
  GPSEdit::Value v{kRational, static_cast<std::uint32_t>(parts.size()), {}, {}};
  for (const auto& f : parts) {
    v.words.push_back(f ? static_cast<std::uint32_t>(f->numerator()) : 0);
    v.words.push_back(f ? static_cast<std::uint32_t>(f->denominator()) : 0);
  }
  return v;
}

GPSEdit::Value text(const std::string& s) {
  GPSEdit::Value v{kAscii, static_cast<std::uint32_t>(s.size() + 1), {}, Bytes(s.begin(), s.end())};
  v.bytes.push_back(0);
  return v;
}

GPSEdit::Value byte(std::uint8_t b) { return {kByte, 1, {}, {b}}; }

void checkFinite(double v, const char* what) {
  if (!std::isfinite(v)) badValue(std::string(what) + " is not a finite number");
}

// The field bytes of a value in the given byte order.
void appendField(Bytes& out, const GPSEdit::Value& v, bool big) {
  if (v.type == kShort || v.type == kLong || v.type == kRational) {
    const std::size_t width = v.type == kShort ? 2 : 4;
    for (std::uint32_t w : v.words) {
      std::uint8_t slot[4];
      if (width == 2) put16(slot, w, big); else put32(slot, w, big);
      out.insert(out.end(), slot, slot + width);
    }
  } else {
    out.insert(out.end(), v.bytes.begin(), v.bytes.end());
  }
}

// One 12-byte directory entry, in the block's byte order.
struct Entry {
  std::uint16_t tag;
  std::array<std::uint8_t, 12> bytes;
};

std::vector<Entry> readEntries(std::span<const std::uint8_t> payload, std::size_t position, bool big) {
  const ByteReader r(payload);
  const std::size_t count = *r.u16(position, big);  // the map has checked the table lies inside
  std::vector<Entry> entries;
  entries.reserve(count + 1);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t e = position + 2 + 12 * i;
    Entry entry{*r.u16(e, big), {}};
    std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>(e), 12, entry.bytes.begin());
    entries.push_back(entry);
  }
  return entries;
}

std::size_t even(std::size_t n) { return n + n % 2; }

// A directory as it stands at TIFF offset `offset`: its entries sorted by
// tag, the link, then its value area: the edit's values, and, with
// `valuesFrom`, the out-of-line values of the given entries copied from
// there (an entry whose value cannot be read is left out).
Bytes buildDirectory(std::uint32_t offset, std::vector<Entry> entries,
                     const std::map<std::uint16_t, GPSEdit::Value>& values, std::array<std::uint8_t, 4> link,
                     bool big, std::span<const std::uint8_t> valuesFrom = {}) {
  Bytes area;
  std::vector<Entry> all;
  all.reserve(entries.size() + values.size());
  auto areaOffset = [&](std::size_t n) { return offset + 2 + 12 * n + 4; };
  std::vector<std::pair<Entry, Bytes>> pending;  // entries with their out-of-line bytes
  for (Entry& e : entries) {
    const std::uint16_t type = EXFUtils::read2Bytes(e.bytes.data() + 2, big);
    const std::uint64_t size =
        isValidFieldType(type) ? std::uint64_t{bytesPerFormat[type]} * EXFUtils::read4Bytes(e.bytes.data() + 4, big) : 0;
    if (valuesFrom.empty() || size <= 4) {
      pending.push_back({e, {}});
      continue;
    }
    const auto bytes = ByteReader(valuesFrom).span(kBase + EXFUtils::read4Bytes(e.bytes.data() + 8, big), size);
    if (bytes) pending.push_back({e, Bytes(bytes->begin(), bytes->end())});
  }
  for (const auto& [tag, v] : values) {
    Entry e{tag, {}};
    put16(e.bytes.data(), tag, big);
    put16(e.bytes.data() + 2, static_cast<std::uint32_t>(v.type), big);
    put32(e.bytes.data() + 4, v.count, big);
    Bytes field;
    appendField(field, v, big);
    if (field.size() <= 4) {
      std::copy(field.begin(), field.end(), e.bytes.begin() + 8);
      field.clear();
    }
    pending.push_back({e, std::move(field)});
  }
  std::stable_sort(pending.begin(), pending.end(), [](const auto& a, const auto& b) { return a.first.tag < b.first.tag; });
  const std::size_t n = pending.size();
  Bytes out(2);
  put16(out.data(), static_cast<std::uint32_t>(n), big);
  for (auto& [e, value] : pending) {
    if (!value.empty()) {
      put32(e.bytes.data() + 8, static_cast<std::uint32_t>(areaOffset(n) + area.size()), big);
      area.insert(area.end(), value.begin(), value.end());
      if (area.size() % 2 != 0) area.push_back(0);
    }
    out.insert(out.end(), e.bytes.begin(), e.bytes.end());
  }
  out.insert(out.end(), link.begin(), link.end());
  out.insert(out.end(), area.begin(), area.end());
  return out;
}

// The entries of the GPS directory the edit writes, from the existing ones
// (none when there is no GPS directory or the edit removes all).
std::vector<Entry> keptGpsEntries(const std::vector<Entry>& existing, const GPSEdit& edit, bool big) {
  std::vector<Entry> kept;
  if (edit.removesAll()) return kept;
  const auto& removed = edit.removed();
  for (const Entry& e : existing) {
    const std::uint16_t type = EXFUtils::read2Bytes(e.bytes.data() + 2, big);
    if (e.tag == 0 && type == 0) continue;  // a zeroed padding entry
    if (edit.values().count(e.tag)) continue;
    if (std::find(removed.begin(), removed.end(), e.tag) != removed.end()) continue;
    kept.push_back(e);
  }
  return kept;
}

// The edit's values plus GPSVersionID when no entry carries one.
std::map<std::uint16_t, GPSEdit::Value> newValues(const GPSEdit& edit, const std::vector<Entry>& kept) {
  auto values = edit.values();
  const bool hasVersion = std::any_of(kept.begin(), kept.end(),
                                      [](const Entry& e) { return e.tag == kGpsVersionTag; });
  if (!hasVersion && !values.count(kGpsVersionTag))
    values[kGpsVersionTag] = {kByte, 4, {}, {2, 3, 0, 0}};
  return values;
}

Entry gpsPointer(std::uint32_t offset, bool big) {
  Entry e{static_cast<std::uint16_t>(TAG_EXIF_GPS), {}};
  put16(e.bytes.data(), static_cast<std::uint32_t>(TAG_EXIF_GPS), big);
  put16(e.bytes.data() + 2, kLong, big);
  put32(e.bytes.data() + 4, 1, big);
  put32(e.bytes.data() + 8, offset, big);
  return e;
}

// The room an edit writes into: runs of payload positions it may overwrite.
class Room {
 public:
  explicit Room(std::vector<ByteRange> runs) : runs_(std::move(runs)) {}

  // An even position with `size` bytes of room: `preferred` when it has
  // them, else the first run that does, leaving one spare byte after
  // anything that is not room (a text whose count leaves out its NUL keeps
  // it).
  std::optional<std::size_t> take(std::size_t size, std::optional<std::size_t> preferred) {
    if (preferred && *preferred % 2 == 0 && takeExact(*preferred, size)) return preferred;
    for (const ByteRange& run : runs_) {
      const std::size_t at = even(run.begin + 1);
      if (takeExact(at, size)) return at;
    }
    return std::nullopt;
  }
  // Takes [at, at + size) if it is all room.
  bool takeExact(std::size_t at, std::size_t size) {
    for (std::size_t i = 0; i < runs_.size(); ++i) {
      const ByteRange run = runs_[i];
      if (at < run.begin || at + size > run.end) continue;
      runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
      if (at + size < run.end) runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i), {at + size, run.end});
      if (run.begin < at) runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i), {run.begin, at});
      return true;
    }
    return false;
  }

 private:
  std::vector<ByteRange> runs_;
};

}  // namespace

namespace detail {

PayloadEdit appendEdited(std::span<const std::uint8_t> payload, const GPSEdit& edit, Bytes& out) {
  const ExifBlockMap map = mapExifBlock(payload);
  const bool big = map.bigEndian;
  const std::size_t start = out.size();
  out.reserve(out.size() + payload.size() + 512);
  out.insert(out.end(), payload.begin(), payload.end());
  PayloadEdit result{0, map.pastEnd, map.unreadMakerNote};
  if (edit.empty()) return result;
  auto at = [&](std::size_t position) { return out.data() + start + position; };

  const std::size_t ifd0Count = *ByteReader(payload).u16(map.ifd0, big);
  const std::size_t ifd0End = map.ifd0 + 2 + 12 * ifd0Count + 4;
  const std::vector<Entry> existing = map.gps ? readEntries(payload, *map.gps, big) : std::vector<Entry>{};
  if (edit.removesAll() && edit.values().empty() && !map.gpsPointerEntry) return result;  // nothing to remove

  // The old GPS directory and its values leave no trace: zeroed, then room.
  for (std::size_t i = 0; i < payload.size(); ++i)
    if (map.gpsBytes[i] && !map.used[i]) *at(i) = 0;
  Room room(map.room(payload));
  // Where `size` bytes go: the room, else past the payload's end.
  auto place = [&](std::size_t size, std::optional<std::size_t> preferred) {
    if (auto spot = room.take(size, preferred)) return *spot;
    const std::size_t spot = even(out.size() - start);
    out.resize(start + spot + size, 0);
    return spot;
  };
  auto tiff = [](std::size_t position) { return static_cast<std::uint32_t>(position - kBase); };
  auto writeAt = [&](std::size_t position, const Bytes& bytes) { std::copy(bytes.begin(), bytes.end(), at(position)); };
  std::array<std::uint8_t, 4> ifd0Link;
  std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>(ifd0End - 4), 4, ifd0Link.begin());
  std::vector<Entry> ifd0Entries = readEntries(payload, map.ifd0, big);

  if (edit.removesAll() && edit.values().empty()) {
    // IFD0 loses its GPS pointer where it stands: the entries after it move
    // up one place, and the freed last 12 bytes are zeroed.
    const std::size_t index = (*map.gpsPointerEntry - map.ifd0 - 2) / 12;
    ifd0Entries.erase(ifd0Entries.begin() + static_cast<std::ptrdiff_t>(index));
    Bytes table = buildDirectory(tiff(map.ifd0), ifd0Entries, {}, ifd0Link, big);
    table.resize(table.size() + 12, 0);
    writeAt(map.ifd0, table);
  } else {
    const std::vector<Entry> kept = keptGpsEntries(existing, edit, big);
    const auto values = newValues(edit, kept);
    const std::size_t gpsSize = buildDirectory(0, kept, values, {0, 0, 0, 0}, big, payload).size();
    const std::size_t gps = place(gpsSize, map.gps);
    writeAt(gps, buildDirectory(tiff(gps), kept, values, {0, 0, 0, 0}, big, payload));
    if (map.gpsPointerEntry) {
      put32(at(*map.gpsPointerEntry + 8), tiff(gps), big);
    } else {
      ifd0Entries.push_back(gpsPointer(tiff(gps), big));
      const std::size_t tableSize = 2 + 12 * ifd0Entries.size() + 4;
      if (room.takeExact(ifd0End, 12)) {
        // Room right after IFD0: it grows where it stands.
        writeAt(map.ifd0, buildDirectory(tiff(map.ifd0), ifd0Entries, {}, ifd0Link, big));
      } else {
        // IFD0 moves; every pointer that led to it leads to the new one.
        const std::size_t copy = place(tableSize, std::nullopt);
        for (Entry& e : ifd0Entries)
          if (isDirectoryPointerTag(e.tag) && kBase + EXFUtils::read4Bytes(e.bytes.data() + 8, big) == map.ifd0)
            put32(e.bytes.data() + 8, tiff(copy), big);
        if (kBase + EXFUtils::read4Bytes(ifd0Link.data(), big) == map.ifd0) put32(ifd0Link.data(), tiff(copy), big);
        writeAt(copy, buildDirectory(tiff(copy), ifd0Entries, {}, ifd0Link, big));
        for (const auto& [field, target] : map.directoryPointers)
          if (target == map.ifd0 && (field < map.ifd0 || field >= ifd0End)) put32(at(field), tiff(copy), big);
      }
    }
  }
  result.grownBy = out.size() - start - payload.size();
  return result;
}

}  // namespace detail

namespace {

}  // namespace

GPSEdit& GPSEdit::put(std::uint16_t tag, Value value) {
  values_[tag] = std::move(value);
  return *this;
}

GPSEdit& GPSEdit::setLatitude(double degrees) {
  checkFinite(degrees, "latitude");
  if (degrees < -90 || degrees > 90) badValue("latitude is outside -90..90");
  put(1, text(degrees < 0 ? "S" : "N"));
  return put(2, location(degrees));
}

GPSEdit& GPSEdit::setLatitude(const EXFGPSLoc& loc, bool south) {
  put(1, text(south ? "S" : "N"));
  return put(2, rationals({loc.degrees(), loc.minutes(), loc.seconds()}));
}

GPSEdit& GPSEdit::setLongitude(double degrees) {
  checkFinite(degrees, "longitude");
  if (degrees < -180 || degrees > 180) badValue("longitude is outside -180..180");
  put(3, text(degrees < 0 ? "W" : "E"));
  return put(4, location(degrees));
}

GPSEdit& GPSEdit::setLongitude(const EXFGPSLoc& loc, bool west) {
  put(3, text(west ? "W" : "E"));
  return put(4, rationals({loc.degrees(), loc.minutes(), loc.seconds()}));
}

GPSEdit& GPSEdit::setAltitude(double metres) {
  checkFinite(metres, "altitude");
  if (std::fabs(metres) >= 4e6) badValue("altitude is outside -4000000..4000000 m");
  put(5, byte(metres < 0 ? 1 : 0));
  const auto millimetres = static_cast<std::uint32_t>(std::llround(std::fabs(metres) * 1000));
  return put(6, {kRational, 1, {millimetres, 1000}, {}});
}

GPSEdit& GPSEdit::setDateStamp(const std::string& date) {
  const bool shaped = date.size() == 10 && date[4] == ':' && date[7] == ':' &&
                      std::all_of(date.begin(), date.end(), [](char c) {
                        return c == ':' || (c >= '0' && c <= '9');
                      });
  if (!shaped) badValue("GPS date '" + date + "' is not YYYY:MM:DD");
  return put(29, text(date));
}

GPSEdit& GPSEdit::setTimeStamp(const EXFGPSTimeStamp& time) {
  return put(7, rationals({time.hours(), time.minutes(), time.seconds()}));
}

GPSEdit& GPSEdit::setUTC(std::chrono::sys_time<std::chrono::milliseconds> instant) {
  using namespace std::chrono;
  const auto day = floor<days>(instant);
  const year_month_day ymd(day);
  const int y = static_cast<int>(ymd.year());
  if (y < 0 || y > 9999) badValue("GPS date outside the years 0..9999");
  char date[16];
  std::snprintf(date, sizeof date, "%04d:%02u:%02u", y, static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()));
  setDateStamp(date);
  const hh_mm_ss<milliseconds> t(instant - day);
  const auto ms = static_cast<std::uint32_t>(t.seconds().count() * 1000 + t.subseconds().count());
  return put(7, {kRational, 3,
                 {static_cast<std::uint32_t>(t.hours().count()), 1,
                  static_cast<std::uint32_t>(t.minutes().count()), 1, ms, 1000},
                 {}});
}

GPSEdit& GPSEdit::remove(std::uint16_t tag) {
  values_.erase(tag);
  removed_.push_back(tag);
  return *this;
}

GPSEdit& GPSEdit::removeAll() {
  values_.clear();
  removed_.clear();
  removeAll_ = true;
  return *this;
}

namespace {

[[noreturn]] void noRoom(std::size_t size, std::size_t grownBy) {
  throw EXFException(kSegmentTooLargeException,
                     "the EXIF block has no room for the GPS directory (" + std::to_string(grownBy) +
                         " more bytes needed) and would grow to " + std::to_string(size) +
                         " bytes, more than a JPEG segment holds (65533)");
}

}  // namespace

void editGPS(std::span<const std::uint8_t> payload, const GPSEdit& edit, Bytes& out) {
  const std::size_t original = out.size();
  try {
    const detail::PayloadEdit done = detail::appendEdited(payload, edit, out);
    if (out.size() - original > kMaxSegmentPayload) noRoom(out.size() - original, done.grownBy);
  } catch (...) {
    out.resize(original);
    throw;
  }
}

void freshGPSPayload(const GPSEdit& edit, bool big, Bytes& out) {
  const std::size_t start = out.size();
  const std::uint8_t mark = big ? M_ORDER : I_ORDER;
  out.insert(out.end(), {'E', 'x', 'i', 'f', 0, 0, mark, mark, 0, 0, 0, 0, 0, 0});
  put16(out.data() + start + 8, 42, big);
  put32(out.data() + start + 10, 8, big);
  const bool withGps = !edit.values().empty();
  // IFD0: the GPS pointer alone (or nothing), no link.
  const std::size_t n = withGps ? 1 : 0;
  out.resize(out.size() + 2 + 12 * n + 4, 0);
  put16(out.data() + start + 14, static_cast<std::uint32_t>(n), big);
  if (!withGps) return;
  const std::uint32_t gpsOffset = 8 + 2 + 12 + 4;  // right after IFD0
  const Entry pointer = gpsPointer(gpsOffset, big);
  std::copy(pointer.bytes.begin(), pointer.bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(start + 16));
  const Bytes gps = buildDirectory(gpsOffset, {}, newValues(edit, {}), {0, 0, 0, 0}, big);
  out.insert(out.end(), gps.begin(), gps.end());
}

namespace {

// The images a multi-picture index (an APP2 "MPF" segment) addresses after
// the main image: their file ranges, each marked with whether the index
// stands before `from` (then its positions, counted from its own header, do
// not move with them).
struct IndexedImage {
  std::size_t begin, end;
  bool indexBefore;
};
std::vector<IndexedImage> multiPictureImages(std::span<const std::uint8_t> jpeg, const JpegLayout& layout,
                                             std::size_t from) {
  std::vector<IndexedImage> images;
  for (const JpegSegment& s : layout.segments) {
    if (s.marker != 0xE2 || s.payload.size() < 12 || std::memcmp(s.payload.data(), "MPF", 4) != 0) continue;
    const auto tiff = s.payload.subspan(4);
    const ByteReader r(tiff);
    const bool big = tiff[0] == 'M';
    const std::size_t header = s.offset + 4 + 4;  // file position the index's positions count from
    const std::uint64_t ifd = *r.u32(4, big);
    const auto count = r.u16(ifd, big);
    for (std::size_t i = 0; count && i < *count; ++i) {
      const std::uint64_t e = ifd + 2 + 12 * i;
      if (!r.has(e, 12) || *r.u16(e, big) != 0xB002) continue;  // MPEntry: 16 bytes per image
      const std::uint64_t at = *r.u32(e + 8, big), entries = *r.u32(e + 4, big) / 16;
      for (std::uint64_t k = 0; k < entries && r.has(at + 16 * k, 16); ++k) {
        const std::uint64_t size = *r.u32(at + 16 * k + 4, big), offset = *r.u32(at + 16 * k + 8, big);
        if (offset != 0 && header + offset + size <= jpeg.size())
          images.push_back({header + offset, header + offset + size, s.offset < from});
      }
    }
  }
  return images;
}

// After `delta` bytes were put in at file position `from` (the EXIF segment
// grew, or a fresh one went in), corrects what addressed the bytes that
// moved: the EXIF block's own positions past its end (those of
// `payloadEdit`, whose payload stands at `payloadAt` in the new file's head
// and stood at `oldPayloadAt` in `jpeg`) and an AFCP trailer. The head is
// `out` from `outStart` on, and the input from `tailFrom` (= `from`) on
// follows it; a trailer to correct is appended to the head with all before
// it, and `tailFrom` becomes the input's end. Refuses, throwing, when
// something that may address the moved bytes cannot be read.
void followMovedBytes(std::span<const std::uint8_t> jpeg, const JpegLayout& layout, Bytes& out,
                      std::size_t outStart, std::size_t from, std::size_t delta,
                      const detail::PayloadEdit* payloadEdit, std::size_t payloadAt, std::size_t oldPayloadAt,
                      std::size_t& tailFrom) {
  if (delta == 0) return;
  // Where the image ends takes a pass over all its data: found only when a
  // question needs it.
  std::optional<std::size_t> imageEndAt;
  auto imageEnd = [&] {
    if (!imageEndAt) imageEndAt = findImageEnd(jpeg, layout.imageDataOffset);
    return *imageEndAt;
  };
  // Data after the image that something may address by position: what is
  // not zero and not an image of a multi-picture index that moves with it.
  const std::vector<IndexedImage> indexed = multiPictureImages(jpeg, layout, from);
  auto dataAfterImage = [&] {
    for (std::size_t i = imageEnd(); i < jpeg.size(); ++i) {
      const auto image = std::find_if(indexed.begin(), indexed.end(),
                                      [&](const IndexedImage& m) { return i >= m.begin && i < m.end; });
      if (image != indexed.end() && !image->indexBefore)
        i = image->end - 1;
      else if (jpeg[i] != 0)
        return true;
    }
    return false;
  };
  auto refuse = [&](const std::string& why) {
    throw EXFException(kUneditableExifException,
                       "the EXIF block has no room for the GPS directory and must grow by " + std::to_string(delta) +
                           " bytes, which moves the " + std::to_string(jpeg.size() - imageEnd()) +
                           " bytes stored after the image; " + why);
  };
  for (const IndexedImage& m : indexed)
    if (m.indexBefore && m.begin >= from) refuse("a multi-picture index that stays in place addresses them");
  if (payloadEdit) {
    if (payloadEdit->unreadMakerNote && dataAfterImage())
      refuse("its maker note, of a layout this library does not know, may address them");
    for (const PositionField& f : payloadEdit->pastEnd) {
      std::uint8_t* field = out.data() + outStart + payloadAt + f.at;
      const std::uint32_t value = EXFUtils::read4Bytes(field, f.bigEndian);
      const std::uint64_t target = f.base ? oldPayloadAt + *f.base + value : value;
      if (target < from) continue;
      if (std::uint64_t{value} + delta > UINT32_MAX) refuse("a position that addresses them would overflow");
      put32(field, static_cast<std::uint32_t>(value + delta), f.bigEndian);
    }
  }
  if (!endsWithAfcpTrailer(jpeg)) return;
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(tailFrom), jpeg.end());
  tailFrom = jpeg.size();
  if (shiftAfcpTrailer(std::span(out).subspan(outStart), from, delta) == AfcpShift::Damaged)
    refuse("they end with an AFCP trailer whose positions cannot be read");
}

// The segment [marker, length, payload] of what `appendPayload` appends.
template <class AppendPayload>
void appendSegment(Bytes& out, AppendPayload&& appendPayload) {
  out.insert(out.end(), {0xFF, 0xE1, 0, 0});
  const std::size_t lengthAt = out.size() - 2;
  appendPayload();
  const std::size_t length = out.size() - lengthAt;
  out[lengthAt] = static_cast<std::uint8_t>(length >> 8);
  out[lengthAt + 1] = static_cast<std::uint8_t>(length);
}

std::optional<std::size_t> exifSegment(const JpegLayout& layout) {
  for (std::size_t i = 0; i < layout.segments.size(); ++i)
    if (layout.segments[i].marker == 0xE1 && isExifPayload(layout.segments[i].payload)) return i;
  return std::nullopt;
}

}  // namespace

EditedHead<GPSEditOutcome> editJpegGPSHead(std::span<const std::uint8_t> jpeg, const GPSEdit& edit, Bytes& out) {
  const JpegLayout layout = readJpegLayout(jpeg);
  if (!layout.ok()) throw EXFException(kInvalidJpegException, layout.error);
  const std::size_t original = out.size();
  auto copy = [&](std::size_t from, std::size_t to) {
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(from),
               jpeg.begin() + static_cast<std::ptrdiff_t>(to));
  };
  try {
    if (const auto index = exifSegment(layout)) {
      const JpegSegment& s = layout.segments[*index];
      copy(0, s.offset);
      const std::size_t payloadAt = out.size() + 4;
      detail::PayloadEdit done;
      appendSegment(out, [&] {
        done = detail::appendEdited(s.payload, edit, out);
        if (out.size() - payloadAt > kMaxSegmentPayload) noRoom(out.size() - payloadAt, done.grownBy);
      });
      std::size_t tailFrom = s.end();
      followMovedBytes(jpeg, layout, out, original, s.end(), done.grownBy, &done, payloadAt - original,
                       s.offset + 4, tailFrom);
      return {GPSEditOutcome::EditedExistingBlock, tailFrom};
    }
    // No EXIF block: a fresh one after the APP0 segments that open the file
    // (JFIF first, as readers expect; and data in other APP0 segments, such
    // as a camera's own records, does not move).
    std::size_t insertAt = 2;
    for (const JpegSegment& s : layout.segments) {
      if (s.marker != 0xE0) break;
      insertAt = s.end();
    }
    copy(0, insertAt);
    const std::size_t before = out.size();
    appendSegment(out, [&] { freshGPSPayload(edit, false, out); });
    std::size_t tailFrom = insertAt;
    followMovedBytes(jpeg, layout, out, original, insertAt, out.size() - before, nullptr, 0, 0, tailFrom);
    return {GPSEditOutcome::AddedNewBlock, tailFrom};
  } catch (...) {
    out.resize(original);
    throw;
  }
}

GPSEditOutcome editJpegGPS(std::span<const std::uint8_t> jpeg, const GPSEdit& edit, Bytes& out) {
  if (out.capacity() < out.size() + jpeg.size() + 1024) out.reserve(out.size() + jpeg.size() + 1024);
  const auto [outcome, tailFrom] = editJpegGPSHead(jpeg, edit, out);
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(tailFrom), jpeg.end());
  return outcome;
}

EditedHead<GPSStripOutcome> stripJpegGPSHead(std::span<const std::uint8_t> jpeg, Bytes& out) {
  const JpegLayout layout = readJpegLayout(jpeg);
  if (!layout.ok()) throw EXFException(kInvalidJpegException, layout.error);
  const auto index = exifSegment(layout);
  if (!index || !mapExifBlock(layout.segments[*index].payload).gpsPointerEntry)
    return {GPSStripOutcome::NoPosition, 0};
  return {GPSStripOutcome::Stripped, editJpegGPSHead(jpeg, GPSEdit().removeAll(), out).tailFrom};
}

GPSStripOutcome stripJpegGPS(std::span<const std::uint8_t> jpeg, Bytes& out) {
  const auto [outcome, tailFrom] = stripJpegGPSHead(jpeg, out);
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(tailFrom), jpeg.end());
  return outcome;
}

}  // namespace exif
