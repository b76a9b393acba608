#pragma once
// Real, decodable JPEG pictures for the sample file and the tests: a colour
// test card encoded by the platform's JPEG codec, and the same with a
// geotagged EXIF block (with a thumbnail) written by the library.
#include "exif/exif_constants.h"

namespace exf {

// A baseline JFIF JPEG of a width × height test card.
exif::Bytes encodeTestCard(int width, int height, int quality = 85);

// A 320 × 240 test card with Make, Model, Software, DateTime, Orientation,
// a 160 × 120 thumbnail, and GPS latitude, longitude and altitude.
exif::Bytes geotaggedSample(bool bigEndian);

}  // namespace exf
