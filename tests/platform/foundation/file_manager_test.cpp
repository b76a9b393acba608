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

  bool write(const std::string& path, const std::string& text) {
    return writeToFile({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, path, true);
  }
  std::string read(const std::string& path) {
    auto bytes = dataWithContentsOfFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
  }
};

TEST_F(FileManagerTest, WriteReplacesAWholeFileOrNothing) {
  ASSERT_TRUE(write("/photo.jpg", "old picture"));
  ASSERT_TRUE(write("/photo.jpg", "new"));
  EXPECT_EQ(read("/photo.jpg"), "new");

  NSError error;
  EXPECT_FALSE(writeToFile({}, "/missing/folder/photo.jpg", true, &error));
  EXPECT_EQ(error.domain, kPOSIXErrorDomain);
  EXPECT_FALSE(files.fileExistsAtPath("/missing"));

  // A folder in the way: the write fails and the folder is untouched.
  ASSERT_TRUE(files.createDirectoryAtPath("/taken/inside", true));
  EXPECT_FALSE(write("/taken", "bytes"));
  EXPECT_TRUE(files.fileExistsAtPath("/taken/inside"));
  EXPECT_EQ(files.contentsOfDirectoryAtPath("/"), (std::vector<std::string>{"photo.jpg", "taken"}))
      << "no temporary file is left behind";
  EXPECT_EQ(read("/nothing"), "<none>");
}

TEST_F(FileManagerTest, AWriteIfAbsentNeverReplacesAFile) {
  const std::string text = "new";
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  ASSERT_TRUE(write("/photo.jpg", "old picture"));
  NSError error;
  EXPECT_FALSE(writeToFileIfAbsent(bytes, "/photo.jpg", &error));
  EXPECT_EQ(error.code, EEXIST);
  EXPECT_EQ(read("/photo.jpg"), "old picture");
  EXPECT_TRUE(writeToFileIfAbsent(bytes, "/other.jpg"));
  EXPECT_EQ(read("/other.jpg"), "new");
  EXPECT_EQ(files.contentsOfDirectoryAtPath("/"), (std::vector<std::string>{"other.jpg", "photo.jpg"}))
      << "no temporary file is left behind";
}

}  // namespace
}  // namespace platform
