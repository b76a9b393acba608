#include "platform/ui/label.h"

#include "platform/graphics/graphics_stack.h"

#include <algorithm>
#include <vector>

namespace platform {
namespace {

// Cuts `line` short with "…" until it fits `width`.
std::string truncateTail(std::string line, const UIFont& font, CGFloat width) {
  if (sizeWithFont(line, font).width <= width) return line;
  const std::string ellipsis = "\xe2\x80\xa6";
  while (!line.empty()) {
    size_t cut = line.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xc0) == 0x80) --cut;
    line.erase(cut);
    if (sizeWithFont(line + ellipsis, font).width <= width) break;
  }
  return line + ellipsis;
}

}  // namespace

UILabel::UILabel(CGRect frame) : UIView(frame) {
  setUserInteractionEnabled(false);
  setBackgroundColor(UIColor::whiteColor());
}

void UILabel::setText(const std::string& text) {
  text_ = text;
  setNeedsDisplay();
}
void UILabel::setFont(const UIFont& font) {
  font_ = font;
  setNeedsDisplay();
}
void UILabel::setTextColor(const UIColor& color) {
  textColor_ = color;
  setNeedsDisplay();
}
void UILabel::setTextAlignment(UITextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}
void UILabel::setNumberOfLines(int lines) {
  numberOfLines_ = std::max(0, lines);
  setNeedsDisplay();
}
void UILabel::setAdjustsFontSizeToFitWidth(bool on) {
  adjustsFontSize_ = on;
  setNeedsDisplay();
}
void UILabel::setShadowColor(std::optional<UIColor> color) {
  shadowColor_ = color;
  setNeedsDisplay();
}
void UILabel::setShadowOffset(CGSize offset) {
  shadowOffset_ = offset;
  setNeedsDisplay();
}

namespace {

// A one-line label shows a line break (CR, LF or CR LF) as one space, so a
// two-line text reads on one line instead of showing the breaks as glyphs.
std::string onOneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += ' ';
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace

UIFont UILabel::fittedFont() const {
  const CGFloat width = bounds().size.width;
  if (!adjustsFontSize_ || numberOfLines_ != 1) return font_;
  UIFont font = font_;
  // Half a point at a time, never below the minimum (nor below one point).
  const CGFloat floor = std::max<CGFloat>(minimumFontSize_, 1);
  const std::string text = onOneLine(text_);
  while (font.pointSize() - 0.5f >= floor && sizeWithFont(text, font).width > width)
    font = font.fontWithSize(font.pointSize() - 0.5f);
  return font;
}

void UILabel::drawRect(CGRect) {
  if (text_.empty()) return;
  const CGRect b = bounds();
  const UIFont font = fittedFont();
  const CGFloat line = lineHeight(font);
  if (line <= 0) return;
  std::vector<std::string> lines;
  if (numberOfLines_ == 1) {
    lines.push_back(truncateTail(onOneLine(text_), font, b.size.width));
  } else {
    int fit = std::max(1, static_cast<int>(b.size.height / line));
    if (numberOfLines_ > 0) fit = std::min(fit, numberOfLines_);
    lines = wrapText(text_, font, b.size.width, fit);
  }
  const CGFloat top = b.origin.y + (b.size.height - line * static_cast<CGFloat>(lines.size())) / 2;
  auto drawLines = [&](CGSize offset) {
    CGFloat y = top + offset.height;
    for (const auto& l : lines) {
      const CGFloat w = sizeWithFont(l, font).width;
      CGFloat x = b.origin.x + offset.width;
      if (alignment_ == UITextAlignmentCenter) x += (b.size.width - w) / 2;
      if (alignment_ == UITextAlignmentRight) x += b.size.width - w;
      drawTextAtPoint(l, {x, y}, font);
      y += line;
    }
  };
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (shadowColor_) {
    CGContextSetFillColorWithColor(context, shadowColor_->CGColor());
    drawLines(shadowOffset_);
  }
  CGContextSetFillColorWithColor(context, textColor_.CGColor());
  drawLines({0, 0});
}

}  // namespace platform
