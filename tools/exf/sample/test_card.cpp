#include "tools/exf/sample/test_card.h"

#include "exif/exf_jpeg.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace exf {

exif::Bytes encodeTestCard(int width, int height, int quality) {
  // Colour bars over the top half, a grey ramp below.
  static constexpr unsigned char kBars[7][3] = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192},
                                                {0, 192, 0},     {192, 0, 192}, {192, 0, 0},
                                                {0, 0, 192}};
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      if (y < height / 2) {
        const unsigned char* c = kBars[x * 7 / width];
        p[0] = c[0], p[1] = c[1], p[2] = c[2];
      } else {
        p[0] = p[1] = p[2] = static_cast<unsigned char>(x * 255 / (width - 1));
      }
    }

  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &rgb[static_cast<std::size_t>(cinfo.next_scanline) * width * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  exif::Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

exif::Bytes geotaggedSample(bool bigEndian) {
  using namespace exif;
  EXFJpeg jpeg;
  jpeg.scanImageData(encodeTestCard(320, 240));
  EXFMetaData& md = jpeg.exifMetaData();
  md.setBigEndianOrder(bigEndian);
  md.addTagValue("Holdstill", 271);
  md.addTagValue("Simulated Phone", 272);
  md.addTagValue("Holdstill 0.1", 305);
  md.addTagValue("2009:03:14 15:09:26", 306);
  md.addTagValue(Number::fromInt32(1), 274);
  md.addTagValue("2009:03:14 15:09:26", 36867);
  md.addTagValue(Number::fromInt32(320), 40962);
  md.addTagValue(Number::fromInt32(240), 40963);
  EXFGPSLoc latitude, longitude;
  latitude.setDegrees(EXFraction(37, 1));
  latitude.setMinutes(EXFraction(46, 1));
  latitude.setSeconds(EXFraction(2964, 100));
  longitude.setDegrees(EXFraction(122, 1));
  longitude.setMinutes(EXFraction(25, 1));
  longitude.setSeconds(EXFraction(984, 100));
  md.addTagValue("N", 1);
  md.addTagValue(latitude, 2);
  md.addTagValue("W", 3);
  md.addTagValue(longitude, 4);
  md.addTagValue(Number::fromDouble(16.5), 6);
  const Bytes thumbnail = encodeTestCard(160, 120, 70);
  md.addThumbnailTagValue(Number::fromInt32(6), 259);
  md.addThumbnailTagValue(Number::fromULong(static_cast<std::uint32_t>(thumbnail.size())), 514);
  md.setThumbnailData(thumbnail);
  Bytes out;
  jpeg.populateImageData(out);
  return out;
}

}  // namespace exf
