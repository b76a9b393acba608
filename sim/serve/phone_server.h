#pragma once
// PhoneServer: the browser phone's HTTP side (cpp-httplib). It serves the
// page (files of the page's folder), the camera roll's files and EXIF
// thumbnails, the phone's state and screen, the event stream, and the
// controls, as the JSON API README.md describes. Every request must name
// the served address (Host, and Origin when sent); bodies have a size
// limit; a bad request gets a 4xx with {"error": "..."} and changes
// nothing. Its threads never touch the phone: controls run on the main
// run loop through callOnMainThread.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace holdstill::sim::serve {

class PhoneControls;
class PhoneFeed;
class ScreenMonitor;

struct ServerSetup {
  std::string host = "127.0.0.1";
  int port = 8080;  // 0: any free port
  std::filesystem::path pageFolder;
  std::filesystem::path cameraRoll;
  std::filesystem::path walk;  // the bundled GPX walk
};

class PhoneServer {
 public:
  // Largest request bodies: a GPX upload, and anything else.
  static constexpr std::size_t kMaxTrackBody = 4 << 20, kMaxBody = 16 << 10;
  // Event streams open at once (each holds a server thread).
  static constexpr int kMaxStreams = 8;

  // `quit` asks the phone to shut down; called on a server thread.
  PhoneServer(ServerSetup setup, PhoneFeed& feed, ScreenMonitor& monitor, PhoneControls& controls,
              std::function<void()> quit);
  ~PhoneServer();  // stops

  // Takes the address; returns the port. Throws CommandError when it cannot.
  int bind();
  // Serves on a thread of its own until stop().
  void start();
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace holdstill::sim::serve
