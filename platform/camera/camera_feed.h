#pragma once
// The device's camera feed: what the camera sees when the shutter fires.
//
// The simulator gives it picture files (on the host) with the orientation
// the phone was held in; each shot takes the next one, going round again
// after the last. Without pictures (or for one that cannot be decoded) the
// camera sees a generated test scene that shows the device's clock and
// the loop time, so every shot differs, delivered in the orientation the
// way the device is held gives it (cameraOrientationFor). One feed per
// device (Device::state); main thread only.
#include "platform/device/device.h"
#include "platform/graphics/image.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {


struct CameraFeedPicture {
  std::string hostPath;
  UIImageOrientation orientation = UIImageOrientationUp;
};

class CameraFeed {
 public:
  // Size of a generated picture as stored (landscape, as the sensor takes
  // it); shown turned by its orientation, it reads upright.
  static constexpr int kSceneWidth = 1600, kSceneHeight = 1200;

  static CameraFeed& current();  // the current device's feed
  explicit CameraFeed(Device& device);  // made by Device::state

  void setPictures(std::vector<CameraFeedPicture> pictures);
  const std::vector<CameraFeedPicture>& pictures() const { return pictures_; }

  // The picture of the next shot, moving on to the one after it.
  std::shared_ptr<UIImage> takePicture();
  // What the next shot would see, without moving on.
  std::shared_ptr<UIImage> peekPicture();
  // Shots taken so far.
  std::size_t shotsTaken() const { return shots_; }

 private:
  std::shared_ptr<UIImage> pictureAt(std::size_t shot);

  std::vector<CameraFeedPicture> pictures_;
  std::size_t shots_ = 0;
};

// The orientation of a picture the camera takes with the device held this
// way: portrait Right, landscape left Up, landscape right Down, upside
// down Left. Lying flat (face up or down) or unknown counts as portrait.
UIImageOrientation cameraOrientationFor(UIDeviceOrientation hold);

// Side of the magenta square that marks the generated scene's top-left
// corner, in shown pixels.
inline constexpr int kSceneMarkerSize = 120;

// The generated test scene at loop time `seconds` for shot number `shot`
// (counting from 1): stored kSceneWidth × kSceneHeight and drawn so that,
// turned as `orientation` says, it shows upright (sky above, ground below,
// the marker top left).
std::shared_ptr<UIImage> makeCameraTestScene(double seconds, std::size_t shot,
                                             UIImageOrientation orientation = UIImageOrientationRight);

}  // namespace platform
