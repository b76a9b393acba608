// The validated value store: placement, lookups, removal, handler
// registration, and the named failures with their reasons.
#include "exif/exf_exception.h"
#include "exif/exf_meta_data.h"

#include <gtest/gtest.h>

#include <functional>

namespace exif {
namespace {

// Runs `f` and returns the failure's name and reason ("" if none).
std::pair<std::string, std::string> failure(const std::function<void()>& f) {
  try {
    f();
  } catch (const EXFException& e) {
    return {e.name(), e.what()};
  }
  return {"", ""};
}

EXFGPSLoc someLocation() {
  EXFGPSLoc loc;
  loc.setDegrees(EXFraction(1, 1));
  return loc;
}

TEST(Store, PlacesValuesInTheirDirectory) {
  EXFMetaData md;
  md.addTagValue(Number::fromInt32(6), 274);
  md.addTagValue(Array{Number::fromInt32(8), Number::fromInt32(8), Number::fromInt32(8)}, 258);
  md.addTagValue("Apple", 271);
  md.addTagValue(someLocation(), 2);
  EXPECT_EQ(*md.keyedTagValues().find(274)->get<Number>(), Number::fromInt32(6));
  EXPECT_TRUE(md.keyedTagValues().group(34853)->contains(2));
  EXPECT_EQ(md.tagValue(34853)->get<Directory>()->size(), 1u);
  EXPECT_TRUE(md.tagValue(2)->is<EXFGPSLoc>());

  md.addThumbnailTagValue(Number::fromInt32(6), 259);
  EXPECT_EQ(*md.thumbnailTagValue(259)->get<Number>(), Number::fromInt32(6));
  EXPECT_EQ(md.tagValue(259), nullptr);
}

struct Rejection {
  const char* what;
  std::function<void(EXFMetaData&)> call;
  std::string name;
  std::string reason;
};

TEST(Store, RejectsValuesWithNamedReasons) {
  const std::vector<Rejection> cases = {
      {"double for SHORT", [](EXFMetaData& m) { m.addTagValue(Number::fromDouble(6), 274); },
       "InvalidTypeException", "Tag 274 does not support numeric type d for 6"},
      {"text inside array", [](EXFMetaData& m) { m.addTagValue(Array{Number::fromInt32(8), "x"}, 258); },
       "InvalidTypeException", "Tag 258 supports only numeric types of SsCcIi - unsupported type NSString"},
      {"empty array", [](EXFMetaData& m) { m.addTagValue(Array{}, 258); },
       "InvalidTypeException", "Tag 258 supports only numeric types of SsCcIi - unsupported type empty NSArray"},
      {"non-ASCII text", [](EXFMetaData& m) { m.addTagValue("Caf\u00E9", 271); },
       "InvalidTypeForHandlerException", "Tag 271 only supports NSString in ASCII format"},
      {"number for UNDEFINED", [](EXFMetaData& m) { m.addTagValue(Number::fromInt32(1), 0x927C); },
       "InvalidTypeForHandlerException", "Tag 37500 only supports NSData"},
      {"number for RATIONAL", [](EXFMetaData& m) { m.addTagValue(Number::fromInt32(72), 282); },
       "InvalidTypeForHandlerException", "Tag 282 only supports EXFraction"},
      {"text for GPSLatitude", [](EXFMetaData& m) { m.addTagValue("north", 2); },
       "InvalidTypeException", "Handler GPSLocation Handler does not support value for north"},
      {"unknown key", [](EXFMetaData& m) { m.addTagValue(Number::fromInt32(1), 99999); },
       "NonEditableKeyException", "No Tag found for Key 99999"},
      {"Gamma", [](EXFMetaData& m) { m.addTagValue(EXFraction(1, 1), 0xA500); },
       "NonEditableKeyException", "Tag is not editable"},
      {"handler without definition", [](EXFMetaData& m) { m.addTagValue(Array{Number::fromInt32(1)}, 37121); },
       "NonEditableKeyException",
       "Tag definition not found for 37121 - and parentTagId not supported by handler"},
  };
  for (const auto& c : cases) {
    EXFMetaData md;
    md.addTagValue("kept", 271);
    EXPECT_EQ(failure([&] { c.call(md); }), std::pair(c.name, c.reason)) << c.what;
    EXPECT_EQ(md.keyedTagValues().size(), 1u) << c.what << ": store changed";
  }
}

TEST(Store, RemovingTheLastTagOfAGroup) {
  EXFMetaData md;
  md.addTagValue(someLocation(), 2);
  md.removeTagValue(2);
  EXPECT_FALSE(md.keyedTagValues().contains(34853));

  md.addTagValue(EXFraction(1, 125), 0x829A);
  using Failure = std::pair<std::string, std::string>;
  EXPECT_EQ(failure([&] { md.removeTagValue(0x829A); }),
            Failure("NonEditableKeyException", "Tag group 34665 cannot be removed"));
  EXPECT_TRUE(md.keyedTagValues().group(34665)->empty());
  EXPECT_EQ(failure([&] { md.removeTagValue(34665); }).second, "Tag group 34665 cannot be removed");
}

// A caller's handler with each optional operation switchable.
struct CustomHandler : EXFTagHandler {
  std::optional<std::int32_t> format, parent;
  std::optional<bool> editable;
  void encodeTag(Bytes& out, const TagValue&, bool) const override { out.push_back(9); }
  bool supportsValueType(const TagValue& v) const override { return v.is<Number>(); }
  std::int32_t getSizeOfValue(const TagValue&) const override { return 1; }
  void decodeTag(Directory& d, TagKey k, std::span<const std::uint8_t>, bool) const override {
    d.set(k, Number::fromInt32(42));
  }
  std::string description() const override { return "Custom"; }
  std::optional<bool> isEditable() const override { return editable; }
  std::optional<std::int32_t> parentTagId() const override { return parent; }
  std::optional<std::int32_t> tagFormat() const override { return format; }
};

std::shared_ptr<CustomHandler> custom(std::optional<std::int32_t> format, std::optional<std::int32_t> parent,
                                      std::optional<bool> editable) {
  auto h = std::make_shared<CustomHandler>();
  h->format = format;
  h->parent = parent;
  h->editable = editable;
  return h;
}

TEST(Store, HandlerRegistrationChecks) {
  EXFMetaData md;
  auto reason = [&](std::shared_ptr<const EXFTagHandler> h, TagKey key) {
    return failure([&] { md.addHandler(std::move(h), key); }).second;
  };
  EXPECT_EQ(reason(nullptr, 0x9999), "Tag Handler is nil");
  EXPECT_EQ(reason(custom(3, 34665, true), 34853),
            "Tag Handler cannot override tags that are containers for other tag sets");
  EXPECT_EQ(reason(custom(13, 34665, true), 0x9999), "Tag Handler tagFormat is not valid - please see documentation");
  EXPECT_EQ(reason(custom(std::nullopt, 34665, true), 0x9999), "Tag Handler must implement tagFormat to support new tag Id");
  EXPECT_EQ(reason(custom(3, 7, true), 0x9999), "Tag Handler parent Tag Id is invalid - please see documentation");
  // The last failing check wins.
  EXPECT_EQ(reason(custom(13, 7, std::nullopt), 0x9999), "Tag Handler must implement isEditable to support new tag Id");
  EXPECT_TRUE(md.userKeyedHandlers().empty());
  EXPECT_EQ(reason(custom(3, 34665, true), 0x9999), "");
  EXPECT_EQ(reason(custom(std::nullopt, std::nullopt, std::nullopt), 274), "");  // defined tag: no checks
}

TEST(Store, CallersHandlerTakesPrecedenceAndPlacesByItsParent) {
  EXFMetaData md;
  md.addHandler(custom(3, 34665, true), 0x9999);
  md.addTagValue(Number::fromInt32(5), 0x9999);
  EXPECT_TRUE(md.keyedTagValues().group(34665)->contains(0x9999));
  md.addHandler(custom(std::nullopt, std::nullopt, false), 274);
  EXPECT_EQ(failure([&] { md.addTagValue(Number::fromInt32(6), 274); }).second,
            "Handler Custom does not support editing for 274");
  md.removeHandler(274);
  md.addTagValue(Number::fromInt32(6), 274);
  md.removeAllHandlers();
  EXPECT_TRUE(md.userKeyedHandlers().empty());
}

TEST(Store, DefinitionsByDirectory) {
  EXFMetaData md;
  EXPECT_EQ(md.tagDefinitionsForParent(34665, false).size(), 49u);
  EXPECT_EQ(md.tagDefinitionsForParent(34665, true).size(), 50u);
  EXPECT_EQ(md.tagDefinitionsForParent(-1, true).size(), 31u);
  EXPECT_EQ(md.tagDefinitionsForParent(34853, true).size(), 27u);
}

}  // namespace
}  // namespace exif
