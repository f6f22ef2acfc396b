// Language tables and the decoding of language files.
#include "settings/lang_file.h"

#include <filesystem>
#include <string>

#include "io/files.h"
#include "settings/text.h"
#include "text/ascii.h"

namespace settings {

namespace {

// The Unicode code pages this reader decodes itself, whatever the platform offers.
constexpr unsigned CodePageUtf8 = 65001;
constexpr unsigned CodePageUtf16Le = 1200;
constexpr unsigned CodePageUtf16Be = 1201;

// Decodes bytes with a code page; a byte-order mark of that encoding is dropped.
std::string_view DropMark(std::string_view bytes, text::TByteOrderMark mark) {
  if (text::DetectByteOrderMark(bytes) == mark) bytes.remove_prefix(text::ByteOrderMarkLength(mark));
  return bytes;
}

std::u16string DecodeWith(std::string_view bytes, unsigned codePage, platform::ISystem& system) {
  switch (codePage) {
    case CodePageUtf8:
      return Utf8ToUtf16(DropMark(bytes, text::TByteOrderMark::bomUtf8));
    case CodePageUtf16Le:
      return Utf16BytesToUtf16(DropMark(bytes, text::TByteOrderMark::bomUtf16Le), /*bigEndian=*/false);
    case CodePageUtf16Be:
      return Utf16BytesToUtf16(DropMark(bytes, text::TByteOrderMark::bomUtf16Be), /*bigEndian=*/true);
  }
  auto text = system.CodePageToUtf16(std::string(bytes), codePage);
  if (!text) throw ELanguageError("Invalid code page");
  return std::move(*text);
}

// The "codepage" value as a decimal number; missing, empty or not a number gives 0.
// A negative number is kept, so it fails as an unknown code page.
long long CodePageNumber(std::u16string_view value) {
  value = TrimBlanks(value);
  bool negative = false;
  if (!value.empty() && (value.front() == u'-' || value.front() == u'+')) {
    negative = value.front() == u'-';
    value.remove_prefix(1);
  }
  if (value.empty() || value.size() > 10) return 0;
  long long number = 0;
  for (char16_t c : value) {
    if (c < u'0' || c > u'9') return 0;
    number = number * 10 + (c - u'0');
  }
  return negative ? -number : number;
}

}  // namespace

TLangTable::TLangTable(std::u16string_view content) {
  text::ForEachLine(content, [this](std::u16string_view line) {
    if (auto pair = text::SplitNameValue(line)) FValues.try_emplace(text::FoldedAscii(pair->Name), pair->Value);
  });
}

std::optional<std::u16string_view> TLangTable::Find(std::u16string_view name) const {
  auto it = FValues.find(text::FoldedAscii(name));
  if (it == FValues.end()) return std::nullopt;
  return std::u16string_view(it->second);
}

std::u16string_view TLangTable::Value(std::u16string_view name) const {
  return Find(name).value_or(std::u16string_view());
}

TLangTable ReadLanguageText(std::string_view bytes, platform::ISystem& system) {
  unsigned used = 0;
  switch (text::DetectByteOrderMark(bytes)) {
    case text::TByteOrderMark::bomUtf8:
      used = CodePageUtf8;
      break;
    case text::TByteOrderMark::bomUtf16Le:
      used = CodePageUtf16Le;
      break;
    case text::TByteOrderMark::bomUtf16Be:
      used = CodePageUtf16Be;
      break;
    case text::TByteOrderMark::bomNone:
      used = system.DefaultCodePage();
      break;
  }
  TLangTable table(DecodeWith(bytes, used, system));
  long long codePage = CodePageNumber(table.Value(u"codepage"));
  if (codePage == 0 || codePage == used) return table;
  if (codePage < 0 || codePage > 0xFFFF) throw ELanguageError("Invalid code page");
  return TLangTable(DecodeWith(bytes, static_cast<unsigned>(codePage), system));
}

TLangTable ReadLanguageFile(const std::string& path, platform::ISystem& system) {
  std::filesystem::path fsPath(std::u8string(path.begin(), path.end()));
  std::string bytes;
  try {
    bytes = io::ReadWholeFile(fsPath);
  } catch (const io::EFileReadError&) {
    throw ELanguageError("Cannot read file \"" + path + "\"");
  } catch (const io::EFileError& e) {
    throw ELanguageError("Cannot open file \"" + path + "\". " + e.Reason);
  }
  return ReadLanguageText(bytes, system);
}

}  // namespace settings
