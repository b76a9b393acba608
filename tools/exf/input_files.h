#pragma once
// The files a batch command works on: the paths on its command line, with
// each folder replaced by the pictures in it.
#include "tools/exf/output_path.h"

#include <optional>
#include <string>
#include <vector>

namespace exf {

struct InputFile {
  std::string path;      // as given, or the folder's path joined with the name
  std::string relative;  // its name below -o DIR: the file's name, or its path below the folder given
  std::string error;     // set when a folder could not be listed (then `path` is the folder)
};

// Expands `paths` in the order given. A path that is not a folder is taken
// as it is (whatever its name; reading it reports what is wrong with it). A
// folder gives its JPEG files (names ending .jpg or .jpeg in any case, not
// beginning with a dot), sorted by name, symbolic links to files included;
// with `recursive`, its subfolders too, in the same order, except the folder
// `skip` (the output folder, so a second run does not take its own output
// for input). Symbolic links to folders are not followed.
std::vector<InputFile> expandInputs(const std::vector<std::string>& paths, bool recursive,
                                    const std::optional<FileIdentity>& skip = std::nullopt);

}  // namespace exf
