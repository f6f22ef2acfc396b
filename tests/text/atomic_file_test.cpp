// The atomic file writer: the target is old or new, never half written, and no
// temporary file is left behind; and the file reader every layer uses.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

TEST_F(AtomicFile, ReaderTakesEveryOctetAndNamesWhatFailed) {
  // Around the reader's 64 KiB piece, where a whole-file loop stops early or late.
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65536},
                           std::size_t{65537}, std::size_t{3 * 65536 + 7}}) {
    SCOPED_TRACE(size);
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 7 + i / 251);
    const fs::path path = Folder / "in.bin";
    Put(path, content);
    EXPECT_EQ(ReadWholeFile(path), content);
    std::vector<std::uint8_t> start(100, 0xEE);
    start.resize(TInputFile(path).Read(start));
    EXPECT_EQ(std::string(start.begin(), start.end()), content.substr(0, 100));
  }

  const fs::path missing = Folder / "missing.bin";
  try {
    ReadWholeFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const EFileReadError& e) {
    ADD_FAILURE() << "a missing file is not a failed read: " << e.what();
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open " + PathText(missing) + ": " + e.Reason);
    EXPECT_EQ(e.Reason, std::strerror(ENOENT));
  }
  // A folder opens as a file on POSIX, and reading it fails.
  try {
    ReadWholeFile(Folder);
    ADD_FAILURE() << "no error";
  } catch (const EFileReadError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read " + PathText(Folder) + ": " + std::strerror(EISDIR));
  }
}

TEST(Paths, FolderGetsOneTrailingDelimiter) {
  EXPECT_EQ(WithTrailingDelimiter(""), "");
  EXPECT_EQ(WithTrailingDelimiter("/m"), "/m/");
  EXPECT_EQ(WithTrailingDelimiter("/m/"), "/m/");
}

}  // namespace
}  // namespace io
