#pragma once
// Test support: runs a program and records what it printed and its status.
#include <string>
#include <vector>

namespace exif_testing {

struct CommandResult {
  std::string command;  // the argument list joined by spaces, for messages
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when the program could not run
};

CommandResult runCommand(const std::vector<std::string>& argv);

// Whether a program is on the PATH.
bool onPath(const std::string& program);

// A fresh empty directory under the test temporary directory; it goes away,
// with everything in it, when the test process ends.
std::string freshDirectory(const std::string& name);

}  // namespace exif_testing
