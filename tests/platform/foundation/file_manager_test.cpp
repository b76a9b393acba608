// Files at device paths: existence, listings, folders, all-or-nothing writes.
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "tests/platform/device_fixture.h"

#include <cerrno>

namespace platform {
namespace {

class FileManagerTest : public testsupport::DeviceTest {
 protected:
  NSFileManager& files = NSFileManager::defaultManager();
  static constexpr const char* kRoll = "/private/var/mobile/Media/DCIM/100APPLE";

  bool write(const std::string& path, const std::string& text) {
    return writeToFile({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, path, true);
  }
  std::string read(const std::string& path) {
    auto bytes = dataWithContentsOfFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
  }
};

TEST_F(FileManagerTest, ListingWalksTheTreeInNameOrderAndExistenceTellsFilesFromFolders) {
  const std::string roll = kRoll;
  ASSERT_TRUE(files.createDirectoryAtPath(roll + "/sub/deeper", true));
  for (const char* name : {"IMG_0002.JPG", "IMG_0001.JPG", "sub/IMG_0003.JPG", "sub/deeper/x.jpg", "a.txt"})
    ASSERT_TRUE(write(roll + "/" + name, "x")) << name;
  auto walker = files.enumeratorAtPath(roll + "/");
  ASSERT_TRUE(walker);
  std::vector<std::string> seen;
  while (auto entry = walker->nextObject()) seen.push_back(*entry);
  EXPECT_EQ(seen, (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.JPG", "a.txt", "sub", "sub/IMG_0003.JPG",
                                            "sub/deeper", "sub/deeper/x.jpg"}));
  EXPECT_FALSE(walker->nextObject());
  EXPECT_EQ(files.subpathsAtPath(roll), seen);
  EXPECT_EQ(files.contentsOfDirectoryAtPath(roll),
            (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.JPG", "a.txt", "sub"}));

  bool isDirectory = true;
  EXPECT_TRUE(files.fileExistsAtPath(roll + "/IMG_0001.JPG", &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(files.fileExistsAtPath(roll + "/sub/", &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_FALSE(files.fileExistsAtPath(roll + "/IMG_0009.JPG"));
  EXPECT_FALSE(files.enumeratorAtPath("/no/such/folder"));
  EXPECT_FALSE(files.enumeratorAtPath(roll + "/a.txt"));
  NSError error;
  EXPECT_FALSE(files.contentsOfDirectoryAtPath("/no/such/folder", &error));
  EXPECT_EQ(error.code, ENOENT);
}

TEST_F(FileManagerTest, FoldersAreMadeAndRemoved) {
  NSError error;
  EXPECT_FALSE(files.createDirectoryAtPath("/a/b/c", false, &error)) << "parents missing";
  EXPECT_EQ(error.code, ENOENT);
  EXPECT_TRUE(files.createDirectoryAtPath("/a/b/c", true));
  EXPECT_TRUE(files.createDirectoryAtPath("/a/b/c", true)) << "an existing folder is fine";
  EXPECT_FALSE(files.createDirectoryAtPath("/a/b/c", false)) << "but not without intermediates";
  ASSERT_TRUE(write("/a/b/c/file", "x"));
  EXPECT_TRUE(files.removeItemAtPath("/a"));
  EXPECT_FALSE(files.fileExistsAtPath("/a"));
  EXPECT_FALSE(files.removeItemAtPath("/a", &error));
  EXPECT_EQ(error.code, ENOENT);
  EXPECT_FALSE(files.removeItemAtPath("/")) << "the device itself stays";
  EXPECT_TRUE(std::filesystem::is_directory(root()));
}

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
