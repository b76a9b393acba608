// The lossless GPS edit: the original payload is copied as it stands and the
// new directories are appended after it; only one 4-byte pointer changes.
#include "exif/lossless_gps_edit.h"

#include "exif/byte_reader.h"
#include "exif/exf_exception.h"
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
[[noreturn]] void uneditable(const std::string& reason) {
  throw EXFException(kUneditableExifException, reason);
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

// A directory read from the payload: where it stands, its entries as they
// are, and its next-directory link.
struct RawDirectory {
  std::size_t position;  // payload position of its entry count
  std::vector<Entry> entries;
  std::array<std::uint8_t, 4> link;
};

RawDirectory readDirectory(const ByteReader& r, std::size_t position, bool big, const char* name) {
  auto count = r.u16(position, big);
  if (!count || !r.has(position + 2, 12ull * *count + 4))
    uneditable(std::string(name) + " lies outside the EXIF block");
  RawDirectory dir{position, {}, {}};
  dir.entries.reserve(*count + 1u);
  for (std::size_t i = 0; i < *count; ++i) {
    const std::size_t e = position + 2 + 12 * i;
    Entry entry{*r.u16(e, big), {}};
    std::copy_n(r.span(e, 12)->begin(), 12, entry.bytes.begin());
    dir.entries.push_back(entry);
  }
  std::copy_n(r.span(position + 2 + 12ull * *count, 4)->begin(), 4, dir.link.begin());
  return dir;
}

void padToEven(Bytes& out, std::size_t payloadStart) {
  if ((out.size() - payloadStart) % 2 != 0) out.push_back(0);
}

// Appends a directory (entries sorted by tag, then the link) followed by the
// value area of `values`, whose entries get their offsets here. Returns the
// directory's TIFF offset.
std::uint32_t appendDirectory(Bytes& out, std::size_t payloadStart, std::vector<Entry> entries,
                              const std::map<std::uint16_t, GPSEdit::Value>& values,
                              const std::array<std::uint8_t, 4>& link, bool big) {
  padToEven(out, payloadStart);
  const std::size_t dirAt = out.size();
  const std::size_t n = entries.size() + values.size();
  const std::size_t areaOffset = dirAt - payloadStart - kBase + 2 + 12 * n + 4;
  Bytes area;
  for (const auto& [tag, v] : values) {
    Entry e{tag, {}};
    put16(e.bytes.data(), tag, big);
    put16(e.bytes.data() + 2, static_cast<std::uint32_t>(v.type), big);
    put32(e.bytes.data() + 4, v.count, big);
    Bytes field;
    appendField(field, v, big);
    if (field.size() <= 4) {
      std::copy(field.begin(), field.end(), e.bytes.begin() + 8);
    } else {
      put32(e.bytes.data() + 8, static_cast<std::uint32_t>(areaOffset + area.size()), big);
      area.insert(area.end(), field.begin(), field.end());
      if (area.size() % 2 != 0) area.push_back(0);
    }
    entries.push_back(e);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  out.resize(out.size() + 2);
  put16(out.data() + dirAt, static_cast<std::uint32_t>(n), big);
  for (const Entry& e : entries) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
  out.insert(out.end(), link.begin(), link.end());
  out.insert(out.end(), area.begin(), area.end());
  return static_cast<std::uint32_t>(dirAt - payloadStart - kBase);
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

void appendEdited(std::span<const std::uint8_t> payload, const GPSEdit& edit, Bytes& out) {
  const ByteReader r(payload);
  if (payload.size() < 14 || !std::equal(exifChars.begin(), exifChars.begin() + 4, payload.begin()))
    uneditable("not an EXIF block");
  bool big;
  if (payload[6] == M_ORDER && payload[7] == M_ORDER)
    big = true;
  else if (payload[6] == I_ORDER && payload[7] == I_ORDER)
    big = false;
  else
    uneditable("unknown byte order mark in the EXIF block");
  if (*r.u16(8, big) != 42) uneditable("the EXIF block's TIFF header lacks the number 42");
  const RawDirectory ifd0 = readDirectory(r, kBase + *r.u32(10, big), big, "IFD0");

  // The GPS pointer entry, if IFD0 has one.
  std::optional<std::size_t> pointerIndex;
  std::vector<Entry> existing;
  for (std::size_t i = 0; i < ifd0.entries.size(); ++i) {
    if (ifd0.entries[i].tag != TAG_EXIF_GPS) continue;
    const Entry& e = ifd0.entries[i];
    const std::uint16_t type = EXFUtils::read2Bytes(e.bytes.data() + 2, big);
    const std::uint32_t count = EXFUtils::read4Bytes(e.bytes.data() + 4, big);
    if ((type != kLong && type != 13) || count != 1)
      uneditable("IFD0's GPS pointer has field type " + std::to_string(type) + " and count " +
                 std::to_string(count) + " instead of one offset");
    if (pointerIndex) uneditable("IFD0 holds two GPS pointers");
    pointerIndex = i;
    const std::uint32_t gpsOffset = EXFUtils::read4Bytes(e.bytes.data() + 8, big);
    existing = readDirectory(r, kBase + gpsOffset, big, "the GPS directory").entries;
  }

  const std::size_t original = out.size();
  out.reserve(out.size() + payload.size() + 512);
  out.insert(out.end(), payload.begin(), payload.end());
  if (edit.empty()) return;
  const std::size_t start = original;
  const std::size_t ifd0EntriesAt = start + ifd0.position + 2;

  if (edit.removesAll() && edit.values().empty()) {
    if (!pointerIndex) return;  // nothing to remove
    std::vector<Entry> entries = ifd0.entries;
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(*pointerIndex));
    const std::uint32_t copy = appendDirectory(out, start, entries, {}, ifd0.link, big);
    put32(out.data() + start + 10, copy, big);
    return;
  }

  const std::vector<Entry> kept = keptGpsEntries(existing, edit, big);
  const std::uint32_t gps = appendDirectory(out, start, kept, newValues(edit, kept), {0, 0, 0, 0}, big);
  if (pointerIndex) {
    put32(out.data() + ifd0EntriesAt + 12 * *pointerIndex + 8, gps, big);
  } else {
    std::vector<Entry> entries = ifd0.entries;
    entries.push_back(gpsPointer(gps, big));
    const std::uint32_t copy = appendDirectory(out, start, entries, {}, ifd0.link, big);
    put32(out.data() + start + 10, copy, big);
  }
}

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

void editGPS(std::span<const std::uint8_t> payload, const GPSEdit& edit, Bytes& out) {
  const std::size_t original = out.size();
  try {
    appendEdited(payload, edit, out);
  } catch (...) {
    out.resize(original);
    throw;
  }
  if (out.size() - original > kMaxSegmentPayload) {
    const std::size_t size = out.size() - original;
    out.resize(original);
    throw EXFException(kSegmentTooLargeException,
                       formatReason(reasons::kSegmentTooLarge, {std::to_string(size), "0xE1"}));
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
  const std::size_t gpsOffset = 8 + 2 + 12 + 4;  // right after IFD0
  const Entry pointer = gpsPointer(static_cast<std::uint32_t>(gpsOffset), big);
  std::copy(pointer.bytes.begin(), pointer.bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(start + 16));
  appendDirectory(out, start, {}, newValues(edit, {}), {0, 0, 0, 0}, big);
}

GPSEditOutcome editJpegGPS(std::span<const std::uint8_t> jpeg, const GPSEdit& edit, Bytes& out) {
  const JpegLayout layout = readJpegLayout(jpeg);
  if (!layout.ok()) throw EXFException(kInvalidJpegException, layout.error);
  const std::size_t original = out.size();
  auto copy = [&](std::size_t from, std::size_t to) {
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(from),
               jpeg.begin() + static_cast<std::ptrdiff_t>(to));
  };
  // The edited or fresh payload as an APP1 segment: marker, length, payload.
  auto segment = [&](auto&& appendPayload) {
    out.insert(out.end(), {0xFF, 0xE1, 0, 0});
    const std::size_t lengthAt = out.size() - 2;
    appendPayload();
    const std::size_t length = out.size() - lengthAt;
    out[lengthAt] = static_cast<std::uint8_t>(length >> 8);
    out[lengthAt + 1] = static_cast<std::uint8_t>(length);
  };
  if (out.capacity() < original + jpeg.size() + 1024) out.reserve(original + jpeg.size() + 1024);
  try {
    for (const JpegSegment& s : layout.segments) {
      if (s.marker != 0xE1 || !isExifPayload(s.payload)) continue;
      copy(0, s.offset);
      segment([&] { editGPS(s.payload, edit, out); });
      copy(s.end(), jpeg.size());
      return GPSEditOutcome::EditedExistingBlock;
    }
    // No EXIF block: a fresh one after SOI, or after a JFIF APP0 opening the file.
    std::size_t insertAt = 2;
    const auto& segs = layout.segments;
    if (!segs.empty() && segs[0].marker == 0xE0 && segs[0].payload.size() >= 5 &&
        std::memcmp(segs[0].payload.data(), "JFIF", 5) == 0)
      insertAt = segs[0].end();
    copy(0, insertAt);
    segment([&] { freshGPSPayload(edit, false, out); });
    copy(insertAt, jpeg.size());
    return GPSEditOutcome::AddedNewBlock;
  } catch (...) {
    out.resize(original);
    throw;
  }
}

}  // namespace exif
