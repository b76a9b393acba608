#include "storage/save_record.h"

#include <mutex>

namespace holdstill {
namespace {

std::mutex recordsMutex;
std::vector<SaveRecord> records;  // guarded by recordsMutex

}  // namespace

void recordSave(SaveRecord record) {
  std::lock_guard lock(recordsMutex);
  records.push_back(std::move(record));
}

std::vector<SaveRecord> saveRecords() {
  std::lock_guard lock(recordsMutex);
  return records;
}

void clearSaveRecords() {
  std::lock_guard lock(recordsMutex);
  records.clear();
}

}  // namespace holdstill
