#pragma once
// Where exf may write: the checks that keep an output off its input and a
// symbolic link from being replaced by a file.
#include <optional>
#include <string>
#include <vector>

namespace exf {

// The identity of an existing file (device and inode, links followed), so
// two names of one file (symbolic or hard links) compare equal.
struct FileIdentity {
  unsigned long long device = 0, inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> identityOf(const std::string& path);

// The path to write for output name `out`: `out` itself, or, when `out` is
// a symbolic link, the file it leads to (so the link stays a link and its
// target receives the new content). Returns nothing and sets `error` when
// `out` is a link that leads nowhere (the file would land in a place the
// user did not name) or a loop.
std::optional<std::string> resolveOutput(const std::string& out, std::string& error);

// The path to replace for --in-place on `in`: its final target when it is a
// symbolic link, so the link survives. Sets `error` when that fails.
std::optional<std::string> resolveInPlace(const std::string& in, std::string& error);

// Whether writing `out` would replace one of `inputs` (by identity, so
// through any link).
bool isOneOf(const std::string& out, const std::vector<FileIdentity>& inputs);

}  // namespace exf
