// Writes at device paths: a whole file or nothing, and never over a file when asked.
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "tests/platform/device_fixture.h"

#include <cerrno>

namespace platform {
namespace {

class FileManagerTest : public testsupport::DeviceTest {
 protected:
  NSFileManager& files = NSFileManager::defaultManager();

  static std::span<const std::uint8_t> bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
  }
  std::string read(const std::string& path) {
    auto bytes = dataWithContentsOfFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
  }
};

TEST_F(FileManagerTest, WriteReplacesAWholeFileOrNothing) {
  ASSERT_TRUE(writeToFile(bytes("old picture"), "/photo.jpg", true));
  ASSERT_TRUE(writeToFile(bytes("new"), "/photo.jpg", true));
  EXPECT_EQ(read("/photo.jpg"), "new");

  NSError error;
  EXPECT_FALSE(writeToFile({}, "/missing/folder/photo.jpg", true, &error));
  EXPECT_EQ(error.domain, kPOSIXErrorDomain);
  EXPECT_FALSE(files.fileExistsAtPath("/missing"));

  // A folder in the way: the write fails and the folder is untouched.
  ASSERT_TRUE(files.createDirectoryAtPath("/taken/inside", true));
  EXPECT_FALSE(writeToFile(bytes("bytes"), "/taken", true));
  EXPECT_TRUE(files.fileExistsAtPath("/taken/inside"));
  EXPECT_EQ(files.contentsOfDirectoryAtPath("/"), (std::vector<std::string>{"photo.jpg", "taken"}))
      << "no temporary file is left behind";
  EXPECT_EQ(read("/nothing"), "<none>");
}

TEST_F(FileManagerTest, AWriteIfAbsentNeverReplacesAFile) {
  ASSERT_TRUE(writeToFile(bytes("old picture"), "/photo.jpg", true));
  NSError error;
  EXPECT_FALSE(writeToFileIfAbsent(bytes("new"), "/photo.jpg", &error));
  EXPECT_EQ(error.code, EEXIST);
  EXPECT_EQ(read("/photo.jpg"), "old picture");
  EXPECT_TRUE(writeToFileIfAbsent(bytes("new"), "/other.jpg"));
  EXPECT_EQ(read("/other.jpg"), "new");
  EXPECT_EQ(files.contentsOfDirectoryAtPath("/"), (std::vector<std::string>{"other.jpg", "photo.jpg"}))
      << "no temporary file is left behind";
}

}  // namespace
}  // namespace platform
