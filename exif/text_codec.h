#pragma once
// Text conversions for EXIF fields. Results are UTF-8; std::nullopt means the
// bytes are not valid text in the given encoding.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace exif {

// A text's ASCII form exists when every byte is below 0x80.
bool isAscii(std::string_view text);
// Bytes below 0x80 only, copied as they are (NUL included).
std::optional<std::string> asciiText(const std::uint8_t* bytes, std::size_t length);
// UTF-16 with an optional byte-order mark; without one, `bigEndian` decides.
std::optional<std::string> utf16ToUtf8(const std::uint8_t* bytes, std::size_t length,
                                       bool bigEndian);
// Shift-JIS, through the C library's converter.
std::optional<std::string> shiftJisToUtf8(const std::uint8_t* bytes, std::size_t length);
// UTF-8 → UTF-16 code units; empty when the text is not valid UTF-8.
std::optional<std::u16string> utf8ToUtf16(std::string_view text);

}  // namespace exif
