#pragma once
// NSError: what went wrong, as the platform reports it to the application.
#include <string>

namespace platform {

struct NSError {
  std::string domain;
  int code = 0;
  std::string localizedDescription;
};

// The domain of errors that come from the host's file system; their code
// is the errno value.
inline constexpr const char* kPOSIXErrorDomain = "NSPOSIXErrorDomain";

}  // namespace platform
