// exf dump on what the library does not know and on the file's layout:
// entries outside the tag table shown raw in their directory, and every
// segment before the image data listed in file order.
#include "tests/exif/support/exif_builder.h"
#include "tests/tools/exf_run.h"

#include <gtest/gtest.h>

namespace exif_testing {
namespace {

using json = nlohmann::json;

class ExfDump : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { dir_ = freshDirectory(GetParam() ? "dump-mm" : "dump-ii"); }
  // A file holding entries of every kind the table does not know.
  std::string unknownEntries() {
    const Bytes payload = ExifBuilder(GetParam())
                              .add(Ifd::Ifd0, Ascii(0x010F, "Maker"))
                              .add(Ifd::Ifd0, Short(0xC612, {1, 4}))                    // DNGVersion-like
                              .add(Ifd::Exif, Rational(0x9999, {{4294967295u, 1}}))     // unsigned, beyond 2^31
                              .add(Ifd::Exif, SRational(0x9998, {{-3, 2}}))
                              .add(Ifd::Exif, Ascii(0xA434, "Lens 24-70"))
                              .add(Ifd::Gps, Ascii(0x001D, "2024:05:01"))               // GPSDateStamp
                              .add(Ifd::Gps, Undefined(0x001B, {'G', 'P', 'S', 0, 1}))
                              .add(Ifd::Ifd1, Raw(0x011A, 11, 1, {0x3F, 0xC0, 0, 0}))  // FLOAT (big-endian bits)
                              .build();
    const std::string file = dir_ + "/unknown.jpg";
    writeFile(file, jpeg({segment(0xE0, jfifPayload()), segment(0xFE, {'h', 'i'}), segment(0xE1, payload)},
                         jpegTail()));
    return file;
  }
  std::string dir_;
};

INSTANTIATE_TEST_SUITE_P(BothOrders, ExfDump, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST_P(ExfDump, EntriesOutsideTheTableAreShownRawInTheirGroup) {
  const json j = exfJson(unknownEntries());
  auto raw = [&](const char* group, const char* tag) { return j.at(group).at(tag).at("raw"); };
  EXPECT_EQ(raw("ifd0", "50706").at("value"), json({1, 4}));
  EXPECT_EQ(raw("ifd0", "50706").at("type"), 3);
  EXPECT_EQ(raw("exif", "39321").at("value"), "4294967295/1");
  EXPECT_EQ(raw("exif", "39320").at("value"), "-3/2");
  EXPECT_EQ(raw("exif", "42036").at("value"), "Lens 24-70");
  EXPECT_EQ(j.at("gps").at("29"), "2024:05:01");  // GPSDateStamp is known
  EXPECT_EQ(raw("gps", "27").at("value"), json({{"hex", "4750530001"}}));
  if (GetParam()) {  // the FLOAT's bits were written big-endian
    EXPECT_EQ(raw("ifd1", "282").at("value"), 1.5);
  }
  EXPECT_EQ(j.at("ifd0").at("271"), "Maker");  // known tags as before

  CommandResult r = exf({"dump", unknownEntries()});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* line : {"IFD0    0xC612  (unknown)                    (raw SHORT x2) 1, 4\n",
                           "Exif    0x9999  (unknown)                    (raw RATIONAL x1) 4294967295/1\n",
                           "GPS     0x001D  GPSDateStamp                 2024:05:01\n"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << " not in\n" << r.out;
}

TEST_P(ExfDump, ZeroOverZeroIsZeroInACoordinateAndUndefinedAlone) {
  const Bytes payload = ExifBuilder(GetParam())
                            .add(Ifd::Gps, Rational(0x0002, {{48, 1}, {53, 1}, {0, 0}}))
                            .add(Ifd::Gps, Rational(0x0004, {{2, 1}, {1, 0}, {0, 1}}))
                            .add(Ifd::Gps, Rational(0x0006, {{0, 0}}))
                            .build();
  const std::string file = dir_ + "/zero.jpg";
  writeFile(file, jpeg({segment(0xE1, payload)}, jpegTail()));
  const json j = exfJson(file);
  EXPECT_NEAR(j.at("gps").at("2").at("decimal").get<double>(), 48 + 53 / 60.0, 1e-12);
  EXPECT_EQ(j.at("gps").at("4").at("decimal"), "undefined");
  EXPECT_EQ(j.at("gps").at("6"), "0/0");  // the altitude: no number at all
  const CommandResult r = exf({"dump", file});
  EXPECT_NE(r.out.find("GPSLatitude                  48\u00B0 53' 0\" (48.88333333333333)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("2\u00B0 undefined' 0\" (undefined)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("GPSAltitude                  0/0 (undefined)"), std::string::npos) << r.out;
  for (const std::string& out : {r.out, j.dump()}) EXPECT_EQ(out.find("nan"), std::string::npos) << out;
}

TEST_P(ExfDump, SegmentsAreListedInFileOrderWithOffsetsAndLengths) {
  const std::string file = unknownEntries();
  const json j = exfJson(file);
  const json& segments = j.at("segments");
  ASSERT_GE(segments.size(), 4u);
  EXPECT_EQ(segments[0], json({{"marker", "E0"}, {"offset", 2}, {"length", 14}}));
  EXPECT_EQ(segments[1], json({{"marker", "FE"}, {"offset", 2 + 18}, {"length", 2}}));
  EXPECT_EQ(segments[2].at("marker"), "E1");
  EXPECT_EQ(segments[2].at("offset"), 2 + 18 + 6);

  CommandResult r = exf({"dump", "segments", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("FFE0  offset          2  length     14\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("FFFE  offset         20  length      2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("EXIF\n"), std::string::npos) << r.out;
  r = exf({"dump", "--json", "segments", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(json::parse(r.out).at("segments"), segments);
}

}  // namespace
}  // namespace exif_testing
