// The JPEG rebuild: SOI, application segments in marker order with a fresh
// EXIF APP1, then the scanned tail.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "exif/exf_utils.h"

#include <cstdio>

namespace exif {
namespace {

[[noreturn]] void tooLarge(std::size_t payload, int marker) {
  char markerText[8];
  std::snprintf(markerText, sizeof markerText, "0x%02X", marker);
  throw EXFException(kSegmentTooLargeException,
                     formatReason(reasons::kSegmentTooLarge, {std::to_string(payload), markerText}));
}

void writeLength(std::uint8_t* at, std::size_t length) {
  std::uint8_t slot[4];
  EXFUtils::write2Bytes(slot, Number::fromUInt32(static_cast<std::uint32_t>(length)), true);
  at[0] = slot[0];
  at[1] = slot[1];
}

}  // namespace

void EXFJpeg::populateImageData(Bytes& out) {
  const std::size_t original = out.size();
  try {
    out.push_back(0xFF);
    out.push_back(0xD8);
    for (int marker = 0xE0; marker <= 0xEF; ++marker) {
      if (marker == 0xE1) {
        if (exifMetaData_.keyedTagValues().empty()) continue;
        out.insert(out.end(), {0xFF, 0xE1, 0x00, 0x00});
        const std::size_t lengthAt = out.size() - 2;
        exifMetaData_.getData(out);
        const std::size_t length = out.size() - lengthAt;
        if (length - 2 > kMaxSegmentPayload) tooLarge(length - 2, marker);
        writeLength(out.data() + lengthAt, length);
        continue;
      }
      auto it = keyedHeaders_.find(marker);
      if (it == keyedHeaders_.end()) continue;
      const Bytes& payload = it->second;
      if (payload.size() > kMaxSegmentPayload) tooLarge(payload.size(), marker);
      out.insert(out.end(), {0xFF, static_cast<std::uint8_t>(marker), 0x00, 0x00});
      writeLength(out.data() + out.size() - 2, payload.size() + 2);
      out.insert(out.end(), payload.begin(), payload.end());
    }
    if (remainingData_) {
      out.reserve(out.size() + remainingData_->size());
      out.insert(out.end(), remainingData_->begin(), remainingData_->end());
    }
  } catch (...) {
    out.resize(original);
    throw;
  }
}

}  // namespace exif
