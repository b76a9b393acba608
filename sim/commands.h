#pragma once
// The simulator's commands, as `holdstill COMMAND ARGS...` runs them.
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace holdstill::sim {

// A command that cannot do its work: bad file, rows or values (status 1).
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The command line is not one the program knows (status 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Runs `holdstill` with `args` (without the program name): prints to `out`,
// and to `err` one message for a failure, and returns the exit status: 0,
// 1 when the work failed, 2 for wrong usage (with the usage text).
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The commands; they throw CommandError and UsageError.
void traceSteadiness(const std::vector<std::string>& args, std::ostream& out);
void recordMotion(const std::vector<std::string>& args, std::ostream& out);
void compose(const std::vector<std::string>& args, std::ostream& out);
void replayGps(const std::vector<std::string>& args, std::ostream& out);
// `run` returns its own status: 0 the application quit with 0 or the time
// ran out, 1 it stalled or failed, 2 the scenario cannot be read.
int runApplication(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A command's words: its positional arguments and its options
// ("--name value"), each of which must be among `options` and given once.
struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
};
Arguments parseArguments(const std::vector<std::string>& args, const std::set<std::string>& options);

// Argument values: a whole number or a finite decimal number written whole;
// anything else is a CommandError naming the option.
long long wholeNumberArgument(const std::string& option, const std::string& value);
double decimalArgument(const std::string& option, const std::string& value);

}  // namespace holdstill::sim
