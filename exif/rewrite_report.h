#pragma once
// What a parse could not keep and what a full rewrite cannot carry.
//
// UnkeptEntry: one directory entry that the parse read but could not store
// in the value dictionaries (a tag the table does not know, a FLOAT, a value
// outside the payload, ...), with its raw field bytes when they were readable,
// so that a caller can still show it.
//
// RewriteReport: the one list a caller reads before it rewrites a file from
// the model (EXFJpeg::populateImageData, EXFMetaData::getData): everything
// the new file will not hold as the old one did. An empty report means the
// rewrite carries every value. The lossless GPS edit (lossless_gps_edit.h)
// has no such losses: it moves nothing.
#include "exif/exif_constants.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace exif {

struct UnkeptEntry {
  TagKey group = TAG_EXIF_ROOT;  // pointer tag of its directory; TAG_EXIF_ROOT for IFD0/IFD1
  bool thumbnail = false;        // in IFD1
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  std::optional<Bytes> value;    // field bytes in the block's byte order, if readable
  std::string reason;            // why it was not kept
};

struct RewriteLoss {
  enum class Kind {
    UnkeptEntry,         // an entry the parse could not keep
    UnwritableValue,     // a stored value the writer leaves out or cuts short
    MakerNoteOffsets,    // a maker note moves, and offsets inside it point at old places
    StripThumbnail,      // a thumbnail stored as strips, whose data is not carried
    ThumbnailLeftBehind, // a JPEG thumbnail the parse could not take
    LostEntries,         // entries of a directory that ran off the payload
  };
  Kind kind;
  TagKey group = TAG_EXIF_ROOT;  // directory, as in UnkeptEntry
  bool thumbnail = false;
  std::int64_t tag = -1;         // -1 when the loss is not one tag's
  std::size_t count = 1;         // how many entries it stands for
  std::string text;              // one line for people
};

class RewriteReport {
 public:
  const std::vector<RewriteLoss>& losses() const { return losses_; }
  bool lossless() const { return losses_.empty(); }
  // How many entries the losses stand for.
  std::size_t entryCount() const;
  void add(RewriteLoss loss) { losses_.push_back(std::move(loss)); }

 private:
  std::vector<RewriteLoss> losses_;
};

}  // namespace exif
