// The validated value store: placement, removal, handler registration, and
// the named failures with their reasons.
#include "exif/exf_exception.h"
#include "exif/exf_meta_data.h"
#include "tests/exif/support/exif_checks.h"

#include <gtest/gtest.h>

#include <functional>

namespace exif {
namespace {

using exif_testing::Failure;
using exif_testing::failure;

TEST(Store, PlacesValuesInTheirDirectoryAndRemovesGroupsLeftEmpty) {
  EXFMetaData md;
  md.addTagValue(Array{Number::fromInt32(8), Number::fromInt32(8)}, 258);
  EXFGPSLoc location;
  location.setDegrees(EXFraction(1, 1));
  md.addTagValue(location, 2);
  md.addThumbnailTagValue(Number::fromInt32(6), 259);
  EXPECT_TRUE(md.keyedTagValues().contains(258));
  EXPECT_TRUE(md.keyedTagValues().group(34853)->contains(2));
  EXPECT_TRUE(md.tagValue(2)->is<EXFGPSLoc>());
  EXPECT_EQ(*md.thumbnailTagValue(259), TagValue(Number::fromInt32(6)));
  EXPECT_EQ(md.tagValue(259), nullptr);

  md.removeTagValue(2);
  EXPECT_FALSE(md.keyedTagValues().contains(34853));
  md.addTagValue(EXFraction(1, 125), 0x829A);
  EXPECT_EQ(failure([&] { md.removeTagValue(0x829A); }),
            Failure(kNonEditableKeyException, "Tag group 34665 cannot be removed"));
  EXPECT_TRUE(md.keyedTagValues().group(34665)->empty());
}

TEST(Store, RejectsValuesWithNamedReasonsAndStaysUnchanged) {
  const std::vector<std::pair<std::function<void(EXFMetaData&)>, Failure>> cases = {
      {[](EXFMetaData& m) { m.addTagValue(Number::fromDouble(6), 274); },
       {"InvalidTypeException", "Tag 274 does not support numeric type d for 6"}},
      {[](EXFMetaData& m) { m.addTagValue(Array{Number::fromInt32(8), "x"}, 258); },
       {"InvalidTypeException", "Tag 258 supports only numeric types of SsCcIi - unsupported type NSString"}},
      {[](EXFMetaData& m) { m.addTagValue(Array{}, 258); },
       {"InvalidTypeException", "Tag 258 supports only numeric types of SsCcIi - unsupported type empty NSArray"}},
      {[](EXFMetaData& m) { m.addTagValue("Caf\u00E9", 271); },
       {"InvalidTypeForHandlerException", "Tag 271 only supports NSString in ASCII format"}},
      {[](EXFMetaData& m) { m.addTagValue(Number::fromInt32(1), 0x927C); },
       {"InvalidTypeForHandlerException", "Tag 37500 only supports NSData"}},
      {[](EXFMetaData& m) { m.addTagValue(Number::fromInt32(72), 282); },
       {"InvalidTypeForHandlerException", "Tag 282 only supports EXFraction"}},
      {[](EXFMetaData& m) { m.addTagValue("north", 2); },
       {"InvalidTypeException", "Handler GPSLocation Handler does not support value for north"}},
      {[](EXFMetaData& m) { m.addTagValue(Number::fromInt32(1), 99999); },
       {"NonEditableKeyException", "No Tag found for Key 99999"}},
      {[](EXFMetaData& m) { m.addTagValue(EXFraction(1, 1), 0xA500); },
       {"NonEditableKeyException", "Tag is not editable"}},
      {[](EXFMetaData& m) { m.addTagValue(Array{Number::fromInt32(1)}, 37121); },
       {"NonEditableKeyException", "Tag definition not found for 37121 - and parentTagId not supported by handler"}},
      {[](EXFMetaData& m) { m.removeTagValue(34665); },
       {"NonEditableKeyException", "Tag group 34665 cannot be removed"}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXFMetaData md;
    md.addTagValue("kept", 271);
    const Directory before = md.keyedTagValues();
    EXPECT_EQ(failure([&] { cases[i].first(md); }), cases[i].second) << "case " << i;
    EXPECT_EQ(md.keyedTagValues(), before) << "case " << i;
  }
}

// A caller's handler with each optional operation switchable.
struct CustomHandler : EXFTagHandler {
  CustomHandler(std::optional<std::int32_t> f, std::optional<std::int32_t> p, std::optional<bool> e)
      : format(f), parent(p), editable(e) {}
  std::optional<std::int32_t> format, parent;
  std::optional<bool> editable;
  void encodeTag(Bytes& out, const TagValue&, bool) const override { out.push_back(9); }
  bool supportsValueType(const TagValue& v) const override { return v.is<Number>(); }
  std::int32_t getSizeOfValue(const TagValue&) const override { return 1; }
  void decodeTag(Directory&, TagKey, std::span<const std::uint8_t>, bool) const override {}
  std::string description() const override { return "Custom"; }
  std::optional<bool> isEditable() const override { return editable; }
  std::optional<std::int32_t> parentTagId() const override { return parent; }
  std::optional<std::int32_t> tagFormat() const override { return format; }
};

TEST(Store, HandlerRegistrationChecksThenTheCallersHandlerTakesPrecedence) {
  EXFMetaData md;
  auto reason = [&](std::optional<std::int32_t> format, std::optional<std::int32_t> parent,
                    std::optional<bool> editable, TagKey key) {
    return failure([&] { md.addHandler(std::make_shared<CustomHandler>(format, parent, editable), key); }).second;
  };
  EXPECT_EQ(failure([&] { md.addHandler(nullptr, 0x9999); }), Failure(kInvalidHandler, "Tag Handler is nil"));
  EXPECT_EQ(reason(3, 34665, true, 34853), "Tag Handler cannot override tags that are containers for other tag sets");
  EXPECT_EQ(reason(13, 34665, true, 0x9999), "Tag Handler tagFormat is not valid - please see documentation");
  EXPECT_EQ(reason(std::nullopt, 34665, true, 0x9999), "Tag Handler must implement tagFormat to support new tag Id");
  EXPECT_EQ(reason(3, 7, true, 0x9999), "Tag Handler parent Tag Id is invalid - please see documentation");
  EXPECT_EQ(reason(13, 7, std::nullopt, 0x9999), "Tag Handler must implement isEditable to support new tag Id");
  // A key wider than a tag number would be written as another tag's entry.
  EXPECT_EQ(failure([&] { md.addHandler(std::make_shared<CustomHandler>(3, 34665, true), 0x10112); }),
            Failure(kInvalidKey, "Key 65810 is not a 16-bit tag number"));
  EXPECT_EQ(reason(3, 34665, true, -1), "Key -1 is not a 16-bit tag number");
  EXPECT_TRUE(md.userKeyedHandlers().empty());

  EXPECT_EQ(reason(3, 34665, true, 0x9999), "");
  md.addTagValue(Number::fromInt32(5), 0x9999);
  EXPECT_TRUE(md.keyedTagValues().group(34665)->contains(0x9999));
  EXPECT_EQ(reason(std::nullopt, std::nullopt, false, 274), "");  // a defined tag: no checks
  EXPECT_EQ(failure([&] { md.addTagValue(Number::fromInt32(6), 274); }).second,
            "Handler Custom does not support editing for 274");
  md.removeHandler(274);
  md.addTagValue(Number::fromInt32(6), 274);
  EXPECT_EQ(md.tagDefinitionsForParent(34665, false).size() + 1, md.tagDefinitionsForParent(34665, true).size());
}

}  // namespace
}  // namespace exif
