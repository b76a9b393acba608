// exf: the EXIF library's command-line tool.
#include "tools/exf/commands.h"

#include <iostream>

namespace {

void printUsage(std::ostream& out) {
  out << "usage: exf COMMAND [OPTIONS] [--] FILE...\n"
         "\n"
         "  exf dump [--json] FILE\n"
         "      every EXIF value of a JPEG, as text or JSON\n"
      << exf::kGeotagUsage
      << "      writes a GPS position: one given, or each picture's place on a track\n"
      << exf::kThumbnailUsage
      << "      writes the thumbnail embedded in the EXIF block\n"
      << exf::kStripGpsUsage
      << "      removes the GPS position, leaving no trace of it and nothing else changed\n"
         "\n"
         "  exf --help      this text; exf COMMAND --help: the command's usage\n"
         "  exf --version   the version\n"
         "\n"
         "Numbers are plain decimals (-33.8688). \"--\" ends the options, for file\n"
         "names that begin with '-'. Exit status: 0 done, 1 failed, 2 wrong usage.\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage(std::cerr);
    return exf::kExitUsage;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "dump") return exf::runDump(args, std::cout, std::cerr);
  if (command == "geotag") return exf::runGeotag(args, std::cout, std::cerr);
  if (command == "thumbnail") return exf::runThumbnail(args, std::cout, std::cerr);
  if (command == "strip-gps") return exf::runStripGps(args, std::cout, std::cerr);
  if (command == "--help" || command == "-h") {
    printUsage(std::cout);
    return exf::kExitOk;
  }
  if (command == "--version") {
    std::cout << "exf " EXF_VERSION "\n";
    return exf::kExitOk;
  }
  std::cerr << "exf: unknown command " << command << "\n";
  printUsage(std::cerr);
  return exf::kExitUsage;
}
