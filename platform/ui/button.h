#pragma once
// UIButton: a control showing an image and a white title chosen by its
// state (a state without its own falls back to the normal one), centred in
// its bounds.
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/control.h"

#include <map>
#include <memory>
#include <string>

namespace platform {

class UIButton : public UIControl {
 public:
  using UIControl::UIControl;  // initWithFrame:
  const char* className() const override { return "UIButton"; }

  void setImage(std::shared_ptr<UIImage> image, unsigned state);
  std::shared_ptr<UIImage> imageForState(unsigned state) const;
  std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }

  void setTitle(const std::string& title, unsigned state);
  std::string titleForState(unsigned state) const;
  std::string currentTitle() const { return titleForState(state()); }

  const UIFont& font() const { return font_; }
  void setFont(const UIFont& font);

  bool adjustsImageWhenHighlighted() const { return adjustsImageWhenHighlighted_; }
  void setAdjustsImageWhenHighlighted(bool on) { adjustsImageWhenHighlighted_ = on; }
  bool showsTouchWhenHighlighted() const { return showsTouchWhenHighlighted_; }
  void setShowsTouchWhenHighlighted(bool on) { showsTouchWhenHighlighted_ = on; }

  void drawRect(CGRect rect) override;

 private:
  template <class T>
  static const T* lookup(const std::map<unsigned, T>& byState, unsigned state);

  std::map<unsigned, std::shared_ptr<UIImage>> images_;
  std::map<unsigned, std::string> titles_;
  UIFont font_ = UIFont::boldSystemFontOfSize(15);
  bool adjustsImageWhenHighlighted_ = true;
  bool showsTouchWhenHighlighted_ = false;
};

}  // namespace platform
