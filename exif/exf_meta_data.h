#pragma once
// EXFMetaData: the EXIF model of one picture and its validated value store.
//
// It holds the main image's values (IFD0 with the Exif, GPS and
// Interoperability groups nested under their pointer tags), the thumbnail
// directory's values (IFD1), the thumbnail JPEG, and the byte order. Values
// come from parseExif() or from the checked add operations; getData() writes
// them back out as an EXIF APP1 payload.
//
// Failures: parseExif() never throws; malformed data is skipped entry by
// entry and counted in skippedEntryCount(). The add/remove/handler
// operations throw EXFException on misuse and leave the store unchanged
// (removeTagValue may remove the tag before it reports a group it cannot
// remove). Not thread-safe: one thread at a time. The tag table and built-in
// handlers are shared immutable instances.
#include "exif/exf_handlers.h"
#include "exif/exf_tag_definition_holder.h"
#include "exif/exf_tag_handler.h"
#include "exif/rewrite_report.h"
#include "exif/tag_value.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace exif {

class EXFMetaData {
 public:
  using UserHandlers = std::map<TagKey, std::shared_ptr<const EXFTagHandler>>;

  EXFMetaData();

  // --- Parsing --------------------------------------------------------------
  // Parses an APP1 payload ("Exif", two NULs, TIFF header, directories) into
  // the value dictionaries and the thumbnail. Payloads that are not EXIF are
  // ignored (only byteLength changes). Adds to what the store holds.
  void parseExif(std::span<const std::uint8_t> payload);
  // Entries the parses so far could not keep (unknown tags, FLOAT/DOUBLE,
  // bad type codes, data outside the payload, repeated or looping
  // directories, values a handler rejected).
  std::size_t skippedEntryCount() const { return skippedEntries_; }
  // The entries counted there that were read but not kept, with their raw
  // values (entries lost with a directory table that ran off the payload
  // are only counted).
  const std::vector<UnkeptEntry>& unkeptEntries() const { return unkeptEntries_; }
  // True when a parse so far met an IFD1 naming a thumbnail that it could not
  // take (one that lies outside its payload).
  bool thumbnailLeftBehind() const { return thumbnailLeftBehind_; }

  // --- Writing --------------------------------------------------------------
  // Appends the EXIF payload of the store to `out`. Sets the thumbnail
  // directory's JPEGInterchangeFormat (513) when thumbnail tags are present.
  void getData(Bytes& out);
  // How many stored values getData() would leave out or cut short.
  std::size_t unwritableValueCount() const;
  // Everything a rewrite by getData() would not carry as the parsed block
  // held it: entries the parse did not keep, values the writer leaves out, a
  // maker note whose internal offsets would point at old places, a strip or
  // untaken thumbnail.
  RewriteReport rewriteReport() const;

  // --- Handlers ---------------------------------------------------------------
  // Registers a caller's handler, consulted before the built-in ones.
  // Throws EXFException "InvalidHandler" for a null handler, a pointer tag,
  // or (for a key without a definition) a handler lacking a valid
  // tagFormat, parentTagId or isEditable.
  void addHandler(std::shared_ptr<const EXFTagHandler> handler, TagKey key);
  void removeHandler(TagKey key);
  void removeAllHandlers() { userKeyedHandlers_.clear(); }
  // The caller's handler for the key, else the built-in one, else null.
  const EXFTagHandler* handlerForKey(TagKey key) const;
  // The handler and definition that the parser and the writer apply to tag
  // `key` in the directory stored under pointer tag `group` (TAG_EXIF_ROOT
  // for IFD0 and IFD1): those of the key, whatever the directory, except in
  // the Interoperability group. The table and the built-in handlers describe
  // other directories' tags of the same numbers (InteroperabilityIndex is
  // tag 1, like GPSLatitudeRef), so there only a caller's handler applies and
  // entries keep their own field type.
  const EXFTagHandler* handlerIn(TagKey group, TagKey key) const;
  const EXFTag* definitionIn(TagKey group, TagKey key) const;
  const BuiltInHandlers& keyedHandlers() const { return BuiltInHandlers::shared(); }
  const UserHandlers& userKeyedHandlers() const { return userKeyedHandlers_; }

  // --- Definitions ------------------------------------------------------------
  const EXFTagDefinitionHolder& tagDefinitions() const { return EXFTagDefinitionHolder::shared(); }
  std::span<const EXFTag> keyedTagDefinitions() const { return tagDefinitions().definitions(); }
  const EXFTag* tagDefinition(TagKey key) const { return tagDefinitions().find(key); }
  // Definitions of one directory (-1 root, 34665 Exif, 34853 GPS): the
  // editable ones, and with `withoutImmutable` true the others as well.
  std::vector<const EXFTag*> tagDefinitionsForParent(std::int32_t parent,
                                                     bool withoutImmutable) const;

  // --- Values -----------------------------------------------------------------
  // Validates and stores a main-image value in its directory (creating the
  // group on first use), replacing any previous value. Throws EXFException.
  void addTagValue(TagValue value, TagKey key);
  // The same checks and placement, into the thumbnail directory.
  void addThumbnailTagValue(TagValue value, TagKey key);
  // A main-image value: the root entry, else the entry in the tag's group
  // (or, without a definition, the GPS then the Exif group). Null if none.
  const TagValue* tagValue(TagKey key) const;
  const TagValue* thumbnailTagValue(TagKey key) const { return keyedThumbnailTagValues_.find(key); }
  // Removes a main-image value; a group left empty is removed too, except the
  // Exif group, which raises "Tag group 34665 cannot be removed".
  void removeTagValue(TagKey key);
  // Replaces the thumbnail JPEG bytes.
  void setThumbnailData(Bytes bytes) { thumbnailBytes_ = std::move(bytes); }

  // --- Fields -----------------------------------------------------------------
  bool bigEndianOrder() const { return bigEndianOrder_; }
  void setBigEndianOrder(bool v) { bigEndianOrder_ = v; }
  const Directory& keyedTagValues() const { return keyedTagValues_; }
  Directory& keyedTagValues() { return keyedTagValues_; }
  void setKeyedTagValues(Directory d) { keyedTagValues_ = std::move(d); }
  const Directory& keyedThumbnailTagValues() const { return keyedThumbnailTagValues_; }
  Directory& keyedThumbnailTagValues() { return keyedThumbnailTagValues_; }
  void setKeyedThumbnailTagValues(Directory d) { keyedThumbnailTagValues_ = std::move(d); }
  const std::optional<Bytes>& thumbnailBytes() const { return thumbnailBytes_; }
  void setThumbnailBytes(std::optional<Bytes> b) { thumbnailBytes_ = std::move(b); }
  // A copy of the first 10 bytes of the last accepted EXIF payload, or null.
  const std::uint8_t* exif_ptr() const { return exifHeader_ ? exifHeader_->data() : nullptr; }
  std::int32_t compression() const { return compression_; }
  void setCompression(std::int32_t v) { compression_ = v; }
  std::int32_t bitsPerPixel() const { return bitsPerPixel_; }
  void setBitsPerPixel(std::int32_t v) { bitsPerPixel_ = v; }
  std::int32_t height() const { return height_; }
  void setHeight(std::int32_t v) { height_ = v; }
  std::int32_t width() const { return width_; }
  void setWidth(std::int32_t v) { width_ = v; }
  std::int32_t byteLength() const { return byteLength_; }
  void setByteLength(std::int32_t v) { byteLength_ = v; }

 private:
  friend class ExifDirectoryParser;
  void storeValue(Directory& root, TagValue value, TagKey key);

  bool bigEndianOrder_ = false;
  UserHandlers userKeyedHandlers_;
  Directory keyedTagValues_;
  Directory keyedThumbnailTagValues_;
  std::optional<std::array<std::uint8_t, 10>> exifHeader_;
  std::optional<Bytes> thumbnailBytes_;
  std::int32_t compression_ = 0;
  std::int32_t bitsPerPixel_ = 0;
  std::int32_t height_ = 0;
  std::int32_t width_ = 0;
  std::int32_t byteLength_ = 0;
  std::size_t skippedEntries_ = 0;
  std::vector<UnkeptEntry> unkeptEntries_;
  bool thumbnailLeftBehind_ = false;
};

// `typeMappings`: what a value must be for a tag without a handler, by field
// type code ("SsCcIi" lists the accepted storage codes of a SHORT).
extern const std::array<const char*, 13> typeMappings;

}  // namespace exif
