// Where a document comes from: a file, clipboard text or the bytes of another
// document, each decoded inside the failure capture.
#include "document/document.h"

#include <filesystem>
#include <new>
#include <stdexcept>

#include "asn/asn.h"
#include "document/chunked_array.h"
#include "document/input.h"
#include "io/files.h"
#include "text/base64.h"
#include "text/utf.h"

namespace viewer {

namespace {

// Reads at most limit octets from the start of the file.
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path, std::uintmax_t limit) {
  io::TInputFile file(path);
  std::vector<std::uint8_t> data;
  AssignLarge(data, static_cast<std::size_t>(limit));
  data.resize(file.Read(data));
  return data;
}

}  // namespace

void TDecodedDocument::LoadFile() {
  std::filesystem::path path(FFileName);
  const std::uintmax_t size = io::InputFileSize(path);
  bool tooLarge = size > asn::MaxInputSize;
  // A file too large to decode is classified by its first octets only: a
  // byte-order mark, the tested octets and one more, which tells that the file
  // goes on past them.
  std::vector<std::uint8_t> data;
  try {
    data = ReadFile(path, tooLarge ? 3 + BinaryTestLength + 1 : size);
  } catch (const std::bad_alloc&) {
    // The file itself does not fit in memory: the message of a document that does not.
    RunCaptured([] { throw std::bad_alloc(); });
    return;
  }

  FFileWasEmpty = data.empty();
  std::size_t bom = Utf8BomLength(data);
  auto afterBom = std::span<const std::uint8_t>(data).subspan(bom);
  bool binary = IsBinary(afterBom);
  // Text without armour yields no document; the one on screen stays, and so do
  // the flags that say where it came from.
  const bool oldFromBase64 = FFromBase64;
  const bool oldFromClipboard = FFromClipboard;
  std::string oldPemLabel = std::move(FPemLabel);
  bool yielded = true;
  FFromClipboard = false;
  FFromBase64 = !binary;
  FPemLabel.clear();
  RunCaptured([&] {
    CheckInputFileSize(size);
    if (binary) {
      ParseASN(std::make_shared<const std::vector<std::uint8_t>>(std::move(data)));
      return;
    }
    std::u16string text = text::Utf8ToUtf16(
        std::string_view(reinterpret_cast<const char*>(afterBom.data()), afterBom.size()));
    std::vector<std::uint8_t>().swap(data);
    std::vector<std::int32_t> blockStarts;
    std::optional<std::vector<std::uint8_t>> result = DecodeArmouredText(text, ArmourMatchLimit, &FPemLabel, &blockStarts);
    std::u16string().swap(text);  // assigning an empty string would keep its memory
    if (!result) {
      yielded = false;
      return;
    }
    ParseASN(std::make_shared<const std::vector<std::uint8_t>>(std::move(*result)), std::move(blockStarts));
  });
  if (yielded) return;
  FFromBase64 = oldFromBase64;
  FFromClipboard = oldFromClipboard;
  FPemLabel = std::move(oldPemLabel);
}

bool TDecodedDocument::LoadFromText(const std::u16string& clipboardText) {
  // PEM and begin-base64 blocks are read as a file's text is, labels included.
  std::optional<std::vector<std::uint8_t>> armoured;
  std::string pemLabel;
  std::vector<std::int32_t> blockStarts;
  bool searched = false;
  RunCaptured([&] {
    armoured = DecodeArmouredText(clipboardText, ArmourMatchLimit, &pemLabel, &blockStarts, /*markedOnly=*/true);
    searched = true;
  });
  if (!searched || (armoured && !armoured->empty())) {
    FFromBase64 = true;
    FFromClipboard = true;
    FPemLabel = std::move(pemLabel);
    // A search that gave up has left its Fatal error row.
    if (searched)
      RunCaptured([&] {
        ParseASN(std::make_shared<const std::vector<std::uint8_t>>(std::move(*armoured)), std::move(blockStarts));
      });
    return true;
  }
  std::u16string text = StripClipboardText(clipboardText);
  TClipboardKind kind = ClassifyClipboardText(text);
  std::vector<std::uint8_t> data;
  if (kind == TClipboardKind::ckHex) data = DecodeHexText(text);
  if (kind == TClipboardKind::ckBase64) data = text::DecodeBase64(text);
  // Text that is not hexadecimal or Base64, or Base64 of padding only ("===="),
  // yields no document: the one there stays, with its flags.
  if (data.empty()) return false;
  FFromBase64 = kind == TClipboardKind::ckBase64;
  FFromClipboard = true;
  FPemLabel.clear();
  RunCaptured([&] { ParseASN(std::make_shared<const std::vector<std::uint8_t>>(std::move(data))); });
  return true;
}

void TDecodedDocument::LoadBytes(TBytes bytes) {
  FFromBase64 = false;
  FFromClipboard = false;
  FPemLabel.clear();
  RunCaptured([&] { ParseASN(std::move(bytes)); });
}

}  // namespace viewer
