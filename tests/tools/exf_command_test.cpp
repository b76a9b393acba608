// exf as a user runs it: each test records the command, its output and its
// exit status.
#include "exif/exf_handlers.h"
#include "exif/exf_jpeg.h"
#include "exif/jpeg_segments.h"
#include "exif/lossless_gps_edit.h"
#include "tests/exif/support/exif_builder.h"
#include "tests/tools/exf_picture.h"
#include "tests/tools/exf_run.h"
#include "tools/exf/sample/test_card.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace exif_testing {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

class Exf : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = freshDirectory("exf"); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string sample(bool big = true) {
    const std::string file = path(big ? "sample-mm.jpg" : "sample-ii.jpg");
    writeFile(file, exf::geotaggedSample(big));
    return file;
  }
  std::string dir_;
};

TEST_F(Exf, DumpTellsTheContainerAndValuesAsTextOrJson) {
  const std::string file = sample();
  CommandResult r = exf({"dump", file});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  for (const char* line : {"IFD0    0x010F  Make                         Holdstill\n",
                           "GPS     0x0002  GPSLatitude                  37\u00B0 46' 29.64\" (37.7749)\n",
                           "IFD1    0x0202  JPEGInterchangeFormatLength  "})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << " not in\n" << r.out;
  EXPECT_EQ(r.err, "");
  json j = exfJson(file);
  EXPECT_EQ(j["byteOrder"], "MM");
  EXPECT_EQ(j["jfif"]["version"], "1.1");
  EXPECT_EQ(json::array({j["width"], j["height"], j["bitsPerPixel"]}), json::array({320, 240, 8}));
  EXPECT_EQ(j["ifd0"]["306"], "2009:03:14 15:09:26");  // trailing NUL removed
  EXPECT_EQ(j["gps"]["2"]["dms"], json({"37/1", "46/1", "2964/100"}));
  EXPECT_EQ(j["gps"]["6"], 16.5);
  EXPECT_FALSE(j.contains("interop"));
  EXPECT_GT(j["thumbnail"]["length"].get<int>(), 1000);
  // A JPEG without EXIF is a normal result.
  writeFile(file, exf::encodeTestCard(32, 16));
  j = exfJson(file);
  EXPECT_TRUE(j["byteOrder"].is_null() && j["thumbnail"].is_null()) << j;
  EXPECT_FALSE(j.contains("ifd0"));
  EXPECT_EQ(j["width"], 32);
}

// Unreadable files, files that are no JPEG, coordinates out of range and
// pictures without a thumbnail to write: one line each, and nothing written.
TEST_F(Exf, BadFilesAndValuesFailWithOneLineAndWriteNothing) {
  const std::string in = sample(), missing = path("missing.jpg"), text = path("notes.txt"), huge = path("huge.jpg"),
                    garbage = path("garbage.jpg"), plain = path("plain.jpg"), odd = path("odd.jpg"),
                    out = path("out.jpg");
  writeFile(text, {'h', 'i'});
  writeFile(garbage, {0xFF, 0xD8, 'g', 'a', 'r', 'b', 'a', 'g', 'e'});
  writeFile(huge, {0xFF, 0xD8});
  fs::resize_file(huge, (std::uintmax_t{1} << 30) + 1);  // sparse: nothing is written
  writeFile(plain, exf::encodeTestCard(32, 16));
  const Bytes oddBlock = ExifBuilder(true).add(Ifd::Ifd0, Ascii(0x010F, "Make")).thumbnail({1, 2, 3}).build();
  writeFile(odd, jpeg({segment(0xE1, oddBlock)}, jpegTail()));  // its thumbnail is no JPEG
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"dump", missing}, "exf: " + missing + ": No such file or directory\n"},
      {{"dump", "--json", text}, "exf: " + text + ": not a JPEG file (no start-of-image marker)\n"},
      {{"thumbnail", "-o", path("t.jpg"), dir_}, "exf: " + dir_ + ": is a directory\n"},
      // Endless input ends at once: its first bytes are no JPEG start.
      {{"dump", "/dev/zero"}, "exf: /dev/zero: not a JPEG file (no start-of-image marker)\n"},
      {{"geotag", "--lat", "1", "--lon", "2", "-o", path("out.jpg"), "/dev/zero"},
       "exf: /dev/zero: not a JPEG file (no start-of-image marker)\n"},
      {{"dump", huge}, "exf: " + huge + ": larger than 1 GiB, more than any camera picture; not read\n"},
      {{"geotag", text, "--lat", "1", "--lon", "2", "-o", out},
       "exf: " + text + ": not a JPEG file (no start-of-image marker)\n"},
      // Whatever is allowed: no whole-block rewrite of what is no JPEG.
      {{"geotag", "--lat", "1", "--lon", "2", "--in-place", garbage}, "exf: " + garbage + ": no marker after offset 2\n"},
      {{"geotag", "--allow-loss", "--lat", "1", "--lon", "2", "-o", out, garbage}, "exf: " + garbage + ": no marker after offset 2\n"},
      {{"geotag", in, "--lat", "90.5", "--lon", "0", "-o", out}, "exf geotag: latitude 90.5 is outside -90..90\n"},
      {{"geotag", in, "--lat", "0", "--lon", "-180.01", "-o", out},
       "exf geotag: longitude -180.01 is outside -180..180\n"},
      {{"geotag", in, "--lat", "0", "--lon", "0", "--alt", "-12000.5", "-o", out},
       "exf geotag: altitude -12000.5 m is outside -12000..100000\n"},
      {{"thumbnail", "-o", out, plain}, "exf: " + plain + ": has no embedded JPEG thumbnail\n"},
      {{"thumbnail", "-o", out, odd},
       "exf: " + odd + ": the embedded thumbnail is not a JPEG (no start-of-image marker); nothing written\n"},
  };
  for (const auto& [args, message] : cases) {
    CommandResult r = exf(args);
    EXPECT_EQ(r.status, 1) << r.command;
    EXPECT_EQ(r.err, message) << r.command;
    EXPECT_EQ(r.out, "") << r.command;
  }
  EXPECT_EQ(readFile(garbage), bytesOf({0xFF, 0xD8, 'g', 'a', 'r', 'b', 'a', 'g', 'e'}));
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(exf({"geotag", in, "--lat", "-90", "--lon", "180", "-o", out}).status, 0);  // the limits are in range
}

TEST_F(Exf, WrongUsageExitsTwo) {
  for (auto args : std::vector<std::vector<std::string>>{
           {}, {"dump"}, {"dump", "--yaml", "x.jpg"}, {"dump", "-j", "0", "x.jpg"}, {"frobnicate"},
           {"geotag", "in.jpg", "--lat", "1"}, {"geotag", "in.jpg", "--lat", "north", "--lon", "1", "-o", "o.jpg"},
           {"geotag", "in.jpg", "--lat", "1", "--lon", "1", "-o"},
           {"geotag", "in.jpg", "--lat", "1", "--lon", "1"},
           {"geotag", "in.jpg", "--lat", "1", "--lon", "1", "-o", "o.jpg", "--in-place"},
           {"geotag", "a.jpg", "b.jpg", "--lat", "1", "--lon", "1", "-o", "o.jpg"},
           {"geotag", "in.jpg", "--lat", "1", "--lat", "1", "--lon", "1", "-o", "o.jpg"},
           {"thumbnail", "in.jpg"}, {"thumbnail", "-o", "t.jpg"}, {"thumbnail", "-o", "t.jpg", "a.jpg", "b.jpg"},
           {"thumbnail", "--json", "-o", "t.jpg", "a.jpg"}, {"strip-gps", "in.jpg"}}) {
    CommandResult r = exf(args);
    EXPECT_EQ(r.status, 2) << r.command;
    EXPECT_NE(r.err, "") << r.command;
    if (!args.empty()) {
      EXPECT_NE(r.err.find("usage: exf"), std::string::npos) << r.command << "\n" << r.err;
    }
    EXPECT_EQ(r.out, "") << r.command;
  }
}

// exf writes the edited head of a picture and copies the rest of the file as
// it stands: wherever the edit ends (a fresh block near the start, the EXIF
// segment, a trailer at the very end, nowhere), the file is the whole edit.
TEST_F(Exf, FilesWrittenAreTheWholeEditWhereverItEnds) {
  const Bytes block = ExifBuilder(false).add(Ifd::Ifd0, Ascii(0x010F, "Cam")).build();
  Bytes withTrailer = jpeg({segment(0xE1, block)}, jpegTail(4096));
  Bytes afcp = bytesOf({'A', 'X', 'S', '*', 0, 1, 0, 0, 0, 0, 0, 0, 'A', 'X', 'S', '*', 0, 0, 0, 0, 0, 0, 0, 0});
  putU32(afcp, 16, static_cast<std::uint32_t>(withTrailer.size()), false);
  withTrailer.insert(withTrailer.end(), afcp.begin(), afcp.end());
  const Bytes withoutExif = jpeg({segment(0xE0, jfifPayload())}, jpegTail(4096));
  const Bytes tagged = readFile(sample());
  const std::string in = path("in.jpg"), out = path("out.jpg"), dir = path("stripped");
  fs::create_directory(dir);
  for (const Bytes* input : {&std::as_const(withTrailer), &withoutExif, &tagged}) {
    writeFile(in, *input);
    Bytes geotagged, stripped;
    exif::editJpegGPS(*input, exif::GPSEdit().setLatitude(1).setLongitude(2), geotagged);
    if (exif::stripJpegGPS(*input, stripped) == exif::GPSStripOutcome::NoPosition) {
      EXPECT_EQ(stripped, *input);
    }
    ASSERT_EQ(exf({"geotag", "--lat", "1", "--lon", "2", "-o", out, in}).status, 0);
    EXPECT_EQ(readFile(out), geotagged) << input->size();
    EXPECT_EQ(readFile(in), *input);
    ASSERT_EQ(exf({"strip-gps", "-o", dir, in}).status, 0);
    EXPECT_EQ(readFile(dir + "/in.jpg"), stripped) << input->size();
  }
}

TEST_F(Exf, StripGpsRemovesThePositionWithoutATraceAndNothingElse) {
  const std::string in = sample(), dir = path("stripped"), out = dir + "/sample-mm.jpg";
  fs::create_directory(dir);
  CommandResult r = exf({"strip-gps", "-o", dir, in});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_NE(r.out.find("position removed"), std::string::npos) << r.out;
  const Bytes before = readFile(in), after = readFile(out);
  EXPECT_EQ(after.size(), before.size());
  EXPECT_FALSE(exfJson(out).contains("gps"));
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(before);
  Bytes latitude;
  exif::EXFGPSLocationHandler().encodeTag(latitude, *jpeg.exifMetaData().tagValue(2), true);
  EXPECT_EQ(std::search(after.begin(), after.end(), latitude.begin(), latitude.end()), after.end());
  if (onPath("exiftool")) {
    EXPECT_EQ(exiftoolAll(out, {"System", "GPS", "Composite"}), exiftoolAll(in, {"System", "GPS", "Composite"}));
  }
  expectDecodes(out);

  // A picture without a position is left as it is.
  r = exf({"strip-gps", "--in-place", out});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("no position"), std::string::npos) << r.out;
  EXPECT_EQ(readFile(out), after);
  EXPECT_EQ(exf({"strip-gps", "-o", in, in}).status, 1);  // -o names a folder

  // A block that held nothing but the position stays, its main directory empty.
  Bytes onlyGps;
  exif::freshGPSPayload(exif::GPSEdit().setLatitude(1).setLongitude(2), true, onlyGps);
  writeFile(path("only.jpg"), pictureWithExif(onlyGps));
  ASSERT_EQ(exf({"strip-gps", "--in-place", path("only.jpg")}).status, 0);
  EXPECT_EQ(exfJson(path("only.jpg")).at("ifd0"), nlohmann::json::object());
}

// A block the lossless edit refuses (a GPS pointer leading outside it; full
// of bytes nothing refers to; full of a maker note) is rewritten whole under
// --allow-loss when that fits; the refusal names --allow-loss only then.
TEST_F(Exf, GeotagRewritesTheWholeBlockUnderAllowLossWhereThatFits) {
  ExifBuilder oddPointer(true);
  oddPointer.add(Ifd::Ifd0, Ascii(0x010F, "Make")).add(Ifd::Gps, Ascii(1, "N"));
  Bytes odd = oddPointer.build();
  putU32(odd, oddPointer.positions().at(Ifd::Ifd0) + 2 + 12 + 8, 0x00FFFFF0, true);  // the GPS pointer's value
  // Past a maker note of unknown layout, bytes nothing refers to may be its
  // data: the edit keeps them.
  Bytes junk = ExifBuilder(true).add(Ifd::Ifd0, Ascii(0x010F, "Make")).add(Ifd::Exif, Undefined(0x927C, Bytes(40, 1))).build();
  junk.resize(exif::kMaxSegmentPayload - 10, 0x5A);
  Bytes makerNote = ExifBuilder(true)
                              .add(Ifd::Ifd0, Ascii(0x010F, "Make"))
                              .add(Ifd::Exif, Undefined(0x927C, Bytes(exif::kMaxSegmentPayload - 120, 0x5A)))
                              .build();
  const std::string in = path("in.jpg"), out = path("out.jpg");
  for (const auto& [block, fits] : {std::pair{&odd, true}, std::pair{&junk, true}, std::pair{&makerNote, false}}) {
    writeFile(in, jpeg({segment(0xE1, *block)}, jpegTail()));
    fs::remove(out);
    const CommandResult refused = exf({"geotag", "--lat", "1", "--lon", "2", "-o", out, in});
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_EQ(refused.err.rfind("exf: " + in + ": ", 0), 0u) << refused.err;
    EXPECT_EQ(refused.err.find("nothing written (--allow-loss rewrites the whole block") != std::string::npos, fits)
        << refused.err;
    EXPECT_FALSE(fs::exists(out));
    const CommandResult allowed = exf({"geotag", "--allow-loss", "--lat", "1", "--lon", "2", "-o", out, in});
    EXPECT_EQ(allowed.status, fits ? 0 : 1) << allowed.err;
    if (fits) {
      EXPECT_EQ(exfJson(out)["gps"]["1"], "N");
      EXPECT_EQ(exfJson(out)["ifd0"]["271"], "Make");
      // The rewritten head, then the input's image data, and nothing more.
      const Bytes before = readFile(in), after = readFile(out);
      const std::size_t from = exif::readJpegLayout(before).imageDataOffset;
      const std::size_t to = exif::readJpegLayout(after).imageDataOffset;
      EXPECT_TRUE(std::equal(before.begin() + from, before.end(), after.begin() + to, after.end()));
    } else {
      EXPECT_NE(allowed.err.find("has no room"), std::string::npos) << allowed.err;
      EXPECT_NE(allowed.err.find("nothing written: the whole-block rewrite fails too"), std::string::npos)
          << allowed.err;
      EXPECT_FALSE(fs::exists(out));
    }
  }
}

TEST_F(Exf, OutputNamingTheInputIsRefusedThroughAnyOfItsNames) {
  const std::string in = sample(), link = path("link.jpg"), hard = path("hard.jpg");
  fs::create_symlink(in, link);
  fs::create_hard_link(in, hard);
  const Bytes before = readFile(in);
  for (const std::string& out : {in, link, hard, dir_ + "/./" + fs::path(in).filename().string()}) {
    CommandResult r = exf({"geotag", "--lat", "1", "--lon", "2", "-o", out, in});
    EXPECT_EQ(r.status, 1) << r.command;
    EXPECT_EQ(r.err, "exf: " + out + " is the input file; nothing written (use --in-place to replace it)\n");
    r = exf({"thumbnail", "-o", out, in});
    EXPECT_EQ(r.status, 1) << r.command;
    EXPECT_EQ(r.err, "exf: " + out + " is the input file; nothing written\n");
  }
  EXPECT_EQ(readFile(in), before);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 3);  // no temporary left
}

TEST_F(Exf, InPlaceReplacesTheLinkTargetKeepingLinkAndPermissions) {
  const std::string in = sample(), link = path("link.jpg");
  fs::permissions(in, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(fs::path(in).filename(), link);
  CommandResult r = exf({"geotag", "--lat", "1.5", "--lon", "2.25", "--in-place", link});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_EQ(r.out, link + ": " + std::to_string(fs::file_size(in)) + " bytes written\n");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NEAR(exfJson(in)["gps"]["4"]["decimal"].get<double>(), 2.25, 1e-9);
  EXPECT_EQ(fs::status(in).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2);  // no temporary left
}

// -o naming a symbolic link writes the file it leads to, as cp and a shell
// redirection do; the link stays. A link that leads nowhere is refused.
TEST_F(Exf, OutputThroughASymbolicLinkWritesItsTarget) {
  const std::string in = sample(), target = path("target.jpg"), link = path("out.jpg"),
                    dangling = path("dangling.jpg");
  writeFile(target, {1, 2, 3});
  fs::create_symlink("target.jpg", link);
  fs::create_symlink("nowhere/x.jpg", dangling);
  CommandResult r = exf({"geotag", "--lat", "1", "--lon", "2", "-o", link, in});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(exfJson(target)["gps"]["1"], "N");

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"geotag", "--lat", "1", "--lon", "2", "-o", dangling, in},
        std::vector<std::string>{"thumbnail", "-o", dangling, in}}) {
    r = exf(args);
    EXPECT_EQ(r.status, 1) << r.command;
    EXPECT_EQ(r.err.rfind("exf: " + dangling + ": is a symbolic link that leads nowhere", 0), 0u) << r.err;
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_FALSE(fs::exists(path("nowhere")));
  }
}

TEST_F(Exf, HelpAndVersionGoToStandardOutput) {
  for (const auto& [args, start] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--help"}, "usage: exf COMMAND"},
           {{"geotag", "--help"}, "usage: exf geotag"},
           {{"thumbnail", "--help"}, "usage: exf thumbnail"},
           {{"--version"}, "exf "}}) {
    CommandResult r = exf(args);
    EXPECT_EQ(r.status, 0) << r.command;
    EXPECT_EQ(r.out.rfind(start, 0), 0u) << r.command << "\n" << r.out;
    EXPECT_EQ(r.err, "") << r.command;
  }
}

TEST_F(Exf, ThumbnailWritesTheEmbeddedJpeg) {
  const std::string in = sample(), out = path("thumb.jpg");
  CommandResult r = exf({"thumbnail", "-o", out, in});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  exif::EXFJpeg scanned;
  scanned.scanImageData(readFile(in));
  EXPECT_EQ(readFile(out), *scanned.exifMetaData().thumbnailBytes());
  EXPECT_EQ(r.out, out + ": " + std::to_string(readFile(out).size()) + " bytes written\n");
  expectDecodes(out);
}

}  // namespace
}  // namespace exif_testing
