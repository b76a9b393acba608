#pragma once
// Support for the simulator's tests: a folder of the test's own, removed
// at the end; the built holdstill run as a user runs it; and checks on the
// text it prints.
#include "tests/exif/support/command.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace holdstill::simtest {

class TempFolder {
 public:
  explicit TempFolder(const std::string& name) : path_(exif_testing::freshDirectory(name)) {}
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // Writes the file and returns its path.
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << text;
    return path_ + "/" + name;
  }

 private:
  std::string path_;
};

#ifdef HOLDSTILL_BINARY
inline exif_testing::CommandResult holdstill(std::vector<std::string> args) {
  args.insert(args.begin(), HOLDSTILL_BINARY);
  return exif_testing::runCommand(args);
}
#endif

inline int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The parts the text lacks, one a line: empty when it holds them all.
inline std::string missing(const std::string& text, const std::vector<std::string>& parts) {
  std::string lacking;
  for (const std::string& part : parts)
    if (text.find(part) == std::string::npos) lacking += part + "\n";
  return lacking;
}

}  // namespace holdstill::simtest
