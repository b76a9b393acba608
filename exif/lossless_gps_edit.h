#pragma once
// Lossless GPS edit: sets, replaces or removes GPS values in an existing EXIF
// APP1 payload without moving a byte of anything else in it.
//
// The payload is mapped first (exif_block_map.h): what every directory,
// value, thumbnail and known maker note addresses. The old GPS directory and
// its values are zeroed, so no earlier position stays behind, and the new GPS
// directory (with the values of the GPS entries kept) is written where the
// old one was when it fits, else into other room nothing addresses (padding,
// unused bytes), and past the payload's end only when there is none; the one
// pointer that leads to it is patched. Where IFD0 has no GPS pointer, IFD0
// gains one in place when the 12 bytes after it are room; otherwise a copy of
// IFD0 with the pointer is written (into room, or past the end), and every
// pointer that led to the old IFD0 (the header's, and any loop back to it)
// leads to the copy. Offsets inside maker notes, thumbnails, strips and every
// tag the library does not know stay valid because nothing they point at
// moved. A GPS directory the edit creates carries GPSVersionID 2.3.0.0; an
// existing one keeps its own.
//
// When the payload must grow, everything after the EXIF segment moves: the
// file-level edit then corrects every position known to address those bytes
// (IFD and maker-note preview offsets past the segment, an AFCP trailer) and
// refuses where a position it cannot read may address them.
//
// Failures throw EXFException and leave `out` exactly as it was:
//   "UneditableExifException"  the block cannot be edited safely; the reason
//                              says why (not EXIF, a directory or the GPS
//                              pointer outside the payload or malformed,
//                              growth that would move data it cannot follow)
//   "SegmentTooLargeException" there is no room, and the grown block would
//                              not fit a JPEG segment (kMaxSegmentPayload)
//   "InvalidJpegException"     (file level) the input is not a JPEG whose
//                              segments lead to image data
//   "InvalidGPSValueException" (setters) a value outside its range
// Stateless apart from the GPSEdit value; safe to use from several threads on
// distinct outputs.
#include "exif/exf_gps_values.h"
#include "exif/exif_block_map.h"
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
// Every byte of `payload` is copied unchanged except the old GPS bytes, the
// room the new directories take and the one patched pointer (IFD0 itself
// where it gains or loses its GPS pointer). An edit that changes nothing
// appends the payload as it is. Positions past the payload are not
// corrected: a caller that puts a grown payload into a file uses
// editJpegGPS().
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

// An edited file told as what changed: the edited file is the head appended
// to `out` followed by the input's bytes from `tailFrom` on, unchanged. The
// head ends with the EXIF segment unless the edit must also correct bytes
// after it (an AFCP trailer); then it runs to the end (`tailFrom` is the
// input's size). A caller writing a file copies the tail file to file.
template <class Outcome>
struct EditedHead {
  Outcome outcome;
  std::size_t tailFrom;
};

// Appends to `out` the JPEG file `jpeg` with the edit applied to its EXIF
// APP1 (the first APP1 that holds EXIF). A file without one gets a fresh
// block after the APP0 segments that open it (right after SOI when there are
// none). Every other byte of the file is copied as it stands, in the same
// order, stray bytes between segments included. Throws "InvalidJpegException"
// for input that is not such a JPEG, and the exceptions of editGPS(); `out`
// is then as it was.
GPSEditOutcome editJpegGPS(std::span<const std::uint8_t> jpeg, const GPSEdit& edit, Bytes& out);
// The same, appending only the head (see EditedHead).
EditedHead<GPSEditOutcome> editJpegGPSHead(std::span<const std::uint8_t> jpeg, const GPSEdit& edit, Bytes& out);

// What stripJpegGPS() did.
enum class GPSStripOutcome {
  Stripped,    // the GPS pointer and directory were removed
  NoPosition,  // the file held none; it was copied as it is
};

// Appends to `out` the JPEG file `jpeg` without its GPS position: IFD0 loses
// its GPS pointer where it stands, and the GPS directory and its values are
// zeroed. Nothing grows or moves. Throws as editJpegGPS().
GPSStripOutcome stripJpegGPS(std::span<const std::uint8_t> jpeg, Bytes& out);
// The same, appending only the head (nothing for NoPosition: the tail is the
// whole file).
EditedHead<GPSStripOutcome> stripJpegGPSHead(std::span<const std::uint8_t> jpeg, Bytes& out);

namespace detail {
// The payload edit behind editGPS() and editJpegGPS(): how far the payload
// grew past its old end, and the positions in it that address bytes past
// that end (each a field of the appended payload).
struct PayloadEdit {
  std::size_t grownBy = 0;
  std::vector<PositionField> pastEnd;
  bool unreadMakerNote = false;
};
PayloadEdit appendEdited(std::span<const std::uint8_t> payload, const GPSEdit& edit, Bytes& out);
}  // namespace detail

}  // namespace exif
