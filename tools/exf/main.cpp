// exf: the EXIF library's command-line tool.
#include "tools/exf/commands.h"

#include <iostream>

int main(int argc, char** argv) {
  const std::string usage =
      "usage: exf dump [--json] FILE\n"
      "       exf geotag IN.jpg --lat DEG --lon DEG [--alt M] -o OUT.jpg [--allow-loss]\n";
  if (argc < 2) {
    std::cerr << usage;
    return exf::kExitUsage;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "dump") return exf::runDump(args, std::cout, std::cerr);
  if (command == "geotag") return exf::runGeotag(args, std::cout, std::cerr);
  if (command == "--help" || command == "-h") {
    std::cout << usage;
    return exf::kExitOk;
  }
  std::cerr << "exf: unknown command " << command << "\n" << usage;
  return exf::kExitUsage;
}
