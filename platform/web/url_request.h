#pragma once
// NSURLRequest: a request to load one address.
#include "platform/foundation/url.h"

namespace platform {

class NSURLRequest {
 public:
  explicit NSURLRequest(NSURL url) : url_(std::move(url)) {}
  static NSURLRequest requestWithURL(NSURL url) { return NSURLRequest(std::move(url)); }
  const NSURL& URL() const { return url_; }

 private:
  NSURL url_;
};

}  // namespace platform
