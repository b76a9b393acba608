// exf: the EXIF library's command-line tool.
#include "tools/exf/commands.h"

#include <exception>
#include <iostream>
#include <new>

namespace {

void printUsage(std::ostream& out) {
  out << "usage: exf COMMAND [OPTIONS] [--] FILE...\n"
         "\n"
      << exf::kDumpUsage
      << "      every EXIF value of JPEG files, as text or JSON\n"
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
         "A folder stands for the JPEG files in it (-r: and in its subfolders); -j N\n"
         "works on N files at once (default: one per processor core).\n"
         "Numbers are plain decimals (-33.8688). \"--\" ends the options, for file\n"
         "names that begin with '-'. Exit status: 0 done, 1 failed, 2 wrong usage.\n";
}

int run(int argc, char** argv) {
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

}  // namespace

int main(int argc, char** argv) {
  // No failure ends exf without a word: whatever escapes a command (memory
  // running out above all) is said and ends with status 1.
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::cerr << "exf: out of memory\n";
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "exf: " << e.what() << "\n";
  }
  return exf::kExitFailure;
}
