#pragma once
// Runs the exf binary built with the tests (EXF_BINARY) as a user would.
#include "tests/exif/support/command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace exif_testing {

inline CommandResult exf(std::vector<std::string> args) {
  args.insert(args.begin(), EXF_BINARY);
  return runCommand(args);
}

// `exf dump --json PATH`, parsed; a failed run is reported and gives null.
inline nlohmann::json exfJson(const std::string& path) {
  CommandResult r = exf({"dump", "--json", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
}

}  // namespace exif_testing
