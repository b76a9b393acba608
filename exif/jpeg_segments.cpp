// The segment walk: one forward pass from SOI to the image data, by lengths.
#include "exif/jpeg_segments.h"

#include "exif/exif_constants.h"

#include <algorithm>
#include <cstring>

namespace exif {
namespace {

// Markers that stand alone, without a length field.
bool isStandalone(int marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

std::string at(std::size_t offset) { return " at offset " + std::to_string(offset); }

}  // namespace

bool isExifPayload(std::span<const std::uint8_t> payload) {
  return payload.size() >= exifChars.size() &&
         std::equal(exifChars.begin(), exifChars.end(), payload.begin());
}

JpegLayout readJpegLayout(std::span<const std::uint8_t> file) {
  JpegLayout layout;
  if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) {
    layout.error = "not a JPEG file (no start-of-image marker)";
    return layout;
  }
  std::size_t pos = 2;
  auto fail = [&](std::size_t stoppedAt, std::string why) {
    layout.imageDataOffset = stoppedAt;
    layout.error = std::move(why);
    return layout;
  };
  for (;;) {
    if (pos >= file.size()) return fail(pos, "the file ends before its image data");
    if (file[pos] != 0xFF) {
      // Stray bytes: on to the next marker (FF followed by a marker code).
      std::size_t next = pos;
      while (next + 1 < file.size() && !(file[next] == 0xFF && file[next + 1] != 0x00)) ++next;
      if (next + 1 >= file.size()) return fail(pos, "no marker after offset " + std::to_string(pos));
      layout.strays.push_back({pos, next - pos});
      pos = next;
    }
    const std::size_t segmentStart = pos;
    std::size_t markerAt = pos;
    while (pos < file.size() && file[pos] == 0xFF) markerAt = pos++;
    if (pos >= file.size()) return fail(segmentStart, "the file ends before its image data");
    const int marker = file[pos++];
    if (marker == 0xDA || marker == 0xD9) {
      layout.imageDataOffset = markerAt;
      return layout;
    }
    if (marker == 0x00 || marker == 0xD8) return fail(segmentStart, "unexpected marker" + at(markerAt));
    if (isStandalone(marker)) {
      layout.segments.push_back({marker, markerAt, 2, {}});
      continue;
    }
    if (file.size() - pos < 2)
      return fail(segmentStart, "the file ends inside the segment" + at(markerAt));
    const std::size_t length = std::size_t{file[pos]} << 8 | file[pos + 1];
    if (length < 2 || length > file.size() - pos)
      return fail(segmentStart, "the segment" + at(markerAt) + " runs past the end of the file");
    layout.segments.push_back(
        {marker, markerAt, pos + length - markerAt, file.subspan(pos + 2, length - 2)});
    pos += length;
  }
}

std::size_t findImageEnd(std::span<const std::uint8_t> file, std::size_t pos) {
  while (pos + 1 < file.size()) {
    if (file[pos] != 0xFF) {
      // Entropy-coded data: on to the next FF, the only byte that can start
      // a marker.
      const void* ff = std::memchr(file.data() + pos, 0xFF, file.size() - pos);
      if (ff == nullptr) break;
      pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(ff) - file.data());
      continue;
    }
    const int code = file[pos + 1];
    if (code == 0xD9) return pos + 2;
    if (code == 0x00 || code == 0xFF || isStandalone(code)) {
      ++pos;  // stuffed byte, fill byte or restart marker inside the data
      continue;
    }
    if (pos + 3 >= file.size()) break;
    pos += 2 + (std::size_t{file[pos + 2]} << 8 | file[pos + 3]);  // a segment: SOS, tables
  }
  return file.size();
}

}  // namespace exif
