#pragma once
// The photo album: UIImageWriteToSavedPhotosAlbum and the camera roll.
//
// A save runs on a platform thread of its own: it encodes the picture as a
// JPEG (the stored pixels at quality 0.9, with the EXIF block of
// album_exif.h: orientation, size, make, model, time taken), lets the album's working time
// pass in loop time, writes the file as the next IMG_%04d.JPG of the
// camera-roll folder (one above the highest number there, never over an
// existing file), and then calls the completion on the main thread with
// the picture, an error or none, and the caller's context value.
//
// Faults for tests and scenarios, chosen per save (saves are counted from 1
// on each device): fail with an error and write nothing; write into another
// folder; complete some seconds late; never complete.
#include "platform/foundation/error.h"
#include "platform/graphics/image.h"
#include "platform/runloop/run_loop.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Device;

// The camera-roll folder, with its final slash.
inline constexpr std::string_view kCameraRollFolder = "/private/var/mobile/Media/DCIM/100APPLE/";

// `error` is null on success. `contextInfo` is the value given to the save,
// not owned by the album.
using UIImageWriteCompletion =
    std::function<void(const std::shared_ptr<UIImage>& image, const NSError* error, void* contextInfo)>;

// Saves the picture to the current device's album; a null picture completes
// with an error. Any thread.
void UIImageWriteToSavedPhotosAlbum(std::shared_ptr<UIImage> image, UIImageWriteCompletion completion,
                                    void* contextInfo);

class PhotoAlbum {
 public:
  struct Fault {
    enum class Kind { Fail, Elsewhere, Late, Never };
    Kind kind = Kind::Fail;
    NSError error;           // Fail
    std::string folder;      // Elsewhere: a device folder, with its final slash
    TimeInterval delay = 0;  // Late
  };
  static constexpr TimeInterval kDefaultWorkSeconds = 1.0;
  static constexpr std::string_view kElsewhereFolder = "/private/var/mobile/Media/DCIM/101APPLE/";

  explicit PhotoAlbum(Device&) {}
  // The current device's album; it lives as long as that device.
  static PhotoAlbum& current();

  // ---- fault injection, for save number `n` (1 = the first save)
  void failAt(int n, NSError error = {"ALAssetsLibraryErrorDomain", -3301, "Write busy"});
  void elsewhereAt(int n, std::string folder = std::string(kElsewhereFolder));
  void lateAt(int n, TimeInterval seconds);
  void neverAt(int n);
  // Loop time a save takes between its start and its completion.
  void setWorkSeconds(TimeInterval seconds);

  // ---- what happened
  int saveCount() const;                         // saves started
  std::vector<std::string> writtenPaths() const;  // device paths, in order
  // A save that has completed: the device path it wrote (empty for none)
  // and the error it reported.
  struct Outcome {
    int number = 0;
    std::string path;
    std::optional<NSError> error;
  };
  // Completed saves, in the order of their completions.
  std::vector<Outcome> outcomes() const;

  // Used by UIImageWriteToSavedPhotosAlbum.
  struct Plan {
    int number = 0;
    TimeInterval workSeconds = kDefaultWorkSeconds;
    std::optional<Fault> fault;
  };
  Plan beginSave();
  void recordWrite(std::string devicePath);
  void recordOutcome(Outcome outcome);

 private:
  mutable std::mutex mutex_;
  std::map<int, Fault> faults_;
  TimeInterval workSeconds_ = kDefaultWorkSeconds;
  int saves_ = 0;
  std::vector<std::string> written_;
  std::vector<Outcome> outcomes_;
};

// The number in a camera-roll name "IMG_<digits>.JPG", or -1 for any other name.
int cameraRollNumber(std::string_view fileName);

}  // namespace platform
