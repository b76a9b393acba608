#pragma once
// The application's pictures, drawn with Cairo from shapes alone (no
// fonts), so that every run on every machine makes the same pixels.
#include <cairo.h>

#include <string>
#include <vector>

namespace holdstill::art {

struct ResourceImage {
  std::string name;  // file name in the bundle, "help.png"
  int width, height;
  void (*draw)(cairo_t* cr, double width, double height);
};

// Every picture the application names, in a fixed order.
const std::vector<ResourceImage>& resourceImages();

// Draws `image` into a new ARGB surface, `scale` times its size (for
// looking at small pictures closely); the caller destroys it.
cairo_surface_t* renderResourceImage(const ResourceImage& image, int scale = 1);

}  // namespace holdstill::art
