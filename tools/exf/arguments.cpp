#include "tools/exf/arguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <thread>

namespace exf {

const std::string* ParsedArguments::value(const std::string& option) const {
  auto it = values.find(option);
  return it == values.end() ? nullptr : &it->second.front();
}

std::optional<ParsedArguments> parseArguments(const std::vector<std::string>& args,
                                              const std::set<std::string>& flags,
                                              const std::set<std::string>& valued,
                                              std::string& error,
                                              const std::set<std::string>& repeatable) {
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      parsed.operands.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (flags.count(a)) {
      if (!parsed.flags.insert(a).second) {
        error = a + " given twice";
        return std::nullopt;
      }
    } else if (valued.count(a) || (a[1] != '-' && valued.count(a.substr(0, 2)))) {
      // A one-letter option may carry its value in the same word ("-j4").
      const std::string option = valued.count(a) ? a : a.substr(0, 2);
      if (option == a && i + 1 >= args.size()) {
        error = a + " needs a value";
        return std::nullopt;
      }
      std::vector<std::string>& given = parsed.values[option];
      if (!given.empty() && !repeatable.count(option)) {
        error = option + " given twice";
        return std::nullopt;
      }
      given.push_back(option == a ? args[++i] : a.substr(2));
    } else {
      error = "unknown option " + a;
      return std::nullopt;
    }
  }
  return parsed;
}

std::optional<double> parseDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    return i > start;
  };
  if (!digits()) return std::nullopt;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!digits()) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  // from_chars reads no leading '+' and is independent of the locale.
  if (text[0] == '+') text.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<unsigned> parseJobs(const std::string* text) {
  if (!text) return std::max(1u, std::thread::hardware_concurrency());
  unsigned n = 0;
  const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), n);
  if (ec != std::errc() || end != text->data() + text->size() || n < 1 ||
      n > 1024)
    return std::nullopt;
  return n;
}

}  // namespace exf
