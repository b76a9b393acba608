#include "tests/tools/exiftool_reader.h"

#include "tests/exif/support/command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace exif_testing {
namespace {

using json = nlohmann::json;

std::optional<double> asNumber(const json& v) {
  if (v.is_number()) return v.get<double>();
  if (v.is_string()) {
    const std::string s = v.get<std::string>();
    if (auto slash = s.find('/'); slash != std::string::npos) {
      double n = std::stod(s.substr(0, slash)), d = std::stod(s.substr(slash + 1));
      return n / d;
    }
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (!s.empty() && *end == '\0') return d;
  }
  return std::nullopt;
}

std::vector<json> words(const json& v) {
  std::vector<json> out;
  if (v.is_array()) return v.get<std::vector<json>>();
  std::istringstream in(v.is_string() ? v.get<std::string>() : v.dump());
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

}  // namespace

std::map<std::string, json> exiftoolTags(const std::string& path) {
  CommandResult r = runCommand({"exiftool", "-j", "-n", "-D", "-G1", "-a", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  std::map<std::string, json> out;
  if (r.status != 0) return out;
  json all = json::parse(r.out);
  for (auto& [key, entry] : all.at(0).items()) {
    auto colon = key.find(':');
    if (colon == std::string::npos || !entry.is_object() || !entry.at("id").is_number()) continue;
    const std::string group = key.substr(0, colon);
    if (group != "IFD0" && group != "ExifIFD" && group != "GPS" && group != "InteropIFD" && group != "IFD1")
      continue;
    out[group + ":" + std::to_string(entry.at("id").get<int>())] = entry.at("val");
  }
  return out;
}

std::string exiftoolGroup(const std::string& exfGroup) {
  if (exfGroup == "ifd0") return "IFD0";
  if (exfGroup == "exif") return "ExifIFD";
  if (exfGroup == "gps") return "GPS";
  if (exfGroup == "interop") return "InteropIFD";
  return "IFD1";
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
    std::vector<json> theirWords = words(theirs);
    if (theirWords.size() != ours.size()) return false;
    std::string ignored;
    for (std::size_t i = 0; i < ours.size(); ++i)
      if (!sameValue(ours[i], theirWords[i], ignored)) return false;
    return true;
  }
  auto a = asNumber(ours), b = asNumber(theirs);
  if (ours.is_string() && ours.get<std::string>().find('/') == std::string::npos) {
    // A text: exiftool may print a numeric-looking text as a number.
    return (theirs.is_string() && ours == theirs) || (a && b && *a == *b);
  }
  if (!a || !b) return false;
  return std::fabs(*a - *b) <= 1e-6 * std::max(1.0, std::fabs(*b));
}

json exfJson(const std::string& path) {
  CommandResult r = runCommand({EXF_BINARY, "dump", "--json", path});
  EXPECT_EQ(r.status, 0) << r.command << "\n" << r.err;
  return r.status == 0 ? json::parse(r.out) : json();
}

std::string exiftoolBinary(const std::string& path, const std::string& tag) {
  return runCommand({"exiftool", "-b", "-" + tag, path}).out;
}

}  // namespace exif_testing
