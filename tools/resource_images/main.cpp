// make-resource-images OUTDIR [--scale N]: writes the application's
// pictures as PNG files into OUTDIR (the bundle is resources/); with
// --scale, N times larger, for a close look. Exit status 0 on success, 1
// when a file cannot be written, 2 on a wrong command line.
#include "tools/resource_images/resource_images.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <iostream>

int main(int argc, char** argv) {
  int scale = 1;
  if (argc == 4 && std::string(argv[2]) == "--scale") scale = std::atoi(argv[3]);
  if ((argc != 2 && argc != 4) || scale < 1 || scale > 16) {
    std::cerr << "usage: make-resource-images OUTDIR [--scale 1..16]\n";
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  int status = 0;
  for (const auto& image : holdstill::art::resourceImages()) {
    cairo_surface_t* surface = holdstill::art::renderResourceImage(image, scale);
    const std::string path = (out / image.name).string();
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS) {
      std::cerr << "make-resource-images: cannot write " << path << "\n";
      status = 1;
    }
    cairo_surface_destroy(surface);
  }
  return status;
}
