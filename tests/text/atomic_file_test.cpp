// The atomic file writer: the target is old or new, never half written, and no
// temporary file is left behind.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "io/files.h"

namespace io {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "bramlet-io-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
  }
  void TearDown() override { fs::remove_all(Folder); }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Put(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
  std::size_t Files() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(Folder), {})); }
  fs::path Folder;
};

TEST_F(AtomicFile, TargetChangesOnlyOnCommit) {
  const fs::path target = Folder / "out.txt";
  Put(target, "old");
  {
    TAtomicFile file(target);
    file.Write("new, but abandoned");
    EXPECT_EQ(Read(target), "old");
  }
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(Files(), 1u);

  TAtomicFile file(target);
  file.Write("new ");
  file.Write(std::string(3 << 20, 'x'));
  file.Commit();
  EXPECT_EQ(Read(target).size(), 4u + (3u << 20));
  EXPECT_EQ(Files(), 1u);
}

TEST_F(AtomicFile, PermissionsOfANewOrReplacedFile) {
  const fs::path secret = Folder / "flag";
  WriteFileAtomically(secret, "1\n", /*ownerOnly=*/true);
  EXPECT_EQ(fs::status(secret).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  const fs::path shared = Folder / "shared.ini";
  Put(shared, "a");
  fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(shared, "b", /*ownerOnly=*/true);
  EXPECT_EQ(Read(shared), "b");
  EXPECT_EQ(fs::status(shared).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(AtomicFile, FailuresNameTheFileAndLeaveNoTrace) {
  const fs::path missing = Folder / "no" / "such.txt";
  try {
    WriteFileAtomically(missing, "x");
    ADD_FAILURE() << "no error";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create " + PathText(missing) + ": ", 0), 0u) << e.what();
  }
  // A non-empty folder in the target's place cannot be replaced by a file.
  const fs::path occupied = Folder / "occupied";
  fs::create_directories(occupied / "inside");
  EXPECT_THROW(WriteFileAtomically(occupied, "x"), EFileError);
  EXPECT_TRUE(fs::is_directory(occupied / "inside"));
  EXPECT_EQ(Files(), 1u) << "the occupied folder alone";
}

TEST(Paths, FolderGetsOneTrailingDelimiter) {
  EXPECT_EQ(WithTrailingDelimiter(""), "");
  EXPECT_EQ(WithTrailingDelimiter("/m"), "/m/");
  EXPECT_EQ(WithTrailingDelimiter("/m/"), "/m/");
}

}  // namespace
}  // namespace io
