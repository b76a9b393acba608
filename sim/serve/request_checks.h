#pragma once
// What the browser phone checks of a request before it acts on it: the
// address it names (so that another web page cannot drive the phone), the
// file it asks for (so that no path leaves the folder served), and the
// fields of its JSON body (so that a misspelt one does not pass unnoticed).
// Pure functions; any thread.
#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace holdstill::sim::serve {

// A request refused with an HTTP status (4xx) and a one-line reason.
class RequestError : public std::runtime_error {
 public:
  RequestError(int status, const std::string& reason) : std::runtime_error(reason), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// The names a request may give for the served address: "HOST:PORT", and
// for a loopback address also "localhost:PORT" (and the other loopback
// spelling of the same family).
class AddressGuard {
 public:
  AddressGuard(const std::string& host, int port);
  // Throws RequestError(403) unless the Host header names the served
  // address and the Origin header, when there is one, is "http://" and
  // such a name.
  void check(const std::optional<std::string>& host, const std::optional<std::string>& origin) const;
  const std::vector<std::string>& names() const { return names_; }

 private:
  std::vector<std::string> names_;
};

// The file `name` in `folder`: a plain file name (letters, digits, '.', '_'
// and '-', not starting with '.') of a regular file that, links resolved,
// lies in the folder. Throws RequestError(404) otherwise.
std::filesystem::path fileInFolder(const std::filesystem::path& folder, const std::string& name);

// A JSON request body: an object whose fields are all among `known`.
// Throws RequestError(400) naming what is wrong; reading a field of the
// wrong kind does too.
class RequestFields {
 public:
  RequestFields(const std::string& body, const std::set<std::string>& known);

  bool has(const std::string& field) const { return body_.contains(field); }
  double number(const std::string& field) const;
  double number(const std::string& field, double otherwise) const;
  // A whole number that fits an int.
  int whole(const std::string& field) const;
  std::string text(const std::string& field) const;
  std::optional<std::string> optionalText(const std::string& field) const;
  std::optional<bool> flag(const std::string& field) const;

 private:
  nlohmann::json body_;
};

}  // namespace holdstill::sim::serve
