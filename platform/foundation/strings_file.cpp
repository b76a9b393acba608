#include "platform/foundation/strings_file.h"

#include "platform/foundation/utf8.h"

#include <algorithm>

namespace platform {
namespace {

// UTF-16 code units to UTF-8, for the file's encoding and for \U escapes.
// A high surrogate waits for the low one that completes it; an unpaired
// surrogate becomes U+FFFD.
class Utf16Joiner {
 public:
  explicit Utf16Joiner(std::string& out) : out_(out) {}

  void add(char32_t unit) {
    if (unit >= 0xDC00 && unit <= 0xDFFF && high_) {
      utf8::append(out_, 0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00));
      high_ = 0;
      return;
    }
    flush();
    if (unit >= 0xD800 && unit <= 0xDBFF)
      high_ = unit;
    else
      utf8::append(out_, unit);  // a lone low surrogate becomes U+FFFD
  }

  // Ends a run of code units: a high surrogate still waiting is unpaired.
  void flush() {
    if (high_) utf8::append(out_, 0xFFFD);
    high_ = 0;
  }

 private:
  std::string& out_;
  char32_t high_ = 0;
};

std::string decodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian) {
  std::string out;
  Utf16Joiner units(out);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.add(bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]));
  units.flush();
  return out;
}

std::string sanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  utf8::forEachCodePoint(text, [&](char32_t c) { utf8::append(out, c == utf8::kInvalid ? 0xFFFD : c); });
  return out;
}

constexpr bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_$+/:.-").find(c) != std::string_view::npos;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  StringsTable run() {
    StringsTable table;
    while (true) {
      if (!skipSpaceAndComments()) {
        table.issues.push_back({lineOf(error_at_), error_});
        at_ = nextLineAfter(error_at_);
        continue;
      }
      if (at_ >= text_.size()) break;
      std::size_t start = at_;
      std::string key, value;
      if (entry(key, value)) {
        table.entries[std::move(key)] = std::move(value);
      } else {
        table.issues.push_back({lineOf(start), error_});
        at_ = nextLineAfter(start);
      }
    }
    return table;
  }

 private:
  bool failAt(std::size_t where, std::string message) {
    error_at_ = where;
    error_ = std::move(message);
    return false;
  }

  bool skipSpaceAndComments() {
    while (at_ < text_.size()) {
      char c = text_[at_];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        ++at_;
      } else if (text_.substr(at_, 2) == "//") {
        auto end = text_.find('\n', at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else if (text_.substr(at_, 2) == "/*") {
        auto end = text_.find("*/", at_ + 2);
        if (end == std::string_view::npos) return failAt(at_, "unterminated comment");
        at_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  bool entry(std::string& key, std::string& value) {
    if (!token(key)) return false;
    if (!skipSpaceAndComments()) return false;
    if (at_ < text_.size() && text_[at_] == ';') {
      ++at_;
      value = key;
      return true;
    }
    if (at_ >= text_.size() || text_[at_] != '=') return failAt(at_, "expected '=' after the key");
    ++at_;
    if (!skipSpaceAndComments() || !token(value) || !skipSpaceAndComments()) return false;
    if (at_ >= text_.size() || text_[at_] != ';') return failAt(at_, "expected ';' after the value");
    ++at_;
    return true;
  }

  bool token(std::string& out) {
    if (at_ >= text_.size()) return failAt(at_, "unexpected end of file");
    if (text_[at_] == '"') return quoted(out);
    std::size_t start = at_;
    while (at_ < text_.size() && isWordChar(text_[at_])) ++at_;
    if (at_ == start) return failAt(at_, "expected a quoted text or a word");
    out.assign(text_.substr(start, at_ - start));
    return true;
  }

  bool quoted(std::string& out) {
    std::size_t open = at_++;
    out.clear();
    Utf16Joiner escapes(out);  // \U escapes may spell a surrogate pair
    while (at_ < text_.size()) {
      char c = text_[at_++];
      if (c == '"') {
        escapes.flush();
        return true;
      }
      if (c != '\\') {
        escapes.flush();
        out += c;
        continue;
      }
      if (at_ >= text_.size()) break;
      char e = text_[at_++];
      if (e == 'U' || e == 'u') {
        char32_t unit = 0;
        int digits = 0;
        while (digits < 4 && at_ < text_.size() && hexDigit(text_[at_]) >= 0)
          unit = unit * 16 + hexDigit(text_[at_++]), ++digits;
        if (digits == 0) {
          escapes.flush();
          out += e;
        } else {
          escapes.add(unit);
        }
        continue;
      }
      escapes.flush();
      if (e >= '0' && e <= '7') {
        char32_t code = e - '0';
        for (int k = 0; k < 2 && at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '7'; ++k)
          code = code * 8 + (text_[at_++] - '0');
        utf8::append(out, code);
        continue;
      }
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        default: out += e;  // \" \\ \' and any other character stand for themselves
      }
    }
    return failAt(open, "unterminated quoted text");
  }

  int lineOf(std::size_t position) const {
    position = std::min(position, text_.size());
    return 1 + int(std::count(text_.begin(), text_.begin() + position, '\n'));
  }

  std::size_t nextLineAfter(std::size_t position) const {
    auto end = text_.find('\n', position);
    return end == std::string_view::npos ? text_.size() : end + 1;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t error_at_ = 0;
  std::string error_;
};

}  // namespace

StringsTable parseStringsText(std::string_view utf8) {
  std::string clean = sanitizeUtf8(utf8);
  return Parser(clean).run();
}

StringsTable parseStringsFile(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    std::string text = decodeUtf16(bytes.subspan(2), bytes[0] == 0xFE);
    return Parser(text).run();
  }
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    bytes = bytes.subspan(3);
  return parseStringsText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace platform
