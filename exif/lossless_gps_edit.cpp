// The lossless GPS edit (first cut: the interface only).
#include "exif/lossless_gps_edit.h"

#include "exif/exf_exception.h"

namespace exif {
namespace {

[[noreturn]] void notYet() {
  throw EXFException(kUneditableExifException, "lossless GPS edit not implemented yet");
}

}  // namespace

GPSEdit& GPSEdit::put(std::uint16_t tag, Value value) {
  values_[tag] = std::move(value);
  return *this;
}
GPSEdit& GPSEdit::setLatitude(double) { notYet(); }
GPSEdit& GPSEdit::setLatitude(const EXFGPSLoc&, bool) { notYet(); }
GPSEdit& GPSEdit::setLongitude(double) { notYet(); }
GPSEdit& GPSEdit::setLongitude(const EXFGPSLoc&, bool) { notYet(); }
GPSEdit& GPSEdit::setAltitude(double) { notYet(); }
GPSEdit& GPSEdit::setDateStamp(const std::string&) { notYet(); }
GPSEdit& GPSEdit::setTimeStamp(const EXFGPSTimeStamp&) { notYet(); }
GPSEdit& GPSEdit::setUTC(std::chrono::sys_time<std::chrono::milliseconds>) { notYet(); }
GPSEdit& GPSEdit::remove(std::uint16_t tag) {
  removed_.push_back(tag);
  return *this;
}
GPSEdit& GPSEdit::removeAll() {
  removeAll_ = true;
  return *this;
}

void editGPS(std::span<const std::uint8_t>, const GPSEdit&, Bytes&) { notYet(); }
void freshGPSPayload(const GPSEdit&, bool, Bytes&) { notYet(); }
GPSEditOutcome editJpegGPS(std::span<const std::uint8_t>, const GPSEdit&, Bytes&) { notYet(); }

}  // namespace exif
