// The window's input paths: loading the file, loading from the clipboard and
// reloading, each decoding inside the failure capture.
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>
#include <system_error>

#include "asn/asn.h"
#include "settings/text.h"
#include "viewer/input.h"
#include "viewer/main.h"

namespace viewer {

namespace {

std::string PathText(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

[[noreturn]] void ThrowFileError(const char* what, const std::filesystem::path& path) {
  std::error_code error(errno, std::generic_category());
  throw std::runtime_error(std::string(what) + " " + PathText(path) + ": " + error.message());
}

// Reads at most limit octets from the start of the file.
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path, std::uintmax_t limit) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) ThrowFileError("Cannot open", path);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(limit));
  in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (in.bad()) ThrowFileError("Cannot read", path);
  data.resize(static_cast<std::size_t>(in.gcount()));
  return data;
}

}  // namespace

void TMainForm::LoadFile() {
  std::filesystem::path path(FileName);
  std::uintmax_t size = std::filesystem::file_size(path);
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

  std::size_t bom = Utf8BomLength(data);
  auto afterBom = std::span<const std::uint8_t>(data).subspan(bom);
  bool binary = IsBinary(afterBom);
  // Text without armour yields no document; the one on screen stays, and so do
  // the flags that say where it came from.
  const bool oldFromBase64 = FromBase64;
  const bool oldFromClipboard = FromClipboard;
  std::string oldPemLabel = std::move(PemLabel);
  bool yielded = true;
  FromClipboard = false;
  FromBase64 = !binary;
  PemLabel.clear();
  RunCaptured([&] {
    CheckInputFileSize(size);
    if (binary) {
      ParseASN(std::make_shared<const std::vector<std::uint8_t>>(std::move(data)));
      return;
    }
    std::u16string text = settings::Utf8ToUtf16(
        std::string_view(reinterpret_cast<const char*>(afterBom.data()), afterBom.size()));
    std::vector<std::uint8_t>().swap(data);
    std::optional<std::vector<std::uint8_t>> result = DecodeArmouredText(text, ArmourMatchLimit, &PemLabel);
    std::u16string().swap(text);  // assigning an empty string would keep its memory
    if (!result) {
      yielded = false;
      return;
    }
    ParseASN(std::make_shared<const std::vector<std::uint8_t>>(std::move(*result)));
  });
  if (yielded) return;
  FromBase64 = oldFromBase64;
  FromClipboard = oldFromClipboard;
  PemLabel = std::move(oldPemLabel);
}

void TMainForm::LoadFromClipboard() {
  std::u16string text = StripClipboardText(Platform.Clipboard.GetText());
  TClipboardKind kind = ClassifyClipboardText(text);
  std::vector<std::uint8_t> data;
  if (kind == TClipboardKind::ckHex) data = DecodeHexText(text);
  if (kind == TClipboardKind::ckBase64) data = DecodeBase64(text);
  // Text that is not hexadecimal or Base64, or Base64 of padding only ("===="),
  // yields no document: the one on screen stays, with its flags.
  if (data.empty()) {
    Platform.Host.Beep();
    return;
  }
  FromBase64 = kind == TClipboardKind::ckBase64;
  FromClipboard = true;
  PemLabel.clear();
  RunCaptured([&] { ParseASN(std::make_shared<const std::vector<std::uint8_t>>(std::move(data))); });
  FillTrees();
}

void TMainForm::Reload() {
  LoadFile();
  FillTrees();
}

}  // namespace viewer
