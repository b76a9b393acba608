// The EXIF payload parser: TIFF header, IFD0 with its sub-directories, IFD1
// and the thumbnail. Every read goes through ByteReader; anything that points
// outside the payload, loops back, nests deeper than any real file does,
// shares its bytes beyond what the payload holds, or cannot be converted is
// skipped and counted, and marks its directory incomplete.
#include "exif/byte_reader.h"
#include "exif/exf_meta_data.h"
#include "exif/jpeg_segments.h"

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
  // Records one entry that is not kept, with its field bytes when readable.
  void unkept(TagKey group, bool isThumbnail, std::uint64_t e, std::optional<std::uint64_t> at,
              std::uint64_t size, const char* reason) {
    skip();
    UnkeptEntry u;
    u.group = group;
    u.thumbnail = isThumbnail;
    u.tag = *reader_.u16(e, big_);
    u.type = *reader_.u16(e + 2, big_);
    u.count = *reader_.u32(e + 4, big_);
    if (at) {
      if (auto bytes = reader_.span(*at, size)) u.value = Bytes(bytes->begin(), bytes->end());
    }
    u.reason = reason;
    model_.unkeptEntries_.push_back(std::move(u));
  }
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

constexpr TagKey kStripOffsets = 0x0111;

// The JPEG at the start of `bytes`, up to its end-of-image marker, when it
// is whole.
std::optional<std::span<const std::uint8_t>> wholeJpeg(std::span<const std::uint8_t> bytes) {
  const JpegLayout layout = readJpegLayout(bytes);
  if (!layout.ok()) return std::nullopt;
  const std::size_t end = findImageEnd(bytes, layout.imageDataOffset);
  if (end < 4 || bytes[end - 2] != 0xFF || bytes[end - 1] != 0xD9) return std::nullopt;
  return bytes.first(end);
}

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
    // The text ends at its first NUL, which is kept as the terminator;
    // bytes after it are junk. Bytes above 0x7F (UTF-8 from many cameras)
    // are kept as they are.
    auto bytes = *r.span(at, count);
    auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    if (nul != bytes.end()) ++nul;
    dir.set(key, std::string(bytes.begin(), nul));
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
    case kRational:  // unsigned: 2^31 and more read as themselves
      dir.set(key, elements(count, [&](auto i) -> TagValue {
                 return EXFraction::fromUnsigned(u32(2 * i), u32(2 * i + 1));
               }));
      break;
    case kSRational:
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

  // The entries the table holds inside the payload (and within the
  // payload's worth of entries); the rest of the directory is lost.
  const std::uint64_t readable = std::min<std::uint64_t>(
      {n, position + 2 <= reader_.size() ? (reader_.size() - position - 2) / 12 : 0,
       entryBudget_});
  if (readable < n) {
    skip(static_cast<std::size_t>(n - readable));
    incomplete = truncated = true;
  }
  entryBudget_ -= readable;
  // A zeroed last entry (tag 0 without a field type) is padding, not an
  // entry: the link is then read in its place. A real tag-0 entry, such as a
  // GPS directory's GPSVersionID, is kept.
  if (!truncated && n > 0) {
    const std::uint64_t last = position + 2 + 12 * (n - 1);
    if (*reader_.u16(last, big_) == 0 && !isValidFieldType(*reader_.u16(last + 2, big_))) {
      n -= 1;
      if (readable > n) entryBudget_ += 1;
    }
  }
  // Entries are stored in ascending tag order; a table that lists them in
  // another order is visited sorted, so storing each stays an append.
  std::vector<std::uint32_t> order;
  const std::uint64_t visit = std::min(readable, n);
  for (std::uint64_t i = 1; i < visit; ++i) {
    if (*reader_.u16(position + 2 + 12 * i, big_) >= *reader_.u16(position + 2 + 12 * (i - 1), big_))
      continue;
    order.resize(visit);
    for (std::uint32_t k = 0; k < visit; ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return *reader_.u16(position + 2 + 12 * a, big_) < *reader_.u16(position + 2 + 12 * b, big_);
    });
    break;
  }

  for (std::uint64_t k = 0; k < visit; ++k) {
    const std::uint64_t i = order.empty() ? k : order[k];
    const std::uint64_t e = position + 2 + 12 * i;
    const std::size_t sizeBefore = dir.size();
    const TagKey key = *reader_.u16(e, big_);
    const std::uint16_t type = *reader_.u16(e + 2, big_);
    const std::uint32_t count = *reader_.u32(e + 4, big_);
    if (!isValidFieldType(type)) {
      unkept(group, isThumbnail, e, e + 8, 4, "unknown field type");
      incomplete = true;
      continue;
    }
    const std::uint64_t size = std::uint64_t{bytesPerFormat[type]} * count;
    const std::uint64_t at = size <= 4 ? e + 8 : base + *reader_.u32(e + 8, big_);
    if (!reader_.has(at, size) || (!isDirectoryPointerTag(key) && size > valueBudget_)) {
      unkept(group, isThumbnail, e, std::nullopt, 0, "value outside the block");
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
      if (assignPlain(dir, key, type, count, at))
        dir.find(key)->setFileFormat(FieldFormat{type, count});
    }
    if (dir.size() <= sizeBefore) {
      const bool known = model_.handlerIn(group, key) || model_.definitionIn(group, key) ||
                         group == TAG_INTEROP_OFFSET;
      unkept(group, isThumbnail, e, isDirectoryPointerTag(key) ? std::nullopt : std::optional(at), size,
             isDirectoryPointerTag(key) ? "directory outside the block or visited before"
             : !known                   ? "tag not in the table"
             : type == kFloat || type == kDouble ? "floating-point value"
                                                 : "value not readable as its tag's kind");
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
    // Padding may follow the thumbnail (many cameras leave some): it need
    // only lie inside the payload. One declared longer than what is left is
    // taken when what is left holds the whole JPEG, end marker included.
    if (length > 0 && start < total && length > total - start) {
      if (auto whole = wholeJpeg(*reader_.span(start, total - start))) {
        model_.setThumbnailBytes(Bytes(whole->begin(), whole->end()));
        return;
      }
    }
    if (length == 0 || start > total || length > total - start) {
      model_.thumbnailLeftBehind_ = length > 0;
      return;
    }
  } else if (!incomplete && !dir.contains(kStripOffsets)) {
    // Without an offset, a JPEG that follows a complete IFD1 and runs to
    // the end of the payload is the thumbnail.
    start = std::max(furthest, linkEnd);
    if (start >= total || !reader_.has(start, 2) || *reader_.u8(start) != 0xFF ||
        *reader_.u8(start + 1) != 0xD8)
      return;
    length = total - start;
  } else {
    return;
  }
  auto bytes = reader_.span(start, length);
  if (bytes) model_.setThumbnailBytes(Bytes(bytes->begin(), bytes->end()));
}

void EXFMetaData::parseExif(std::span<const std::uint8_t> payload) {
  byteLength_ = static_cast<std::int32_t>(std::min<std::size_t>(payload.size(), INT32_MAX));
  if (payload.size() < 14) return;  // signature, byte order, 42 and the IFD0 offset
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
