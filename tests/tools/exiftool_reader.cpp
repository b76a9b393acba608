#include "tests/tools/exiftool_reader.h"

#include "tests/exif/support/command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>

namespace exif_testing {
namespace {

using json = nlohmann::json;

std::optional<double> asNumber(const json& v) {
  if (v.is_number()) return v.get<double>();
  if (!v.is_string()) return std::nullopt;
  const std::string s = v.get<std::string>();
  if (auto slash = s.find('/'); slash != std::string::npos)
    return std::stod(s.substr(0, slash)) / std::stod(s.substr(slash + 1));
  char* end = nullptr;
  const double d = std::strtod(s.c_str(), &end);
  return !s.empty() && *end == '\0' ? std::optional(d) : std::nullopt;
}

std::vector<json> words(const json& v) {
  if (v.is_array()) return v.get<std::vector<json>>();
  std::vector<json> out;
  std::istringstream in(v.is_string() ? v.get<std::string>() : v.dump());
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

}  // namespace

ExiftoolView exiftoolRead(const std::string& path) {
  const std::string cut = "--exiftool-section--";
  CommandResult r = runCommand({"exiftool", "-j", "-n", "-D", "-G1", "-a", path, "-echo3", cut, "-execute",
                                "-b", "-ThumbnailImage", path, "-echo3", cut, "-execute",
                                "-validate", "-warning", "-a", "-s3", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  const std::size_t first = r.out.find(cut + "\n"), second = r.out.find(cut + "\n", first + 1);
  ExiftoolView view;
  if (r.status != 0 || second == std::string::npos) return view;
  const json all = json::parse(r.out.substr(0, first));
  for (const auto& [key, entry] : all.at(0).items()) {
    const std::string group = key.substr(0, key.find(':'));
    if (!entry.is_object() || !entry.at("id").is_number()) continue;
    for (const auto& [ours, theirs] : kGroups)
      if (group == theirs) view.tags[group + ":" + std::to_string(entry.at("id").get<int>())] = entry.at("val");
  }
  view.thumbnail = r.out.substr(first + cut.size() + 1, second - first - cut.size() - 1);
  std::istringstream lines(r.out.substr(second + cut.size() + 1));
  for (std::string line; std::getline(lines, line);) view.findings.push_back(line);
  return view;
}

bool sameValue(const json& ours, const json& theirs, std::string& why) {
  why = "exf " + ours.dump() + " vs exiftool " + theirs.dump();
  if (ours.is_object() && ours.contains("decimal"))  // EXFGPSLoc
    return sameValue(ours.at("decimal"), theirs, why);
  if (ours.is_object() && ours.contains("text"))  // EXFGPSTimeStamp
    return theirs.is_string() && ours.at("text") == theirs;
  if (ours.is_object() && ours.contains("hex")) {  // undefined bytes
    const std::string hex = ours.at("hex").get<std::string>();
    if (theirs.is_number()) return hex.size() == 2 && std::stoi(hex, nullptr, 16) == theirs.get<int>();
    if (!theirs.is_string()) return false;
    std::string text;  // exiftool prints short undefined data as text
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
      text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return theirs == text ||
           theirs.get<std::string>().rfind("(Binary data " + std::to_string(text.size()) + " bytes", 0) == 0;
  }
  if (ours.is_array()) {
    const std::vector<json> theirWords = words(theirs);
    std::string ignored;
    for (std::size_t i = 0; i < ours.size() && theirWords.size() == ours.size(); ++i)
      if (!sameValue(ours[i], theirWords[i], ignored)) return false;
    return theirWords.size() == ours.size();
  }
  auto a = asNumber(ours), b = asNumber(theirs);
  if (ours.is_string() && ours.get<std::string>().find('/') == std::string::npos)
    return (theirs.is_string() && ours == theirs) || (a && b && *a == *b);  // a numeric-looking text
  return a && b && std::fabs(*a - *b) <= 1e-6 * std::max(1.0, std::fabs(*b));
}

json exfJson(const std::string& path) {
  CommandResult r = runCommand({EXF_BINARY, "dump", "--json", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  return r.status == 0 ? json::parse(r.out) : json();
}

}  // namespace exif_testing
