#include "sim/serve/request_checks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace holdstill::sim::serve {

namespace fs = std::filesystem;

AddressGuard::AddressGuard(const std::string& host, int port) {
  const std::string suffix = ":" + std::to_string(port);
  const bool v6 = host.find(':') != std::string::npos;
  const std::string named = v6 ? "[" + host + "]" : host;
  names_.push_back(named + suffix);
  if (host == "127.0.0.1" || host == "::1" || host == "localhost") {
    names_.push_back("localhost" + suffix);
    names_.push_back(host == "::1" ? "[::1]" + suffix : "127.0.0.1" + suffix);
  }
  std::sort(names_.begin(), names_.end());
  names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
}

void AddressGuard::check(const std::optional<std::string>& host, const std::optional<std::string>& origin) const {
  auto known = [this](const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return std::find(names_.begin(), names_.end(), lower) != names_.end();
  };
  if (!host || !known(*host))
    throw RequestError(403, "this server answers requests for " + names_.front() + " only, not for host '" +
                                host.value_or("") + "'");
  if (origin && (origin->rfind("http://", 0) != 0 || !known(origin->substr(7))))
    throw RequestError(403, "requests from pages of " + *origin + " are refused");
}

fs::path fileInFolder(const fs::path& folder, const std::string& name) {
  const bool plain = !name.empty() && name.size() <= 255 && name.front() != '.' &&
                     std::all_of(name.begin(), name.end(), [](unsigned char c) {
                       return std::isalnum(c) || c == '.' || c == '_' || c == '-';
                     });
  if (!plain) throw RequestError(404, "no such file");
  std::error_code error;
  const fs::path base = fs::canonical(folder, error);
  if (error) throw RequestError(404, "no such file");
  const fs::path file = fs::canonical(base / name, error);
  if (error || file.parent_path() != base || !fs::is_regular_file(file, error))
    throw RequestError(404, "no such file");
  return file;
}

RequestFields::RequestFields(const std::string& body, const std::set<std::string>& known) {
  body_ = nlohmann::json::parse(body.empty() ? std::string("{}") : body, nullptr, false);
  if (body_.is_discarded()) throw RequestError(400, "the body is not JSON");
  if (!body_.is_object()) throw RequestError(400, "the body is not a JSON object");
  for (const auto& [field, value] : body_.items())
    if (!known.contains(field)) throw RequestError(400, "unknown field '" + field + "'");
}

double RequestFields::number(const std::string& field) const {
  if (!has(field)) throw RequestError(400, "'" + field + "' is missing");
  const auto& value = body_.at(field);
  if (!value.is_number() || !std::isfinite(value.get<double>()))
    throw RequestError(400, "'" + field + "' must be a number");
  return value.get<double>();
}

double RequestFields::number(const std::string& field, double otherwise) const {
  return has(field) ? number(field) : otherwise;
}

int RequestFields::whole(const std::string& field) const {
  const double value = number(field);
  if (value != std::floor(value) || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    throw RequestError(400, "'" + field + "' must be a whole number");
  return static_cast<int>(value);
}

std::string RequestFields::text(const std::string& field) const {
  auto value = optionalText(field);
  if (!value) throw RequestError(400, "'" + field + "' is missing");
  return *value;
}

std::optional<std::string> RequestFields::optionalText(const std::string& field) const {
  if (!has(field)) return std::nullopt;
  if (!body_.at(field).is_string()) throw RequestError(400, "'" + field + "' must be a text");
  return body_.at(field).get<std::string>();
}

std::optional<bool> RequestFields::flag(const std::string& field) const {
  if (!has(field)) return std::nullopt;
  if (!body_.at(field).is_boolean()) throw RequestError(400, "'" + field + "' must be true or false");
  return body_.at(field).get<bool>();
}

}  // namespace holdstill::sim::serve
