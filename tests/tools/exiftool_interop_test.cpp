// Interoperability with exiftool, in both byte orders: files it writes, the
// library and exf read with the same values; files the library rewrites and
// exf geotags, it reads with the same values and finds nothing wrong with.
#include "exif/exf_jpeg.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/exif/support/exif_checks.h"
#include "tests/tools/exf_picture.h"
#include "tests/tools/exf_run.h"
#include "tools/exf/sample/test_card.h"
#include "tools/exf/value_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <sstream>

namespace exif_testing {
namespace {

using json = nlohmann::json;

// exf's JSON group keys with exiftool's names for them, in exf::Group order.
constexpr std::pair<const char*, const char*> kGroups[] = {
    {"ifd0", "IFD0"}, {"exif", "ExifIFD"}, {"gps", "GPS"}, {"interop", "InteropIFD"}, {"ifd1", "IFD1"}};

// What exiftool reads from one file, in one run of it: the EXIF groups' tags
// keyed "IFD0:271", "GPS:2", ... with values as -n prints them, the
// thumbnail bytes, and what -validate reports.
struct ExiftoolView {
  std::map<std::string, json> tags;
  std::string thumbnail;
  std::vector<std::string> findings;
};

ExiftoolView exiftoolRead(const std::string& path) {
  const std::string cut = "--exiftool-section--";
  CommandResult r = runCommand({"exiftool", "-j", "-n", "-D", "-G1", "-a", path, "-echo3", cut, "-execute",
                                "-b", "-ThumbnailImage", path, "-echo3", cut, "-execute",
                                "-validate", "-warning", "-a", "-s3", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  const std::size_t first = r.out.find(cut + "\n"), second = r.out.find(cut + "\n", first + 1);
  ExiftoolView view;
  if (r.status != 0 || second == std::string::npos) return view;
  const json all = json::parse(r.out.substr(0, first));
  for (const auto& [key, entry] : all.at(0).items())
    for (const auto& [ours, theirs] : kGroups)
      if (key.rfind(theirs + std::string(":"), 0) == 0 && entry.at("id").is_number())
        view.tags[theirs + (":" + std::to_string(entry.at("id").get<int>()))] = entry.at("val");
  view.thumbnail = r.out.substr(first + cut.size() + 1, second - first - cut.size() - 1);
  std::istringstream lines(r.out.substr(second + cut.size() + 1));
  for (std::string line; std::getline(lines, line);) view.findings.push_back(line);
  return view;
}

std::optional<double> asNumber(const json& v) {
  if (v.is_number()) return v.get<double>();
  const std::string s = v.is_string() ? v.get<std::string>() : "";
  if (auto slash = s.find('/'); slash != std::string::npos)
    return std::stod(s.substr(0, slash)) / std::stod(s.substr(slash + 1));
  char* end = nullptr;
  const double d = std::strtod(s.c_str(), &end);
  return !s.empty() && *end == '\0' ? std::optional(d) : std::nullopt;
}

// Whether exf's JSON value and exiftool's -n value agree.
bool sameValue(const json& ours, const json& theirs) {
  if (ours.is_object() && ours.contains("raw")) return sameValue(ours.at("raw").at("value"), theirs);  // unkept entry
  if (ours.is_object() && ours.contains("decimal")) return sameValue(ours.at("decimal"), theirs);  // EXFGPSLoc
  if (ours.is_object() && ours.contains("text")) return ours.at("text") == theirs;  // EXFGPSTimeStamp
  if (ours.is_object() && ours.contains("hex")) {  // undefined bytes: short ones exiftool prints as text
    const std::string hex = ours.at("hex").get<std::string>();
    if (theirs.is_number()) return hex.size() == 2 && std::stoi(hex, nullptr, 16) == theirs.get<int>();
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return theirs.is_string() && (theirs == text || theirs.get<std::string>().rfind(
                                      "(Binary data " + std::to_string(text.size()) + " bytes", 0) == 0);
  }
  if (ours.is_array()) {  // exiftool prints arrays as words
    std::vector<json> words;
    std::istringstream in(theirs.is_string() ? theirs.get<std::string>() : theirs.dump());
    for (std::string w; in >> w;) words.push_back(w);
    for (std::size_t i = 0; i < ours.size() && words.size() == ours.size(); ++i)
      if (!sameValue(ours[i], words[i])) return false;
    return words.size() == ours.size();
  }
  auto a = asNumber(ours), b = asNumber(theirs);
  if (ours.is_string() && ours.get<std::string>().find('/') == std::string::npos)
    return ours == theirs || (a && b && *a == *b);  // a text, which exiftool may print as a number
  return a && b && std::fabs(*a - *b) <= 1e-6 * std::max(1.0, std::fabs(*b));
}

// exiftool shows the APEX tags converted: ShutterSpeedValue as seconds
// (2^-v), ApertureValue and MaxApertureValue as an f-number (2^(v/2)).
json asExiftoolShowsIt(const std::string& key, const json& value) {
  if (key != "ExifIFD:37377" && key != "ExifIFD:37378" && key != "ExifIFD:37381") return value;
  const double v = *asNumber(value);
  return key == "ExifIFD:37377" ? std::pow(2.0, -v) : std::pow(2.0, v / 2);
}

// Compares every value exf reports with exiftool's; returns how many.
std::size_t expectSameValues(const json& ours, const ExiftoolView& theirs) {
  std::size_t compared = 0;
  for (const auto& [group, theirGroup] : kGroups) {
    const json tags = ours.value(group, json::object());
    for (const auto& [id, value] : tags.items()) {
      const std::string key = theirGroup + (":" + id);
      if (key == "IFD1:513") continue;  // exiftool reports a file offset
      const json their = theirs.tags.count(key) ? theirs.tags.at(key) : json();
      EXPECT_TRUE(sameValue(asExiftoolShowsIt(key, value), their)) << key << ": exf " << value << ", exiftool " << their;
      ++compared;
    }
  }
  return compared;
}

// exiftool finds nothing wrong with the structure: entries ascend, values
// stand at even offsets. It notes only tags a camera would add.
void expectSoundStructure(const ExiftoolView& view) {
  for (const std::string& line : view.findings)
    if (!std::isdigit(static_cast<unsigned char>(line[0])) && line != "OK" && line.rfind("Missing required", 0) != 0 &&
        !(line.rfind("[minor]", 0) == 0 && (line.find("Missing required") != std::string::npos ||
                                            line.find("out of sequence") != std::string::npos)))
      ADD_FAILURE() << "exiftool -validate: " << line;
}

// exiftool's own arguments for a file rich in the kinds of value the library
// knows: texts, rationals, signed rationals, SHORT arrays, undefined bytes, a
// user comment, GPS coordinates and time, an Interoperability group and a
// thumbnail.
std::vector<std::string> richTags(bool big, const std::string& thumbnail) {
  return {"-ExifByteOrder=" + std::string(big ? "MM" : "II"), "-Make=Holdstill", "-Model=Test Phone",
          "-Software=exiftool", "-Artist=A. Person", "-Copyright=(c) nobody", "-ImageDescription=a test card",
          "-Orientation#=6", "-XResolution=72", "-YResolution=72", "-ResolutionUnit#=2", "-YCbCrPositioning#=1",
          "-ModifyDate=2009:03:14 15:09:26", "-WhitePoint=0.3127 0.329", "-ExposureTime=1/125", "-FNumber=2.8",
          "-ExposureProgram#=2", "-ISO=100", "-ExifVersion=0230", "-DateTimeOriginal=2009:03:14 15:09:26",
          "-CreateDate=2009:03:14 15:09:27", "-ShutterSpeedValue=0.008", "-ExposureCompensation=-0.7",
          "-MeteringMode#=5", "-Flash#=16", "-FocalLength=4.2", "-UserComment=steady shot", "-SubSecTime=042",
          "-FlashpixVersion=0100", "-ColorSpace#=1", "-ExifImageWidth=320", "-ExifImageHeight=240",
          "-SubjectLocation=100 200", "-FileSource#=3", "-SceneType#=1", "-WhiteBalance#=0",
          "-DigitalZoomRatio=1", "-FocalLengthIn35mmFormat=28", "-ComponentsConfiguration#=1 2 3 0",
          "-InteropIndex=R98", "-InteropVersion=0100", "-GPSVersionID=2.3.0.0", "-GPSLatitudeRef=S",
          "-GPSLatitude=33.8688", "-GPSLongitudeRef=E", "-GPSLongitude=151.2093", "-GPSAltitudeRef#=0",
          "-GPSAltitude=58.5", "-GPSTimeStamp=12:34:56", "-GPSMapDatum=WGS-84", "-GPSSpeedRef=K", "-GPSSpeed=5",
          "-IFD1:XResolution=72", "-IFD1:YResolution=72", "-IFD1:ResolutionUnit#=2",
          "-ThumbnailImage<=" + thumbnail};
}

class ExiftoolPeer : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!onPath("exiftool")) GTEST_SKIP() << "exiftool is not installed";
    dir_ = freshDirectory("peer");
  }
  bool big() const { return GetParam(); }

  // A test card tagged by exiftool with richTags(), and what exiftool reads
  // from it: made once per byte order.
  static const std::pair<std::string, ExiftoolView>& exiftoolWritten(bool big) {
    static std::map<bool, std::pair<std::string, ExiftoolView>> made;
    if (!made.count(big)) {
      const std::string dir = freshDirectory("exiftool-written"), file = dir + "/card.jpg";
      writeFile(file, exf::encodeTestCard(320, 240));
      writeFile(dir + "/thumb.jpg", exf::encodeTestCard(160, 120, 60));
      std::vector<std::string> argv = {"exiftool", "-q", "-overwrite_original"};
      for (const auto& a : richTags(big, dir + "/thumb.jpg")) argv.push_back(a);
      argv.push_back(file);
      CommandResult r = runCommand(argv);
      EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
      made[big] = {file, exiftoolRead(file)};
    }
    return made[big];
  }

  std::string dir_;
};

INSTANTIATE_TEST_SUITE_P(BothOrders, ExiftoolPeer, ::testing::Bool(), byteOrderName);

TEST_P(ExiftoolPeer, ExfAndTheLibraryReadExiftoolsFileAsExiftoolDoes) {
  const auto& [file, theirs] = exiftoolWritten(big());
  const json ours = exfJson(file);
  EXPECT_EQ(ours.value("byteOrder", json()), big() ? "MM" : "II");
  EXPECT_GE(expectSameValues(ours, theirs), 45u);
  // Every entry exiftool found is shown, known to the table or raw.
  for (std::size_t g = 0; g < std::size(kGroups); ++g)
    for (const auto& [key, value] : theirs.tags) {
      const std::string prefix = kGroups[g].second + std::string(":");
      if (key.rfind(prefix, 0) != 0) continue;
      const std::string id = key.substr(prefix.size());
      if (id == "34665" || id == "34853" || id == "40965") continue;  // pointers: shown as their groups
      EXPECT_TRUE(ours.at(kGroups[g].first).contains(id)) << key << " missed by exf";
    }
  EXPECT_EQ(ours.at("thumbnail").at("length"), theirs.thumbnail.size());
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(readFile(file));
  const exif::Bytes thumb = jpeg.exifMetaData().thumbnailBytes().value_or(exif::Bytes{});
  EXPECT_GT(thumb.size(), 1000u);
  EXPECT_EQ(std::string(thumb.begin(), thumb.end()), theirs.thumbnail);
}

// The library's whole-block rewrite carries every value over: exiftool reads
// the same, the places of the directories aside, and finds the structure sound.
TEST_P(ExiftoolPeer, FullRewriteKeepsEveryValue) {
  const std::string& in = exiftoolWritten(big()).first;
  const std::string out = dir_ + "/rewritten.jpg";
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(readFile(in));
  EXPECT_TRUE(jpeg.rewriteReport().lossless());
  exif::Bytes rewritten;
  jpeg.populateImageData(rewritten);
  writeFile(out, rewritten);
  const std::set<std::string> leaveOut = {"System", "Composite", "ExifTool"};
  json before = exiftoolAll(in, leaveOut), after = exiftoolAll(out, leaveOut);
  for (json* j : {&before, &after})
    for (const char* offset : {"IFD0:ExifOffset", "IFD0:GPSInfo", "IFD1:ThumbnailOffset", "ExifIFD:InteropOffset"})
      j->erase(offset);
  EXPECT_GE(before.size(), 60u);
  EXPECT_EQ(after, before);
  expectSoundStructure(exiftoolRead(out));
  expectDecodes(out);
}

// Everything exiftool reads outside GPS, thumbnail, XMP and comment
// included, is the same after a geotag; no --allow-loss is needed.
TEST_P(ExiftoolPeer, GeotagChangesOnlyThePosition) {
  const std::string in = dir_ + "/camera.jpg", out = dir_ + "/geotagged.jpg";
  writeFile(in, readFile(exiftoolWritten(big()).first));
  CommandResult tagged = runCommand({"exiftool", "-q", "-overwrite_original", "-XMP-dc:Subject=holiday",
                                     "-XMP-dc:Creator=A. Person", "-Comment=a comment with \xff bytes", in});
  ASSERT_EQ(tagged.status, 0) << tagged.command << "\n" << tagged.err;
  const std::set<std::string> leaveOut = {"System", "GPS", "Composite", "ExifTool"};
  const json before = exiftoolAll(in, leaveOut);
  CommandResult r = exf({"geotag", "--lat", "-48.8584", "--lon", "-2.2945", "--alt", "-35", "-o", out, in});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_EQ(r.err, "");
  const ExiftoolView after = exiftoolRead(out);
  const std::map<std::string, json> position = {{"GPS:1", "S"}, {"GPS:2", 48.8584}, {"GPS:3", "W"},
                                                {"GPS:4", 2.2945}, {"GPS:5", 1},     {"GPS:6", 35}};
  for (const auto& [key, value] : position)
    EXPECT_TRUE(after.tags.count(key) && sameValue(value, after.tags.at(key))) << key;
  EXPECT_EQ(after.tags.count("GPS:13") ? after.tags.at("GPS:13") : json(), 5);  // GPSSpeed, not set, is kept
  expectSoundStructure(after);
  const json afterAll = exiftoolAll(out, leaveOut);
  EXPECT_GE(before.size(), 60u);
  EXPECT_TRUE(before.contains("XMP-dc:Subject") && before.contains("File:Comment")) << before.dump();
  EXPECT_EQ(afterAll, before);
  expectDecodes(out);
}

}  // namespace
}  // namespace exif_testing
