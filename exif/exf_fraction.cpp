#include "exif/exf_fraction.h"

#include "exif/number.h"

namespace exif {

std::string EXFraction::description() const { return shortestText(quotient()); }

}  // namespace exif
