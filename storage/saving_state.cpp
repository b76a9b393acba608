#include "storage/saving_state.h"

#include "storage/save_record.h"

namespace holdstill {

std::atomic<bool> _bBusySaving{false};
Guarded<std::optional<std::vector<std::string>>> varrFileBefore;
Guarded<std::shared_ptr<const exif::Bytes>> _processedThumb;

void resetSavingStateForTesting() {
  _bBusySaving = false;
  varrFileBefore.set(std::nullopt);
  _processedThumb.set(nullptr);
  clearSaveRecords();
}

}  // namespace holdstill
