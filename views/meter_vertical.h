#pragma once
// UIMeterVertical: the steadiness meter, a column of rounded cells growing
// upwards with the level shown (0 steady, 1 fully unsteady): the bottom cell
// dark green, the cells above it red, all light grey while disabled.
// Setting the properties does not redraw; the owner calls setNeedsDisplay.
#include "platform/graphics/color.h"
#include "platform/ui/view.h"

namespace holdstill {

class UIMeterVertical : public platform::UIView {
 public:
  explicit UIMeterVertical(platform::CGRect frame);  // initWithFrame:
  const char* className() const override { return "UIMeterVertical"; }

  float progress() const { return progress_; }
  void setProgress(float progress) { progress_ = progress; }
  bool disabled() const { return disabled_; }
  void setDisabled(bool disabled) { disabled_ = disabled; }

  // Draws the whole meter from the bounds; `rect` is not used.
  void drawRect(platform::CGRect rect) override;

 private:
  float progress_ = 0;
  bool disabled_ = false;
  platform::UIColor _fillColorUnstable;
  platform::UIColor _fillColorStable;
  platform::UIColor _fillColorDisabled;
};

}  // namespace holdstill
