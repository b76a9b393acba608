// The value store: handler registration, lookups, and validated changes.
#include "exif/exf_meta_data.h"

#include "exif/exf_exception.h"
#include "exif/text_codec.h"

#include <cstring>
#include <optional>

namespace exif {

const std::array<const char*, 13> typeMappings = {
    "",         "CciISs",     "NSString",   "SsCcIi",     "LlIiSsCc", "EXFraction", "cCiISs",
    "NSData",   "IisSCc",     "LlIiSsCc",   "EXFraction", "EXFraction", "EXFraction",
};

namespace {

std::string keyText(TagKey key) { return std::to_string(key); }

bool isValidParent(std::int64_t parent) {
  return parent == TAG_EXIF_GPS || parent == TAG_EXIF_OFFSET || parent == TAG_EXIF_ROOT ||
         parent == TAG_INTEROP_OFFSET;
}

// Checks a value for a tag without a handler against its definition's type.
void checkPlainValue(const TagValue& value, TagKey key, const EXFTag& definition) {
  const char* mapping = typeMappings[static_cast<std::size_t>(definition.dataType())];
  if (std::strcmp(mapping, "NSString") == 0) {
    const auto* text = value.get<std::string>();
    if (!text || !isAscii(*text))
      throw EXFException(kInvalidTypeForHandlerException,
                         formatReason(reasons::kOnlyAsciiString, {keyText(key)}));
    return;
  }
  if (std::strcmp(mapping, "NSData") == 0) {
    if (!value.is<Bytes>())
      throw EXFException(kInvalidTypeForHandlerException,
                         formatReason(reasons::kOnlyData, {keyText(key)}));
    return;
  }
  if (std::strcmp(mapping, "EXFraction") == 0) {
    if (!value.is<EXFraction>())
      throw EXFException(kInvalidTypeForHandlerException,
                         formatReason(reasons::kOnlyFraction, {keyText(key)}));
    return;
  }
  // Numeric: the value itself, or each element of an array. An empty array
  // has no element to accept and is refused like a non-number.
  auto refuseKind = [&](std::string_view kind) {
    throw EXFException(kInvalidTypeException,
                       formatReason(reasons::kOnlyNumericTypes,
                                    {keyText(key), mapping, std::string(kind)}));
  };
  auto checkElement = [&](const TagValue& element) {
    const auto* n = element.get<Number>();
    if (!n) refuseKind(element.kindName());
    if (std::strchr(mapping, n->code()) == nullptr)
      throw EXFException(kInvalidTypeException,
                         formatReason(reasons::kNumericTypeNotSupported,
                                      {keyText(key), std::string(1, n->code()),
                                       value.description()}));
  };
  if (const auto* array = value.get<Array>()) {
    if (array->empty()) refuseKind("empty NSArray");
    for (const TagValue& element : *array) checkElement(element);
  } else {
    checkElement(value);
  }
}

}  // namespace

EXFMetaData::EXFMetaData() = default;

const EXFTagHandler* EXFMetaData::handlerForKey(TagKey key) const {
  if (!userKeyedHandlers_.empty()) {
    auto it = userKeyedHandlers_.find(key);
    if (it != userKeyedHandlers_.end()) return it->second.get();
  }
  return BuiltInHandlers::shared().find(key);
}

const EXFTagHandler* EXFMetaData::handlerIn(TagKey group, TagKey key) const {
  if (group != TAG_INTEROP_OFFSET) return handlerForKey(key);
  auto it = userKeyedHandlers_.find(key);
  return it != userKeyedHandlers_.end() ? it->second.get() : nullptr;
}

const EXFTag* EXFMetaData::definitionIn(TagKey group, TagKey key) const {
  return group == TAG_INTEROP_OFFSET ? nullptr : tagDefinition(key);
}

void EXFMetaData::addHandler(std::shared_ptr<const EXFTagHandler> handler, TagKey key) {
  // A tag number is 16 bits; a wider key would be cut into another tag's.
  if (key < 0 || key > 0xFFFF)
    throw EXFException(kInvalidKey, formatReason(reasons::kKeyNotATag, {std::to_string(key)}));
  if (!handler) throw EXFException(kInvalidHandler, reasons::kHandlerNil);
  if (isDirectoryPointerTag(key))
    throw EXFException(kInvalidHandler, reasons::kHandlerOverridesContainer);
  if (!tagDefinition(key)) {
    // Each failing check replaces the one found before; the last is raised.
    const char* failure = nullptr;
    if (auto format = handler->tagFormat(); !format)
      failure = reasons::kHandlerNeedsTagFormat;
    else if (!isValidFieldType(*format))
      failure = reasons::kHandlerTagFormatInvalid;
    if (auto parent = handler->parentTagId(); !parent)
      failure = reasons::kHandlerNeedsTagFormat;
    else if (!isValidParent(*parent))
      failure = reasons::kHandlerParentInvalid;
    if (!handler->isEditable()) failure = reasons::kHandlerNeedsIsEditable;
    if (failure) throw EXFException(kInvalidHandler, failure);
  }
  userKeyedHandlers_[key] = std::move(handler);
}

void EXFMetaData::removeHandler(TagKey key) { userKeyedHandlers_.erase(key); }

std::vector<const EXFTag*> EXFMetaData::tagDefinitionsForParent(std::int32_t parent,
                                                                bool withoutImmutable) const {
  std::vector<const EXFTag*> out;
  for (const EXFTag& tag : keyedTagDefinitions())
    if (tag.parentTagId() == parent && (tag.editable() || withoutImmutable)) out.push_back(&tag);
  return out;
}

void EXFMetaData::addTagValue(TagValue value, TagKey key) {
  storeValue(keyedTagValues_, std::move(value), key);
}

void EXFMetaData::addThumbnailTagValue(TagValue value, TagKey key) {
  storeValue(keyedThumbnailTagValues_, std::move(value), key);
}

void EXFMetaData::storeValue(Directory& root, TagValue value, TagKey key) {
  const EXFTag* definition = tagDefinition(key);
  std::int64_t parent = TAG_EXIF_ROOT;
  if (const EXFTagHandler* handler = handlerForKey(key)) {
    std::optional<EXFException> failure;
    if (!handler->supportsValueType(value))
      failure.emplace(kInvalidTypeException,
                      formatReason(reasons::kHandlerRejectsValue,
                                   {handler->description(), value.description()}));
    if (auto editable = handler->isEditable()) {
      if (!*editable)
        failure.emplace(kNonEditableKeyException,
                        formatReason(reasons::kHandlerRejectsEditing,
                                     {handler->description(), keyText(key)}));
    } else if (!definition || !definition->editable()) {
      failure.emplace(kNonEditableKeyException,
                      formatReason(reasons::kTagNotEditableFor, {keyText(key)}));
    }
    if (auto handlerParent = handler->parentTagId())
      parent = *handlerParent;
    else if (definition)
      parent = definition->parentTagId();
    else
      failure.emplace(kNonEditableKeyException,
                      formatReason(reasons::kNoDefinitionNoParent, {keyText(key)}));
    if (failure) throw *failure;
  } else {
    if (!definition)
      throw EXFException(kNonEditableKeyException,
                         formatReason(reasons::kNoTagForKey, {keyText(key)}));
    if (!definition->editable()) throw EXFException(kNonEditableKeyException, reasons::kTagNotEditable);
    parent = definition->parentTagId();
    checkPlainValue(value, key, *definition);
  }

  Directory* target = &root;
  if (parent != TAG_EXIF_ROOT) {
    target = root.group(parent);
    if (!target) {
      root.set(parent, Directory{});
      target = root.group(parent);
    }
  }
  target->set(key, std::move(value));
}

const TagValue* EXFMetaData::tagValue(TagKey key) const {
  if (const TagValue* v = keyedTagValues_.find(key)) return v;
  if (const EXFTag* definition = tagDefinition(key)) {
    const Directory* group = keyedTagValues_.group(definition->parentTagId());
    return group ? group->find(key) : nullptr;
  }
  if (const Directory* gps = keyedTagValues_.group(TAG_EXIF_GPS))
    if (const TagValue* v = gps->find(key)) return v;
  const Directory* exifGroup = keyedTagValues_.group(TAG_EXIF_OFFSET);
  return exifGroup ? exifGroup->find(key) : nullptr;
}

void EXFMetaData::removeTagValue(TagKey key) {
  const EXFTag* definition = tagDefinition(key);
  if (definition && !definition->editable())
    throw EXFException(kNonEditableKeyException, reasons::kTagNotEditable);
  if (!definition && key == TAG_EXIF_OFFSET)
    throw EXFException(kNonEditableKeyException,
                       formatReason(reasons::kGroupNotRemovable, {keyText(key)}));
  const std::int64_t parent = definition ? definition->parentTagId() : TAG_EXIF_ROOT;
  Directory* target = parent == TAG_EXIF_ROOT ? &keyedTagValues_ : keyedTagValues_.group(parent);
  if (target) target->erase(key);
  if (parent != TAG_EXIF_ROOT && (!target || target->empty())) removeTagValue(parent);
}

}  // namespace exif
