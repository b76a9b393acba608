#pragma once
// What became of each picture the save pipeline was given, kept for
// whoever watches the application (the simulator's log and summary); the
// application itself only adds to it. Any thread.
#include <string>
#include <vector>

namespace holdstill {

struct SaveRecord {
  enum class Result {
    Saved,    // the file the album wrote, or our geotagged copy of it
    Rescued,  // the album failed; the application wrote the picture itself
    Lost,     // nothing could be written
  };
  Result result = Result::Saved;
  std::string path;        // device path of the file holding the picture; empty when lost or unknown
  bool geotagged = false;  // that file carries the picture's position
  std::string why;         // why it has no position, was rescued or was lost; empty otherwise
};

void recordSave(SaveRecord record);
// Every record so far, oldest first.
std::vector<SaveRecord> saveRecords();
// Forgets them (a new run of the application in the same process).
void clearSaveRecords();

}  // namespace holdstill
