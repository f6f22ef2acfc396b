// Fuzzes bramlet-dump's JSON writer and the DER checks it runs: any file gives
// a document that is valid JSON (RFC 8259, json_validator.h), and --check's
// findings lie inside the bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/dump_check.h"
#include "document/document.h"
#include "json_validator.h"
#include "settings/lang.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

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
  Require(fuzz::TJsonValidator(text).Valid());
  for (const asn::TDerFinding& f : app::CheckDocument(form)) {
    Require(f.Offset >= 0 && f.Length >= 0);
    Require(static_cast<std::size_t>(f.Offset) + static_cast<std::size_t>(f.Length) <= form.Bytes()->size());
  }
  return 0;
}
