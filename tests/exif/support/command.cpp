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

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv) {
  CommandResult r;
  for (const auto& a : argv) r.command += (r.command.empty() ? "" : " ") + a;
  const std::string dir = freshDirectory("command");
  const std::string outPath = dir + "/out", errPath = dir + "/err";
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
  if (pid < 0 || ::waitpid(pid, &status, 0) < 0) return r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = slurp(outPath);
  r.err = slurp(errPath);
  return r;
}

bool onPath(const std::string& program) {
  return runCommand({"sh", "-c", "command -v " + program}).status == 0;
}

std::string freshDirectory(const std::string& name) {
  static int counter = 0;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "global";
  for (char& c : test)
    if (c == '/') c = '_';
  auto path = std::filesystem::path(::testing::TempDir()) /
              ("holdstill-" + std::to_string(::getpid()) + "-" + test + "-" + name + "-" +
               std::to_string(counter++));
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  return path.string();
}

}  // namespace exif_testing
