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

// exf dump [--json] [segments] [-r] [-j N] PATH...: status 1 also when a
// file is damaged (its dump says how).
int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char* const kDumpUsage;

// exf geotag ... (see kGeotagUsage): one picture from --lat/--lon, or many
// (files and folders) from GPX tracks; -o writes a copy, --in-place
// replaces the picture.
int runGeotag(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char* const kGeotagUsage;

// exf thumbnail -o OUT.jpg FILE
int runThumbnail(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char* const kThumbnailUsage;

// exf strip-gps [-r] [-j N] (-o DIR | --in-place) PATH...: removes the GPS position.
int runStripGps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char* const kStripGpsUsage;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace exf
