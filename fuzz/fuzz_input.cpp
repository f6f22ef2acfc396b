// Fuzzes the input rules: binary test, UTF-8 text, the armour search and block
// handling, Base64, and the clipboard's classification and decoders, checking
// what each promises about its output.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <stdexcept>
#include <string>

#include "document/input.h"
#include "settings/text.h"
#include "text/base64.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::size_t Base64Characters(std::u16string_view text) {
  std::size_t count = 0;
  for (char16_t c : text)
    count += (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'/';
  return count;
}

void CheckClipboard(std::u16string_view text) {
  std::u16string stripped = viewer::StripClipboardText(text);
  Require(stripped.find_first_of(u" \r\n") == std::u16string::npos);
  switch (viewer::ClassifyClipboardText(stripped)) {
    case viewer::TClipboardKind::ckHex:
      Require(stripped.size() % 2 == 0 && !stripped.empty());
      Require(viewer::DecodeHexText(stripped).size() == stripped.size() / 2);
      break;
    case viewer::TClipboardKind::ckBase64:
      Require(stripped.size() % 4 == 0 && !stripped.empty());
      Require(text::DecodeBase64(stripped).size() <= stripped.size() / 4 * 3);
      break;
    case viewer::TClipboardKind::ckNone:
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  bool binary = viewer::IsBinary(bytes);
  std::size_t bom = viewer::Utf8BomLength(bytes);
  Require(bom == 0 || bom == 3);
  if (!binary || bom != 0) {
    auto body = bytes.subspan(bom);
    std::u16string text = settings::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
    try {
      auto matches = viewer::FindArmour(text, 1'000'000);
      const char16_t* last = text.data();
      for (const auto& match : matches) {
        // Whole matches, left to right, without overlap, inside the text.
        Require(!match.Whole.empty() && match.Whole.data() >= last);
        Require(match.Whole.data() + match.Whole.size() <= text.data() + text.size());
        last = match.Whole.data() + match.Whole.size();
        std::vector<std::uint8_t> octets;
        viewer::AppendArmourBlock(match, octets);
        Require(octets.size() <= Base64Characters(match.Whole) / 4 * 3 + 2);
      }
    } catch (const std::runtime_error&) {
      // The match limit: reported to the user as a "Fatal error" row.
    }
    CheckClipboard(text);
  }
  // The clipboard hands over UTF-16, unpaired surrogates included.
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  CheckClipboard(units);
  return 0;
}
