#include "tools/exf/output_plan.h"

#include "tools/exf/file_io.h"
#include "tools/exf/output_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>

namespace exf {
namespace {

// The folders whose entries change when `target` is written below `outDir`:
// its own, and those made for it up to `outDir`.
void foldersOf(const std::string& target, const std::optional<std::string>& outDir, std::set<std::string>& folders) {
  namespace fs = std::filesystem;
  fs::path folder = fs::path(target).parent_path().lexically_normal();
  if (folder.empty()) folder = ".";
  folders.insert(folder.string());
  if (!outDir) return;
  std::string top = fs::path(*outDir).lexically_normal().string();
  while (top.size() > 1 && top.back() == '/') top.pop_back();
  for (fs::path rel = folder.lexically_relative(top); !rel.empty() && *rel.begin() != ".." && rel != ".";
       rel = rel.parent_path()) {
    folder = folder.parent_path();
    folders.insert(folder.empty() ? "." : folder.string());
  }
}

}  // namespace

std::vector<OutputPlan> planOutputs(const std::vector<InputFile>& files, const std::optional<std::string>& outDir) {
  // Every input's identity, so that no output lands on any of them.
  using Key = std::pair<unsigned long long, unsigned long long>;
  std::vector<std::optional<FileIdentity>> ids;
  std::set<Key> inputs;
  for (const InputFile& file : files) {
    ids.push_back(identityOf(file.path));
    if (ids.back()) inputs.emplace(ids.back()->device, ids.back()->inode);
  }
  std::vector<OutputPlan> plans(files.size());
  std::map<std::string, std::string> outputs;  // output name -> the picture it comes from
  std::set<Key> seen;
  for (std::size_t i = 0; i < files.size(); ++i) {
    OutputPlan& plan = plans[i];
    if (ids[i] && !seen.emplace(ids[i]->device, ids[i]->inode).second) {
      plan.skip = "given before (the same file)";
      continue;
    }
    if (!outDir) {
      plan.target = files[i].path;
      continue;
    }
    plan.target = (std::filesystem::path(*outDir) / files[i].relative).string();
    if (auto [other, fresh] = outputs.emplace(plan.target, files[i].path); !fresh)
      plan.failure = plan.target + " is where " + other->second + " goes too; nothing written";
    else if (const auto id = identityOf(plan.target); id && inputs.count({id->device, id->inode}))
      plan.failure = plan.target + " is one of the input files; nothing written";
  }
  return plans;
}

WrittenFlush::WrittenFlush(const std::optional<std::string>& outDir) : outDir_(outDir) {
  if (!outDir) return;
  fd_ = ::open(outDir->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat st;
  if (fd_ >= 0 && ::fstat(fd_, &st) == 0) {
    device_ = st.st_dev;
  } else if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

WrittenFlush::~WrittenFlush() {
  if (fd_ >= 0) ::close(fd_);
}

bool WrittenFlush::onOutputSystem(const std::string& path) const {
  const auto id = fd_ >= 0 ? identityOf(path) : std::nullopt;
  return id && id->device == device_;
}

bool WrittenFlush::flush(const std::vector<std::string>& written, std::ostream& err) {
  std::set<std::string> folders;
  bool synced = true, wholeSystem = false;
  std::string error;
  for (const std::string& target : written) {
    if (target.empty()) continue;
    foldersOf(target, outDir_, folders);
    if (!outDir_) continue;  // replaced in place: flushed before its rename
    if (onOutputSystem(target)) {
      wholeSystem = true;
    } else if (!syncFile(target, error)) {
      err << "exf: " << target << ": " << error << "\n";
      synced = false;
    }
  }
  for (const std::string& folder : folders) {
    if (onOutputSystem(folder)) continue;
    if (!syncFolder(folder, error)) {
      err << "exf: " << folder << ": " << error << "\n";
      synced = false;
    }
  }
  if (wholeSystem && ::syncfs(fd_) != 0) {
    err << "exf: " << *outDir_ << ": cannot sync the files to the disk: " << std::strerror(errno) << "\n";
    synced = false;
  }
  return synced;
}

}  // namespace exf
