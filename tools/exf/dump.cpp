// exf dump: what the library read from JPEG files, as text or JSON, and
// what could not be read.
#include "exif/exf_jpeg.h"
#include "exif/exf_utils.h"
#include "tools/exf/arguments.h"
#include "tools/exf/batch.h"
#include "tools/exf/commands.h"
#include "tools/exf/file_io.h"
#include "tools/exf/input_files.h"
#include "tools/exf/value_text.h"

#include <cstdio>
#include <ostream>
#include <sstream>

namespace exf {
namespace {

using json = nlohmann::ordered_json;

// Why the EXIF block's TIFF header cannot be read, if so: then nothing in
// the block is, while the rest of the file still is.
std::optional<std::string> exifBlockDamage(const exif::EXFJpeg& jpeg) {
  const auto index = jpeg.exifSegmentIndex();
  if (!index) return std::nullopt;
  const exif::EXFJpeg::Segment& segment = jpeg.segments()[*index];
  const exif::Bytes& p = segment.payload;
  std::string why;
  const bool big = p.size() > 7 && p[6] == 'M' && p[7] == 'M';
  if (p.size() < 14)
    why = "ends before its TIFF header does";
  else if (!big && !(p[6] == 'I' && p[7] == 'I'))
    why = "has no byte order (II or MM) where its TIFF header starts";
  else if (exif::EXFUtils::read2Bytes(p.data() + 8, big) != 42)
    why = "has a TIFF header without the number 42";
  else if (const std::uint64_t ifd0 = 6 + std::uint64_t{exif::EXFUtils::read4Bytes(p.data() + 10, big)};
           ifd0 + 2 > p.size())
    why = "names its first directory at offset " + std::to_string(ifd0 - 6) + ", outside its " +
          std::to_string(p.size()) + " bytes";
  else
    return std::nullopt;
  return "the EXIF block (APP1 at offset " + std::to_string(segment.offset) + ") " + why +
         ", so none of its values could be read; the rest of the file could";
}

// The directories as exf reports them, in report order.
std::vector<std::pair<Group, const exif::Directory*>> groupsOf(const exif::EXFJpeg& jpeg) {
  const exif::EXFMetaData& md = jpeg.exifMetaData();
  const exif::Directory& root = md.keyedTagValues();
  const exif::Directory* exifGroup = root.group(exif::TAG_EXIF_OFFSET);
  const exif::Directory* interop = exifGroup ? exifGroup->group(exif::TAG_INTEROP_OFFSET) : nullptr;
  if (!interop) interop = root.group(exif::TAG_INTEROP_OFFSET);
  const bool parsed = (md.exif_ptr() != nullptr || !root.empty()) && !exifBlockDamage(jpeg);
  return {{Group::Ifd0, parsed ? &root : nullptr},
          {Group::Exif, exifGroup},
          {Group::Gps, root.group(exif::TAG_EXIF_GPS)},
          {Group::Interop, interop},
          {Group::Ifd1, md.keyedThumbnailTagValues().empty() ? nullptr : &md.keyedThumbnailTagValues()}};
}

std::string markerText(int marker) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", marker);
  return text;
}

// Everything that shows the file damaged, one line each.
std::vector<std::string> damageOf(const exif::EXFJpeg& jpeg) {
  std::vector<std::string> lines;
  if (jpeg.scanError()) lines.push_back(*jpeg.scanError());
  if (auto exif = exifBlockDamage(jpeg)) lines.push_back(*exif);
  return lines;
}

void addDamage(json& out, const exif::EXFJpeg& jpeg) {
  if (jpeg.scanError()) out["error"] = *jpeg.scanError();
  if (auto exif = exifBlockDamage(jpeg)) out["exifError"] = *exif;
}

json toJson(const std::string& file, const exif::EXFJpeg& jpeg) {
  const exif::EXFMetaData& md = jpeg.exifMetaData();
  json out;
  out["file"] = file;
  out["byteOrder"] = md.exif_ptr() && !exifBlockDamage(jpeg) ? json(md.bigEndianOrder() ? "MM" : "II") : json(nullptr);
  if (const auto& jfif = jpeg.jfif())
    out["jfif"] = {{"version", jfif->version().value_or("")}, {"units", jfif->units()},
                   {"resolutionX", jfif->resolutionX()}, {"resolutionY", jfif->resolutionY()},
                   {"thumbnailX", jfif->thumbnailX()}, {"thumbnailY", jfif->thumbnailY()}};
  else
    out["jfif"] = nullptr;
  out["width"] = md.width();
  out["height"] = md.height();
  out["bitsPerPixel"] = md.bitsPerPixel();
  static constexpr const char* kKeys[] = {"ifd0", "exif", "gps", "interop", "ifd1"};
  for (const auto& [group, dir] : groupsOf(jpeg)) {
    json tags = json::object();
    if (dir)
      for (const auto& [key, value] : *dir)
        if (!value.is<exif::Directory>()) tags[std::to_string(key)] = valueJson(value);
    // Entries the library did not keep, in the directory they stand in.
    for (const exif::UnkeptEntry& entry : md.unkeptEntries())
      if (groupOf(entry) == group && !tags.contains(std::to_string(entry.tag)))
        tags[std::to_string(entry.tag)] = rawJson(entry, md.bigEndianOrder());
    if (dir || !tags.empty()) out[kKeys[static_cast<int>(group)]] = std::move(tags);
  }
  out["thumbnail"] = md.thumbnailBytes() ? json{{"length", md.thumbnailBytes()->size()}} : json(nullptr);
  json segments = json::array();
  for (const auto& s : jpeg.segments())
    segments.push_back({{"marker", markerText(s.marker)}, {"offset", s.offset}, {"length", s.payload.size()}});
  out["segments"] = std::move(segments);
  for (const auto& s : jpeg.strays()) out["strayBytes"].push_back({{"offset", s.offset}, {"length", s.bytes.size()}});
  addDamage(out, jpeg);
  return out;
}

void printText(const std::string& file, const exif::EXFJpeg& jpeg, std::ostream& out) {
  const exif::EXFMetaData& md = jpeg.exifMetaData();
  out << file << ": " << md.width() << " x " << md.height() << ", " << md.bitsPerPixel()
      << " bits per sample";
  if (exifBlockDamage(jpeg))
    out << ", EXIF block unreadable";
  else if (md.exif_ptr())
    out << ", EXIF " << (md.bigEndianOrder() ? "MM (big-endian)" : "II (little-endian)");
  else
    out << ", no EXIF";
  if (md.thumbnailBytes()) out << ", thumbnail " << md.thumbnailBytes()->size() << " bytes";
  out << "\n";
  auto line = [&](Group group, exif::TagKey key, const std::string& value) {
    char head[48];
    std::snprintf(head, sizeof head, "%-8s0x%04llX  ", std::string(groupLabel(group)).c_str(),
                  static_cast<unsigned long long>(key));
    std::string name = tagName(group, key);
    name.resize(std::max<std::size_t>(name.size(), 28), ' ');
    out << head << name << " " << value << "\n";
  };
  for (const auto& [group, dir] : groupsOf(jpeg)) {
    if (dir)
      for (const auto& [key, value] : *dir)
        if (!value.is<exif::Directory>()) line(group, key, valueText(value));
    for (const exif::UnkeptEntry& entry : md.unkeptEntries())
      if (groupOf(entry) == group) line(group, entry.tag, rawText(entry, md.bigEndianOrder()));
  }
  for (const std::string& damage : damageOf(jpeg)) out << "damaged: " << damage << "\n";
}

void printSegments(const std::string& file, const exif::EXFJpeg& jpeg, std::ostream& out) {
  out << file << ": " << jpeg.segments().size() << " segments before the image data\n";
  for (const auto& s : jpeg.segments()) {
    char text[80];
    std::snprintf(text, sizeof text, "FF%s  offset %10zu  length %6zu", markerText(s.marker).c_str(), s.offset,
                  s.payload.size());
    out << text;
    if (jpeg.exifSegmentIndex() && &s == &jpeg.segments()[*jpeg.exifSegmentIndex()]) out << "  EXIF";
    out << "\n";
  }
  for (const auto& s : jpeg.strays())
    out << "stray bytes at offset " << s.offset << ": " << s.bytes.size()
        << " bytes between segments, skipped (kept where they are)\n";
  if (const auto tail = jpeg.remainingData())
    out << "image data  offset " << jpeg.imageDataOffset() << ", " << tail->size() << " bytes\n";
  for (const std::string& damage : damageOf(jpeg)) out << "damaged: " << damage << "\n";
}

enum class Form { Text, Json, Segments, JsonSegments };

// One file's dump; failed when the file cannot be read or is damaged.
// `oneLine` writes JSON on one line, for a dump of several files.
FileReport dumpOne(const InputFile& input, Form form, bool oneLine) {
  FileReport report;
  std::ostringstream out, err;
  const std::string& file = input.path;
  std::optional<ScannedJpeg> jpeg;
  if (!input.error.empty())
    err << "exf: " << file << ": " << input.error << "\n";
  else
    jpeg = scanJpegFile(file, err);
  if (!jpeg) {
    report.outcome = FileReport::Outcome::Failed;
    report.err = err.str();
    return report;
  }
  const int indent = oneLine ? -1 : 2;
  switch (form) {
    case Form::JsonSegments: {
      json j = {{"file", file}, {"segments", toJson(file, *jpeg).at("segments")}};
      addDamage(j, *jpeg);
      out << j.dump(indent, ' ', false, json::error_handler_t::replace) << "\n";
      break;
    }
    case Form::Json: out << toJson(file, *jpeg).dump(indent, ' ', false, json::error_handler_t::replace) << "\n"; break;
    case Form::Segments: printSegments(file, *jpeg, out); break;
    case Form::Text: printText(file, *jpeg, out); break;
  }
  if (!damageOf(*jpeg).empty()) report.outcome = FileReport::Outcome::Failed;
  report.out = out.str();
  return report;
}

}  // namespace

const char* const kDumpUsage = "usage: exf dump [--json] [segments] [-r] [-j N] [--] PATH...\n";

int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  auto parsed = parseArguments(args, {"--json", "-r", "--help"}, {"-j"}, error);
  auto usage = [&](const std::string& message) {
    err << "exf dump: " << message << "\n" << kDumpUsage;
    return kExitUsage;
  };
  if (!parsed) return usage(error);
  if (parsed->has("--help")) {
    out << kDumpUsage;
    return kExitOk;
  }
  std::vector<std::string>& paths = parsed->operands;
  const bool segments = paths.size() > 1 && paths.front() == "segments";
  if (segments) paths.erase(paths.begin());
  if (paths.empty()) return usage("no file given");
  const auto jobs = parseJobs(parsed->value("-j"));
  if (!jobs) return usage("-j takes a number of files at once, 1 to 1024");
  const bool asJson = parsed->has("--json");
  const Form form = asJson ? (segments ? Form::JsonSegments : Form::Json) : (segments ? Form::Segments : Form::Text);

  const std::vector<InputFile> files = expandInputs(paths, parsed->has("-r"));
  // One file named as such dumps as it always has; several give one JSON
  // object a line.
  const bool several = files.size() != 1 || paths.size() != 1 || files.front().path != paths.front();
  const BatchCounts counts = runBatch(
      files.size(), *jobs, [&](std::size_t i, unsigned) { return dumpOne(files[i], form, several); }, out, err,
      isTerminal(err));
  return counts.failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace exf
