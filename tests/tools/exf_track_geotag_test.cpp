// exf geotag --gpx: pictures placed on a GPS track by the time they were
// taken. Each test records the command, its output and its exit status.
#include "tests/tools/exf_picture.h"
#include "tests/tools/exf_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace exif_testing {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

// Points at 09:00, 09:10, 09:20 (no elevation), then, after a gap of 100
// minutes, 11:00 and 11:05 UTC.
constexpr const char* kTrack = R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
  <trkpt lat="48.0" lon="11.0"><ele>500</ele><time>2024-05-01T09:00:00Z</time></trkpt>
  <trkpt lat="48.1" lon="11.2"><ele>600</ele><time>2024-05-01T09:10:00Z</time></trkpt>
  <trkpt lat="48.2" lon="11.2"><time>2024-05-01T09:20:00Z</time></trkpt>
  <trkpt lat="-49.0" lon="-12.0"><ele>-20</ele><time>2024-05-01T11:00:00Z</time></trkpt>
  <trkpt lat="-49.5" lon="-12.5"><ele>-30</ele><time>2024-05-01T11:05:00Z</time></trkpt>
</trkseg></trk></gpx>
)";

class ExfTrack : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = freshDirectory("exf-track");
    track_ = path("walk.gpx");
    std::ofstream(track_) << kTrack;
  }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  // A picture taken at `local` (camera time), or without DateTimeOriginal
  // when empty; `withAltitude` gives it an old GPS position with altitude.
  std::string picture(const std::string& name, const std::string& local, bool withAltitude = false,
                      bool big = false) {
    ExifBuilder b(big);
    b.add(Ifd::Ifd0, Ascii(0x010F, "Holdstill"));
    b.add(Ifd::Exif, Short(0x8827, {200}));  // ISO
    if (!local.empty()) b.add(Ifd::Exif, Ascii(0x9003, local));
    if (withAltitude)
      b.add(Ifd::Gps, Ascii(1, "N")).add(Ifd::Gps, Byte(5, {0})).add(Ifd::Gps, Rational(6, {{1234, 1}}));
    const std::string file = path(name);
    writeFile(file, pictureWithExif(b.build()));
    return file;
  }

  std::string dir_, track_;
};

json gpsOf(const std::string& file) { return exfJson(file).value("gps", json::object()); }

void expectPosition(const json& gps, double lat, double lon) {
  EXPECT_EQ(gps.value("1", ""), lat < 0 ? "S" : "N");
  EXPECT_NEAR(gps["2"].value("decimal", -1.0), std::fabs(lat), 1e-6);
  EXPECT_EQ(gps.value("3", ""), lon < 0 ? "W" : "E");
  EXPECT_NEAR(gps["4"].value("decimal", -1.0), std::fabs(lon), 1e-6);
}

TEST_F(ExfTrack, PlacesEachPictureOnTheTrackAndSaysWhyOthersAreLeftAlone) {
  // The camera's clock is two hours ahead of UTC.
  const std::string middle = picture("middle.jpg", "2024:05:01 11:05:00", false, true),
                    first = picture("first.jpg", "2024:05:01 11:00:00"),
                    last = picture("last.jpg", "2024:05:01 13:05:00"),
                    noElevation = picture("no-ele.jpg", "2024:05:01 11:15:00", true),
                    early = picture("early.jpg", "2024:05:01 10:59:59"),
                    late = picture("late.jpg", "2024:05:01 13:05:01"),
                    gap = picture("gap.jpg", "2024:05:01 12:00:00"), undated = picture("undated.jpg", ""),
                    blank = picture("blank.jpg", "0000:00:00 00:00:00"), text = path("notes.txt");
  writeFile(text, {'h', 'i'});
  const std::vector<std::string> all = {middle, first, last, noElevation, early, late, gap, undated, blank, text};
  std::map<std::string, Bytes> before;
  for (const auto& f : all) before[f] = readFile(f);

  std::vector<std::string> args = {"geotag", "--gpx", track_, "--offset", "+02:00", "--in-place"};
  args.insert(args.end(), all.begin(), all.end());
  CommandResult r = exf(args);
  EXPECT_EQ(r.status, 1) << r.command;  // one failed
  EXPECT_EQ(r.out, middle + ": tagged 48.050000, 11.100000, 550.0 m, taken 2024-05-01 09:05:00 UTC\n" +
                       first + ": tagged 48.000000, 11.000000, 500.0 m, taken 2024-05-01 09:00:00 UTC\n" +
                       last + ": tagged -49.500000, -12.500000, -30.0 m, taken 2024-05-01 11:05:00 UTC\n" +
                       noElevation + ": tagged 48.150000, 11.200000, taken 2024-05-01 09:15:00 UTC\n" + early +
                       ": skipped: taken 2024-05-01 08:59:59 UTC, before the track (it starts 2024-05-01 "
                       "09:00:00 UTC)\n" +
                       late +
                       ": skipped: taken 2024-05-01 11:05:01 UTC, after the track (it ends 2024-05-01 "
                       "11:05:00 UTC)\n" +
                       gap +
                       ": skipped: taken 2024-05-01 10:00:00 UTC, in a gap of 6000 s in the track (2024-05-01 "
                       "09:20:00 UTC to 2024-05-01 11:00:00 UTC), longer than --max-gap 1800 s\n" +
                       undated + ": skipped: no DateTimeOriginal\n" + blank +
                       ": skipped: DateTimeOriginal '0000:00:00 00:00:00' is not a date and time\n"
                       "4 tagged, 5 skipped, 1 failed\n")
      << r.command;
  EXPECT_EQ(r.err, "exf: " + text + ": not a JPEG file (no start-of-image marker)\n");

  const json m = gpsOf(middle);
  expectPosition(m, 48.05, 11.1);
  EXPECT_EQ(m["5"], 0);
  EXPECT_EQ(m["6"], 550);
  const json seen = exiftoolAll(middle, {});
  EXPECT_EQ(seen.value("GPS:GPSDateStamp", ""), "2024:05:01") << seen.dump(1);
  EXPECT_EQ(m["7"]["text"], "09:05:00");
  const json l = gpsOf(last);
  expectPosition(l, -49.5, -12.5);
  EXPECT_EQ(l["5"], 1);  // below sea level
  EXPECT_EQ(l["6"], 30);
  EXPECT_EQ(l["7"]["text"], "11:05:00");
  expectPosition(gpsOf(first), 48.0, 11.0);
  // Between a point with elevation and one without: no altitude, and the
  // old one, which belonged to another position, is gone.
  const json n = gpsOf(noElevation);
  expectPosition(n, 48.15, 11.2);
  EXPECT_FALSE(n.contains("5"));
  EXPECT_FALSE(n.contains("6"));
  for (const auto& f : {early, late, gap, undated, blank, text}) EXPECT_EQ(readFile(f), before[f]) << f;
  for (const auto& f : {middle, first, last, noElevation}) {
    EXPECT_EQ(exfJson(f)["exif"]["34855"], 200) << f;
    expectDecodes(f);
  }
}

TEST_F(ExfTrack, TheOffsetSaysHowTheCameraClockRelatesToUtc) {
  // 11:05 on the camera: 11:05 UTC at the default +00:00, 11:35 UTC at
  // -00:30, and 10:00 UTC at +01:05, in the gap unless the gap is allowed.
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "tagged -49.500000, -12.500000, -30.0 m, taken 2024-05-01 11:05:00 UTC"},
      {{"--offset", "-00:30"}, "skipped: taken 2024-05-01 11:35:00 UTC, after the track (it ends 2024-05-01 "
                               "11:05:00 UTC)"},
      {{"--offset", "+01:05", "--max-gap", "6000"}, "tagged 9.320000, 1.920000, taken 2024-05-01 10:00:00 UTC"},
  };
  for (const auto& [options, line] : cases) {
    const std::string file = picture("p.jpg", "2024:05:01 11:05:00"), outDir = freshDirectory("out");
    std::vector<std::string> args = {"geotag", "--gpx", track_, "-o", outDir};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(file);
    CommandResult r = exf(args);
    EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
    const bool tagged = line.rfind("tagged", 0) == 0;
    EXPECT_EQ(r.out, file + ": " + line + "\n" + (tagged ? "1 tagged, 0 skipped" : "0 tagged, 1 skipped") +
                         ", 0 failed\n")
        << r.command;
    EXPECT_EQ(fs::exists(outDir + "/p.jpg"), tagged) << r.command;
  }
}

TEST_F(ExfTrack, OutputFolderNeverReceivesAFileOverAnInput) {
  const std::string a = picture("a.jpg", "2024:05:01 09:05:00"), out = freshDirectory("tagged");
  fs::create_directory(path("sub"));
  const std::string sameName = path("sub/a.jpg");
  writeFile(sameName, readFile(a));
  const Bytes original = readFile(a);

  // Into a folder of their own: copies under the same names, inputs unchanged.
  CommandResult r = exf({"geotag", "--gpx", track_, "-o", out, "--", a, sameName});
  EXPECT_EQ(r.status, 1) << r.command;
  EXPECT_EQ(r.out, a + ": tagged 48.050000, 11.100000, 550.0 m, taken 2024-05-01 09:05:00 UTC\n"
                       "1 tagged, 0 skipped, 1 failed\n");
  EXPECT_EQ(r.err, "exf: " + sameName + ": " + out + "/a.jpg is where " + a + " goes too; nothing written\n");
  expectPosition(gpsOf(out + "/a.jpg"), 48.05, 11.1);

  // Into the inputs' own folder: every output would be its input.
  r = exf({"geotag", "--gpx", track_, "-o", dir_, a});
  EXPECT_EQ(r.status, 1) << r.command;
  EXPECT_EQ(r.err, "exf: " + a + ": " + dir_ + "/a.jpg is one of the input files; nothing written\n");

  // A folder that is not one.
  r = exf({"geotag", "--gpx", track_, "-o", a, a});
  EXPECT_EQ(r.status, 1) << r.command;
  EXPECT_NE(r.err.find("not a directory"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(a), original) << "no run changes an input";
}

// A trip as folders, one track a day: the pictures found in the folders
// (JPEG names only, hidden ones left out, subfolders with -r) are tagged into
// the same layout below -o, and the lines, their order, the counts and the
// files written are the same whatever -j is.
TEST_F(ExfTrack, FoldersOfADayEachGiveTheSameResultWhateverTheJobs) {
  const std::string secondDay = path("day2.gpx");
  std::ofstream(secondDay) << R"(<gpx version="1.1"><trk><trkseg>
  <trkpt lat="10.0" lon="20.0"><time>2024-05-02T10:00:00Z</time></trkpt>
  <trkpt lat="10.1" lon="20.1"><time>2024-05-02T10:10:00Z</time></trkpt></trkseg></trk></gpx>)";
  for (const char* folder : {"trip/day1", "trip/day2/sub", "trip/.cache"}) fs::create_directories(path(folder));
  std::vector<std::string> lines;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "trip/day1/a" + std::to_string(i) + ".jpg", minute = std::to_string(10 + i);
    picture(name, "2024:05:01 09:" + minute + ":00");
    lines.push_back(path(name) + ": tagged 48." + std::to_string(10 + i) + "0000, 11.200000, " +
                    (i == 0 ? "600.0 m, " : "") + "taken 2024-05-01 09:" + minute + ":00 UTC\n");
  }
  picture("trip/day1/b.jpg", "2024:05:01 10:00:00");
  picture("trip/day2/sub/d.JPEG", "2024:05:02 10:05:00");
  picture("trip/.cache/hidden.jpg", "2024:05:01 09:05:00");
  writeFile(path("trip/notes.txt"), {'h', 'i'});
  writeFile(path("trip/jpg"), {'h', 'i'});  // a name that only ends like one
  writeFile(path("trip/bad.jpg"), {'h', 'i'});
  fs::create_directory_symlink(path("trip/day1"), path("trip/zlink"));  // not followed
  const std::string expected =
      lines[0] + lines[1] + lines[2] + lines[3] + lines[4] + lines[5] + path("trip/day1/b.jpg") +
      ": skipped: taken 2024-05-01 10:00:00 UTC, in a gap of 6000 s in the track (2024-05-01 09:20:00 UTC to "
      "2024-05-01 11:00:00 UTC), longer than --max-gap 1800 s\n" +
      path("trip/day2/sub/d.JPEG") + ": tagged 10.050000, 20.050000, taken 2024-05-02 10:05:00 UTC\n" +
      "7 tagged, 1 skipped, 1 failed\n";

  std::map<std::string, Bytes> firstRun;
  std::string tagged;
  for (const char* jobs : {"1", "4"}) {
    const std::string out = freshDirectory(std::string("out-j") + jobs);
    if (tagged.empty()) tagged = out;
    CommandResult r = exf({"geotag", "--gpx", track_, "--gpx", secondDay, "-r", "-j", jobs, "-o", out, path("trip")});
    EXPECT_EQ(r.status, 1) << r.command;
    EXPECT_EQ(r.out, expected) << r.command;
    // Standard error is no terminal here: no progress line.
    EXPECT_EQ(r.err, "exf: " + path("trip/bad.jpg") + ": not a JPEG file (no start-of-image marker)\n") << r.command;
    std::map<std::string, Bytes> written;
    for (const auto& entry : fs::recursive_directory_iterator(out))
      if (entry.is_regular_file()) written[fs::relative(entry.path(), out).string()] = readFile(entry.path().string());
    EXPECT_EQ(written.size(), 7u);
    EXPECT_TRUE(written.count("day2/sub/d.JPEG"));
    if (firstRun.empty()) firstRun = written;
    EXPECT_EQ(written, firstRun) << "-j " << jobs;
  }
  // strip-gps takes the tagged folder the same way.
  const CommandResult strip = exf({"strip-gps", "-r", "-j", "4", "-o", freshDirectory("stripped"), tagged});
  EXPECT_EQ(strip.status, 0) << strip.command << "\n" << strip.err;
  EXPECT_NE(strip.out.find("\n7 stripped, 0 without a position, 0 failed\n"), std::string::npos) << strip.out;
  // The output folder inside the one given: a second run does not take the
  // first one's copies for pictures.
  fs::create_directory(path("trip/tagged"));
  for (int run = 0; run < 2; ++run) {
    const CommandResult r =
        exf({"geotag", "--gpx", track_, "--gpx", secondDay, "-r", "-o", path("trip/tagged"), path("trip")});
    EXPECT_EQ(r.out, expected) << r.command;
  }
  // Without -r, a folder's subfolders are left alone.
  const CommandResult top = exf({"geotag", "--gpx", track_, "--in-place", path("trip")});
  EXPECT_EQ(top.out, "0 tagged, 0 skipped, 1 failed\n");
}

TEST_F(ExfTrack, UnusableTracksAndOptionsAreRefusedBeforeAnyPicture) {
  const std::string a = picture("a.jpg", "2024:05:01 09:05:00"), untimed = path("untimed.gpx"),
                    broken = path("broken.gpx");
  std::ofstream(untimed) << "<gpx version=\"1.1\"><trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>";
  std::ofstream(broken) << "<gpx version=\"1.1\"><trk><trkseg>\n<trkpt lon=\"2\"/></trkseg></trk></gpx>";
  const Bytes original = readFile(a);
  const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
      {{"--gpx", untimed, "--in-place", a}, 1, "exf: " + untimed + ": no point of the track has a time\n"},
      {{"--gpx", broken, "--in-place", a}, 1, "exf: " + broken + ": line 2: trkpt has no lat attribute\n"},
      {{"--gpx", path("missing.gpx"), "--in-place", a}, 1, ""},
      {{"--gpx", track_, "--offset", "2", "--in-place", a}, 2, ""},
      {{"--gpx", track_, "--max-gap", "-5", "--in-place", a}, 2, ""},
      {{"--gpx", track_, "--max-gap", "1e3", "--in-place", a}, 2, ""},
      {{"--gpx", track_, "--lat", "1", "--in-place", a}, 2, ""},
      {{"--gpx", track_, a}, 2, ""},
      {{"--gpx", track_, "--in-place"}, 2, ""},
      {{"--offset", "+01:00", "--lat", "1", "--lon", "2", "--in-place", a}, 2, ""},
  };
  for (const auto& [options, status, message] : cases) {
    std::vector<std::string> args = {"geotag"};
    args.insert(args.end(), options.begin(), options.end());
    CommandResult r = exf(args);
    EXPECT_EQ(r.status, status) << r.command << "\n" << r.err;
    if (!message.empty()) {
      EXPECT_EQ(r.err, message) << r.command;
    }
    EXPECT_NE(r.err, "") << r.command;
    EXPECT_EQ(r.out, "") << r.command;
  }
  EXPECT_EQ(readFile(a), original);
}

}  // namespace
}  // namespace exif_testing
