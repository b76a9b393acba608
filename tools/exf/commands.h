#pragma once
// The exf commands. Each takes the arguments after its name, writes its
// result to `out` and one-line messages to `err`, and returns the exit
// status: 0 done, 1 the file could not be read or written or the request was
// refused, 2 wrong usage (with the command's usage on `err`). `--help`
// writes the usage to `out`.
#include <iosfwd>
#include <string>
#include <vector>

namespace exf {

// exf dump [--json] [segments] FILE
int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// exf geotag ... (see kGeotagUsage): one picture from --lat/--lon, or many
// from a GPX track; -o writes a copy, --in-place replaces the picture.
int runGeotag(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char* const kGeotagUsage;

// exf thumbnail -o OUT.jpg FILE
int runThumbnail(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char* const kThumbnailUsage;

// exf strip-gps (-o DIR | --in-place) FILE...: removes the GPS position.
int runStripGps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char* const kStripGpsUsage;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace exf
