// Addresses and formats from any text: escaping always yields an address
// (unless the text has two '#') that decodes back to the text, and
// formatting never misbehaves.
#include "platform/foundation/ns_string.h"
#include "platform/foundation/string_format.h"
#include "platform/foundation/url.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::NSURL::URLWithString(text);
  std::string escaped = platform::stringByAddingPercentEscapesUsingEncoding(text);
  bool oneFragment = std::count(text.begin(), text.end(), '#') <= 1;
  if (!text.empty() && oneFragment && !platform::NSURL::URLWithString(escaped)) std::abort();
  if (platform::isValidUtf8(text) && platform::stringByReplacingPercentEscapesUsingEncoding(escaped) != text)
    std::abort();
  platform::stringWithFormat(text, 1, 2.5, "x");
  return 0;
}
