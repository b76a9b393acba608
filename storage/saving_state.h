#pragma once
// The state the save worker and the main thread share. Each value is
// guarded (or atomic), so either thread may read or write it at any time.
#include "exif/exif_constants.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace holdstill {

// A value behind a lock of its own; reads hand out copies.
template <class T>
class Guarded {
 public:
  Guarded() = default;
  explicit Guarded(T value) : value_(std::move(value)) {}
  T get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void set(T value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

// True while the album service has not completed the current save.
extern std::atomic<bool> _bBusySaving;
// The camera-roll listing taken before the current album save; empty when
// none was taken or the folder did not exist.
extern Guarded<std::optional<std::vector<std::string>>> varrFileBefore;
// The composed application thumbnail; null until the capture screen has
// built its view with GPS recording on.
extern Guarded<std::shared_ptr<const exif::Bytes>> _processedThumb;

// Back to the values before launch, save records included (tests). No
// save may be running.
void resetSavingStateForTesting();

}  // namespace holdstill
