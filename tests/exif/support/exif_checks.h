#pragma once
// Test support for suites that run the library: a payload read and written, a directory's tags,
// the failure a call throws, and names for the instances of a byte-order test.
#include "exif/exf_exception.h"
#include "exif/exf_meta_data.h"
#include "exif/exf_utils.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace exif_testing {

inline exif::EXFMetaData parse(std::span<const std::uint8_t> payload) {
  exif::EXFMetaData md;
  md.parseExif(payload);
  return md;
}

// The payload the writer makes of `md`.
inline std::vector<std::uint8_t> write(exif::EXFMetaData& md) {
  std::vector<std::uint8_t> out;
  md.getData(out);
  return out;
}

// The name and reason of the EXFException `f` throws; both empty when it throws none.
using Failure = std::pair<std::string, std::string>;
inline Failure failure(const std::function<void()>& f) {
  try {
    f();
  } catch (const exif::EXFException& e) {
    return {e.name(), e.what()};
  }
  return {};
}

// The directory at TIFF offset `offset`: its tags in table order.
inline std::vector<std::uint16_t> tagsAt(std::span<const std::uint8_t> payload, std::size_t offset, bool big) {
  std::vector<std::uint16_t> tags;
  const std::size_t at = 6 + offset;
  const std::uint16_t n = exif::EXFUtils::read2Bytes(payload.data() + at, big);
  for (std::size_t i = 0; i < n; ++i) tags.push_back(exif::EXFUtils::read2Bytes(payload.data() + at + 2 + 12 * i, big));
  return tags;
}

// Instances of a test over `bool big` named by the order's mark.
inline std::string byteOrderName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "MM" : "II"; }

}  // namespace exif_testing
