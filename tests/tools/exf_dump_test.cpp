// exf dump on what the library does not know and on the file's layout:
// entries outside the tag table shown raw in their directory, and every
// segment before the image data listed in file order.
#include "exif/exf_jpeg.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/exif/support/exif_checks.h"
#include "tests/tools/exf_run.h"
#include "tools/exf/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

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
                              .add(Ifd::Exif, Raw(0x9997, 12, 1, {0x3F, 0xF8, 0, 0, 0, 0, 0, 0}))  // DOUBLE
                              .build();
    const std::string file = dir_ + "/unknown.jpg";
    writeFile(file, jpeg({segment(0xE0, jfifPayload()), segment(0xFE, {'h', 'i'}), segment(0xE1, payload)},
                         jpegTail()));
    return file;
  }
  std::string dir_;
};

INSTANTIATE_TEST_SUITE_P(BothOrders, ExfDump, ::testing::Bool(), byteOrderName);

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
  if (GetParam()) {  // the FLOAT's and DOUBLE's bits were written big-endian
    EXPECT_EQ(raw("ifd1", "282").at("value"), 1.5);
    EXPECT_EQ(raw("exif", "39319").at("value"), 1.5);
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
  const json segments = exfJson(file).at("segments");
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
  // Several files (here a folder and a file): one object a line each.
  r = exf({"dump", "--json", "segments", dir_, file});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto split = r.out.find('\n');
  ASSERT_EQ(r.out.find('\n', split + 1), r.out.size() - 1) << r.out;
  for (const std::string& line : {r.out.substr(0, split), r.out.substr(split + 1)})
    EXPECT_EQ(json::parse(line), json({{"file", file}, {"segments", segments}}));
  // A file named with a folder that holds no picture is still one of several.
  std::filesystem::create_directory(dir_ + "/empty");
  r = exf({"dump", "--json", "segments", file, dir_ + "/empty"});
  EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
  EXPECT_EQ(json::parse(r.out), json({{"file", file}, {"segments", segments}}));
}

// `exf dump` in each of its forms, in this process: status and output.
std::vector<std::pair<int, std::string>> dumpInEveryForm(const std::string& file) {
  std::vector<std::pair<int, std::string>> results;
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {}, {"--json"}, {"segments"}, {"--json", "segments"}}) {
    args.push_back(file);
    std::ostringstream out, err;
    const int status = exf::runDump(args, out, err);
    results.emplace_back(status, out.str());
  }
  return results;
}

// A file cut anywhere before its image data (`head -c N`) is damaged, and
// every form of the dump says so and ends with status 1.
TEST_P(ExfDump, TruncatedFileIsSaidToBeDamagedInEveryForm) {
  const Bytes whole = readFile(unknownEntries());
  exif::EXFJpeg scanned;
  scanned.scanImageData(whole);
  ASSERT_FALSE(scanned.scanError());
  const std::string cut = dir_ + "/cut.jpg";
  for (std::size_t length = 2; length <= scanned.imageDataOffset(); ++length) {
    writeFile(cut, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
    const auto results = dumpInEveryForm(cut);
    for (std::size_t form = 0; form < results.size(); ++form) {
      const auto& [status, out] = results[form];
      EXPECT_EQ(status, 1) << "form " << form << ", " << length << " bytes";
      const bool json = form % 2 == 1;
      EXPECT_NE(out.find(json ? "\"error\":" : "\ndamaged: "), std::string::npos) << length << " bytes:\n" << out;
    }
  }
}

// A TIFF header that cannot be read: the dump says that nothing of the
// block could be read, shows what the rest of the file holds, and ends with
// status 1.
TEST_P(ExfDump, UnreadableTiffHeaderIsSaidAndTheRestShown) {
  const bool big = GetParam();
  const Bytes whole = readFile(unknownEntries());
  const std::size_t payload = static_cast<std::size_t>(
      std::search(whole.begin(), whole.end(), exif::exifChars.begin(), exif::exifChars.end()) - whole.begin());
  const std::size_t size = (whole[payload - 2] << 8 | whole[payload - 1]) - 2;
  const std::vector<std::pair<std::function<void(Bytes&)>, std::string>> cases = {
      {[&](Bytes& b) { b[payload + 6] = 'X'; }, "has no byte order (II or MM) where its TIFF header starts"},
      // 42 in the other byte order is not 42.
      {[&](Bytes& b) { putU16(b, payload + 8, 42, !big); }, "has a TIFF header without the number 42"},
      {[&](Bytes& b) { putU32(b, payload + 10, static_cast<std::uint32_t>(size - 7), big); },
       "names its first directory at offset " + std::to_string(size - 7) + ", outside its " + std::to_string(size) +
           " bytes"},
  };
  const json intact = exfJson(unknownEntries());
  const std::string file = dir_ + "/damaged.jpg";
  for (const auto& [damage, why] : cases) {
    Bytes bytes = whole;
    damage(bytes);
    writeFile(file, bytes);
    const auto results = dumpInEveryForm(file);
    for (const auto& [status, out] : results) EXPECT_EQ(status, 1) << why;
    const std::string said = "the EXIF block (APP1 at offset " + std::to_string(payload - 4) + ") " + why +
                             ", so none of its values could be read; the rest of the file could";
    EXPECT_NE(results[0].second.find(", EXIF block unreadable\n"), std::string::npos) << results[0].second;
    EXPECT_NE(results[0].second.find("\ndamaged: " + said + "\n"), std::string::npos) << results[0].second;
    const json j = json::parse(results[1].second);
    EXPECT_EQ(j.value("exifError", ""), said);
    EXPECT_EQ(j.at("jfif"), intact.at("jfif"));
    EXPECT_EQ(j.at("segments"), intact.at("segments"));
    EXPECT_TRUE(j.at("byteOrder").is_null());
    EXPECT_FALSE(j.contains("ifd0"));
    EXPECT_NE(results[2].second.find("\ndamaged: " + said + "\n"), std::string::npos) << results[2].second;
    EXPECT_EQ(json::parse(results[3].second).value("exifError", ""), said);
  }
}

}  // namespace
}  // namespace exif_testing
