// holdstill: the simulator's command-line entry point.
#include "sim/commands.h"

#include <iostream>

int main(int argc, char* argv[]) {
  return holdstill::sim::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                        std::cerr);
}
