// holdstill trace-steadiness and record-motion as a user runs them.
#include "tests/sim/sim_support.h"

#include <gtest/gtest.h>

#include <iomanip>

namespace holdstill::simtest {
namespace {

using exif_testing::CommandResult;

const std::string kTraces = HOLDSTILL_SOURCE_DIR "/sim/traces/";

TEST(TraceSteadiness, AStillTraceAsksForTheShutterOnEverySeventhSteadyTick) {
  const CommandResult r = holdstill({"trace-steadiness", kTraces + "still.csv"});
  ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(count(r.out, " level="), 16) << r.out;
  // The first tick measures gravity against launch's 0.0.
  EXPECT_EQ(r.out.find("t=0.300 level=0.630145 steady=0\nt=0.600 level=0.000000 steady=1\n"),
            r.out.find('\n') + 1) << r.out;
  EXPECT_NE(r.out.find("t=2.400 level=0.000000 steady=7\nt=2.400 shutter request\n"
                       "t=2.700 level=0.000000 steady=1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("steady=7\nt=4.500 shutter request\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("# 2 shutter requests in 16 ticks\n"), std::string::npos);
}

TEST(TraceSteadiness, AShakenTraceNeverDoesWhateverTheSensitivity) {
  for (const char* sensitivity : {"1", "0"}) {
    const CommandResult r = holdstill({"trace-steadiness", kTraces + "shaken.csv", "--sensitivity", sensitivity});
    ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
    EXPECT_EQ(count(r.out, " steady=0\n"), 13) << r.out;
    EXPECT_EQ(count(r.out, " level=0.000000"), 0) << r.out;
    EXPECT_NE(r.out.find("# 0 shutter requests in 13 ticks\n"), std::string::npos) << r.out;
  }
}

TEST(TraceSteadiness, BadInputGetsOneMessageAndWrongUsageTheUsage) {
  const TempFolder folder("trace-steadiness");
  const std::string& dir = folder.path();
  folder.write("short.csv", "t,x,y,z\n0,0,-1,0\n0.1,0,-1\n");
  folder.write("long.csv", "0,0,-1,0\n1e12,0,-1,0\n");
  folder.write("huge.csv", "0,0,-1,0\n");
  std::filesystem::resize_file(dir + "/huge.csv", 100u * 1024 * 1024 + 1);  // sparse: nothing to read
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {  // arguments, status, first line
      {{"trace-steadiness", dir + "/short.csv"}, 1,
       dir + "/short.csv: line 3: expected 4 values (t,x,y,z), found 3\n"},
      {{"trace-steadiness", dir + "/none.csv"}, 1,
       dir + "/none.csv: cannot read the file: No such file or directory\n"},
      {{"trace-steadiness", dir + "/long.csv"}, 1,
       dir + "/long.csv: line 2: the log lasts more than 86400 s (a day) from its first row; "
             "a phone recording is shorter\n"},
      {{"trace-steadiness", dir + "/huge.csv"}, 1,
       dir + "/huge.csv: the file holds 104857601 bytes; a phone recording is at most 104857600 (100 MB)\n"},
      {{"trace-steadiness", kTraces + "still.csv", "--sensitivity", "high"}, 1,
       "--sensitivity takes a whole number, not 'high'\n"},
      {{"trace-steadiness", kTraces + "still.csv", "--sensitivity", "99999999999999999999"}, 1,
       "--sensitivity takes a whole number, not '99999999999999999999'\n"},
      {{"trace-steadiness", kTraces + "still.csv", "--sensitivity", "4294967297"}, 1,
       "--sensitivity 4294967297 is out of range\n"},
      {{}, 2, "no command given\n"},
      {{"trace-steadiness", "a.csv", "b.csv"}, 2, "trace-steadiness takes one trace file\n"},
      {{"trace-steadiness", "a.csv", "--speed", "2"}, 2, "unknown option '--speed'\n"},
      {{"record-motion", "wobbly"}, 2, "unknown motion 'wobbly' (still or shaking)\n"},
  };
  for (const auto& [args, status, message] : cases) {
    const CommandResult r = holdstill(args);
    EXPECT_EQ(r.status, status) << r.command;
    EXPECT_EQ(r.out, "") << r.command;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), "holdstill: " + message) << r.command;
    EXPECT_EQ(r.err.find("usage: ") != std::string::npos, status == 2) << r.command;
  }
}

// A log stamped with the phone's uptime, and saved with a byte-order mark,
// replays as the same log stamped from 0: no made-up stillness before it.
TEST(TraceSteadiness, ALogIsReplayedFromItsFirstRowWhateverItsClockSays) {
  const TempFolder dir("trace-uptime");
  std::istringstream shaken(readFile(kTraces + "shaken.csv"));
  std::ostringstream shifted;
  shifted << "\xEF\xBB\xBF" << std::fixed << std::setprecision(6);
  for (std::string line; std::getline(shaken, line);) {
    if (line.empty() || line[0] == '#' || line[0] == 't') continue;
    const auto comma = line.find(',');
    shifted << std::stod(line.substr(0, comma)) + 100.0 << line.substr(comma) << "\n";
  }
  const CommandResult original = holdstill({"trace-steadiness", kTraces + "shaken.csv"});
  const CommandResult uptime = holdstill({"trace-steadiness", dir.write("uptime.csv", shifted.str())});
  ASSERT_EQ(uptime.status, 0) << uptime.err;
  const auto body = [](const std::string& out) { return out.substr(out.find('\n') + 1); };
  EXPECT_EQ(body(uptime.out), body(original.out));
}

TEST(RecordMotion, TheCommittedTracesAreWhatTheirFirstLineSaysMadeThem) {
  for (const char* name : {"still.csv", "shaken.csv"}) {
    const std::string committed = readFile(kTraces + name);
    std::istringstream firstLine(committed.substr(0, committed.find('\n')));
    std::vector<std::string> args;
    for (std::string word; firstLine >> word;) args.push_back(word);
    ASSERT_GT(args.size(), 2u);
    const CommandResult r = holdstill({args.begin() + 2, args.end()});  // after "# holdstill"
    ASSERT_EQ(r.status, 0) << r.command << "\n" << r.err;
    EXPECT_EQ(r.out, committed) << r.command;
  }
  // Under a second is a recording too: t = 0 to 0.1 s, four rows.
  const CommandResult brief = holdstill({"record-motion", "still", "--seconds", "0.1"});
  EXPECT_EQ(count(brief.out, "\n"), 6) << brief.err << brief.out;
}

}  // namespace
}  // namespace holdstill::simtest
