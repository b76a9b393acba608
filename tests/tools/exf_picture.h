#pragma once
// Test pictures for exf: a real, decodable JPEG carrying an EXIF block built
// byte by byte, and the checks a user would make on exf's output.
#include "tests/exif/support/command.h"
#include "tests/exif/support/exif_builder.h"
#include "tools/exf/sample/test_card.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>
#include <string>

namespace exif_testing {

// A 64 × 48 test card with `exifPayload` as its APP1, after the JFIF APP0.
inline Bytes pictureWithExif(const Bytes& exifPayload) {
  const Bytes card = exf::encodeTestCard(64, 48);
  std::size_t at = 2;
  if (card.size() > 6 && card[2] == 0xFF && card[3] == 0xE0) at = 4 + (card[4] << 8 | card[5]);
  Bytes out(card.begin(), card.begin() + static_cast<std::ptrdiff_t>(at));
  const Bytes app1 = segment(0xE1, exifPayload);
  out.insert(out.end(), app1.begin(), app1.end());
  out.insert(out.end(), card.begin() + static_cast<std::ptrdiff_t>(at), card.end());
  return out;
}

// djpeg decodes the file without a warning.
inline void expectDecodes(const std::string& path) {
  if (!onPath("djpeg")) GTEST_SKIP() << "djpeg is not installed";
  const CommandResult r = runCommand({"djpeg", "-outfile", "/dev/null", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  EXPECT_EQ(r.err, "") << r.command;
}

// Everything exiftool reads from a file (-n values, groups by location),
// without the groups in `leaveOut` ("System", "GPS", ...).
inline nlohmann::json exiftoolAll(const std::string& path, const std::set<std::string>& leaveOut) {
  const CommandResult r = runCommand({"exiftool", "-j", "-n", "-G1", "-a", "-b", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  nlohmann::json kept = nlohmann::json::object();
  if (r.status != 0) return kept;
  const nlohmann::json all = nlohmann::json::parse(r.out);
  for (const auto& [key, value] : all.at(0).items()) {
    const std::string group = key.substr(0, key.find(':'));
    if (key != "SourceFile" && !leaveOut.count(group)) kept[key] = value;
  }
  return kept;
}

}  // namespace exif_testing
