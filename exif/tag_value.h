#pragma once
// TagValue: one tag's value, held by value. It is a number (with its storage
// code), a text, byte data, an array of values, an EXFraction, an EXFGPSLoc,
// an EXFGPSTimeStamp, or a nested Directory (the value of a directory
// pointer tag: Exif 34665, GPS 34853, Interoperability 40965).
//
// Directory: a directory dictionary, tag key → value, kept in ascending key
// order (the order the writer emits entries in).
#include "exif/exf_fraction.h"
#include "exif/exf_gps_values.h"
#include "exif/exif_constants.h"
#include "exif/number.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace exif {

class TagValue;
using Array = std::vector<TagValue>;

class Directory {
 public:
  using Entry = std::pair<TagKey, TagValue>;

  Directory();
  Directory(const Directory&);
  Directory(Directory&&) noexcept;
  Directory& operator=(const Directory&);
  Directory& operator=(Directory&&) noexcept;
  ~Directory();

  const TagValue* find(TagKey key) const;
  TagValue* find(TagKey key);
  bool contains(TagKey key) const { return find(key) != nullptr; }
  // Inserts or replaces.
  void set(TagKey key, TagValue value);
  bool erase(TagKey key);
  // The nested directory stored under key, or null.
  const Directory* group(TagKey key) const;
  Directory* group(TagKey key);

  // Defined below TagValue, which they need complete.
  std::size_t size() const;
  bool empty() const;
  void clear();
  void reserve(std::size_t n);
  std::vector<Entry>::const_iterator begin() const;
  std::vector<Entry>::const_iterator end() const;

  friend bool operator==(const Directory&, const Directory&);

 private:
  std::vector<Entry> entries_;
};

// The field type and element count a value was read with. A parsed value
// carries it so that a rewrite writes it back as it was; a caller's value
// has none and follows the tag table.
struct FieldFormat {
  std::int32_t type;
  std::uint32_t count;
  friend bool operator==(const FieldFormat&, const FieldFormat&) = default;
};

class TagValue {
 public:
  using Variant = std::variant<Number, std::string, Bytes, Array, EXFraction, EXFGPSLoc,
                               EXFGPSTimeStamp, Directory>;

  TagValue(Number v) : v_(std::move(v)) {}
  TagValue(std::string v) : v_(std::move(v)) {}
  TagValue(const char* v) : v_(std::string(v)) {}
  TagValue(Bytes v) : v_(std::move(v)) {}
  TagValue(Array v) : v_(std::move(v)) {}
  TagValue(EXFraction v) : v_(v) {}
  TagValue(EXFGPSLoc v) : v_(std::move(v)) {}
  TagValue(EXFGPSTimeStamp v) : v_(std::move(v)) {}
  TagValue(Directory v) : v_(std::move(v)) {}

  const Variant& variant() const { return v_; }
  template <class T> const T* get() const { return std::get_if<T>(&v_); }
  template <class T> T* get() { return std::get_if<T>(&v_); }
  template <class T> bool is() const { return std::holds_alternative<T>(v_); }

  // The platform-style description used in exception reasons: numbers and
  // fractions as decimal text, texts as they are, data as <hex>, arrays as
  // (a, b), directories as {key = value; ...}.
  std::string description() const;
  // The name of the value's kind ("NSNumber", "NSString", "NSData",
  // "NSArray", "EXFraction", "EXFGPSLoc", "EXFGPSTimeStamp", "NSDictionary").
  std::string_view kindName() const;

  const std::optional<FieldFormat>& fileFormat() const { return fileFormat_; }
  void setFileFormat(std::optional<FieldFormat> f) { fileFormat_ = f; }

  // Compares the values alone, not where they came from.
  friend bool operator==(const TagValue& a, const TagValue& b) { return a.v_ == b.v_; }

 private:
  Variant v_;
  std::optional<FieldFormat> fileFormat_;
};

inline std::size_t Directory::size() const { return entries_.size(); }
inline bool Directory::empty() const { return entries_.empty(); }
inline void Directory::clear() { entries_.clear(); }
inline void Directory::reserve(std::size_t n) { entries_.reserve(n); }
inline std::vector<Directory::Entry>::const_iterator Directory::begin() const { return entries_.begin(); }
inline std::vector<Directory::Entry>::const_iterator Directory::end() const { return entries_.end(); }

}  // namespace exif
