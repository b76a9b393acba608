#include "tests/exif/support/exif_builder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace exif_testing {
namespace {

void append(Bytes& out, std::uint64_t v, int width, bool big) {
  for (int i = 0; i < width; ++i)
    out.push_back(static_cast<std::uint8_t>(v >> (big ? 8 * (width - 1 - i) : 8 * i)));
}

void put(Bytes& bytes, std::size_t at, std::uint64_t v, int width, bool big) {
  Bytes b;
  append(b, v, width, big);
  std::copy(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

Entry numeric(std::uint16_t tag, std::uint16_t type, std::vector<std::uint64_t> numbers,
              std::size_t count) {
  return Entry{tag, type, static_cast<std::uint32_t>(count), std::move(numbers), std::nullopt};
}

template <class Pairs>
Entry rationals(std::uint16_t tag, std::uint16_t type, const Pairs& v) {
  std::vector<std::uint64_t> n;
  for (auto [a, b] : v) n.insert(n.end(), {static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b)});
  return numeric(tag, type, n, v.size());
}

std::uint16_t pointerTag(Ifd ifd) {
  return ifd == Ifd::Exif ? 0x8769 : ifd == Ifd::Gps ? 0x8825 : ifd == Ifd::Interop ? 0xA005 : 0;
}

}  // namespace

Entry Byte(std::uint16_t tag, std::initializer_list<std::uint64_t> v) { return numeric(tag, 1, v, v.size()); }
Entry Short(std::uint16_t tag, std::initializer_list<std::uint64_t> v) { return numeric(tag, 3, v, v.size()); }
Entry Long(std::uint16_t tag, std::initializer_list<std::uint64_t> v) { return numeric(tag, 4, v, v.size()); }
Entry Rational(std::uint16_t tag, std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> v) {
  return rationals(tag, 5, v);
}
Entry SRational(std::uint16_t tag, std::initializer_list<std::pair<std::int32_t, std::int32_t>> v) {
  return rationals(tag, 10, v);
}
Entry Ascii(std::uint16_t tag, const std::string& text) {
  Bytes raw(text.begin(), text.end());
  raw.push_back(0);
  return Raw(tag, 2, static_cast<std::uint32_t>(raw.size()), raw);
}
Entry Undefined(std::uint16_t tag, const Bytes& bytes) {
  return Raw(tag, 7, static_cast<std::uint32_t>(bytes.size()), bytes);
}
Entry Raw(std::uint16_t tag, std::uint16_t type, std::uint32_t count, const Bytes& bytes) {
  return Entry{tag, type, count, {}, bytes};
}

Bytes ExifBuilder::build() const {
  const std::uint8_t mark = big_ ? 'M' : 'I';
  Bytes out = {'E', 'x', 'i', 'f', 0, 0, mark, mark};
  append(out, 42, 2, big_);
  append(out, 8, 4, big_);
  positions_.clear();
  // The Interop group hangs off Exif (which then exists too), the rest off IFD0.
  auto has = [&](Ifd ifd) {
    return entries_.count(ifd) != 0 || (ifd == Ifd::Exif && entries_.count(Ifd::Interop) != 0);
  };
  std::map<Ifd, std::size_t> pointerAt;  // where each pointer's offset (or the thumbnail's) goes

  // Writes one directory and its values at the end of `out`; returns the
  // position of its link field. TIFF offsets are payload positions - 6.
  auto writeDir = [&](Ifd ifd) {
    std::vector<Entry> list;
    if (auto it = entries_.find(ifd); it != entries_.end()) list = it->second;
    auto children = ifd == Ifd::Ifd0 ? std::vector<Ifd>{Ifd::Exif, Ifd::Gps}
                                     : ifd == Ifd::Exif ? std::vector<Ifd>{Ifd::Interop} : std::vector<Ifd>{};
    for (Ifd child : children)
      if (has(child)) list.push_back(numeric(pointerTag(child), 4, {0}, 1));
    if (ifd == Ifd::Ifd1 && thumbnail_) {
      list.push_back(numeric(0x0201, 4, {0}, 1));
      list.push_back(numeric(0x0202, 4, {thumbnail_->size()}, 1));
    }
    std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    positions_[ifd] = out.size();
    append(out, list.size(), 2, big_);
    const std::size_t valuesAt = out.size() + 12 * list.size() + 4;
    Bytes values;
    for (const Entry& e : list) {
      append(out, e.tag, 2, big_);
      append(out, e.type, 2, big_);
      append(out, e.count, 4, big_);
      Bytes v = e.raw.value_or(Bytes{});
      static constexpr int kWidth[] = {0, 1, 1, 2, 4, 4, 1, 1, 2, 4, 4, 4, 4};  // a rational: two 4s
      for (auto n : e.numbers) append(v, n, kWidth[e.type], big_);
      for (Ifd child : children)
        if (e.tag == pointerTag(child)) pointerAt[child] = out.size();
      if (ifd == Ifd::Ifd1 && e.tag == 0x0201) pointerAt[Ifd::Ifd1] = out.size();
      if (v.size() <= 4) {
        v.resize(4, 0);
        out.insert(out.end(), v.begin(), v.end());
      } else {
        append(out, valuesAt + values.size() - 6, 4, big_);
        values.insert(values.end(), v.begin(), v.end());
      }
    }
    const std::size_t link = out.size();
    append(out, 0, 4, big_);
    out.insert(out.end(), values.begin(), values.end());
    return link;
  };

  const std::size_t ifd0Link = writeDir(Ifd::Ifd0);
  for (Ifd group : {Ifd::Exif, Ifd::Interop, Ifd::Gps}) {
    if (!has(group)) continue;
    put(out, pointerAt.at(group), out.size() - 6, 4, big_);
    writeDir(group);
  }
  if (has(Ifd::Ifd1) || thumbnail_) {
    put(out, ifd0Link, out.size() - 6, 4, big_);
    writeDir(Ifd::Ifd1);
    if (thumbnail_) {
      put(out, pointerAt.at(Ifd::Ifd1), out.size() - 6, 4, big_);
      out.insert(out.end(), thumbnail_->begin(), thumbnail_->end());
    }
  }
  return out;
}

Bytes segment(std::uint8_t marker, const Bytes& payload) {
  Bytes out = {0xFF, marker};
  append(out, payload.size() + 2, 2, true);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes jfifPayload() { return bytesOf({'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 72, 0, 72, 0, 0}); }

Bytes jpegTail(std::size_t scanBytes) {
  Bytes dqt(65, 1);
  dqt[0] = 0;
  const Bytes sof = {8, 0, 8, 0, 16, 1, 1, 0x11, 0};  // 8-bit, 8 high, 16 wide, 1 component
  Bytes out = jpeg({segment(0xDB, dqt), segment(0xC0, sof), segment(0xC4, Bytes(18, 0)),
                    segment(0xDA, bytesOf({1, 1, 0, 0, 63, 0}))}, {});
  out.erase(out.begin(), out.begin() + 2);  // no SOI
  for (std::size_t i = 0; i < scanBytes; ++i) out.push_back(static_cast<std::uint8_t>(i * 7 % 255));
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

Bytes jpeg(std::initializer_list<Bytes> segments, const Bytes& tail) {
  Bytes out = {0xFF, 0xD8};
  for (const Bytes& s : segments) out.insert(out.end(), s.begin(), s.end());
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

void putU16(Bytes& bytes, std::size_t at, std::uint16_t v, bool big) { put(bytes, at, v, 2, big); }
void putU32(Bytes& bytes, std::size_t at, std::uint32_t v, bool big) { put(bytes, at, v, 4, big); }

Bytes bytesOf(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace exif_testing
