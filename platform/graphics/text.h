#pragma once
// Measuring and drawing text (the platform's string drawing additions).
// Texts are UTF-8. Sizes are in points, rounded up to whole points; a line is
// as high as the font's line height. Drawing uses the current context and its
// fill colour.
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

#include <string>
#include <vector>

namespace platform {

enum UILineBreakMode {
  UILineBreakModeWordWrap = 0,
  UILineBreakModeCharacterWrap = 1,
  UILineBreakModeClip = 2,
  UILineBreakModeHeadTruncation = 3,
  UILineBreakModeTailTruncation = 4,
  UILineBreakModeMiddleTruncation = 5,
};

enum UITextAlignment {
  UITextAlignmentLeft = 0,
  UITextAlignmentCenter = 1,
  UITextAlignmentRight = 2,
};

// The size of the text on one line.
CGSize sizeWithFont(const std::string& text, const UIFont& font);
// The size of the text broken into lines to fit `constraint`'s width (by
// words, or by characters where a word alone is too wide), keeping as many
// lines as fit its height (at least one).
CGSize sizeWithFont(const std::string& text, const UIFont& font, CGSize constraint,
                    UILineBreakMode mode);

// The lines `sizeWithFont` with a constraint measures (for labels).
std::vector<std::string> wrapText(const std::string& text, const UIFont& font, CGFloat width,
                                  int maxLines);
CGFloat lineHeight(const UIFont& font);

// Draws one line with its top-left corner at `point`; returns its size.
CGSize drawTextAtPoint(const std::string& text, CGPoint point, const UIFont& font);

}  // namespace platform
