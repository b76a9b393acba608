// The batch runner: reports in input order whatever the number of workers
// and however long each file takes; counts; a worker's exception; the
// progress line's text.
#include "tools/exf/batch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>

namespace exf {
namespace {

using Outcome = FileReport::Outcome;

TEST(Batch, ReportsComeInInputOrderWhateverTheJobs) {
  constexpr std::size_t kFiles = 40;
  auto work = [](std::size_t i, unsigned) {
    // Later files finish first.
    std::this_thread::sleep_for(std::chrono::microseconds(200 * ((kFiles - i) % 7)));
    if (i == 13) throw std::runtime_error("13: broken");
    const Outcome outcome = i % 5 == 0 ? Outcome::Skipped : Outcome::Done;
    return FileReport{outcome, std::to_string(i) + "\n", i % 3 == 0 ? "note " + std::to_string(i) + "\n" : ""};
  };
  std::string expectedOut, expectedErr;
  for (std::size_t i = 0; i < kFiles; ++i) {
    if (i != 13) expectedOut += std::to_string(i) + "\n";
    if (i == 13) expectedErr += "exf: 13: broken\n";
    else if (i % 3 == 0) expectedErr += "note " + std::to_string(i) + "\n";
  }
  for (unsigned jobs : {1u, 4u, 64u}) {
    std::ostringstream out, err;
    const BatchCounts counts = runBatch(kFiles, jobs, work, out, err, false);
    EXPECT_EQ(out.str(), expectedOut) << jobs;
    EXPECT_EQ(err.str(), expectedErr) << jobs;
    EXPECT_EQ(std::tuple(counts.done, counts.skipped, counts.failed), std::tuple(31u, 8u, 1u)) << jobs;
  }
}

TEST(Batch, EachWorkerIdServesOneThreadAtATime) {
  std::vector<std::atomic<int>> busy(3);
  std::atomic<bool> overlapped = false;
  std::ostringstream out, err;
  runBatch(30, 3, [&](std::size_t, unsigned worker) {
    if (busy.at(worker)++ != 0) overlapped = true;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
    --busy[worker];
    return FileReport{};
  }, out, err, false);
  EXPECT_FALSE(overlapped);
}

// A run that lasts shows the line once it has taken half a second, takes it
// away before the next file's lines, and clears it at the end.
TEST(Batch, ProgressLineComesOnALongRunAndGoesAtItsEnd) {
  std::ostringstream out, err;
  runBatch(3, 1, [](std::size_t i, unsigned) {
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    return FileReport{Outcome::Done, "", "file " + std::to_string(i) + "\n"};
  }, out, err, true);
  const std::string e = err.str();
  EXPECT_NE(e.find("\r\033[Kexf: 1/3 files, "), std::string::npos) << e;
  EXPECT_NE(e.find("\r\033[Kfile 1\n"), std::string::npos) << e;
  EXPECT_EQ(e.rfind("file 2\n\r\033[K"), e.size() - 11) << e;
}

TEST(Batch, ProgressLineSaysDoneTotalRateAndTimeLeft) {
  using std::chrono::duration;
  EXPECT_EQ(progressText(120, 300, duration<double>(4)), "120/300 files, 30.0 files/s, 6 s left");
  EXPECT_EQ(progressText(1, 3, duration<double>(0.4)), "1/3 files, 2.5 files/s, 1 s left");
  EXPECT_EQ(progressText(0, 300, duration<double>(1)), "0/300 files, 0.0 files/s");
  EXPECT_EQ(progressText(300, 300, duration<double>(10)), "300/300 files, 30.0 files/s");
}

}  // namespace
}  // namespace exf
