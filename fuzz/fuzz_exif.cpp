// Arbitrary bytes as a JPEG file and as an EXIF payload: scan or parse,
// rebuild, and scan or parse the rebuilt bytes again.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);

  exif::EXFJpeg jpeg;
  jpeg.scanImageData(input);
  exif::Bytes rebuilt;
  try {
    jpeg.populateImageData(rebuilt);
  } catch (const exif::EXFException&) {
    // Too large for a JPEG segment: refused, nothing written.
  }
  exif::EXFJpeg again;
  again.scanImageData(rebuilt);

  exif::EXFMetaData md;
  md.parseExif(input);
  (void)md.unwritableValueCount();
  exif::Bytes payload;
  md.getData(payload);
  exif::EXFMetaData reparsed;
  reparsed.parseExif(payload);
  return 0;
}
