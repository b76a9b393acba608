#pragma once
// UILabel: one or more lines of text, centred vertically in its bounds.
// A single line that is too wide shrinks its font (adjustsFontSizeToFitWidth,
// down to minimumFontSize) and is otherwise cut short with "…". Like the
// platform's, a label does not take touches and has a white background
// until told otherwise.
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text.h"
#include "platform/ui/view.h"

#include <optional>
#include <string>

namespace platform {

enum UIBaselineAdjustment {
  UIBaselineAdjustmentAlignBaselines = 0,
  UIBaselineAdjustmentAlignCenters = 1,
  UIBaselineAdjustmentNone = 2,
};

class UILabel : public UIView {
 public:
  explicit UILabel(CGRect frame = CGRectZero);
  const char* className() const override { return "UILabel"; }

  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const UIFont& font() const { return font_; }
  void setFont(const UIFont& font);
  const UIColor& textColor() const { return textColor_; }
  void setTextColor(const UIColor& color);
  UITextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(UITextAlignment alignment);
  UILineBreakMode lineBreakMode() const { return lineBreakMode_; }
  // 0 means as many lines as fit.
  int numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(int lines);
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSize_; }
  void setAdjustsFontSizeToFitWidth(bool on);
  CGFloat minimumFontSize() const { return minimumFontSize_; }
  UIBaselineAdjustment baselineAdjustment() const { return baselineAdjustment_; }
  void setBaselineAdjustment(UIBaselineAdjustment adjustment) { baselineAdjustment_ = adjustment; }
  const std::optional<UIColor>& shadowColor() const { return shadowColor_; }
  void setShadowColor(std::optional<UIColor> color);
  CGSize shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(CGSize offset);

  // The font a single line is drawn in once shrunk to fit the width.
  UIFont fittedFont() const;

  void drawRect(CGRect rect) override;

 private:
  std::string text_;
  UIFont font_ = UIFont::systemFontOfSize(17);
  UIColor textColor_ = UIColor::blackColor();
  UITextAlignment alignment_ = UITextAlignmentLeft;
  UILineBreakMode lineBreakMode_ = UILineBreakModeTailTruncation;
  int numberOfLines_ = 1;
  bool adjustsFontSize_ = false;
  CGFloat minimumFontSize_ = 0;
  UIBaselineAdjustment baselineAdjustment_ = UIBaselineAdjustmentAlignBaselines;
  std::optional<UIColor> shadowColor_;
  CGSize shadowOffset_ = {0, -1};
};

}  // namespace platform
