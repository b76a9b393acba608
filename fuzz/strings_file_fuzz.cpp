// Strings files of any bytes: parsing never fails, and every entry is UTF-8.
#include "platform/foundation/ns_string.h"
#include "platform/foundation/strings_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto table = platform::parseStringsFile({data, size});
  for (const auto& [key, value] : table.entries)
    if (!platform::isValidUtf8(key) || !platform::isValidUtf8(value)) std::abort();
  return 0;
}
