#pragma once
// Lossless GPS edit: sets, replaces or removes GPS values in an existing EXIF
// APP1 payload without moving a byte of it.
//
// The original payload is kept as it is. A new GPS directory is appended
// after it (at an even TIFF offset) and the one pointer that leads to it is
// patched: IFD0's GPS pointer entry, or, where IFD0 has none, the header's
// IFD0 offset, which then leads to a copy of IFD0 with the GPS pointer added,
// appended after the block. GPS entries that the edit leaves alone are copied
// as they stand (their values stay where they are), so offsets inside maker
// notes, thumbnails, strips and every tag the library does not know stay
// valid because nothing they point at moved. A GPS directory the edit creates
// carries GPSVersionID 2.3.0.0; an existing one keeps its own.
//
// Failures throw EXFException and leave `out` exactly as it was:
//   "UneditableExifException"  the block cannot be edited safely; the reason
//                              says why (not EXIF, a directory or the GPS
//                              pointer outside the payload or malformed)
//   "SegmentTooLargeException" the result would not fit a JPEG segment
//                              (kMaxSegmentPayload bytes)
//   "InvalidJpegException"     (file level) the input is not a JPEG whose
//                              segments lead to image data
//   "InvalidGPSValueException" (setters) a value outside its range
// Stateless apart from the GPSEdit value; safe to use from several threads on
// distinct outputs.
#include "exif/exf_gps_values.h"
#include "exif/exif_constants.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace exif {

// The GPS values to set and remove; applied by editGPS() and its kin. Set
// values replace what the block holds for the same tags; tags neither set
// nor removed are kept as they are.
class GPSEdit {
 public:
  // GPSLatitudeRef "N"/"S" and GPSLatitude of |degrees| (whole degrees,
  // whole minutes, seconds to 1/10000). Range -90..90, finite.
  GPSEdit& setLatitude(double degrees);
  // The same from a ready coordinate and its hemisphere.
  GPSEdit& setLatitude(const EXFGPSLoc& location, bool south);
  // GPSLongitudeRef "E"/"W" and GPSLongitude of |degrees|. Range -180..180.
  GPSEdit& setLongitude(double degrees);
  GPSEdit& setLongitude(const EXFGPSLoc& location, bool west);
  // GPSAltitudeRef 0 (above sea level) or 1 (below, for a negative value)
  // and GPSAltitude of |metres| to the millimetre. |metres| < 4,000,000.
  GPSEdit& setAltitude(double metres);
  // GPSDateStamp, "YYYY:MM:DD".
  GPSEdit& setDateStamp(const std::string& date);
  // GPSTimeStamp, a UTC time of day.
  GPSEdit& setTimeStamp(const EXFGPSTimeStamp& time);
  // GPSDateStamp and GPSTimeStamp (seconds to the millisecond) of one UTC
  // instant.
  GPSEdit& setUTC(std::chrono::sys_time<std::chrono::milliseconds> instant);
  // Removes one GPS tag from the block (nothing happens if it has none).
  GPSEdit& remove(std::uint16_t gpsTag);
  // Removes every GPS value the block holds before the set ones are added.
  // With nothing set, the result has no GPS directory at all: IFD0's GPS
  // pointer is dropped (through an appended copy of IFD0).
  GPSEdit& removeAll();

  bool removesAll() const { return removeAll_; }
  // True when applying the edit changes nothing.
  bool empty() const { return !removeAll_ && values_.empty() && removed_.empty(); }

  // A value waiting to be written: field type, element count, and the
  // elements (rationals as numerator/denominator pairs, texts and bytes as
  // bytes), independent of byte order.
  struct Value {
    FieldType type;
    std::uint32_t count;
    std::vector<std::uint32_t> words;  // SHORT/LONG/RATIONAL elements
    Bytes bytes;                       // BYTE/ASCII/UNDEFINED elements
  };
  const std::map<std::uint16_t, Value>& values() const { return values_; }
  const std::vector<std::uint16_t>& removed() const { return removed_; }

 private:
  GPSEdit& put(std::uint16_t tag, Value value);
  std::map<std::uint16_t, Value> values_;
  std::vector<std::uint16_t> removed_;
  bool removeAll_ = false;
};

// Appends to `out` the EXIF APP1 payload `payload` with the edit applied.
// Every byte of `payload` is copied unchanged except the 4 bytes of the one
// patched pointer; the new directories follow it. An edit that changes
// nothing appends the payload as it is.
void editGPS(std::span<const std::uint8_t> payload, const GPSEdit& edit, Bytes& out);

// Appends a fresh minimal EXIF APP1 payload in the given byte order: the
// header, IFD0 holding only the GPS pointer, and the GPS directory with the
// edit's values (and GPSVersionID). An edit that sets nothing appends an
// empty IFD0.
void freshGPSPayload(const GPSEdit& edit, bool bigEndian, Bytes& out);

// What editJpegGPS() did.
enum class GPSEditOutcome {
  EditedExistingBlock,  // the file's EXIF APP1 was edited in place
  AddedNewBlock,        // the file had none; a fresh one was inserted
};

// Appends to `out` the JPEG file `jpeg` with the edit applied to its EXIF
// APP1 (the first APP1 that holds EXIF). A file without one gets a fresh
// block right after SOI, or after a JFIF APP0 that opens the file. Every
// other byte of the file is copied as it stands, in the same order: the
// output is one pass over the input plus the new directories. Throws
// "InvalidJpegException" for input that is not such a JPEG, and the
// exceptions of editGPS(); `out` is then as it was.
GPSEditOutcome editJpegGPS(std::span<const std::uint8_t> jpeg, const GPSEdit& edit, Bytes& out);

}  // namespace exif
