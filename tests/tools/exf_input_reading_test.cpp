// How exf reads its command lines and times: options and operands, plain
// decimals, UTC offsets, and EXIF local times.
#include "tools/exf/arguments.h"
#include "tools/exf/capture_time.h"
#include "tools/exf/file_io.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace exf {
namespace {

using namespace std::chrono;

TEST(PlainDecimal, AcceptsSignDigitsAndFractionOnly) {
  const std::vector<std::pair<std::string, std::optional<double>>> cases = {
      {"5", 5},        {"-33.8688", -33.8688}, {"+5", 5},          {"0.000001", 1e-6}, {"-0", 0},
      {"180", 180},    {"0x10", {}},           {" 5", {}},         {"5 ", {}},         {"1e3", {}},
      {"inf", {}},     {"nan", {}},            {"", {}},           {"-", {}},          {".5", {}},
      {"5.", {}},      {"1,5", {}},            {"--5", {}},        {"+-5", {}},        {"5..1", {}},
      {"1" + std::string(400, '0'), {}},  // out of range of a double
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parseDecimal(text), expected) << "'" << text << "'";
}

TEST(Arguments, OptionsAndOperandsInAnyOrderUntilDoubleDash) {
  std::string error;
  const auto a = parseArguments({"a.jpg", "--in-place", "--lat", "-33.5", "-j4", "--gpx", "1.gpx", "--gpx", "2.gpx",
                                 "--", "-x.jpg", "--in-place", "-"},
                                {"--in-place"}, {"--lat", "-j", "--gpx"}, error, {"--gpx"});
  ASSERT_TRUE(a) << error;
  EXPECT_TRUE(a->has("--in-place"));
  EXPECT_EQ(*a->value("--lat"), "-33.5");  // a value may look like an option
  EXPECT_EQ(*a->value("-j"), "4");
  EXPECT_EQ(a->values.at("--gpx"), (std::vector<std::string>{"1.gpx", "2.gpx"}));
  EXPECT_EQ(a->operands, (std::vector<std::string>{"a.jpg", "-x.jpg", "--in-place", "-"}));
}

TEST(Arguments, JobsArePlainCountsFromOneTo1024) {
  for (const auto& [text, expected] : std::vector<std::pair<std::string, std::optional<unsigned>>>{
           {"1", 1}, {"4", 4}, {"1024", 1024}, {"0", {}}, {"1025", {}}, {"-1", {}}, {"+2", {}}, {"2x", {}}, {"", {}}})
    EXPECT_EQ(parseJobs(&text), expected) << text;
  EXPECT_GE(parseJobs(nullptr).value_or(0), 1u);
}

TEST(Arguments, RefusesUnknownRepeatedAndValuelessOptions) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-x.jpg"}, "unknown option -x.jpg"},
      {{"--lat", "1", "--lat", "2"}, "--lat given twice"},
      {{"--in-place", "--in-place"}, "--in-place given twice"},
      {{"a.jpg", "--lat"}, "--lat needs a value"},
      {{"-j2", "-j", "3"}, "-j given twice"},
      {{"-x1"}, "unknown option -x1"},
  };
  for (const auto& [args, message] : cases) {
    std::string error;
    EXPECT_FALSE(parseArguments(args, {"--in-place"}, {"--lat", "-j"}, error));
    EXPECT_EQ(error, message);
  }
}

TEST(UtcOffset, SignedHoursAndMinutesUpToEighteenHours) {
  const std::vector<std::pair<std::string, std::optional<minutes>>> cases = {
      {"+00:00", minutes(0)}, {"+02:00", minutes(120)}, {"-05:30", minutes(-330)}, {"+18:00", minutes(1080)},
      {"+18:01", {}},         {"02:00", {}},            {"+2:00", {}},             {"+02:60", {}},
      {"+0200", {}},          {"Z", {}},                {"+02:00 ", {}},           {"+x2:00", {}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parseUtcOffset(text), expected) << text;
}

TEST(CaptureTime, LocalExifTimeBecomesUtc) {
  const auto at = [](int y, unsigned m, unsigned d, int h, int min, int s) {
    return sys_days(year(y) / month(m) / day(d)) + hours(h) + minutes(min) + seconds(s);
  };
  EXPECT_EQ(localTimeToUtc("2024:05:01 11:30:00", minutes(120)), at(2024, 5, 1, 9, 30, 0));
  EXPECT_EQ(localTimeToUtc("2024:05:01 11:30:00", minutes(0)), at(2024, 5, 1, 11, 30, 0));
  // West of Greenwich late in the evening is the next day in UTC.
  EXPECT_EQ(localTimeToUtc("2023:12:31 22:15:07", minutes(-300)), at(2024, 1, 1, 3, 15, 7));
  EXPECT_EQ(localTimeToUtc(std::string("2024:02:29 00:00:00\0", 20), minutes(0)), at(2024, 2, 29, 0, 0, 0));
  for (const char* bad : {"0000:00:00 00:00:00", "    :  :     :  :  ", "2023:02:29 10:00:00", "2024:05:01 24:00:00",
                          "2024:05:01 10:60:00", "2024-05-01 10:00:00", "2024:05:01T10:00:00", "2024:05:01 10:00",
                          "2024:05:01 10:00:00 "})
    EXPECT_FALSE(localTimeToUtc(bad, minutes(0))) << bad;
  EXPECT_EQ(formatUtc(at(2024, 1, 1, 3, 15, 7)), "2024-01-01 03:15:07 UTC");
}

// Input without end (a device, a pipe) is read up to the bound and refused.
TEST(ReadWholeFile, EndsAtTheBoundWithAClearError) {
  exif::Bytes out{1, 2};
  std::string error;
  EXPECT_FALSE(readWholeFile("/dev/zero", out, error, std::size_t{1} << 20));
  EXPECT_EQ(error, "larger than 1 MiB, more than any camera picture; not read");
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(readWholeFile("/dev/null", out, error, 1));
  EXPECT_TRUE(out.empty());
  // Within the bound, a file's bytes and no more.
  const std::string file = ::testing::TempDir() + "exf-read-three-" + std::to_string(::getpid());
  std::ofstream(file) << "abc";
  EXPECT_TRUE(readWholeFile(file, out, error, 3));
  EXPECT_EQ(out, (exif::Bytes{'a', 'b', 'c'}));
  std::remove(file.c_str());
}

}  // namespace
}  // namespace exf
