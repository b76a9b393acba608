#include "tools/exf/arguments.h"

#include <cctype>
#include <charconv>

namespace exf {

const std::string* ParsedArguments::value(const std::string& option) const {
  auto it = values.find(option);
  return it == values.end() ? nullptr : &it->second;
}

std::optional<ParsedArguments> parseArguments(const std::vector<std::string>& args,
                                              const std::set<std::string>& flags,
                                              const std::set<std::string>& valued,
                                              std::string& error) {
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
    } else if (valued.count(a)) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return std::nullopt;
      }
      if (!parsed.values.emplace(a, args[++i]).second) {
        error = a + " given twice";
        return std::nullopt;
      }
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

}  // namespace exf
