#pragma once
// Reader of the platform's strings files (Localizable.strings):
//
//   /* comment */  // comment
//   "key" = "value";
//   key = value;          words of letters, digits and _$+/:.- need no quotes
//   "key";                the value is the key itself
//
// Quoted texts may span lines and hold the escapes \" \\ \n \t \r \a \b \f
// \v, \UXXXX or \uXXXX (one to four hex digits; surrogate pairs joined) and
// octal \NNN. The file is UTF-8 (a byte-order mark is skipped) or, with its
// byte-order mark, UTF-16 in either byte order; malformed UTF-8 becomes
// U+FFFD.
//
// A syntax error loses only the broken entry: reading goes on at the next
// line after the one where that entry began. When a key appears twice, the
// later entry wins.
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct StringsFileIssue {
  int line = 0;  // 1-based line where the broken entry began
  std::string message;
};

struct StringsTable {
  std::map<std::string, std::string> entries;
  std::vector<StringsFileIssue> issues;
};

StringsTable parseStringsFile(std::span<const std::uint8_t> bytes);
StringsTable parseStringsText(std::string_view utf8);

}  // namespace platform
