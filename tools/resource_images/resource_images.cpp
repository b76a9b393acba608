#include "tools/resource_images/resource_images.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace holdstill::art {
namespace {

constexpr double kPi = std::numbers::pi;

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void verticalGradient(cairo_t* cr, double y0, double y1, double r0, double g0, double b0,
                      double r1, double g1, double b1) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0, r0, g0, b0);
  cairo_pattern_add_color_stop_rgb(p, 1, r1, g1, b1);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

// A camera lens seen from the front: rings and a glint.
void lens(cairo_t* cr, double cx, double cy, double r) {
  cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.55, 0.57, 0.62);
  cairo_set_line_width(cr, r * 0.08);
  cairo_arc(cr, cx, cy, r * 0.92, 0, 2 * kPi);
  cairo_stroke(cr);
  cairo_pattern_t* glass = cairo_pattern_create_radial(cx - r * 0.2, cy - r * 0.2, r * 0.05, cx, cy, r * 0.7);
  cairo_pattern_add_color_stop_rgb(glass, 0, 0.35, 0.55, 0.85);
  cairo_pattern_add_color_stop_rgb(glass, 1, 0.03, 0.06, 0.18);
  cairo_set_source(cr, glass);
  cairo_pattern_destroy(glass);
  cairo_arc(cr, cx, cy, r * 0.7, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.75);
  cairo_arc(cr, cx - r * 0.28, cy - r * 0.28, r * 0.12, 0, 2 * kPi);
  cairo_fill(cr);
}

// A spirit level: a capsule with the bubble in its middle, in a box w × h.
void spiritLevel(cairo_t* cr, double x, double y, double w, double h, double r, double g, double b) {
  roundedRect(cr, x, y, w, h, h / 2);
  cairo_set_source_rgb(cr, r, g, b);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_set_line_width(cr, std::max(1.0, h / 10));
  cairo_stroke(cr);
  // The two marks and the bubble between them.
  cairo_set_line_width(cr, std::max(1.0, h / 12));
  cairo_move_to(cr, x + w * 0.36, y + h * 0.2);
  cairo_line_to(cr, x + w * 0.36, y + h * 0.8);
  cairo_move_to(cr, x + w * 0.64, y + h * 0.2);
  cairo_line_to(cr, x + w * 0.64, y + h * 0.8);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
  cairo_save(cr);
  cairo_translate(cr, x + w / 2, y + h / 2);
  cairo_scale(cr, w * 0.11, h * 0.28);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  cairo_fill(cr);
}

// A round, glassy button face filling w × h.
void buttonFace(cairo_t* cr, double w, double h, double r, double g, double b) {
  const double radius = std::min(w, h) / 2 - 1;
  cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, h);
  cairo_pattern_add_color_stop_rgba(face, 0, r + 0.25, g + 0.25, b + 0.25, 0.95);
  cairo_pattern_add_color_stop_rgba(face, 1, r, g, b, 0.95);
  cairo_set_source(cr, face);
  cairo_pattern_destroy(face);
  cairo_arc(cr, w / 2, h / 2, radius, 0, 2 * kPi);
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
}

void drawDefault(cairo_t* cr, double w, double h) {
  verticalGradient(cr, 0, h, 0.10, 0.14, 0.22, 0.02, 0.03, 0.06);
  cairo_paint(cr);
  // Faint horizon lines, as through a viewfinder.
  cairo_set_source_rgba(cr, 1, 1, 1, 0.08);
  cairo_set_line_width(cr, 1);
  for (double x : {w / 3, 2 * w / 3}) {
    cairo_move_to(cr, std::floor(x) + 0.5, 0);
    cairo_line_to(cr, std::floor(x) + 0.5, h);
  }
  for (double y : {h / 3, 2 * h / 3}) {
    cairo_move_to(cr, 0, std::floor(y) + 0.5);
    cairo_line_to(cr, w, std::floor(y) + 0.5);
  }
  cairo_stroke(cr);
  lens(cr, w / 2, h * 0.40, w * 0.26);
  spiritLevel(cr, w * 0.25, h * 0.68, w * 0.5, 26, 0.55, 0.85, 0.35);
  // Corner brackets of a frame held steady.
  cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
  cairo_set_line_width(cr, 3);
  const double m = 24, l = 30;
  for (int corner = 0; corner < 4; ++corner) {
    const double x = corner % 2 ? w - m : m, y = corner / 2 ? h - m : m;
    const double dx = corner % 2 ? -l : l, dy = corner / 2 ? -l : l;
    cairo_move_to(cr, x + dx, y);
    cairo_line_to(cr, x, y);
    cairo_line_to(cr, x, y + dy);
  }
  cairo_stroke(cr);
}

void drawTouchAnywhere(cairo_t* cr, double w, double h) {
  roundedRect(cr, 1, 1, w - 2, h - 2, 16);
  cairo_set_source_rgba(cr, 0, 0, 0.15, 0.65);
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Ripples where the finger touches.
  const double cx = w / 2, cy = h * 0.42;
  for (int i = 1; i <= 3; ++i) {
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9 - 0.25 * i);
    cairo_set_line_width(cr, 2.5);
    cairo_arc(cr, cx, cy, 9.0 * i + 4, 0, 2 * kPi);
    cairo_stroke(cr);
  }
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_arc(cr, cx, cy, 7, 0, 2 * kPi);
  cairo_fill(cr);
  // The finger, coming up from below, inside the panel.
  cairo_save(cr);
  roundedRect(cr, 2, 2, w - 4, h - 4, 15);
  cairo_clip(cr);
  cairo_translate(cr, cx + 4, cy + 6);
  cairo_rotate(cr, -0.35);
  roundedRect(cr, -9, 0, 18, h * 0.62, 9);
  cairo_set_source_rgb(cr, 0.96, 0.82, 0.68);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.55, 0.38, 0.28);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  roundedRect(cr, -5, 3, 10, 9, 4);  // the nail
  cairo_set_source_rgb(cr, 1, 0.93, 0.88);
  cairo_fill(cr);
  cairo_restore(cr);
}

void drawStabilize(cairo_t* cr, double w, double h) {
  spiritLevel(cr, 1, h * 0.25, w - 2, h * 0.5, 0.55, 0.85, 0.35);
}

void drawGlobe(cairo_t* cr, double w, double h) {
  const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1;
  cairo_pattern_t* sea = cairo_pattern_create_radial(cx - r / 3, cy - r / 3, 1, cx, cy, r);
  cairo_pattern_add_color_stop_rgb(sea, 0, 0.45, 0.7, 1.0);
  cairo_pattern_add_color_stop_rgb(sea, 1, 0.05, 0.25, 0.65);
  cairo_set_source(cr, sea);
  cairo_pattern_destroy(sea);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_fill(cr);
  // Two land masses.
  cairo_set_source_rgb(cr, 0.3, 0.72, 0.3);
  cairo_move_to(cr, cx - r * 0.6, cy - r * 0.5);
  cairo_curve_to(cr, cx - r * 0.1, cy - r * 0.8, cx + r * 0.1, cy - r * 0.1, cx - r * 0.3, cy + r * 0.2);
  cairo_curve_to(cr, cx - r * 0.6, cy + r * 0.4, cx - r * 0.9, cy, cx - r * 0.6, cy - r * 0.5);
  cairo_fill(cr);
  cairo_move_to(cr, cx + r * 0.3, cy + r * 0.05);
  cairo_curve_to(cr, cx + r * 0.8, cy - r * 0.1, cx + r * 0.8, cy + r * 0.5, cx + r * 0.35, cy + r * 0.75);
  cairo_curve_to(cr, cx + r * 0.1, cy + r * 0.5, cx + r * 0.1, cy + r * 0.2, cx + r * 0.3, cy + r * 0.05);
  cairo_fill(cr);
  // Meridian and parallels.
  cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
  cairo_set_line_width(cr, 1);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, r * 0.45, r);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  cairo_stroke(cr);
  cairo_move_to(cr, cx - r, cy);
  cairo_line_to(cr, cx + r, cy);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_set_source_rgba(cr, 0.02, 0.1, 0.3, 1);
  cairo_stroke(cr);
}

void drawAppThumb(cairo_t* cr, double w, double h) {
  verticalGradient(cr, 0, h, 0.16, 0.22, 0.34, 0.03, 0.04, 0.08);
  cairo_paint(cr);
  lens(cr, w / 2, h * 0.42, h * 0.3);
  spiritLevel(cr, w * 0.28, h * 0.78, w * 0.44, 14, 0.55, 0.85, 0.35);
}

void drawHelp(cairo_t* cr, double w, double h) {
  buttonFace(cr, w, h, 0.05, 0.2, 0.55);
  // A question mark from strokes: the hook and the dot.
  const double cx = w / 2, cy = h / 2, s = std::min(w, h) / 44;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 4.5 * s);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_arc(cr, cx, cy - 6 * s, 7 * s, -kPi, kPi * 0.35);
  cairo_curve_to(cr, cx + 3 * s, cy + 1 * s, cx, cy + 2 * s, cx, cy + 6 * s);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy + 12.5 * s, 2.8 * s, 0, 2 * kPi);
  cairo_fill(cr);
}

// The steady-shot button: the level, with a lamp saying what a tap does.
void drawStabilizeButton(cairo_t* cr, double w, double h, bool switchesOn) {
  buttonFace(cr, w, h, 0.12, 0.12, 0.15);
  spiritLevel(cr, w * 0.18, h * 0.36, w * 0.64, h * 0.26, 0.55, 0.85, 0.35);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  if (switchesOn) {
    // A green tick below: tap to turn steady shot on.
    cairo_set_source_rgb(cr, 0.35, 0.95, 0.35);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, w * 0.40, h * 0.76);
    cairo_line_to(cr, w * 0.48, h * 0.84);
    cairo_line_to(cr, w * 0.62, h * 0.70);
    cairo_stroke(cr);
  } else {
    // A red stroke across the level: tap to turn it off.
    cairo_set_source_rgb(cr, 0.95, 0.2, 0.2);
    cairo_set_line_width(cr, 3.5);
    cairo_move_to(cr, w * 0.25, h * 0.75);
    cairo_line_to(cr, w * 0.75, h * 0.25);
    cairo_stroke(cr);
  }
}

void drawStabilizeOn(cairo_t* cr, double w, double h) { drawStabilizeButton(cr, w, h, true); }
void drawStabilizeOff(cairo_t* cr, double w, double h) { drawStabilizeButton(cr, w, h, false); }

}  // namespace

const std::vector<ResourceImage>& resourceImages() {
  static const std::vector<ResourceImage> images = {
      {"Default.png", 320, 460, drawDefault},
      {"touchanywhere.png", 200, 130, drawTouchAnywhere},
      {"stabilize.png", 30, 30, drawStabilize},
      {"globe.png", 24, 24, drawGlobe},
      {"appthumb.png", 160, 120, drawAppThumb},
      {"help.png", 44, 44, drawHelp},
      {"stabilizeButtonSetOn.png", 44, 44, drawStabilizeOn},
      {"stabilizeButtonSetOff.png", 44, 44, drawStabilizeOff},
  };
  return images;
}

cairo_surface_t* renderResourceImage(const ResourceImage& image, int scale) {
  scale = std::clamp(scale, 1, 16);
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width * scale, image.height * scale);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  image.draw(cr, image.width, image.height);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

}  // namespace holdstill::art
