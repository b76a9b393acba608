#pragma once
// UIFont: a typeface name and a size in points. Any name is accepted; the
// name's family part (before "-") picks the face through the system's font
// matching, and a name containing "Bold" picks the bold weight.
#include "platform/graphics/geometry.h"

#include <string>

namespace platform {

class UIFont {
 public:
  static UIFont fontWithName(const std::string& name, CGFloat size) { return UIFont(name, size); }
  static UIFont systemFontOfSize(CGFloat size) { return UIFont("Helvetica", size); }
  static UIFont boldSystemFontOfSize(CGFloat size) { return UIFont("Helvetica-Bold", size); }

  const std::string& fontName() const { return name_; }
  CGFloat pointSize() const { return size_; }
  // The same face at another size.
  UIFont fontWithSize(CGFloat size) const { return UIFont(name_, size); }

  std::string familyName() const { return name_.substr(0, name_.find('-')); }
  bool isBold() const { return name_.find("Bold") != std::string::npos; }

  friend bool operator==(const UIFont&, const UIFont&) = default;

 private:
  UIFont(std::string name, CGFloat size) : name_(std::move(name)), size_(size > 0 ? size : 0) {}
  std::string name_;
  CGFloat size_;
};

}  // namespace platform
