#include "platform/graphics/text.h"

#include "platform/foundation/utf8.h"
#include "platform/graphics/graphics_stack.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr CGFloat kSmallestFont = 0.01f;

// Cairo refuses invalid UTF-8 by breaking the whole context, and a NUL would
// cut the text short, so every text goes through here first: bad sequences
// and NULs become U+FFFD.
std::string validUTF8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  utf8::forEachCodePoint(text, [&](char32_t c) { utf8::append(out, c == 0 ? 0xFFFD : c); });
  return out;
}

// One scratch context per thread for measuring.
class Measurer {
 public:
  Measurer()
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1)), cr_(cairo_create(surface_)) {}
  ~Measurer() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  Measurer(const Measurer&) = delete;
  Measurer& operator=(const Measurer&) = delete;
  cairo_t* cr() const { return cr_; }

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

void selectFont(cairo_t* cr, const UIFont& font) {
  cairo_select_font_face(cr, font.familyName().c_str(), CAIRO_FONT_SLANT_NORMAL,
                         font.isBold() ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font.pointSize());
}

cairo_t* measuring(const UIFont& font) {
  thread_local Measurer measurer;
  selectFont(measurer.cr(), font);
  return measurer.cr();
}

double advance(cairo_t* cr, const std::string& utf8) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, utf8.c_str(), &extents);
  return extents.x_advance;
}

// Splits a word wider than `width` into pieces that fit (at least one code
// point each). The word is valid UTF-8.
void breakWord(cairo_t* cr, const std::string& word, double width, std::vector<std::string>& lines) {
  std::string piece;
  utf8::forEachCodePoint(word, [&](char32_t c) {
    std::string next;
    utf8::append(next, c);
    if (!piece.empty() && advance(cr, piece + next) > width) {
      lines.push_back(std::move(piece));
      piece = std::move(next);
    } else {
      piece += next;
    }
  });
  if (!piece.empty()) lines.push_back(piece);
}

void wrapParagraph(cairo_t* cr, const std::string& paragraph, double width,
                   std::vector<std::string>& lines) {
  const size_t before = lines.size();
  std::string line;
  size_t i = 0;
  while (i <= paragraph.size()) {
    size_t end = paragraph.find(' ', i);
    if (end == std::string::npos) end = paragraph.size();
    const std::string word = paragraph.substr(i, end - i);
    i = end + 1;
    if (word.empty() && end != paragraph.size()) continue;
    const std::string joined = line.empty() ? word : line + " " + word;
    if (advance(cr, joined) <= width) {
      line = joined;
    } else {
      if (!line.empty()) lines.push_back(line);
      line.clear();
      if (advance(cr, word) <= width) {
        line = word;
      } else {
        breakWord(cr, word, width, lines);
      }
    }
  }
  if (!line.empty() || lines.size() == before) lines.push_back(line);
}

CGFloat roundUp(double v) { return static_cast<CGFloat>(std::ceil(v - 1e-6)); }

}  // namespace

CGFloat lineHeight(const UIFont& font) {
  if (font.pointSize() < kSmallestFont) return 0;
  cairo_font_extents_t extents;
  cairo_font_extents(measuring(font), &extents);
  return roundUp(extents.height);
}

CGSize sizeWithFont(const std::string& text, const UIFont& font) {
  if (font.pointSize() < kSmallestFont) return {};
  return {roundUp(advance(measuring(font), validUTF8(text))), lineHeight(font)};
}

std::vector<std::string> wrapText(const std::string& text, const UIFont& font, CGFloat width,
                                  int maxLines) {
  std::vector<std::string> lines;
  if (font.pointSize() < kSmallestFont) return lines;
  cairo_t* cr = measuring(font);
  const std::string utf8 = validUTF8(text);
  size_t start = 0;
  while (true) {
    const size_t end = utf8.find('\n', start);
    wrapParagraph(cr, utf8.substr(start, end - start), width, lines);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (maxLines > 0 && lines.size() > static_cast<size_t>(maxLines)) lines.resize(maxLines);
  return lines;
}

CGSize sizeWithFont(const std::string& text, const UIFont& font, CGSize constraint,
                    UILineBreakMode) {
  const CGFloat line = lineHeight(font);
  if (line <= 0) return {};
  const int fit = std::max(1, static_cast<int>(constraint.height / line));
  const auto lines = wrapText(text, font, constraint.width, fit);
  cairo_t* cr = measuring(font);
  double widest = 0;
  for (const auto& l : lines) widest = std::max(widest, advance(cr, l));
  return {std::min(roundUp(widest), std::max(constraint.width, CGFloat(0))),
          line * static_cast<CGFloat>(lines.size())};
}

CGSize drawTextAtPoint(const std::string& text, CGPoint point, const UIFont& font) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  const CGSize size = sizeWithFont(text, font);
  if (!context || font.pointSize() < kSmallestFont) return size;
  cairo_t* cr = context->cairo();
  selectFont(cr, font);
  cairo_font_extents_t extents;
  cairo_font_extents(cr, &extents);
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, point.x, point.y + extents.ascent);
  cairo_show_text(cr, validUTF8(text).c_str());
  cairo_new_path(cr);
  cairo_restore(cr);
  return size;
}

}  // namespace platform

// The system's font matching keeps what it has loaded until the process
// ends; LeakSanitizer (in sanitizer builds) is told so, and nothing else.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
