// exf strip-gps: removes the GPS position from pictures, losslessly.
#include "tools/exf/strip_gps.h"

#include "exif/exf_exception.h"
#include "exif/jpeg_segments.h"
#include "exif/lossless_gps_edit.h"
#include "tools/exf/arguments.h"
#include "tools/exf/batch.h"
#include "tools/exf/commands.h"
#include "tools/exf/file_io.h"
#include "tools/exf/input_files.h"
#include "tools/exf/output_path.h"
#include "tools/exf/output_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string_view>

namespace exf {
namespace {

// An XMP packet that carries GPS values of its own.
bool xmpHoldsPosition(std::span<const std::uint8_t> jpeg) {
  const exif::JpegLayout layout = exif::readJpegLayout(jpeg);
  for (const exif::JpegSegment& s : layout.segments) {
    if (s.marker != 0xE1 || exif::isExifPayload(s.payload)) continue;
    const std::string_view text(reinterpret_cast<const char*>(s.payload.data()), s.payload.size());
    if (text.find("GPSLatitude") != std::string_view::npos || text.find("GPSLongitude") != std::string_view::npos)
      return true;
  }
  return false;
}

}  // namespace

StripResult stripGps(std::span<const std::uint8_t> input, exif::Bytes& output) {
  output.clear();
  StripResult result;
  if (input.size() < 2 || input[0] != 0xFF || input[1] != 0xD8) {
    result.error = "not a JPEG file (no start-of-image marker)";
    return result;
  }
  try {
    const auto [outcome, tailFrom] = exif::stripJpegGPSHead(input, output);
    result.outcome = outcome == exif::GPSStripOutcome::Stripped ? StripResult::Outcome::Stripped
                                                                 : StripResult::Outcome::NoPosition;
    result.tailFrom = tailFrom;
  } catch (const exif::EXFException& e) {
    output.clear();
    result.error = std::string(e.what()) + "; nothing written";
    return result;
  }
  if (xmpHoldsPosition(input)) result.remaining = "its XMP packet holds GPS values too, which are left as they are";
  return result;
}

const char* const kStripGpsUsage = "usage: exf strip-gps [-r] [-j N] (-o DIR | --in-place) [--] PATH...\n";

int runStripGps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto parsed = parseArguments(args, {"--in-place", "--help", "-r"}, {"-o", "-j"}, error);
  auto usage = [&](const std::string& message) {
    err << "exf strip-gps: " << message << "\n" << kStripGpsUsage;
    return kExitUsage;
  };
  if (!parsed) return usage(error);
  if (parsed->has("--help")) {
    out << kStripGpsUsage;
    return kExitOk;
  }
  const std::string* outName = parsed->value("-o");
  if ((outName != nullptr) == parsed->has("--in-place")) return usage("give one of -o DIR and --in-place");
  if (parsed->operands.empty()) return usage("no picture given");
  const auto jobs = parseJobs(parsed->value("-j"));
  if (!jobs) return usage("-j takes a number of files at once, 1 to 1024");
  const std::optional<std::string> outDir = outName ? std::optional(*outName) : std::nullopt;
  if (outDir) {
    struct stat st;
    if (::stat(outDir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      err << "exf: " << *outDir << ": not a directory (-o names the folder for the copies)\n";
      return kExitFailure;
    }
  }
  const std::vector<InputFile> files =
      expandInputs(parsed->operands, parsed->has("-r"), outDir ? identityOf(*outDir) : std::nullopt);
  const std::vector<OutputPlan> plans = planOutputs(files, outDir);

  std::vector<exif::Bytes> outputs(*jobs);     // one per worker, reused
  std::vector<std::string> written(files.size());
  auto work = [&](std::size_t index, unsigned worker) {
    const std::string& picture = files[index].path;
    const OutputPlan& plan = plans[index];
    FileReport report;
    auto fail = [&](const std::string& where, const std::string& why) {
      report.err = "exf: " + where + ": " + why + "\n";
      report.outcome = FileReport::Outcome::Failed;
      return report;
    };
    if (!files[index].error.empty()) return fail(picture, files[index].error);
    std::string error;
    auto file = FileBytes::openJpeg(picture, error);
    if (!file) return fail(picture, error);
    if (!plan.skip.empty()) {
      // The same file again: its position is gone by now.
      report.out = picture + ": skipped: " + plan.skip + "\n";
      report.outcome = FileReport::Outcome::Skipped;
      return report;
    }
    if (!plan.failure.empty()) return fail(picture, plan.failure);
    const auto target = outDir ? resolveOutput(plan.target, error) : resolveInPlace(picture, error);
    if (!target) return fail(outDir ? plan.target : picture, error);
    exif::Bytes& output = outputs[worker];
    const StripResult result = stripGps(file->bytes(), output);
    if (result.outcome == StripResult::Outcome::Failed) return fail(picture, result.error);
    const bool changed = result.outcome == StripResult::Outcome::Stripped;
    // In place, a picture without a position is left alone; a copy is
    // written either way, so the folder holds every picture.
    if (changed || outDir) {
      if (outDir) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(*target).parent_path(), ec);
      }
      const auto in = file->bytes();
      if (!writeFileAtomically(*target, output, FileRange{file->fd(), result.tailFrom, in.subspan(result.tailFrom)},
                               error, outDir ? Flush::Later : Flush::BeforeRename))
        return fail(outDir ? plan.target : picture, error);
      written[index] = *target;
    }
    if (!result.remaining.empty()) report.err = "exf: " + picture + ": " + result.remaining + "\n";
    report.out = picture + (changed ? ": position removed" : ": no position") +
                 (outDir ? ", written to " + plan.target : "") + "\n";
    report.outcome = changed ? FileReport::Outcome::Done : FileReport::Outcome::Skipped;
    return report;
  };
  WrittenFlush flush(outDir);
  const BatchCounts counts = runBatch(files.size(), *jobs, work, out, err, isTerminal(err));
  const bool synced = flush.flush(written, err);
  out << counts.done << " stripped, " << counts.skipped << " without a position, " << counts.failed << " failed\n";
  return counts.failed == 0 && synced ? kExitOk : kExitFailure;
}

}  // namespace exf
