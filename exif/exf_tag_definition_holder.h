#pragma once
// EXFTagDefinitionHolder: the fixed table of the 108 tags the library knows.
// One flat table keyed by tag number, whatever the directory. The table is
// immutable and built at compile time; every metadata store shares the one
// instance from shared(), which is safe from any thread.
#include "exif/exf_tag.h"
#include "exif/exif_constants.h"

#include <cstdint>
#include <span>

namespace exif {

class EXFTagDefinitionHolder {
 public:
  static const EXFTagDefinitionHolder& shared();

  // Every definition, in ascending tag order.
  std::span<const EXFTag> definitions() const;
  // The definition for a tag number, or null.
  const EXFTag* find(TagKey key) const;

 private:
  EXFTagDefinitionHolder() = default;
};

}  // namespace exif
