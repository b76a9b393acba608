#include "exif/exf_gps_values.h"
#include "exif/exf_tag_definition_holder.h"
#include "exif/tag_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace exif {
namespace {

TEST(Numbers, KeepTheirStorageCodeAndConvertWithoutOverflow) {
  EXPECT_EQ(Number::fromULong(0x80000000u).description(), "2147483648");
  EXPECT_EQ(Number::fromDouble(0.5).description(), "0.5");
  EXPECT_EQ(Number::fromDouble(3).description(), "3");
  EXPECT_EQ(Number::fromDouble(1e300).int64Value(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Number::fromDouble(std::nan("")).int32Value(), 0);
  EXPECT_EQ(Number::fromInt64(0x1'0000'0005).int32Value(), 5);  // low 32 bits
}

TEST(Directories, KeepKeysAscendingWhateverTheInsertOrder) {
  Directory d;
  for (TagKey k : {0x0110, 0x010F, 0x8769, 0x0001}) d.set(k, Number::fromInt32(static_cast<int>(k)));
  d.set(0x010F, "replaced");
  std::vector<TagKey> keys;
  for (const auto& [k, v] : d) keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<TagKey>{0x0001, 0x010F, 0x0110, 0x8769}));
  EXPECT_EQ(*d.find(0x010F)->get<std::string>(), "replaced");
  EXPECT_TRUE(d.erase(0x0001));
  EXPECT_FALSE(d.erase(0x0001));
}

TEST(GpsValues, TextForms) {
  EXFGPSLoc loc;
  loc.setDegrees(EXFraction(37, 1));
  loc.setMinutes(EXFraction(46, 1));
  loc.setSeconds(EXFraction(2964, 100));
  EXPECT_EQ(loc.description(), "37\u00B0 46' 29.64\"");
  EXPECT_NEAR(loc.descriptionAsDecimal(), 37.7749, 1e-12);

  auto stamp = [](EXFraction h, EXFraction m, EXFraction s) {
    EXFGPSTimeStamp t;
    t.setHours(h);
    t.setMinutes(m);
    t.setSeconds(s);
    return t.description();
  };
  EXPECT_EQ(stamp({9, 1}, {5, 1}, {30, 1}), "09:05:30");
  EXPECT_EQ(stamp({14, 1}, {30, 1}, {5, 2}), "14:30:02");
  EXPECT_EQ(stamp({123, 1}, {0, 1}, {0, 1}), "123:00:00");
  EXPECT_EQ(stamp({-5, 1}, {0, 1}, {0, 1}), "-5:00:00");
}

TEST(GpsValues, TimeStampWithZeroDenominatorOrOverflowingQuotientStillDescribes) {
  EXFGPSTimeStamp t;
  t.setHours(EXFraction(12, 0));
  t.setMinutes(EXFraction(std::numeric_limits<std::int32_t>::min(), -1));
  EXPECT_EQ(t.description(), "--:2147483648:--");
}

TEST(TagTable, HoldsTheDefinitionsAsData) {
  const auto& table = EXFTagDefinitionHolder::shared();
  EXPECT_EQ(table.definitions().size(), 108u);
  const EXFTag* comment = table.find(0x9286);
  ASSERT_TRUE(comment);
  EXPECT_EQ(comment->name(), "UserComment");
  EXPECT_EQ(comment->dataType(), 7);
  EXPECT_EQ(comment->components(), -99);
  EXPECT_EQ(comment->parentTagId(), 0x8769);
  EXPECT_TRUE(comment->editable());
  EXPECT_EQ(table.find(0x0000)->parentTagId(), 0x8825);  // GPSVersion
  EXPECT_FALSE(table.find(0xA500)->editable());            // Gamma
  for (TagKey absent : {0x8769, 0x8825, 0xA005, 0x9214, 99999, -1})
    EXPECT_EQ(table.find(absent), nullptr) << absent;
  int gammaLike = 0;
  for (const EXFTag& t : table.definitions()) gammaLike += t.editable() ? 0 : 1;
  EXPECT_EQ(gammaLike, 1);
}

}  // namespace
}  // namespace exif
