// holdstill compose: one picture composed as the save pipeline composes it.
#include "state/settings.h"
#include "exif/exf_gps_values.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/bundle.h"
#include "platform/graphics/image_codec.h"
#include "sim/commands.h"
#include "sim/scratch_device.h"
#include "storage/exif_composition.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace holdstill::sim {
namespace {

using namespace platform;

UIImageOrientation orientationArgument(const std::string& value) {
  if (value == "up") return UIImageOrientationUp;
  if (value == "down") return UIImageOrientationDown;
  if (value == "left") return UIImageOrientationLeft;
  if (value == "right") return UIImageOrientationRight;
  throw CommandError("--orientation takes up, down, left or right, not '" + value + "'");
}

// "YYYY-MM-DD HH:MM:SS" as EXIF writes it, "YYYY:MM:DD HH:MM:SS".
std::string timeArgument(const std::string& value) {
  const auto bad = [&] { return CommandError("--time takes \"YYYY-MM-DD HH:MM:SS\", not '" + value + "'"); };
  if (value.size() != 19) throw bad();
  int fields[6] = {};
  const int starts[6] = {0, 5, 8, 11, 14, 17}, lengths[6] = {4, 2, 2, 2, 2, 2};
  const char separators[5] = {'-', '-', ' ', ':', ':'};
  for (int i = 0; i < 6; ++i) {
    const char* first = value.data() + starts[i];
    const auto [end, error] = std::from_chars(first, first + lengths[i], fields[i]);
    if (error != std::errc() || end != first + lengths[i] || *first == '-' || *first == '+') throw bad();
    if (i < 5 && value[starts[i] + lengths[i]] != separators[i]) throw bad();
  }
  const auto [year, month, day, hour, minute, second] = fields;
  const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(month)),
                                         std::chrono::day(unsigned(day))};
  if (year < 1 || !date.ok() || hour > 23 || minute > 59 || second > 59) throw bad();
  std::string text = value;
  text[4] = text[7] = ':';
  return text;
}

std::string localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
  return text;
}

std::vector<std::uint8_t> readPictureFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CommandError(path + ": cannot read the picture");
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw CommandError(path + ": cannot read the picture");
  return bytes;
}

}  // namespace

void compose(const std::vector<std::string>& args, std::ostream& out) {
  // --landscape is the only option without a value; -o the only short one.
  std::vector<std::string> words;
  bool landscape = false;
  std::optional<std::string> outOption;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--landscape") {
      if (landscape) throw UsageError("--landscape is given twice");
      landscape = true;
    } else if (args[i] == "-o") {
      if (outOption) throw UsageError("-o is given twice");
      if (i + 1 == args.size()) throw UsageError("-o needs a value");
      outOption = args[++i];
    } else {
      words.push_back(args[i]);
    }
  }
  const Arguments parsed = parseArguments(
      words, {"--lat", "--lon", "--alt", "--orientation", "--model", "--name", "--language", "--time"});
  if (parsed.positional.size() != 1) throw UsageError("compose takes one picture");
  if (!outOption || outOption->empty()) throw UsageError("compose needs -o OUT.jpg");
  const auto option = [&](const std::string& name) -> std::optional<std::string> {
    auto found = parsed.options.find(name);
    return found == parsed.options.end() ? std::nullopt : std::optional(found->second);
  };
  const std::string picturePath = parsed.positional[0], outPath = *outOption;
  std::error_code sameError;
  if (std::filesystem::equivalent(picturePath, outPath, sameError))
    throw CommandError(outPath + " is the input picture; nothing written");

  // Every argument is checked before anything is read or written.
  if (option("--lat").has_value() != option("--lon").has_value())
    throw CommandError("--lat and --lon go together");
  if (option("--alt") && !option("--lat")) throw CommandError("--alt needs --lat and --lon");
  std::optional<CLLocationCoordinate2D> position;
  double altitude = 0;
  if (option("--lat")) {
    const double lat = decimalArgument("--lat", *option("--lat")), lon = decimalArgument("--lon", *option("--lon"));
    if (lat < -90 || lat > 90) throw CommandError("--lat must lie in [-90, 90], not '" + *option("--lat") + "'");
    if (lon < -180 || lon > 180)
      throw CommandError("--lon must lie in [-180, 180], not '" + *option("--lon") + "'");
    position = CLLocationCoordinate2D{lat, lon};
    if (option("--alt")) altitude = decimalArgument("--alt", *option("--alt"));
    if (altitude < exif::kLowestAltitude || altitude > exif::kHighestAltitude)
      throw CommandError("--alt must lie in [-12000, 100000] m, not '" + *option("--alt") + "'");
  }
  // The picture's orientation: as given, or as the camera delivers a shot
  // with the phone held upright (right) or sideways (--landscape: up).
  if (landscape && option("--orientation")) throw UsageError("--landscape and --orientation: give one of them");
  const UIImageOrientation orientation =
      orientationArgument(option("--orientation").value_or(landscape ? "up" : "right"));
  const std::string language = option("--language").value_or("en");
  if (language != "en" && language != "de" && language != "fr")
    throw CommandError("--language takes en, de or fr, not '" + language + "'");
  const std::string dateTime = option("--time") ? timeArgument(*option("--time")) : localTimeNow();

  DeviceProfile profile;
  profile.model = option("--model").value_or("iPhone");
  profile.name = option("--name").value_or("");
  profile.preferredLanguage = language;
  ScratchDevice phone(profile);

  std::string decodeError;
  const CGImageRef pixels = decodeImage(readPictureFile(picturePath), &decodeError);
  if (!pixels) throw CommandError(picturePath + ": not a PNG or JPEG picture we can read (" + decodeError + ")");
  const auto picture = std::make_shared<UIImage>(pixels, orientation);

  const NSBundle& bundle = NSBundle::mainBundle();
  const auto appThumb = UIImage::imageNamed("appthumb.png");

  CompositionFacts facts;
  facts.device = DeviceFacts{profile.model, profile.name};
  facts.appName = bundle.localizedStringForKey("AppName", "", "");
  const auto version = bundle.objectForInfoDictionaryKey(kBundleVersionKey);
  facts.appVersion = version ? version->stringValue() : "";
  facts.dateTime = dateTime;
  // The application thumbnail, as the capture screen composes it; as there,
  // a missing one leaves the picture's thumbnail without it.
  if (const auto thumb = appThumb ? addEXIF(appThumb, {}, false, facts) : std::nullopt)
    facts.processedThumb = std::make_shared<const exif::Bytes>(*thumb);
  if (position)
    facts.fix = std::make_shared<const CLLocation>(*position, altitude, 5.0, NSDate::date());

  std::string failure;
  const auto composed = addEXIF(picture, {}, true, facts, &failure);
  if (!composed) throw CommandError(picturePath + ": the picture cannot be composed: " + failure);
  NSError error;
  if (!detail::writeFileAtomically(outPath, *composed, &error)) throw CommandError(error.localizedDescription);
  out << outPath << ": " << composed->size() << " bytes, " << pixels->width() << " x " << pixels->height()
      << ", orientation " << exifOrientation(orientation) << (position ? ", with GPS" : ", without GPS")
      << (facts.processedThumb ? "" : ", no appthumb.png in the bundle") << "\n";
}

}  // namespace holdstill::sim
