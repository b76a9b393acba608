// Camera-roll numbering: the new file named by comparing two listings, and
// the listing of a real folder on the simulated phone.
#include "storage/camera_roll.h"
#include "storage/camera_roll_numbering.h"

#include "platform/album/photo_album.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/ns_string.h"
#include "tests/platform/device_fixture.h"

#include <gtest/gtest.h>

namespace holdstill {
namespace {

using Listing = std::vector<std::string>;

struct NumberingCase {
  const char* name;
  Listing previous, current;
  const char* stem;
  std::optional<std::string> replaceable;  // the entry a composed picture may replace
};

const NumberingCase kCases[] = {
    {"AppendedAtTheEnd", {"IMG_0001.JPG", "IMG_0002.JPG"}, {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"},
     "IMG_0003", "IMG_0003.JPG"},
    {"FirstPictureOfAnEmptyRoll", {}, {"IMG_0001.JPG"}, "IMG_0001", "IMG_0001.JPG"},
    {"NewEntrySortsFirst", {"IMG_0010.JPG"}, {"IMG_0009.JPG", "IMG_0010.JPG"}, "IMG_0009", "IMG_0009.JPG"},
    {"EqualListingsFallBack", {"IMG_0001.JPG"}, {"IMG_0001.JPG"}, "IMG_0999", std::nullopt},
    {"EmptyListingsFallBack", {}, {}, "IMG_0999", std::nullopt},
    {"FiveDigitsAreKept", {"IMG_9999.JPG"}, {"IMG_12345.JPG", "IMG_9999.JPG"}, "IMG_12345", "IMG_12345.JPG"},
    {"NoUnderscoreFallsBack", {}, {"PICT.JPG"}, "IMG_0999", std::nullopt},
    {"NonNumericGivesZero", {}, {"IMG_ABCD.JPG"}, "IMG_0000", std::nullopt},
    // The fallback must not be taken for the new picture when it names an old one.
    {"FallbackNamesAnOldPicture", {"IMG_0999.JPG"}, {"IMG_0999.JPG"}, "IMG_0999", std::nullopt},
    // A picture that really is IMG_0999 is the album's new file.
    {"NewPictureIsReallyNumber999", {"IMG_0998.JPG"}, {"IMG_0998.JPG", "IMG_0999.JPG"}, "IMG_0999",
     "IMG_0999.JPG"},
    // Listings that differ in more than one place: the first difference
    // is taken; it names a picture only if it is the one new entry and is
    // that very file (a save writes one file).
    {"AnOldPictureWasDeletedToo", {"IMG_0001.JPG", "IMG_0002.JPG"}, {"IMG_0002.JPG", "IMG_0003.JPG"},
     "IMG_0002", std::nullopt},
    {"TwoNewPictures", {"IMG_0005.JPG"}, {"IMG_0004.JPG", "IMG_0005.JPG", "IMG_0006.JPG"}, "IMG_0004",
     std::nullopt},
    {"TwoNewOneElsewhere", {"IMG_0001.JPG"}, {"IMG_0001.JPG", "IMG_0002.JPG", "sub/IMG_0001.JPG"},
     "IMG_0002", std::nullopt},
    {"NewEntryInASubfolder", {"IMG_0001.JPG"}, {"IMG_0001.JPG", "sub/IMG_0002.JPG"}, "IMG_0002",
     std::nullopt},
    {"NewEntryOfAnotherCase", {"IMG_0001.JPG"}, {"IMG_0001.JPG", "img_0002.JPG"}, "IMG_0002", std::nullopt},
};

class Numbering : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(Numbering, NamesTheNewEntry) {
  const NumberingCase& c = GetParam();
  EXPECT_EQ(nextFileStem(c.current, c.previous), c.stem);
  EXPECT_EQ(replaceableNewEntry(c.current, c.previous), c.replaceable);
}

INSTANTIATE_TEST_SUITE_P(Listings, Numbering, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

using CameraRollFolder = platform::testsupport::DeviceTest;

void put(const std::string& name, std::vector<std::uint8_t> bytes = {1, 2, 3}) {
  const std::string folder(platform::kCameraRollFolder);
  ASSERT_TRUE(platform::NSFileManager::defaultManager().createDirectoryAtPath(
      platform::stringByDeletingLastPathComponent(folder + name), true));
  ASSERT_TRUE(platform::writeToFile(bytes, folder + name, true));
}

// Only names ending in upper-case ".JPG", sorted ignoring case.
TEST_F(CameraRollFolder, ListsTheTreesJpgsSortedIgnoringCaseAndIsMissingWithoutTheFolder) {
  EXPECT_EQ(cameraRollListing(), std::nullopt);
  put("IMG_0002.JPG");
  put("img_0001.JPG");
  put("IMG_0003.jpg");
  put("sub/IMG_0004.JPG");
  EXPECT_EQ(cameraRollListing(), (Listing{"img_0001.JPG", "IMG_0002.JPG", "sub/IMG_0004.JPG"}));
}

// Replacing the album's file and taking the next free name are pinned
// through the save pipeline; here, a roll not made yet.
TEST_F(CameraRollFolder, StoringMakesAMissingRollButStoresNoEmptyPicture) {
  EXPECT_TRUE(storeComposedPicture({}, {}).path.empty());
  const StoredPicture stored = storeComposedPicture(std::vector<std::uint8_t>{7}, {});
  EXPECT_EQ(stored.path, std::string(platform::kCameraRollFolder) + "IMG_0001.JPG");
  EXPECT_EQ(platform::dataWithContentsOfFile(stored.path), (std::vector<std::uint8_t>{7}));
}

}  // namespace
}  // namespace holdstill
