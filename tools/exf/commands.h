#pragma once
// The exf commands. Each takes the arguments after its name, writes its
// result to `out` and one-line messages to `err`, and returns the exit
// status: 0 done, 1 the file could not be read or written or the request was
// refused, 2 wrong usage.
#include <iosfwd>
#include <string>
#include <vector>

namespace exf {

// exf dump [--json] [segments] FILE
int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// exf geotag IN.jpg --lat DEG --lon DEG [--alt M] -o OUT.jpg [--allow-loss]
int runGeotag(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace exf
