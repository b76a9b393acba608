#include "tests/exif/support/command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace exif_testing {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The process's own folder under the test temporary directory, holding every
// folder and capture file its tests make; removed when the process ends.
const fs::path& processRoot() {
  struct Root {
    fs::path path = fs::path(::testing::TempDir()) / ("holdstill-" + std::to_string(::getpid()));
    Root() {
      fs::remove_all(path);
      fs::create_directories(path);
    }
    ~Root() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  };
  static const Root root;
  return root.path;
}

int counter = 0;

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv) {
  CommandResult r;
  for (const auto& a : argv) r.command += (r.command.empty() ? "" : " ") + a;
  const std::string stem = (processRoot() / ("command-" + std::to_string(counter++))).string();
  const std::string outPath = stem + ".out", errPath = stem + ".err";
  pid_t pid = ::fork();
  if (pid == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid >= 0 && ::waitpid(pid, &status, 0) >= 0) {
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(outPath);
    r.err = slurp(errPath);
  }
  fs::remove(outPath);
  fs::remove(errPath);
  return r;
}

bool onPath(const std::string& program) {
  return runCommand({"sh", "-c", "command -v " + program}).status == 0;
}

std::string freshDirectory(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "global";
  for (char& c : test)
    if (c == '/') c = '_';
  const fs::path path = processRoot() / (test + "-" + name + "-" + std::to_string(counter++));
  fs::create_directories(path);
  return path.string();
}

}  // namespace exif_testing
