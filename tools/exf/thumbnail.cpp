// exf thumbnail: writes the JPEG thumbnail embedded in a picture's EXIF block.
#include "tools/exf/arguments.h"
#include "tools/exf/commands.h"
#include "tools/exf/file_io.h"
#include "tools/exf/output_path.h"

#include <ostream>

namespace exf {

const char* const kThumbnailUsage = "usage: exf thumbnail -o OUT.jpg [--] FILE.jpg\n";

int runThumbnail(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto parsed = parseArguments(args, {"--help"}, {"-o"}, error);
  auto usage = [&](const std::string& message) {
    err << "exf thumbnail: " << message << "\n" << kThumbnailUsage;
    return kExitUsage;
  };
  if (!parsed) return usage(error);
  if (parsed->has("--help")) {
    out << kThumbnailUsage;
    return kExitOk;
  }
  const std::string* outName = parsed->value("-o");
  if (!outName) return usage("-o OUT.jpg is needed");
  if (parsed->operands.size() != 1) return usage("one picture at a time");
  const std::string& in = parsed->operands.front();

  if (const auto input = identityOf(in); input && isOneOf(*outName, {*input})) {
    err << "exf: " << *outName << " is the input file; nothing written\n";
    return kExitFailure;
  }
  const auto target = resolveOutput(*outName, error);
  if (!target) {
    err << "exf: " << *outName << ": " << error << "\n";
    return kExitFailure;
  }
  const auto jpeg = scanJpegFile(in, err);
  if (!jpeg) return kExitFailure;
  const auto& thumbnail = jpeg->exifMetaData().thumbnailBytes();
  if (!thumbnail || thumbnail->empty()) {
    err << "exf: " << in << ": has no embedded JPEG thumbnail\n";
    return kExitFailure;
  }
  if (thumbnail->size() < 2 || (*thumbnail)[0] != 0xFF || (*thumbnail)[1] != 0xD8) {
    err << "exf: " << in << ": the embedded thumbnail is not a JPEG (no start-of-image marker); nothing written\n";
    return kExitFailure;
  }
  if (!writeFileAtomically(*target, *thumbnail, error) || !syncFolder(folderOf(*target), error)) {
    err << "exf: " << *outName << ": " << error << "\n";
    return kExitFailure;
  }
  out << *outName << ": " << thumbnail->size() << " bytes written\n";
  return kExitOk;
}

}  // namespace exf
