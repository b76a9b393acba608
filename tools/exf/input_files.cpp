#include "tools/exf/input_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace exf {
namespace {

namespace fs = std::filesystem;

bool isJpegName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == "jpg" || ext == "jpeg";
}

void addFolder(const std::string& folder, const std::string& relative, bool recursive,
               const std::optional<FileIdentity>& skip, std::vector<InputFile>& out) {
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  if (ec) {
    out.push_back({folder, relative, "cannot list the folder: " + ec.message()});
    return;
  }
  std::sort(entries.begin(), entries.end(),
            [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path().filename() < b.path().filename(); });
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    const std::string path = (fs::path(folder) / name).string();
    const std::string below = relative.empty() ? name : relative + "/" + name;
    struct stat link, target;
    if (::lstat(path.c_str(), &link) != 0) continue;
    const bool isLink = S_ISLNK(link.st_mode);
    const bool leads = ::stat(path.c_str(), &target) == 0;
    if (leads && S_ISDIR(target.st_mode)) {
      const FileIdentity id{static_cast<unsigned long long>(target.st_dev), static_cast<unsigned long long>(target.st_ino)};
      if (recursive && !isLink && id != skip && name[0] != '.') addFolder(path, below, recursive, skip, out);
    } else if (isJpegName(name)) {
      out.push_back({path, below, {}});
    }
  }
}

}  // namespace

std::vector<InputFile> expandInputs(const std::vector<std::string>& paths, bool recursive,
                                    const std::optional<FileIdentity>& skip) {
  std::vector<InputFile> out;
  for (const std::string& path : paths) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      addFolder(path, "", recursive, skip, out);
    else
      out.push_back({path, fs::path(path).filename().string(), {}});
  }
  return out;
}

}  // namespace exf
