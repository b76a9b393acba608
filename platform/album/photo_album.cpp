#include "platform/album/photo_album.h"

#include "platform/album/album_exif.h"

#include "platform/device/device.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/string_format.h"
#include "platform/runloop/thread.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace platform {
namespace {

constexpr CGFloat kAlbumQuality = 0.9;

// Writes the bytes as the next free IMG_%04d.JPG of `folder`; the device
// path written, or empty with `error` set.
std::string writeNextPicture(const std::vector<uint8_t>& bytes, const std::string& folder, NSError& error) {
  const NSFileManager& files = NSFileManager::defaultManager();
  if (!files.createDirectoryAtPath(folder, true, &error)) return {};
  int highest = 0;
  for (const std::string& name : files.contentsOfDirectoryAtPath(folder).value_or(std::vector<std::string>{}))
    highest = std::max(highest, cameraRollNumber(name));
  for (int number = highest + 1;; ++number) {
    const std::string path = folder + stringWithFormat("IMG_%04d.JPG", number);
    if (writeToFileIfAbsent(bytes, path, &error)) return path;
    if (error.code != EEXIST) return {};
  }
}

}  // namespace

int cameraRollNumber(std::string_view name) {
  constexpr std::string_view prefix = "IMG_", suffix = ".JPG";
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
    return -1;
  const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  int number = -1;
  const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (failure != std::errc() || end != digits.data() + digits.size() || digits.front() == '-') return -1;
  return number;
}

PhotoAlbum& PhotoAlbum::current() { return Device::current()->state<PhotoAlbum>(); }

void PhotoAlbum::failAt(int n, NSError error) {
  std::lock_guard lock(mutex_);
  faults_[n] = Fault{Fault::Kind::Fail, std::move(error), {}, 0};
}

void PhotoAlbum::elsewhereAt(int n, std::string folder) {
  std::lock_guard lock(mutex_);
  faults_[n] = Fault{Fault::Kind::Elsewhere, {}, std::move(folder), 0};
}

void PhotoAlbum::lateAt(int n, TimeInterval seconds) {
  std::lock_guard lock(mutex_);
  faults_[n] = Fault{Fault::Kind::Late, {}, {}, seconds};
}

void PhotoAlbum::neverAt(int n) {
  std::lock_guard lock(mutex_);
  faults_[n] = Fault{Fault::Kind::Never, {}, {}, 0};
}

void PhotoAlbum::setWorkSeconds(TimeInterval seconds) {
  std::lock_guard lock(mutex_);
  workSeconds_ = std::max(0.0, seconds);
}

int PhotoAlbum::saveCount() const {
  std::lock_guard lock(mutex_);
  return saves_;
}

std::vector<std::string> PhotoAlbum::writtenPaths() const {
  std::lock_guard lock(mutex_);
  return written_;
}

PhotoAlbum::Plan PhotoAlbum::beginSave() {
  std::lock_guard lock(mutex_);
  Plan plan;
  plan.number = ++saves_;
  plan.workSeconds = workSeconds_;
  if (auto found = faults_.find(plan.number); found != faults_.end()) plan.fault = found->second;
  return plan;
}

void PhotoAlbum::recordWrite(std::string devicePath) {
  std::lock_guard lock(mutex_);
  written_.push_back(std::move(devicePath));
}

std::vector<PhotoAlbum::Outcome> PhotoAlbum::outcomes() const {
  std::lock_guard lock(mutex_);
  return outcomes_;
}

void PhotoAlbum::recordOutcome(Outcome outcome) {
  std::lock_guard lock(mutex_);
  outcomes_.push_back(std::move(outcome));
}

void UIImageWriteToSavedPhotosAlbum(std::shared_ptr<UIImage> image, UIImageWriteCompletion completion,
                                    void* contextInfo) {
  PhotoAlbum& album = PhotoAlbum::current();
  const PhotoAlbum::Plan plan = album.beginSave();
  const TimeInterval start = RunLoop::main().now();
  AlbumShotFacts facts = currentShotFacts();
  NSThread::detachNewThread([&album, plan, start, facts = std::move(facts), image = std::move(image),
                             completion = std::move(completion), contextInfo] {
    using Kind = PhotoAlbum::Fault::Kind;
    const auto kind = plan.fault ? std::optional(plan.fault->kind) : std::nullopt;
    std::optional<NSError> error;
    std::string path;
    if (!image) {
      error = NSError{"ALAssetsLibraryErrorDomain", -3304, "No picture to save"};
    } else if (kind == Kind::Fail) {
      error = plan.fault->error;
    } else {
      const std::vector<uint8_t> bytes = albumJPEG(image, kAlbumQuality, facts);
      const std::string folder = kind == Kind::Elsewhere ? plan.fault->folder : std::string(kCameraRollFolder);
      NSError writeError;
      path = writeNextPicture(bytes, folder, writeError);
      if (path.empty())
        error = writeError;
      else
        album.recordWrite(path);
    }
    NSThread::sleepUntilDate(start + plan.workSeconds + (kind == Kind::Late ? plan.fault->delay : 0));
    if (kind == Kind::Never) return;
    RunLoop::main().post([&album, number = plan.number, path, image, completion, contextInfo, error] {
      album.recordOutcome({number, path, error});
      if (completion) completion(image, error ? &*error : nullptr, contextInfo);
    });
  });
}

}  // namespace platform
