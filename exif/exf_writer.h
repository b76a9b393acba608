#pragma once
// EXFWriter: one directory's output while the EXIF payload is being built:
// the entry table (2-byte count and 12-byte entries) and the value area
// (every value longer than 4 bytes, in entry order). The 4-byte link that
// stands between the two in the output is not part of either.
#include "exif/exif_constants.h"

#include <cstddef>

namespace exif {

class EXFWriter {
 public:
  Bytes& tagData() { return tagData_; }
  const Bytes& tagData() const { return tagData_; }
  void setTagData(Bytes b) { tagData_ = std::move(b); }
  Bytes& overflowData() { return overflowData_; }
  const Bytes& overflowData() const { return overflowData_; }
  void setOverflowData(Bytes b) { overflowData_ = std::move(b); }

  // Entry table plus value area, without the link.
  std::size_t blockLength() const { return tagData_.size() + overflowData_.size(); }

 private:
  Bytes tagData_;
  Bytes overflowData_;
};

}  // namespace exif
