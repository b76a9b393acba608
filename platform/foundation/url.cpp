#include "platform/foundation/url.h"

#include "platform/foundation/file_manager.h"
#include "platform/foundation/ns_string.h"

namespace platform {
namespace {

constexpr bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Characters a URL may hold as they are (besides '%' escapes, '#' and the
// host's brackets, which have rules of their own).
constexpr bool isUrlChar(char c) {
  return isAlpha(c) || isDigit(c) || std::string_view("-._~!$&'()*+,;=:/?@").find(c) != std::string_view::npos;
}

int hexValue(char c) { return isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

std::string escape(std::string_view text, std::string_view alsoAllowed) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    if (isAlpha(c) || isDigit(c) || (c != '\0' && alsoAllowed.find(c) != std::string_view::npos)) {
      out += c;
    } else {
      auto b = (unsigned char)c;
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

// RFC 3986's remove_dot_segments.
std::string removeDotSegments(std::string_view in) {
  std::string out;
  while (!in.empty()) {
    if (in.starts_with("../")) {
      in.remove_prefix(3);
    } else if (in.starts_with("./")) {
      in.remove_prefix(2);
    } else if (in.starts_with("/./")) {
      in.remove_prefix(2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.starts_with("/../") || in == "/..") {
      in = in.size() == 3 ? std::string_view("/") : in.substr(3);
      const auto slash = out.rfind('/');
      out.erase(slash == std::string::npos ? 0 : slash);
    } else if (in == "." || in == "..") {
      in = {};
    } else {
      const auto next = in.find('/', in[0] == '/' ? 1 : 0);
      const auto take = next == std::string_view::npos ? in.size() : next;
      out.append(in.substr(0, take));
      in.remove_prefix(take);
    }
  }
  return out;
}

}  // namespace

std::optional<NSURL> NSURL::URLWithString(std::string_view text, const NSURL& base) {
  // The empty reference is the base itself (no address on its own).
  if (text.empty()) return NSURL(base.absoluteStringWithoutFragment());
  auto ref = URLWithString(text);
  if (!ref) return std::nullopt;
  const NSURL& r = *ref;
  auto piece = [](const NSURL& u, std::size_t from, std::size_t to) {
    return std::string_view(u.text_).substr(from, to - from);
  };
  auto path = [&](const NSURL& u) { return piece(u, u.authorityEnd_, u.pathEnd_); };
  auto query = [&](const NSURL& u) { return piece(u, u.pathEnd_, u.queryEnd_); };  // with '?'
  auto authority = [&](const NSURL& u) {
    return u.hasAuthority_ ? "//" + std::string(piece(u, u.authorityBegin_, u.authorityEnd_))
                           : std::string();
  };
  std::string out;
  if (r.hasScheme_) {
    out = std::string(piece(r, 0, r.schemeEnd_ + 1)) + authority(r) + removeDotSegments(path(r)) +
          std::string(query(r));
  } else {
    out = base.hasScheme_ ? std::string(piece(base, 0, base.schemeEnd_ + 1)) : std::string();
    if (r.hasAuthority_) {
      out += authority(r) + removeDotSegments(path(r)) + std::string(query(r));
    } else {
      out += authority(base);
      if (path(r).empty()) {
        out += std::string(path(base)) + std::string(query(r).empty() ? query(base) : query(r));
      } else if (path(r).front() == '/') {
        out += removeDotSegments(path(r)) + std::string(query(r));
      } else {
        std::string merged;
        if (base.hasAuthority_ && path(base).empty()) {
          merged = "/" + std::string(path(r));
        } else {
          const auto b = path(base);
          const auto slash = b.rfind('/');
          merged = std::string(slash == std::string_view::npos ? "" : b.substr(0, slash + 1)) +
                   std::string(path(r));
        }
        out += removeDotSegments(merged) + std::string(query(r));
      }
    }
  }
  if (r.queryEnd_ < r.text_.size()) out += r.text_.substr(r.queryEnd_);
  return URLWithString(out);
}

NSURL::NSURL(std::string text) : text_(std::move(text)) {
  // scheme ":" ["//" authority] path ["?" query] ["#" fragment]
  std::size_t at = 0;
  std::size_t colon = text_.find_first_of(":/?#");
  if (colon != std::string::npos && colon > 0 && text_[colon] == ':' && isAlpha(text_[0]) &&
      text_.find_first_not_of(
          "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.") >= colon) {
    hasScheme_ = true;
    schemeEnd_ = colon;
    at = colon + 1;
  }
  if (text_.compare(at, 2, "//") == 0) {
    hasAuthority_ = true;
    authorityBegin_ = at + 2;
    authorityEnd_ = std::min(text_.find_first_of("/?#", authorityBegin_), text_.size());
    at = authorityEnd_;
  } else {
    authorityBegin_ = authorityEnd_ = at;
  }
  pathEnd_ = std::min(text_.find_first_of("?#", at), text_.size());
  queryEnd_ = std::min(text_.find('#', pathEnd_), text_.size());
}

std::optional<NSURL> NSURL::URLWithString(std::string_view text) {
  if (text.empty()) return std::nullopt;
  bool fragment = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
      i += 2;
    } else if (c == '#') {
      if (fragment) return std::nullopt;
      fragment = true;
    } else if (c != '[' && c != ']' && !isUrlChar(c)) {
      return std::nullopt;
    }
  }
  NSURL url{std::string(text)};
  // Brackets belong around the host only: "[" at its start, "]" before an optional ":port".
  for (std::size_t i = 0; i < url.text_.size(); ++i) {
    char c = url.text_[i];
    if (c != '[' && c != ']') continue;
    bool inAuthority = url.hasAuthority_ && i >= url.authorityBegin_ && i < url.authorityEnd_;
    if (!inAuthority) return std::nullopt;
  }
  if (url.hasAuthority_) {
    std::string_view authority(url.text_.data() + url.authorityBegin_, url.authorityEnd_ - url.authorityBegin_);
    auto hostStart = authority.find('@') == std::string_view::npos ? 0 : authority.find('@') + 1;
    auto open = authority.find('['), close = authority.find(']');
    bool any = open != std::string_view::npos || close != std::string_view::npos;
    if (any) {
      bool wellPlaced = open == hostStart && close != std::string_view::npos && close > open &&
                        authority.find('[', open + 1) == std::string_view::npos &&
                        authority.find(']', close + 1) == std::string_view::npos &&
                        (close + 1 == authority.size() || authority[close + 1] == ':');
      if (!wellPlaced) return std::nullopt;
    }
  }
  return url;
}

NSURL NSURL::fileURLWithPath(std::string_view devicePath) {
  bool isDirectory = false;
  NSFileManager::defaultManager().fileExistsAtPath(devicePath, &isDirectory);
  return fileURLWithPath(devicePath, isDirectory);
}

NSURL NSURL::fileURLWithPath(std::string_view devicePath, bool isDirectory) {
  std::string path(devicePath);
  if (path.empty() || path[0] != '/') path.insert(0, "/");
  if (isDirectory && path.back() != '/') path += '/';
  return NSURL("file://" + escape(path, "-._~!$&'()*+,;=:@/"));
}

std::string NSURL::scheme() const { return hasScheme_ ? text_.substr(0, schemeEnd_) : std::string(); }

std::string NSURL::path() const {
  std::string_view raw(text_.data() + authorityEnd_, pathEnd_ - authorityEnd_);
  auto decoded = stringByReplacingPercentEscapesUsingEncoding(raw);
  return decoded ? *decoded : std::string(raw);
}

std::string NSURL::fragment() const {
  return queryEnd_ < text_.size() ? text_.substr(queryEnd_ + 1) : std::string();
}

std::string stringByAddingPercentEscapesUsingEncoding(std::string_view text) {
  return escape(text, "!$&'()*+,-./:;=?@_~#");
}

std::optional<std::string> stringByReplacingPercentEscapesUsingEncoding(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
    out += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
    i += 2;
  }
  if (!isValidUtf8(out)) return std::nullopt;
  return out;
}

}  // namespace platform
