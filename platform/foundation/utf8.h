#pragma once
// UTF-8 decoding and encoding for the foundation's text handling.
#include <string>
#include <string_view>

namespace platform::utf8 {

// Stands for one malformed byte (a bad lead byte, a truncated or overlong
// sequence, a surrogate or a value past U+10FFFF).
inline constexpr char32_t kInvalid = 0xFFFFFFFF;

// Calls fn(codePoint) for each character of `text`, and fn(kInvalid) for
// each byte that does not start a well-formed sequence.
template <class Fn>
void forEachCodePoint(std::string_view text, Fn&& fn) {
  std::size_t i = 0;
  while (i < text.size()) {
    auto b0 = (unsigned char)text[i];
    if (b0 < 0x80) {
      fn(char32_t(b0));
      ++i;
      continue;
    }
    int length = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 <= 0xDF ? 2 : 0;
    if (b0 > 0xF4) length = 0;
    char32_t c = length == 2 ? b0 & 0x1F : length == 3 ? b0 & 0x0F : b0 & 0x07;
    bool ok = length != 0 && i + length <= text.size();
    for (int k = 1; ok && k < length; ++k) {
      auto b = (unsigned char)text[i + k];
      ok = (b & 0xC0) == 0x80;
      c = (c << 6) | (b & 0x3F);
    }
    ok = ok && !(length == 3 && c < 0x800) && !(length == 4 && (c < 0x10000 || c > 0x10FFFF)) &&
         !(c >= 0xD800 && c <= 0xDFFF);
    if (!ok) {
      fn(kInvalid);
      ++i;
      continue;
    }
    fn(c);
    i += length;
  }
}

// Appends the UTF-8 form of `c` (U+FFFD for a surrogate or a value past U+10FFFF).
inline void append(std::string& out, char32_t c) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace platform::utf8
