// The EXIF payload parser: TIFF header, IFD0 with its sub-directories, IFD1
// and the thumbnail. Every read goes through ByteReader; anything that points
// outside the payload, loops back, nests deeper than any real file does,
// shares its bytes beyond what the payload holds, or cannot be converted is
// skipped and counted, and marks its directory incomplete.
#include "exif/byte_reader.h"
#include "exif/exf_meta_data.h"

#include <algorithm>

namespace exif {

class ExifDirectoryParser {
 public:
  ExifDirectoryParser(EXFMetaData& model, std::span<const std::uint8_t> payload)
      : model_(model), reader_(payload), big_(model.bigEndianOrder()),
        // No honest payload holds more entries than fit in it side by side,
        // nor more value bytes than it has: entries that share their bytes
        // cannot multiply what is stored.
        entryBudget_(payload.size() / 12 + 1), valueBudget_(payload.size()) {}

  // Parses the directory at payload position `position` into `dir` and
  // returns its next-directory link (0 when there is none or it is unreadable).
  // `group` is the pointer tag the directory hangs under (TAG_EXIF_ROOT for
  // IFD0 and IFD1), `depth` how many pointers led to it.
  std::int32_t processExifDir(Directory& dir, std::uint64_t position, std::uint64_t base,
                              bool isThumbnail, TagKey group = TAG_EXIF_ROOT, int depth = 0);

  // Whether a directory may be parsed at `position`: inside the payload and
  // not visited before in this parse (which breaks loops of pointers).
  bool canEnter(std::uint64_t position) const {
    return reader_.has(position, 2) &&
           std::find(visited_.begin(), visited_.end(), position) == visited_.end();
  }

 private:
  void skip(std::size_t entries = 1) { model_.skippedEntries_ += entries; }
  // Stores the entry converted by its own field type; false if nothing stored.
  bool assignPlain(Directory& dir, TagKey key, int type, std::uint64_t count, std::uint64_t at);
  // IFD1's thumbnail: where JPEGInterchangeFormat says, or else whatever
  // follows a complete directory; taken only when it ends the payload.
  void takeThumbnail(const Directory& dir, std::uint64_t base, std::uint64_t furthest,
                     std::uint64_t linkEnd, bool incomplete);

  // IFD0 → Exif → Interoperability is as deep as real files go; the limit
  // keeps hostile chains of pointers from exhausting the stack.
  static constexpr int kMaxDepth = 8;

  EXFMetaData& model_;
  ByteReader reader_;
  bool big_;
  std::size_t entryBudget_;
  std::uint64_t valueBudget_;
  std::vector<std::uint64_t> visited_;
};

namespace {

template <class Read>
TagValue elements(std::uint64_t count, Read read) {
  if (count == 1) return read(0);
  Array out;
  out.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) out.push_back(read(i));
  return out;
}

}  // namespace

bool ExifDirectoryParser::assignPlain(Directory& dir, TagKey key, int type, std::uint64_t count,
                                      std::uint64_t at) {
  const bool big = big_;
  const ByteReader& r = reader_;
  // The caller has checked that count × size bytes at `at` are readable.
  auto u8 = [&](std::uint64_t i) { return *r.u8(at + i); };
  auto u16 = [&](std::uint64_t i) { return *r.u16(at + 2 * i, big); };
  auto u32 = [&](std::uint64_t i) { return *r.u32(at + 4 * i, big); };
  auto s32 = [&](std::uint64_t i) { return static_cast<std::int32_t>(u32(i)); };
  if (type == kAscii) {
    auto bytes = *r.span(at, count);
    auto text = EXFUtils::createStringFromBuffer(bytes.data(), bytes.size(), TextEncoding::ASCII);
    if (!text) return false;
    dir.set(key, std::move(*text));
    return true;
  }
  if (type == kUndefined) {
    auto bytes = *r.span(at, count);
    dir.set(key, Bytes(bytes.begin(), bytes.end()));
    return true;
  }
  if (count == 0 || type == kFloat || type == kDouble) return false;
  switch (type) {
    case kByte:
      dir.set(key, elements(count, [&](auto i) -> TagValue { return Number::fromUInt8(u8(i)); }));
      break;
    case kSByte:
      dir.set(key, elements(count, [&](auto i) -> TagValue {
                 return Number::fromInt8(static_cast<std::int8_t>(u8(i)));
               }));
      break;
    case kShort:
      dir.set(key, elements(count, [&](auto i) -> TagValue { return Number::fromUInt16(u16(i)); }));
      break;
    case kSShort:
      dir.set(key, elements(count, [&](auto i) -> TagValue {
                 return Number::fromInt16(static_cast<std::int16_t>(u16(i)));
               }));
      break;
    case kLong:
      dir.set(key, elements(count, [&](auto i) -> TagValue { return Number::fromULong(u32(i)); }));
      break;
    case kSLong:
      dir.set(key, elements(count, [&](auto i) -> TagValue { return Number::fromLong(s32(i)); }));
      break;
    case kRational:
    case kSRational:  // both keep the 32-bit patterns in the signed fields
      dir.set(key, elements(count, [&](auto i) -> TagValue {
                 return EXFraction(s32(2 * i), s32(2 * i + 1));
               }));
      break;
    default:
      return false;
  }
  return true;
}

std::int32_t ExifDirectoryParser::processExifDir(Directory& dir, std::uint64_t position,
                                                 std::uint64_t base, bool isThumbnail,
                                                 TagKey group, int depth) {
  visited_.push_back(position);
  auto countField = reader_.u16(position, big_);
  if (!countField) return 0;
  std::uint64_t n = *countField;
  // Room for the entries that can fit in what is left of the payload.
  dir.reserve(dir.size() + static_cast<std::size_t>(std::min<std::uint64_t>(
                               n, (reader_.size() - position) / 12)));
  std::uint64_t furthest = position;
  bool incomplete = false;
  bool truncated = false;

  for (std::uint64_t i = 0; i < n; ++i) {
    const std::uint64_t e = position + 2 + 12 * i;
    if (!reader_.has(e, 12) || entryBudget_ == 0) {
      // The table runs off the payload (or the payload's worth of entries
      // has been read): the rest of the directory is lost.
      skip(n - i);
      incomplete = truncated = true;
      break;
    }
    --entryBudget_;
    const std::size_t sizeBefore = dir.size();
    const TagKey key = *reader_.u16(e, big_);
    if (key == 0 && i == n - 1) {  // a trailing tag-0 entry is no entry
      n -= 1;
      break;
    }
    const std::uint16_t type = *reader_.u16(e + 2, big_);
    const std::uint32_t count = *reader_.u32(e + 4, big_);
    if (!isValidFieldType(type)) {
      skip();
      incomplete = true;
      continue;
    }
    const std::uint64_t size = std::uint64_t{bytesPerFormat[type]} * count;
    const std::uint64_t at = size <= 4 ? e + 8 : base + *reader_.u32(e + 8, big_);
    if (!reader_.has(at, size) || (!isDirectoryPointerTag(key) && size > valueBudget_)) {
      skip();
      incomplete = true;
      continue;
    }
    if (!isDirectoryPointerTag(key)) valueBudget_ -= size;
    furthest = std::max(furthest, at + std::max<std::uint64_t>(size, 4));

    if (isDirectoryPointerTag(key)) {
      const std::uint64_t subAt = base + *reader_.u32(at, big_);  // 4 bytes: inline or size >= 4
      if (depth < kMaxDepth && canEnter(subAt)) {
        Directory sub;
        processExifDir(sub, subAt, base, false, key, depth + 1);
        dir.set(key, std::move(sub));
      }
    } else if (const EXFTagHandler* handler = model_.handlerIn(group, key)) {
      try {
        handler->decodeTag(dir, key, *reader_.span(at, size), big_);
      } catch (...) {
        // A handler's failure loses only its own entry.
      }
    } else if (model_.definitionIn(group, key) || group == TAG_INTEROP_OFFSET) {
      assignPlain(dir, key, type, count, at);
    }
    if (dir.size() <= sizeBefore) {
      skip();
      incomplete = true;
    }
  }

  const std::uint64_t linkAt = position + 2 + 12 * n;
  auto link = truncated ? std::nullopt : reader_.u32(linkAt, big_);
  if (isThumbnail) takeThumbnail(dir, base, furthest, linkAt + 4, incomplete);
  return link ? static_cast<std::int32_t>(*link) : 0;
}

void ExifDirectoryParser::takeThumbnail(const Directory& dir, std::uint64_t base,
                                        std::uint64_t furthest, std::uint64_t linkEnd,
                                        bool incomplete) {
  std::uint64_t start = 0, length = 0;
  const std::uint64_t total = reader_.size();
  if (const TagValue* offset = dir.find(TAG_JPEG_INTERCHANGE_FORMAT)) {
    const auto* offsetNumber = offset->get<Number>();
    const TagValue* lengthValue = dir.find(TAG_JPEG_INTERCHANGE_FORMAT_LENGTH);
    const auto* lengthNumber = lengthValue ? lengthValue->get<Number>() : nullptr;
    if (!offsetNumber || offsetNumber->int64Value() < 0 ||
        (lengthNumber && lengthNumber->int64Value() < 0)) {
      model_.thumbnailLeftBehind_ = true;
      return;
    }
    start = base + static_cast<std::uint64_t>(offsetNumber->int64Value());
    length = lengthNumber ? static_cast<std::uint64_t>(lengthNumber->int64Value()) : 0;
    if (length == 0 || start > total || length != total - start) {
      model_.thumbnailLeftBehind_ = length > 0;
      return;
    }
  } else if (!incomplete) {
    start = std::max(furthest, linkEnd);
    if (start >= total) return;
    length = total - start;
  } else {
    return;
  }
  auto bytes = reader_.span(start, length);
  if (bytes) model_.setThumbnailBytes(Bytes(bytes->begin(), bytes->end()));
}

void EXFMetaData::parseExif(std::span<const std::uint8_t> payload) {
  byteLength_ = static_cast<std::int32_t>(std::min<std::size_t>(payload.size(), INT32_MAX));
  if (payload.size() <= 12) return;
  if (!std::equal(exifChars.begin(), exifChars.begin() + 4, payload.begin())) return;
  if (payload[6] == M_ORDER && payload[7] == M_ORDER)
    bigEndianOrder_ = true;
  else if (payload[6] == I_ORDER && payload[7] == I_ORDER)
    bigEndianOrder_ = false;
  else
    return;
  exifHeader_.emplace();
  std::copy_n(payload.begin(), 10, exifHeader_->begin());

  ExifDirectoryParser parser(*this, payload);
  ByteReader r(payload);
  if (*r.u16(8, bigEndianOrder_) != 42) return;
  constexpr std::uint64_t kBase = 6;
  const std::uint64_t ifd0 = kBase + *r.u32(10, bigEndianOrder_);
  if (!parser.canEnter(ifd0)) return;
  const std::int32_t link = parser.processExifDir(keyedTagValues_, ifd0, kBase, false);
  if (link <= 0) return;
  const std::uint64_t ifd1 = kBase + static_cast<std::uint64_t>(link);
  if (!parser.canEnter(ifd1)) {
    skippedEntries_ += 1;  // the thumbnail directory itself is lost
    return;
  }
  parser.processExifDir(keyedThumbnailTagValues_, ifd1, kBase, true);
}

}  // namespace exif
