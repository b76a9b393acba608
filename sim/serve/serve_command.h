#pragma once
// `holdstill serve`: the application on the simulated phone in real time
// (the virtual clock paced by the wall clock), live in a local web page and
// scriptable through an HTTP JSON API (see README.md).
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace holdstill::sim::serve {

struct ServeOptions {
  std::filesystem::path scenario;  // empty: the built-in live.json
  std::filesystem::path device;    // empty: a fresh phone in a temporary folder
  std::string host = "127.0.0.1";
  int port = 8080;                 // 0: any free port
  bool handleSignals = true;       // SIGINT and SIGTERM quit
  // Told the port once the server listens (any thread may then call it).
  std::function<void(int port)> listening;
};

// Runs until the application quits or is asked to (POST /api/quit, Ctrl-C),
// letting a save in flight finish first. Prints the event log and the
// closing camera roll; returns 0 when it quit cleanly, 1 when the
// application failed or quit with another status, 2 for an unreadable
// scenario. Throws CommandError when the page or the address is missing.
int servePhone(const ServeOptions& options, std::ostream& out, std::ostream& err);

// The command line's `serve ARGS...`; throws UsageError and CommandError.
int serveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace holdstill::sim::serve
