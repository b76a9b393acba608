#include "platform/foundation/string_format.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace platform {
namespace {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr int kMaxField = 4096;

// One conversion directive, as parsed from the format.
struct Directive {
  int position = 0;  // 1-based "n$", or 0 for the next argument
  std::string flags;
  int width = -1;      // -1: none; -2: from an argument ('*')
  int precision = -1;  // -1: none; -2: from an argument ('*')
  char conversion = 0;
};

int readNumber(std::string_view format, std::size_t& at) {
  int value = 0;
  while (at < format.size() && isDigit(format[at])) {
    if (value < 100000) value = value * 10 + (format[at] - '0');
    ++at;
  }
  return value;
}

// Parses the directive after a '%' at `at`; returns false when the text
// is not a complete directive.
bool parseDirective(std::string_view format, std::size_t& at, Directive& d) {
  std::size_t start = at;
  if (at < format.size() && isDigit(format[at]) && format[at] != '0') {
    int n = readNumber(format, at);
    if (at < format.size() && format[at] == '$')
      d.position = n, ++at;
    else
      at = start;
  }
  while (at < format.size() && std::string_view("-+ #0'").find(format[at]) != std::string_view::npos)
    d.flags += format[at++];
  if (at < format.size() && format[at] == '*')
    d.width = -2, ++at;
  else if (at < format.size() && isDigit(format[at]))
    d.width = readNumber(format, at);
  if (at < format.size() && format[at] == '.') {
    ++at;
    if (at < format.size() && format[at] == '*')
      d.precision = -2, ++at;
    else
      d.precision = readNumber(format, at);
  }
  while (at < format.size() && std::string_view("hlqLzjt").find(format[at]) != std::string_view::npos)
    ++at;
  if (at >= format.size()) return false;
  d.conversion = format[at++];
  return true;
}

std::string printfDirective(const Directive& d, int width, int precision, std::string_view conversion) {
  std::string out = "%" + d.flags;
  std::erase(out, '\'');
  if (width >= 0) out += std::to_string(width);
  if (precision >= 0) out += "." + std::to_string(precision);
  out += conversion;
  return out;
}

template <class T>
std::string printOne(const std::string& directive, T value) {
  int size = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (size <= 0) return {};
  std::string text(std::size_t(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), directive.c_str(), value);
  text.resize(std::size_t(size));
  return text;
}

}  // namespace

std::string stringWithFormatArgs(std::string_view format, std::initializer_list<PropertyValue> args) {
  std::size_t next = 0;
  auto argument = [&](int position) -> const PropertyValue* {
    std::size_t index = position > 0 ? std::size_t(position - 1) : next++;
    return index < args.size() ? args.begin() + index : nullptr;
  };
  std::string out;
  std::size_t at = 0;
  while (at < format.size()) {
    char c = format[at++];
    if (c != '%') {
      out += c;
      continue;
    }
    std::size_t directiveStart = at - 1;
    Directive d;
    if (!parseDirective(format, at, d)) {
      out.append(format.substr(directiveStart));
      break;
    }
    if (d.conversion == '%') {
      out += '%';
      continue;
    }
    if (std::string_view("diuoxXcfFeEgGaAs@").find(d.conversion) == std::string_view::npos) {
      out.append(format.substr(directiveStart, at - directiveStart));  // unknown: copied, takes no argument
      continue;
    }
    int width = d.width, precision = d.precision;
    if (width == -2) {
      const PropertyValue* w = argument(0);
      width = w ? w->intValue() : 0;
      if (width < 0) d.flags += '-', width = width == INT_MIN ? INT_MAX : -width;
    }
    if (precision == -2) {
      const PropertyValue* p = argument(0);
      precision = p ? p->intValue() : -1;
      if (precision < 0) precision = -1;
    }
    // Bounded, so that a hostile format cannot ask for gigabytes of padding.
    width = std::min(width, kMaxField);
    precision = std::min(precision, kMaxField);
    const PropertyValue* value = argument(d.position);
    switch (d.conversion) {
      case 'd':
      case 'i':
        out += printOne(printfDirective(d, width, precision, "lld"),
                        (long long)(value ? value->integerValue() : 0));
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        out += printOne(printfDirective(d, width, precision, std::string("ll") + d.conversion),
                        (unsigned long long)(value ? value->integerValue() : 0));
        break;
      case 'c':
        out += printOne(printfDirective(d, width, -1, "c"), int(value ? value->intValue() : 0));
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        out += printOne(printfDirective(d, width, precision, std::string(1, d.conversion)),
                        value ? value->doubleValue() : 0.0);
        break;
      case 's':
      case '@': {
        std::string text = value ? value->stringValue() : std::string();
        out += printOne(printfDirective(d, width, precision, "s"), text.c_str());
        break;
      }
    }
  }
  return out;
}

}  // namespace platform

