#pragma once
// NSURL: an address the platform accepts, and the percent escaping the
// application applies before making one.
//
// URLWithString accepts a text made only of letters, digits, the marks
// - . _ ~ ! $ & ' ( ) * + , ; = : / ? @, one '#' before the fragment,
// '[' and ']' around the host, and '%' followed by two hex digits. Anything
// else (spaces, quotes, < > \ ^ ` { | }, control characters, non-ASCII
// bytes, a stray '%', a second '#') makes it no address, as does the empty
// text.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class NSURL {
 public:
  // The address of `text`, or nothing when it is not a valid address.
  static std::optional<NSURL> URLWithString(std::string_view text);
  // The same; the platform's initializer form.
  static std::optional<NSURL> initWithString(std::string_view text) { return URLWithString(text); }
  // `text` read as a reference relative to `base` ("../de.lproj/a.htm",
  // "#top", "/x", "mailto:a@b"), resolved as browsers resolve links:
  // "." and ".." steps are taken out of the path. Nothing when `text`
  // is not a valid address or reference.
  static std::optional<NSURL> URLWithString(std::string_view text, const NSURL& base);
  // "file://" and the escaped device path; a folder's address ends in "/".
  // Whether the path is a folder is asked of the file system.
  static NSURL fileURLWithPath(std::string_view devicePath);
  static NSURL fileURLWithPath(std::string_view devicePath, bool isDirectory);

  const std::string& absoluteString() const { return text_; }
  std::string scheme() const;    // "http"; empty when there is none
  std::string path() const;      // percent escapes decoded
  std::string fragment() const;  // as written, without '#'
  bool isFileURL() const { return scheme() == "file"; }
  // The address without its fragment ("#...").
  std::string absoluteStringWithoutFragment() const { return text_.substr(0, queryEnd_); }

  friend bool operator==(const NSURL&, const NSURL&) = default;

 private:
  explicit NSURL(std::string text);
  std::string text_;
  // Spans of text_: [begin, end)
  std::size_t schemeEnd_ = 0, authorityBegin_ = 0, authorityEnd_ = 0, pathEnd_ = 0, queryEnd_ = 0;
  bool hasScheme_ = false, hasAuthority_ = false;
};

// Percent-escapes the UTF-8 bytes of `text` that a URL does not allow as
// they are: every byte except letters, digits and ! $ & ' ( ) * + , - . /
// : ; = ? @ _ ~ #. '%' itself is escaped too, so "%20" becomes "%2520".
std::string stringByAddingPercentEscapesUsingEncoding(std::string_view text);
// Decodes %XX escapes; nothing when an escape is malformed or the result is
// not UTF-8.
std::optional<std::string> stringByReplacingPercentEscapesUsingEncoding(std::string_view text);

}  // namespace platform
