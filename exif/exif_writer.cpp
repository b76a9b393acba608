// The EXIF writer: turns the store's directories back into an APP1 payload.
// Offsets count from the TIFF header (the byte after "Exif" NUL NUL); IFD0
// starts at 8; each directory is followed by its sub-directories' blocks.
#include "exif/exf_exception.h"
#include "exif/exf_meta_data.h"
#include "exif/exf_utils.h"
#include "exif/exf_writer.h"
#include "exif/text_codec.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <tuple>

namespace exif {
namespace {

constexpr TagKey kStripOffsets = 0x0111;
constexpr TagKey kStripByteCounts = 0x0117;

// One value entry as it will be written.
struct Plan {
  TagKey key;
  const TagValue* value;
  const EXFTagHandler* handler;  // null: written by field type
  std::int32_t type;
  std::uint32_t count;
  std::uint64_t size;  // bytes of the field
};

void appendSlot(Bytes* out, const std::uint8_t* slot, std::size_t n) {
  out->insert(out->end(), slot, slot + n);
}

// Appends one plain value by field type; with `out` null only answers
// whether the value can be written as that type.
bool writeDataToBuffer(Bytes* out, const TagValue& value, std::int32_t type, bool big) {
  std::uint8_t slot[8];
  const Number* n = value.get<Number>();
  switch (type) {
    case kByte: case kSByte: case kShort: case kSShort: case kLong: case kSLong:
      if (!n) return false;
      if (!out) return true;
      if (type == kByte) EXFUtils::write1Byte(slot, *n, big);
      if (type == kSByte) EXFUtils::write1SignedByte(slot, *n, big);
      if (type == kShort) EXFUtils::write2Bytes(slot, *n, big);
      if (type == kSShort) EXFUtils::write2SignedBytes(slot, *n, big);
      if (type == kLong) EXFUtils::write4Bytes(slot, *n, big);
      if (type == kSLong) EXFUtils::write4SignedBytes(slot, *n, big);
      appendSlot(out, slot, bytesPerFormat[static_cast<std::size_t>(type)]);
      return true;
    case kAscii: {
      const auto* text = value.get<std::string>();
      if (!text) return false;
      if (out) {
        out->insert(out->end(), text->begin(), text->end());
        out->push_back(0);
      }
      return true;
    }
    case kRational: case kSRational:
      if (const auto* f = value.get<EXFraction>()) {
        if (out) EXFUtils::appendFractionToData(*out, *f, big);
        return true;
      }
      if (n && out) EXFUtils::appendRationalToData(*out, *n, big);  // keeps a number's value
      return n != nullptr;
    case kUndefined:
      if (const auto* bytes = value.get<Bytes>()) {
        if (out) out->insert(out->end(), bytes->begin(), bytes->end());
        return true;
      }
      if (const auto* text = value.get<std::string>()) {
        if (out) out->insert(out->end(), text->begin(), text->end());
        return true;
      }
      if (n && out) {
        EXFUtils::write1Byte(slot, *n, big);
        appendSlot(out, slot, 1);
      }
      return n != nullptr;
    default:  // FLOAT and DOUBLE: no definition has them
      return false;
  }
}

// Appends a plain value (or each element of an array); false when it cannot
// be written as `type`.
bool writePlain(Bytes* out, const TagValue& value, std::int32_t type, bool big) {
  const auto* array = value.get<Array>();
  if (!array) return writeDataToBuffer(out, value, type, big);
  if (type == kUndefined) {  // one byte per element (appendDataFromBytes)
    for (const TagValue& element : *array) {
      const Number* n = element.get<Number>();
      if (!n) return false;
      if (out) out->push_back(static_cast<std::uint8_t>(n->int32Value()));
    }
    return true;
  }
  for (const TagValue& element : *array)
    if (!writeDataToBuffer(out, element, type, big)) return false;
  return true;
}

// The field type a parsed number came from, by its storage code.
std::optional<std::int32_t> typeOfNumber(const TagValue& value) {
  const Number* n = value.get<Number>();
  switch (n ? n->code() : 0) {
    case 'C': return kByte;
    case 'c': return kSByte;
    case 'S': return kShort;
    case 's': return kSShort;
    case 'L': case 'I': return kLong;
    case 'l': case 'i': return kSLong;
    default: return std::nullopt;
  }
}

// Type and count of a value written by its own kind (an Interoperability
// entry, which no definition describes).
std::optional<std::pair<std::int32_t, std::int64_t>> ownTypeAndCount(const TagValue& value) {
  if (const auto* text = value.get<std::string>()) {
    if (!isAscii(*text)) return std::nullopt;
    return {{kAscii, text->size()}};
  }
  if (const auto* bytes = value.get<Bytes>()) return {{kUndefined, bytes->size()}};
  const auto* array = value.get<Array>();
  if (array && array->empty()) return std::nullopt;
  const TagValue& first = array ? array->front() : value;
  const std::int64_t count = array ? static_cast<std::int64_t>(array->size()) : 1;
  if (first.is<EXFraction>()) return {{kRational, count}};
  if (auto type = typeOfNumber(first)) return {{*type, count}};
  return std::nullopt;
}

// Whether a parsed value still fits the type and count it was read with
// (a caller may have changed it in place since).
bool fitsFormat(const TagValue& value, const FieldFormat& format, bool big) {
  if (!isValidFieldType(format.type) || !writePlain(nullptr, value, format.type, big)) return false;
  if (const auto* text = value.get<std::string>()) return text->size() <= format.count;
  if (const auto* bytes = value.get<Bytes>()) return bytes->size() == format.count;
  if (const auto* array = value.get<Array>()) return array->size() == format.count;
  return format.count == 1;
}

// Works out type, count and size of one value entry of the directory under
// pointer tag `group`; nothing when the value cannot be written.
std::optional<Plan> planEntry(const EXFMetaData& md, TagKey group, TagKey key,
                              const TagValue& value) {
  const EXFTagHandler* handler = md.handlerIn(group, key);
  const EXFTag* definition = md.definitionIn(group, key);
  std::int64_t type, count;
  const auto& format = value.fileFormat();
  if (!handler && format && fitsFormat(value, *format, md.bigEndianOrder())) {
    // A value read from the file goes back with the type and count it had.
    type = format->type;
    count = format->count;
  } else if (handler) {
    count = handler->getSizeOfValue(value);
    auto format = handler->tagFormat();
    type = format ? *format : definition ? definition->dataType() : kUndefined;
  } else if (definition) {
    type = definition->dataType();
    if (definition->hasVariableCount()) {
      if (const auto* bytes = value.get<Bytes>())
        count = static_cast<std::int64_t>(bytes->size());
      else if (const auto* text = value.get<std::string>(); text && isAscii(*text))
        count = static_cast<std::int64_t>(text->size());
      else if (value.is<Number>())  // a numeric tag of variable count: its elements
        count = 1;
      else if (const auto* array = value.get<Array>(); array && !array->empty())
        count = static_cast<std::int64_t>(array->size());
      else
        return std::nullopt;
    } else {
      count = definition->components();
    }
  } else if (auto own = group == TAG_INTEROP_OFFSET ? ownTypeAndCount(value) : std::nullopt) {
    std::tie(type, count) = *own;
  } else {
    return std::nullopt;
  }
  if (!isValidFieldType(type) || count < 0 || count > std::numeric_limits<std::uint32_t>::max())
    return std::nullopt;
  if (!handler && !writePlain(nullptr, value, static_cast<std::int32_t>(type), md.bigEndianOrder()))
    return std::nullopt;
  return Plan{key, &value, handler, static_cast<std::int32_t>(type),
              static_cast<std::uint32_t>(count),
              std::uint64_t{bytesPerFormat[static_cast<std::size_t>(type)]} * count};
}

// Appends exactly plan.size bytes of the value to `out`. Returns true when
// bytes the value produced had to be cut off (other than NUL padding).
bool encodeEntry(Bytes& out, const Plan& plan, bool big) {
  const std::size_t start = out.size();
  if (plan.handler) {
    try {
      plan.handler->encodeTag(out, *plan.value, big);
    } catch (...) {
      // Ignored: the field is completed with zero bytes below.
    }
  } else {
    writePlain(&out, *plan.value, plan.type, big);
  }
  const std::size_t end = start + static_cast<std::size_t>(plan.size);
  const bool cut = out.size() > end &&
                   std::any_of(out.begin() + static_cast<std::ptrdiff_t>(end), out.end(),
                               [](std::uint8_t b) { return b != 0; });
  out.resize(end, 0);
  return cut;
}

void put16(Bytes& out, std::uint64_t v, bool big) {
  std::uint8_t slot[4];
  EXFUtils::write2Bytes(slot, Number::fromUInt32(static_cast<std::uint32_t>(v)), big);
  appendSlot(&out, slot, 2);
}

void put32(Bytes& out, std::uint64_t v, bool big) {
  std::uint8_t slot[4];
  EXFUtils::write4Bytes(slot, Number::fromUInt32(static_cast<std::uint32_t>(v)), big);
  appendSlot(&out, slot, 4);
}

// Builds the block of directory `dir` (stored under pointer tag `group`) at
// TIFF offset `offset`, then its groups' blocks; appends the writers to
// `writers` in output order.
void getDataFromMap(const EXFMetaData& md, const Directory& dir, TagKey group,
                    std::vector<EXFWriter>& writers, std::uint64_t offset) {
  const bool big = md.bigEndianOrder();
  std::vector<Plan> plans;
  plans.reserve(dir.size());
  std::size_t groups = 0;
  for (const auto& [key, value] : dir) {
    if (value.is<Directory>())
      ++groups;
    else if (auto plan = planEntry(md, group, key, value))
      plans.push_back(*plan);
  }
  const std::uint64_t n = plans.size() + groups;
  const std::uint64_t blockStart = 12 * n + 6;  // entry table and link

  // Entries in ascending tag order, pointers among them; every value in the
  // value area starts at an even offset. Pointer values are filled in once
  // the groups' places are known.
  const std::size_t index = writers.size();
  writers.emplace_back();
  struct Pointer {
    std::size_t at;  // position of its value field in tagData
    TagKey key;
    const Directory* group;
  };
  std::vector<Pointer> pointers;
  {
    EXFWriter& w = writers[index];
    w.tagData().reserve(2 + 12 * n);
    put16(w.tagData(), n, big);
    auto plan = plans.begin();
    for (const auto& [key, value] : dir) {
      if (const Directory* sub = value.get<Directory>()) {
        put16(w.tagData(), static_cast<std::uint64_t>(key), big);
        put16(w.tagData(), kLong, big);
        put32(w.tagData(), 1, big);
        pointers.push_back({w.tagData().size(), key, sub});
        put32(w.tagData(), 0, big);
        continue;
      }
      if (plan == plans.end() || plan->key != key) continue;  // left out
      put16(w.tagData(), static_cast<std::uint64_t>(plan->key), big);
      put16(w.tagData(), static_cast<std::uint64_t>(plan->type), big);
      put32(w.tagData(), plan->count, big);
      if (plan->size <= 4) {
        encodeEntry(w.tagData(), *plan, big);
        w.tagData().resize(w.tagData().size() + (4 - plan->size), 0);
      } else {
        put32(w.tagData(), offset + blockStart + w.overflowData().size(), big);
        encodeEntry(w.overflowData(), *plan, big);
        if (w.overflowData().size() % 2 != 0) w.overflowData().push_back(0);
      }
      ++plan;
    }
  }

  std::uint64_t next = offset + blockStart + writers[index].overflowData().size();
  for (const auto& [at, key, sub] : pointers) {
    std::uint8_t slot[4];
    EXFUtils::write4Bytes(slot, Number::fromUInt32(static_cast<std::uint32_t>(next)), big);
    std::copy(slot, slot + 4, writers[index].tagData().begin() + static_cast<std::ptrdiff_t>(at));
    const std::size_t before = writers.size();
    getDataFromMap(md, *sub, key, writers, next);
    for (std::size_t i = before; i < writers.size(); ++i) next += writers[i].blockLength() + 4;
  }
}

// Appends every writer's block: entry table, link (zero), value area.
// Returns the position in `out` of the first writer's link.
std::size_t emitBlocks(Bytes& out, const std::vector<EXFWriter>& writers) {
  std::size_t firstLink = 0;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    out.insert(out.end(), writers[i].tagData().begin(), writers[i].tagData().end());
    if (i == 0) firstLink = out.size();
    out.insert(out.end(), 4, 0);
    out.insert(out.end(), writers[i].overflowData().begin(), writers[i].overflowData().end());
  }
  return firstLink;
}

std::size_t totalLength(const std::vector<EXFWriter>& writers) {
  std::size_t total = 0;
  for (const EXFWriter& w : writers) total += w.blockLength() + 4;
  return total;
}

}  // namespace

void EXFMetaData::getData(Bytes& out) {
  const bool big = bigEndianOrder_;
  const std::size_t start = out.size();
  std::vector<EXFWriter> writers;
  getDataFromMap(*this, keyedTagValues_, TAG_EXIF_ROOT, writers, 8);

  // The header is made from the store's byte order, so it always agrees with
  // the numbers that follow: "Exif" NUL NUL, "MM" or "II", 42, IFD0 at 8.
  const std::uint8_t mark = big ? M_ORDER : I_ORDER;
  const std::uint8_t header[6] = {'E', 'x', 'i', 'f', 0, 0};
  out.insert(out.end(), header, header + 6);
  out.push_back(mark);
  out.push_back(mark);
  put16(out, 42, big);
  put32(out, 8, big);
  const std::size_t ifd0Link = emitBlocks(out, writers);
  if (keyedThumbnailTagValues_.empty()) return;

  // IFD1 follows; it is built twice so that its size is known before the
  // thumbnail's offset (JPEGInterchangeFormat) is written into it.
  const std::uint64_t ifd1 = out.size() - start - 6;
  EXFUtils::write4Bytes(out.data() + ifd0Link, Number::fromUInt32(static_cast<std::uint32_t>(ifd1)),
                        big);
  if (!thumbnailBytes_ || keyedThumbnailTagValues_.contains(kStripOffsets)) {
    // No JPEG thumbnail to point at (a parsed one that could not be taken,
    // or a thumbnail stored as strips, whose data is not kept): its offsets
    // and lengths are left out rather than written pointing at nothing.
    Directory ifd1Values = keyedThumbnailTagValues_;
    for (TagKey key : {TAG_JPEG_INTERCHANGE_FORMAT, TAG_JPEG_INTERCHANGE_FORMAT_LENGTH,
                       kStripOffsets, kStripByteCounts})
      ifd1Values.erase(key);
    writers.clear();
    getDataFromMap(*this, ifd1Values, TAG_EXIF_ROOT, writers, ifd1);
    emitBlocks(out, writers);
    return;
  }
  addThumbnailTagValue(Number::fromULong(static_cast<std::uint32_t>(out.size() + 48)),
                       TAG_JPEG_INTERCHANGE_FORMAT);
  writers.clear();
  getDataFromMap(*this, keyedThumbnailTagValues_, TAG_EXIF_ROOT, writers, ifd1);
  // Groups in the thumbnail directory are written after it, so the thumbnail
  // starts after every block of this build.
  const std::uint64_t thumbnailOffset = ifd1 + totalLength(writers);
  addThumbnailTagValue(Number::fromULong(static_cast<std::uint32_t>(thumbnailOffset)),
                       TAG_JPEG_INTERCHANGE_FORMAT);
  writers.clear();
  getDataFromMap(*this, keyedThumbnailTagValues_, TAG_EXIF_ROOT, writers, ifd1);
  emitBlocks(out, writers);
  out.insert(out.end(), thumbnailBytes_->begin(), thumbnailBytes_->end());
}

std::size_t EXFMetaData::unwritableValueCount() const {
  std::size_t count = 0;
  Bytes scratch;
  std::function<void(const Directory&, TagKey)> visit = [&](const Directory& dir, TagKey group) {
    for (const auto& [key, value] : dir) {
      if (const Directory* sub = value.get<Directory>()) {
        visit(*sub, key);
        continue;
      }
      auto plan = planEntry(*this, group, key, value);
      scratch.clear();
      if (!plan || encodeEntry(scratch, *plan, bigEndianOrder_)) ++count;
    }
  };
  visit(keyedTagValues_, TAG_EXIF_ROOT);
  visit(keyedThumbnailTagValues_, TAG_EXIF_ROOT);
  return count;
}

namespace {

std::string tagText(std::int64_t tag) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(tag));
  return text;
}

std::string groupText(TagKey group, bool thumbnail) {
  if (thumbnail) return "IFD1";
  switch (group) {
    case TAG_EXIF_OFFSET: return "Exif";
    case TAG_EXIF_GPS: return "GPS";
    case TAG_INTEROP_OFFSET: return "Interop";
    default: return "IFD0";
  }
}

}  // namespace

std::size_t RewriteReport::entryCount() const {
  std::size_t n = 0;
  for (const RewriteLoss& loss : losses_) n += loss.count;
  return n;
}

RewriteReport EXFMetaData::rewriteReport() const {
  using Kind = RewriteLoss::Kind;
  RewriteReport report;
  for (const UnkeptEntry& u : unkeptEntries_)
    report.add({Kind::UnkeptEntry, u.group, u.thumbnail, u.tag, 1,
                groupText(u.group, u.thumbnail) + " " + tagText(u.tag) + " not kept: " + u.reason});
  if (const std::size_t lost = skippedEntries_ - std::min(skippedEntries_, unkeptEntries_.size()))
    report.add({Kind::LostEntries, TAG_EXIF_ROOT, false, -1, lost,
                std::to_string(lost) + " entries of directories outside the block"});

  Bytes scratch;
  std::function<void(const Directory&, TagKey, bool)> visit = [&](const Directory& dir, TagKey group,
                                                                   bool thumbnail) {
    for (const auto& [key, value] : dir) {
      if (const Directory* sub = value.get<Directory>()) {
        visit(*sub, key, thumbnail);
        continue;
      }
      auto plan = planEntry(*this, group, key, value);
      scratch.clear();
      if (!plan || encodeEntry(scratch, *plan, bigEndianOrder_))
        report.add({Kind::UnwritableValue, group, thumbnail, key, 1,
                    groupText(group, thumbnail) + " " + tagText(key) + " cannot be written back"});
    }
  };
  visit(keyedTagValues_, TAG_EXIF_ROOT, false);
  visit(keyedThumbnailTagValues_, TAG_EXIF_ROOT, true);

  constexpr TagKey kMakerNote = 0x927C;
  const Directory* exifGroup = keyedTagValues_.group(TAG_EXIF_OFFSET);
  if (exifGroup && exifGroup->contains(kMakerNote))
    report.add({Kind::MakerNoteOffsets, TAG_EXIF_OFFSET, false, kMakerNote, 1,
                "Exif 0x927C MakerNote moves: offsets inside it would point at old places"});
  if (keyedThumbnailTagValues_.contains(kStripOffsets))
    report.add({Kind::StripThumbnail, TAG_EXIF_ROOT, true, kStripOffsets, 1,
                "IFD1 thumbnail stored as strips is not carried"});
  if (thumbnailLeftBehind_)
    report.add({Kind::ThumbnailLeftBehind, TAG_EXIF_ROOT, true, TAG_JPEG_INTERCHANGE_FORMAT, 1,
                "IFD1 thumbnail outside the block is not carried"});
  return report;
}

}  // namespace exif
