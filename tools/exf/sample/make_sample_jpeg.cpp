// Writes the sample picture that `make run` dumps: make_sample_jpeg OUT.jpg
#include "tools/exf/sample/test_card.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_jpeg OUT.jpg\n");
    return 2;
  }
  const exif::Bytes jpeg = exf::geotaggedSample(true);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_sample_jpeg: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
