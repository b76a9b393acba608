#include "sim/commands.h"

#include "sim/serve/serve_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace holdstill::sim {
namespace {

constexpr const char* kUsage = R"(usage: holdstill run [SCENARIO.json] [--device DIR | --keep-device] [--screenshots DIR] [--report DIR]
       holdstill serve [SCENARIO.json] [--device DIR] [--port N] [--host ADDR]
       holdstill trace-steadiness TRACE.csv [--sensitivity N]
       holdstill record-motion still|shaking [--seconds S] [--seed N]
       holdstill compose PICTURE -o OUT.jpg [--lat DEG --lon DEG [--alt M]]
                 [--orientation up|down|left|right] [--landscape] [--model TEXT]
                 [--name TEXT] [--language en|de|fr] [--time "YYYY-MM-DD HH:MM:SS"]
       holdstill replay-gps TRACK.gpx [--accuracy M] [--keep-times] [--start S]
                 [--language en|de|fr]

run               Runs the application on a simulated phone in simulated time,
                  playing the scenario (without one, a built-in tour of the
                  product), and prints a line per notable event and a closing
                  summary: every picture under DCIM with its GPS position (or
                  why it has none), shutter presses against pictures saved,
                  the opened addresses and the exit status. --device DIR keeps
                  the phone (settings, camera roll) in DIR between runs; by
                  default a fresh one is made in a temporary folder and
                  removed at the end, unless --keep-device is given.
                  --screenshots DIR writes a PNG of the screen at every
                  notable event and at the scenario's times. --report DIR
                  writes DIR/index.html: the scenario, every event line with
                  the screen at that moment, the camera roll (thumbnails,
                  positions, map links, the files) and the exit status; it
                  opens offline in any browser. Exit status: 0 the
                  application quit with 0 or the time ran out and no picture
                  was lost, 1 it stalled or failed or a picture was lost, 2
                  the scenario cannot be read.

serve             Runs the application on a simulated phone in real time and
                  serves it as a web page (default http://127.0.0.1:8080/):
                  the live screen to touch, motion, GPS and clock controls,
                  the camera roll and the event log; the same through an
                  HTTP JSON API (see README.md). The scenario still plays
                  (its time limit aside). --port 0 takes any free port;
                  --host ADDR listens elsewhere than on the loopback
                  address. Ctrl-C, or POST /api/quit, switches the phone off
                  once no picture is being saved.
trace-steadiness  Replays a recorded accelerometer log (rows t,x,y,z: seconds
                  and g) through the steadiness detector, armed as the camera
                  overlay arms it for a steady shot, in simulated time. The
                  accelerometer reads the log 30 times a second, as the
                  application asks of it (linear between rows). Prints one line
                  per 0.3-second tick (time, level, steady-tick count) and one
                  for every shutter request. After a request the count starts
                  again from 0, as when the overlay fires, and the replay goes
                  on: a long still log asks for the shutter every 2.1 seconds.
                  Times count from the log's first row, so a log stamped
                  with the phone's uptime replays as recorded. Logs of up to
                  a day and 100 MB are replayed.
                  --sensitivity N is the SENSITIVITY setting: 1 (the default)
                  for a threshold of 0.25 g per axis and tick, any other whole
                  number for 0.21 g.
record-motion     Prints a motion of the simulated phone as a log that
                  trace-steadiness reads: 30 rows a second from 0 to S seconds
                  (default 5); still (gravity and a tiny noise) or shaking; the
                  seed (default 1) makes it the same on every run. The logs in
                  sim/traces/ were made so; their first line says how.
compose           Writes PICTURE (PNG or JPEG, taken with the given orientation,
                  default up) as the phone saves a picture with GPS recording
                  on: a JPEG at quality 0.98 with our EXIF block and a 160 x 120
                  thumbnail (itself carrying the application thumbnail
                  appthumb.png), and the GPS position when --lat and --lon are
                  given. --model (default iPhone), --name (the owner), --language
                  and --time (default now) are the phone's; --alt lies within
                  -12000..100000 m. OUT is written atomically, never over
                  PICTURE, and not at all when anything is wrong.
replay-gps        Runs the location tracker on the track's points in simulated
                  time: the first point at --start seconds (default 0), the
                  others keeping their spacing, each with the horizontal
                  accuracy --accuracy (default 5 m). The phone's clock starts
                  at 2010-06-15 12:00:00 UTC, as a scenario's does by default.
                  With --keep-times each fix carries its own time from the
                  file instead of its arrival time, so a first fix recorded
                  more than 300 s before that is stale. Prints, per fix or
                  error the tracker receives, the time, the verdict and the
                  GPS badge's text, then the counts.

Exit status: 0 done, 1 bad file, rows or values, 2 wrong usage.
)";

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args, const std::set<std::string>& options) {
  Arguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.size() < 2 || word.compare(0, 2, "--") != 0) {
      parsed.positional.push_back(word);
      continue;
    }
    if (!options.contains(word)) throw UsageError("unknown option '" + word + "'");
    if (i + 1 == args.size()) throw UsageError(word + " needs a value");
    if (!parsed.options.emplace(word, args[++i]).second) throw UsageError(word + " is given twice");
  }
  return parsed;
}

long long wholeNumberArgument(const std::string& option, const std::string& value) {
  long long number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size())
    throw CommandError(option + " takes a whole number, not '" + value + "'");
  return number;
}

double decimalArgument(const std::string& option, const std::string& value) {
  double number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
      !std::isfinite(number))
    throw CommandError(option + " takes a decimal number, not '" + value + "'");
  return number;
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError("no command given");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    static const std::set<std::string> kCommands{"run", "serve", "trace-steadiness", "record-motion", "compose", "replay-gps"};
    if (kCommands.contains(args[0]) && std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
      out << kUsage;
      return 0;
    }
    if (args[0] == "run") return runApplication(rest, out, err);
    if (args[0] == "serve") return serve::serveCommand(rest, out, err);
    if (args[0] == "trace-steadiness")
      traceSteadiness(rest, out);
    else if (args[0] == "record-motion")
      recordMotion(rest, out);
    else if (args[0] == "compose")
      compose(rest, out);
    else if (args[0] == "replay-gps")
      replayGps(rest, out);
    else if (args[0] == "--help" || args[0] == "help")
      out << kUsage;
    else
      throw UsageError("unknown command '" + args[0] + "'");
    return 0;
  } catch (const UsageError& e) {
    err << "holdstill: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    err << "holdstill: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace holdstill::sim
