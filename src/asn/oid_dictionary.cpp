// The OID description dictionary: oid.txt read once, looked up by DecodeOID.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "asn/asn.h"
#include "asn/utf.h"
#include "text/ascii.h"
#include "text/lines.h"

namespace asn {

namespace {

using Dictionary = std::unordered_map<std::u16string, std::u16string>;

// Built by the Load functions, freed by FreeOIDDictionary.
Dictionary* TheDictionary = nullptr;

// ASCII and the Latin-1 capitals, which a file read as Latin-1 may hold.
char16_t FoldCase(char16_t c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // not the sign ×
  return text::FoldAscii(c);
}

bool HasCapitals(const std::u16string& s) {
  for (char16_t c : s)
    if (FoldCase(c) != c) return true;
  return false;
}

std::u16string Folded(std::u16string_view s) {
  std::u16string folded(s);
  for (char16_t& c : folded) c = FoldCase(c);
  return folded;
}

std::u16string DecodeFileText(std::span<const std::uint8_t> bytes) {
  const text::TByteOrderMark mark = text::DetectByteOrderMark(bytes);
  const auto content = bytes.subspan(text::ByteOrderMarkLength(mark));
  std::u16string decoded;
  switch (mark) {
    case text::TByteOrderMark::bomUtf8:
      AppendUtf8(decoded, content);
      break;
    case text::TByteOrderMark::bomUtf16Le:
    case text::TByteOrderMark::bomUtf16Be:
      decoded = text::Utf16BytesToUtf16(content, mark == text::TByteOrderMark::bomUtf16Be);
      break;
    case text::TByteOrderMark::bomNone:
      AppendLatin1(decoded, content);
      break;
  }
  return decoded;
}

void AddLine(Dictionary& dict, std::u16string_view line) {
  auto pair = text::SplitNameValue(line);
  if (!pair) return;  // its name is empty: it never describes an OID
  std::u16string name = Folded(text::TrimControls(pair->Name));
  if (name.empty()) return;
  // The first line of a name wins.
  dict.try_emplace(std::move(name), text::TrimControls(pair->Value));
}

}  // namespace

void LoadOIDDictionaryFromBytes(std::span<const std::uint8_t> bytes) {
  FreeOIDDictionary();
  TheDictionary = new Dictionary();
  text::ForEachLine(DecodeFileText(bytes), [](std::u16string_view line) { AddLine(*TheDictionary, line); });
}

bool LoadOIDDictionaryFile(const std::string& fileUtf8) {
  const std::u8string name(fileUtf8.begin(), fileUtf8.end());
  std::ifstream file(std::filesystem::path(name), std::ios::binary);
  std::vector<std::uint8_t> bytes;
  if (file) bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  const bool read = file.good() || file.eof();
  LoadOIDDictionaryFromBytes(read ? bytes : std::vector<std::uint8_t>{});
  return read;
}

bool LoadOIDDictionary(const std::string& folderUtf8) {
  std::string name = folderUtf8;
  if (!name.empty() && name.back() != '/' && name.back() != '\\') name.push_back('/');
  return LoadOIDDictionaryFile(name + "oid.txt");
}

void FreeOIDDictionary() {
  delete TheDictionary;
  TheDictionary = nullptr;
}

const std::u16string& LookupOID(const std::u16string& oid) {
  static const std::u16string none;
  if (TheDictionary == nullptr || oid.empty()) return none;
  auto it = HasCapitals(oid) ? TheDictionary->find(Folded(oid)) : TheDictionary->find(oid);
  return it == TheDictionary->end() ? none : it->second;
}

}  // namespace asn
