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
    if (!dir) continue;
    json tags = json::object();
    for (const auto& [key, value] : *dir)
      if (!value.is<exif::Directory>()) tags[std::to_string(key)] = valueJson(value);
    out[kKeys[static_cast<int>(group)]] = std::move(tags);
  }
  out["thumbnail"] = md.thumbnailBytes() ? json{{"length", md.thumbnailBytes()->size()}} : json(nullptr);
  json segments = json::array();
  for (const auto& [marker, payload] : jpeg.keyedHeaders())
    segments.push_back({{"marker", markerText(marker)}, {"length", payload.size()}});
  out["segments"] = std::move(segments);
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
  for (const auto& [group, dir] : groupsOf(md)) {
    if (!dir) continue;
    for (const auto& [key, value] : *dir) {
      if (value.is<exif::Directory>()) continue;
      char head[48];
      std::snprintf(head, sizeof head, "%-8s0x%04llX  ", std::string(groupLabel(group)).c_str(),
                    static_cast<unsigned long long>(key));
      std::string name = tagName(group, key);
      name.resize(std::max<std::size_t>(name.size(), 28), ' ');
      out << head << name << " " << valueText(value) << "\n";
    }
  }
}

}  // namespace

int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool asJson = false;
  std::string file;
  for (const std::string& a : args) {
    if (a == "--json" && !asJson) {
      asJson = true;
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
    err << "usage: exf dump [--json] FILE\n";
    return kExitUsage;
  }
  const auto jpeg = scanJpegFile(file, err);
  if (!jpeg) return kExitFailure;
  if (asJson)
    out << toJson(*jpeg).dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  else
    printText(file, *jpeg, out);
  return kExitOk;
}

}  // namespace exf
