// Temporary folders and whole-file helpers for the settings tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <iterator>
#include <string>

#include "platform/fake/fake_platform.h"
#include "settings/lang.h"
#include "settings/store.h"

namespace settings::test {

// A fresh folder under the system's temporary folder, removed with its contents.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bramlet-settings-XXXXXX").string();
    FPath = mkdtemp(pattern.data()) ? pattern : std::string();
    EXPECT_FALSE(FPath.empty());
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  // The folder with a trailing "/".
  std::string Folder() const { return FPath + "/"; }
  std::string File(const std::string& name) const { return Folder() + name; }

 private:
  std::string FPath;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

// Fake platform whose module folder is a temporary folder, with the process-wide
// language and INI-path state reset around each test.
class TSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Fake.System.Folder = Module.Folder();
    InitLanguages();
    InitIniFileNames(Fake.System);
  }
  void TearDown() override {
    FreeLanguages();
    FreeIniFileNames();
  }

  TTempFolder Module;
  platform::fake::TFakePlatform Fake;
};

}  // namespace settings::test
