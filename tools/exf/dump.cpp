// exf dump: what the library read from a JPEG, as text or JSON.
#include "exif/exf_jpeg.h"
#include "tools/exf/commands.h"
#include "tools/exf/file_io.h"
#include "tools/exf/value_text.h"

#include <cstdio>
#include <ostream>

namespace exf {
namespace {

using json = nlohmann::ordered_json;

// The directories as exf reports them, in report order.
std::vector<std::pair<Group, const exif::Directory*>> groupsOf(const exif::EXFMetaData& md) {
  const exif::Directory& root = md.keyedTagValues();
  const exif::Directory* exifGroup = root.group(exif::TAG_EXIF_OFFSET);
  const exif::Directory* interop = exifGroup ? exifGroup->group(exif::TAG_INTEROP_OFFSET) : nullptr;
  if (!interop) interop = root.group(exif::TAG_INTEROP_OFFSET);
  const bool parsed = md.exif_ptr() != nullptr || !root.empty();
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

json toJson(const exif::EXFJpeg& jpeg) {
  const exif::EXFMetaData& md = jpeg.exifMetaData();
  json out;
  out["byteOrder"] = md.exif_ptr() ? json(md.bigEndianOrder() ? "MM" : "II") : json(nullptr);
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
  for (const auto& [group, dir] : groupsOf(md)) {
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
  if (jpeg.scanError()) out["error"] = *jpeg.scanError();
  return out;
}

void printText(const std::string& file, const exif::EXFJpeg& jpeg, std::ostream& out) {
  const exif::EXFMetaData& md = jpeg.exifMetaData();
  out << file << ": " << md.width() << " x " << md.height() << ", " << md.bitsPerPixel()
      << " bits per sample";
  if (md.exif_ptr())
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
  for (const auto& [group, dir] : groupsOf(md)) {
    if (dir)
      for (const auto& [key, value] : *dir)
        if (!value.is<exif::Directory>()) line(group, key, valueText(value));
    for (const exif::UnkeptEntry& entry : md.unkeptEntries())
      if (groupOf(entry) == group) line(group, entry.tag, rawText(entry, md.bigEndianOrder()));
  }
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
  if (jpeg.scanError()) out << "damaged: " << *jpeg.scanError() << "\n";
}

}  // namespace

int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool asJson = false, segmentsOnly = false;
  std::string file;
  for (const std::string& a : args) {
    if (a == "--json" && !asJson) {
      asJson = true;
    } else if (a == "segments" && !segmentsOnly && file.empty()) {
      segmentsOnly = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      err << "exf dump: unknown option " << a << "\n";
      return kExitUsage;
    } else if (file.empty()) {
      file = a;
    } else {
      err << "exf dump: one file at a time\n";
      return kExitUsage;
    }
  }
  if (file.empty()) {
    err << "usage: exf dump [--json] [segments] FILE\n";
    return kExitUsage;
  }
  const auto jpeg = scanJpegFile(file, err);
  if (!jpeg) return kExitFailure;
  if (asJson && segmentsOnly)
    out << json{{"segments", toJson(*jpeg).at("segments")}}.dump(2, ' ', false, json::error_handler_t::replace)
        << "\n";
  else if (asJson)
    out << toJson(*jpeg).dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  else if (segmentsOnly)
    printSegments(file, *jpeg, out);
  else
    printText(file, *jpeg, out);
  return kExitOk;
}

}  // namespace exf
