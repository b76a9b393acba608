// The bundle's pictures are exactly what the generator draws, so anyone can
// make them again; and the generator's command line writes them all.
#include "tools/resource_images/resource_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace holdstill::art {
namespace {

// Whether two image surfaces hold the same pixels; the first difference goes to `why`.
bool samePixels(cairo_surface_t* a, cairo_surface_t* b, std::string& why) {
  const int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  if (w != cairo_image_surface_get_width(b) || h != cairo_image_surface_get_height(b)) {
    why = "sizes differ";
    return false;
  }
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  for (int y = 0; y < h; ++y) {
    const unsigned char* ra = cairo_image_surface_get_data(a) + y * cairo_image_surface_get_stride(a);
    const unsigned char* rb = cairo_image_surface_get_data(b) + y * cairo_image_surface_get_stride(b);
    if (std::memcmp(ra, rb, static_cast<size_t>(w) * 4) != 0) {
      why = "row " + std::to_string(y) + " differs";
      return false;
    }
  }
  return true;
}

TEST(ResourceImages, BundlePicturesAreWhatTheGeneratorDraws) {
  const std::set<std::string> named = {"Default.png", "touchanywhere.png", "stabilize.png",
                                       "globe.png", "appthumb.png", "help.png",
                                       "stabilizeButtonSetOn.png", "stabilizeButtonSetOff.png"};
  std::set<std::string> made;
  for (const auto& image : resourceImages()) {
    made.insert(image.name);
    const std::string path = std::string(HOLDSTILL_RESOURCES_DIR) + "/" + image.name;
    cairo_surface_t* stored = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(stored), CAIRO_STATUS_SUCCESS) << path;
    cairo_surface_t* drawn = renderResourceImage(image);
    std::string why;
    EXPECT_TRUE(samePixels(drawn, stored, why))
        << image.name << ": " << why << "; run make-resource-images resources/ and commit";
    cairo_surface_destroy(drawn);
    cairo_surface_destroy(stored);
  }
  EXPECT_EQ(made, named);
}

TEST(ResourceImages, CommandLineWritesEveryPictureAndRefusesBadArguments) {
  const auto out = std::filesystem::temp_directory_path() / "holdstill-resource-images-test";
  std::filesystem::remove_all(out);
  const std::string tool = MAKE_RESOURCE_IMAGES;
  EXPECT_EQ(std::system((tool + " " + out.string() + " --scale 2").c_str()), 0);
  for (const auto& image : resourceImages()) {
    cairo_surface_t* s = cairo_image_surface_create_from_png((out / image.name).string().c_str());
    EXPECT_EQ(cairo_image_surface_get_width(s), image.width * 2) << image.name;
    cairo_surface_destroy(s);
  }
  EXPECT_NE(std::system((tool + " " + out.string() + " --scale 0 2>/dev/null").c_str()), 0);
  EXPECT_NE(std::system((tool + " 2>/dev/null").c_str()), 0);
  std::filesystem::remove_all(out);
}

}  // namespace
}  // namespace holdstill::art
