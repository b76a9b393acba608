#include "exif/tag_value.h"

#include <algorithm>

namespace exif {

Directory::Directory() = default;
Directory::Directory(const Directory&) = default;
Directory::Directory(Directory&&) noexcept = default;
Directory& Directory::operator=(const Directory&) = default;
Directory& Directory::operator=(Directory&&) noexcept = default;
Directory::~Directory() = default;

namespace {
auto lowerBound(auto& entries, TagKey key) {
  return std::lower_bound(entries.begin(), entries.end(), key,
                          [](const auto& e, TagKey k) { return e.first < k; });
}
}  // namespace

const TagValue* Directory::find(TagKey key) const {
  auto it = lowerBound(entries_, key);
  return it != entries_.end() && it->first == key ? &it->second : nullptr;
}

TagValue* Directory::find(TagKey key) {
  auto it = lowerBound(entries_, key);
  return it != entries_.end() && it->first == key ? &it->second : nullptr;
}

void Directory::set(TagKey key, TagValue value) {
  // Parsed directories arrive in ascending order: appending is the fast path.
  if (entries_.empty() || entries_.back().first < key) {
    entries_.emplace_back(key, std::move(value));
    return;
  }
  auto it = lowerBound(entries_, key);
  if (it != entries_.end() && it->first == key)
    it->second = std::move(value);
  else
    entries_.emplace(it, key, std::move(value));
}

bool Directory::erase(TagKey key) {
  auto it = lowerBound(entries_, key);
  if (it == entries_.end() || it->first != key) return false;
  entries_.erase(it);
  return true;
}

const Directory* Directory::group(TagKey key) const {
  const TagValue* v = find(key);
  return v ? v->get<Directory>() : nullptr;
}

Directory* Directory::group(TagKey key) {
  TagValue* v = find(key);
  return v ? v->get<Directory>() : nullptr;
}

bool operator==(const Directory& a, const Directory& b) { return a.entries_ == b.entries_; }

namespace {

std::string hexOf(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "<";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % 4 == 0) out += ' ';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0xF];
  }
  return out + ">";
}

struct Describe {
  std::string operator()(const Number& n) const { return n.description(); }
  std::string operator()(const std::string& s) const { return s; }
  std::string operator()(const Bytes& b) const { return hexOf(b); }
  std::string operator()(const Array& a) const {
    std::string out = "(";
    for (std::size_t i = 0; i < a.size(); ++i) out += (i ? ", " : "") + a[i].description();
    return out + ")";
  }
  std::string operator()(const EXFraction& f) const { return f.description(); }
  std::string operator()(const EXFGPSLoc& g) const { return g.description(); }
  std::string operator()(const EXFGPSTimeStamp& t) const { return t.description(); }
  std::string operator()(const Directory& d) const {
    std::string out = "{";
    for (const auto& [key, value] : d)
      out += std::to_string(key) + " = " + value.description() + "; ";
    return out + "}";
  }
};

struct KindName {
  std::string_view operator()(const Number&) const { return "NSNumber"; }
  std::string_view operator()(const std::string&) const { return "NSString"; }
  std::string_view operator()(const Bytes&) const { return "NSData"; }
  std::string_view operator()(const Array&) const { return "NSArray"; }
  std::string_view operator()(const EXFraction&) const { return "EXFraction"; }
  std::string_view operator()(const EXFGPSLoc&) const { return "EXFGPSLoc"; }
  std::string_view operator()(const EXFGPSTimeStamp&) const { return "EXFGPSTimeStamp"; }
  std::string_view operator()(const Directory&) const { return "NSDictionary"; }
};

}  // namespace

std::string TagValue::description() const { return std::visit(Describe{}, v_); }
std::string_view TagValue::kindName() const { return std::visit(KindName{}, v_); }

}  // namespace exif
