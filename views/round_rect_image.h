#pragma once
// OrvRoundRectImage: a badge with rounded corners that shows either a
// translucent panel (radius 15) or a picture clipped to radius-5 corners.
// It takes no touches and is hidden while it has no picture set.
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/view.h"

#include <memory>

namespace holdstill {

class OrvRoundRectImage : public platform::UIView {
 public:
  explicit OrvRoundRectImage(platform::CGRect frame);  // initWithFrame:
  const char* className() const override { return "OrvRoundRectImage"; }

  // The panel colour from the next drawing on.
  void setFillColor(const platform::UIColor& color) { _fillColor = color; }
  const platform::UIColor& fillColor() const { return _fillColor; }

  const std::shared_ptr<platform::UIImage>& image() const { return image_; }
  // Hides the badge for a null picture, shows it otherwise; redraws.
  void setImage(std::shared_ptr<platform::UIImage> image);

  bool backgroundOnly() const { return backgroundOnly_; }
  void setBackgroundOnly(bool on) { backgroundOnly_ = on; }

  void drawRect(platform::CGRect rect) override;

 private:
  std::shared_ptr<platform::UIImage> image_;
  bool backgroundOnly_ = false;
  platform::UIColor _fillColor;
};

}  // namespace holdstill
