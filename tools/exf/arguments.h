#pragma once
// Command-line reading shared by the exf commands: options with and without
// a value, operands, `--` to end the options, and plain decimal numbers.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace exf {

// The options and operands of one command line. Options come before, after
// or between operands; "--" ends them, so everything after it is an operand
// ("-x.jpg" included). A lone "-" is an operand.
struct ParsedArguments {
  std::set<std::string> flags;                               // options given without a value
  std::map<std::string, std::vector<std::string>> values;    // options given with one, in order
  std::vector<std::string> operands;

  bool has(const std::string& flag) const { return flags.count(flag) != 0; }
  // The (first) value of an option, or null when it was not given.
  const std::string* value(const std::string& option) const;
};

// Reads `args` against the options a command knows: `flags` take no value,
// `valued` take the next argument as theirs (whatever it looks like, so
// "--lat -33.5" works), or, for one-letter ones, the rest of their word
// ("-j4"); those in `repeatable` may be given more than once.
// Returns nothing and sets `error` to a one-line reason for an unknown
// option, an option given twice, or a missing value.
std::optional<ParsedArguments> parseArguments(const std::vector<std::string>& args,
                                              const std::set<std::string>& flags,
                                              const std::set<std::string>& valued,
                                              std::string& error,
                                              const std::set<std::string>& repeatable = {});

// The -j value: how many files to work on at once, 1 to 1024 in plain
// digits. Without one (null), the number of processor cores.
std::optional<unsigned> parseJobs(const std::string* text);

// A plain decimal: an optional sign, digits, and an optional fraction of a
// dot and digits ("-33.8688", "+5", "12"). Nothing else: no spaces, no
// exponent, no hex, no "inf" or "nan", no bare ".5" or "5.".
std::optional<double> parseDecimal(std::string_view text);

}  // namespace exf
