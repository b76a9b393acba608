#include "exif/exf_exception.h"

namespace exif {

std::string formatReason(const char* pattern, std::initializer_list<std::string> fills) {
  std::string out;
  auto next = fills.begin();
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && (p[1] == '@' || p[1] == 'c') && next != fills.end()) {
      out += *next++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace exif
