// The JPEG rebuild: SOI, the scanned segments in file order with a fresh
// EXIF APP1 in place of the old one, then the tail.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace exif {
namespace {

[[noreturn]] void tooLarge(std::size_t payload, int marker) {
  char markerText[8];
  std::snprintf(markerText, sizeof markerText, "0x%02X", marker);
  throw EXFException(kSegmentTooLargeException,
                     formatReason(reasons::kSegmentTooLarge, {std::to_string(payload), markerText}));
}

void appendSegment(Bytes& out, int marker, std::span<const std::uint8_t> payload, bool standalone) {
  out.push_back(0xFF);
  out.push_back(static_cast<std::uint8_t>(marker));
  if (standalone) return;
  if (payload.size() > kMaxSegmentPayload) tooLarge(payload.size(), marker);
  const std::size_t length = payload.size() + 2;
  out.push_back(static_cast<std::uint8_t>(length >> 8));
  out.push_back(static_cast<std::uint8_t>(length));
  out.insert(out.end(), payload.begin(), payload.end());
}

bool isStandalone(int marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

bool isJfif(const Bytes& payload) { return payload.size() >= 5 && std::memcmp(payload.data(), "JFIF", 5) == 0; }

}  // namespace

void EXFJpeg::populateImageData(Bytes& out) {
  if (scanError_)
    throw EXFException(kInvalidJpegException, "the scanned file is damaged: " + *scanError_);
  const std::size_t original = out.size();
  auto writeExif = [&] {
    if (exifMetaData_.keyedTagValues().empty()) return;
    out.insert(out.end(), {0xFF, 0xE1, 0x00, 0x00});
    const std::size_t lengthAt = out.size() - 2;
    exifMetaData_.getData(out);
    const std::size_t length = out.size() - lengthAt;
    if (length - 2 > kMaxSegmentPayload) tooLarge(length - 2, 0xE1);
    out[lengthAt] = static_cast<std::uint8_t>(length >> 8);
    out[lengthAt + 1] = static_cast<std::uint8_t>(length);
  };
  try {
    std::size_t total = 2 + (tail_ ? tail_->size() : 0) + 64 * 1024;
    for (const Segment& s : segments_) total += s.payload.size() + 4;
    out.reserve(original + total);
    out.push_back(0xFF);
    out.push_back(0xD8);
    if (headersReplaced_) {
      // The caller's headers, in marker order, then the other segments.
      for (int marker = 0xE0; marker <= 0xEF; ++marker) {
        if (marker == 0xE1) {
          writeExif();
          continue;
        }
        if (auto it = keyedHeaders_.find(marker); it != keyedHeaders_.end())
          appendSegment(out, marker, it->second, false);
      }
      for (const Segment& s : segments_)
        if (s.marker < 0xE0 || s.marker > 0xEF) appendSegment(out, s.marker, s.payload, isStandalone(s.marker));
    } else {
      // A file without an EXIF block gets one after SOI and a leading JFIF APP0.
      const bool leadingJfif = !segments_.empty() && segments_[0].marker == 0xE0 && isJfif(segments_[0].payload);
      if (!exifSegment_ && !leadingJfif) writeExif();
      std::size_t stray = 0;
      auto straysBefore = [&](std::size_t offset) {
        for (; stray < strays_.size() && strays_[stray].offset < offset; ++stray)
          out.insert(out.end(), strays_[stray].bytes.begin(), strays_[stray].bytes.end());
      };
      for (std::size_t i = 0; i < segments_.size(); ++i) {
        const Segment& s = segments_[i];
        straysBefore(s.offset);
        if (exifSegment_ == i)
          writeExif();
        else
          appendSegment(out, s.marker, s.payload, isStandalone(s.marker));
        if (i == 0 && !exifSegment_ && leadingJfif) writeExif();
      }
      straysBefore(SIZE_MAX);
    }
    if (tail_) out.insert(out.end(), tail_->begin(), tail_->end());
  } catch (...) {
    out.resize(original);
    throw;
  }
}

}  // namespace exif
