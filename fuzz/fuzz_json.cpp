// Fuzzes bramlet-dump's JSON writer and the DER checks it runs: any file gives
// a document that is valid JSON (RFC 8259), checked here by a small validator
// with an explicit stack, and --check's findings lie inside the bytes.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/dump_check.h"
#include "document/document.h"
#include "settings/lang.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

class TJsonValidator {
 public:
  explicit TJsonValidator(const std::string& s) : FText(s) {}

  bool Valid() {
    // Each open container: '{' or '['.
    std::vector<char> open;
    Blank();
    for (;;) {
      if (!Value(open)) return false;
      for (;;) {
        Blank();
        if (open.empty()) return FPos == FText.size();
        if (Take(',')) {
          Blank();
          if (open.back() == '{' && !Key()) return false;
          break;
        }
        if (!Take(open.back() == '{' ? '}' : ']')) return false;
        open.pop_back();
      }
    }
  }

 private:
  bool Value(std::vector<char>& open) {
    Blank();
    for (;;) {
      if (Take('{')) {
        Blank();
        if (Take('}')) return true;
        open.push_back('{');
        if (!Key()) return false;
        Blank();
        continue;
      }
      if (Take('[')) {
        Blank();
        if (Take(']')) return true;
        open.push_back('[');
        continue;
      }
      return Scalar();
    }
  }
  bool Key() {
    Blank();
    if (!String()) return false;
    Blank();
    return Take(':');
  }
  bool Scalar() {
    if (FPos < FText.size() && FText[FPos] == '"') return String();
    for (const char* word : {"true", "false", "null"}) {
      if (FText.compare(FPos, std::char_traits<char>::length(word), word) == 0) {
        FPos += std::char_traits<char>::length(word);
        return true;
      }
    }
    const std::size_t start = FPos;
    Take('-');
    while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9') ++FPos;
    return FPos > start && FText[FPos - 1] != '-';
  }
  bool String() {
    if (!Take('"')) return false;
    while (FPos < FText.size()) {
      const unsigned char c = static_cast<unsigned char>(FText[FPos++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') continue;
      if (FPos >= FText.size()) return false;
      const char e = FText[FPos++];
      if (e == 'u') {
        for (int i = 0; i < 4; ++i, ++FPos)
          if (FPos >= FText.size() || !std::isxdigit(static_cast<unsigned char>(FText[FPos]))) return false;
      } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
        return false;
      }
    }
    return false;
  }
  bool Take(char c) {
    if (FPos >= FText.size() || FText[FPos] != c) return false;
    ++FPos;
    return true;
  }
  void Blank() {
    while (FPos < FText.size() && std::string(" \t\r\n").find(FText[FPos]) != std::string::npos) ++FPos;
  }

  const std::string& FText;
  std::size_t FPos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const struct TInputFile {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("bramlet-fuzz-json-" + std::to_string(::getpid()) + ".bin");
    ~TInputFile() {
      std::error_code ignored;
      std::filesystem::remove(Path, ignored);
    }
  } input;
  {
    std::ofstream out(input.Path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  // As bramlet-dump loads it: the document alone, with the default options.
  viewer::TDocumentOptions options;
  options.Text = settings::EnglishTextById;
  viewer::TDecodedDocument form(options, input.Path.u16string());
  try {
    form.LoadFile();
  } catch (const std::exception&) {
    return 0;
  }
  std::ostringstream json;
  app::WriteJson(form, "fuzz", json);
  const std::string text = json.str();
  Require(TJsonValidator(text).Valid());
  for (const asn::TDerFinding& f : app::CheckDocument(form)) {
    Require(f.Offset >= 0 && f.Length >= 0);
    Require(static_cast<std::size_t>(f.Offset) + static_cast<std::size_t>(f.Length) <= form.Bytes()->size());
  }
  return 0;
}
