// Helpers shared by the viewer's tests: hex input, document dumps, temp folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/document_text.h"
#include "settings/text.h"
#include "main_form_probe.h"
#include "viewer/main.h"

namespace viewer::test {

inline std::vector<std::uint8_t> HexBytes(std::string_view hex) {
  std::vector<std::uint8_t> out;
  std::string digits;
  for (char c : hex)
    if (c != ' ') digits.push_back(c);
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return out;
}

inline TBytes Shared(std::vector<std::uint8_t> bytes) {
  return std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}

// Every row in document order, two blanks of indent per level, one per line.
inline std::string Dump(TTag root, bool withAttributes = true) {
  std::string out;
  WalkRows(root, withAttributes, [&](TTag row, std::int32_t depth) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out.append(settings::Utf16ToUtf8(RowLine(row)));
    out.push_back('\n');
  });
  return out;
}

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::filesystem::path& path, std::string_view data) {
  std::ofstream out(path, std::ios::binary);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline std::filesystem::path SamplesDir() { return std::filesystem::path(BRAMLET_SOURCE_DIR) / "samples"; }

// A fresh folder under the system's temporary folder, removed afterwards.
class TTempDir {
 public:
  TTempDir() {
    auto base = std::filesystem::temp_directory_path();
    for (int i = 0;; ++i) {
      Path = base / ("bramlet-viewer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                     std::to_string(i) + "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
      if (std::filesystem::create_directory(Path)) break;
    }
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  std::filesystem::path Path;
};

}  // namespace viewer::test
