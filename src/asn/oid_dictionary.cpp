// The OID description dictionary: oid.txt read into a TOIDDictionary, looked up
// by DecodeOID.
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

void AddLine(std::unordered_map<std::u16string, std::u16string>& dict, std::u16string_view line) {
  auto pair = text::SplitNameValue(line);
  if (!pair) return;  // its name is empty: it never describes an OID
  std::u16string name = Folded(text::TrimControls(pair->Name));
  if (name.empty()) return;
  // The first line of a name wins.
  dict.try_emplace(std::move(name), text::TrimControls(pair->Value));
}

}  // namespace

void TOIDDictionary::LoadBytes(std::span<const std::uint8_t> bytes) {
  FEntries.clear();
  text::ForEachLine(DecodeFileText(bytes), [this](std::u16string_view line) { AddLine(FEntries, line); });
}

bool TOIDDictionary::LoadFile(const std::string& fileUtf8) {
  const std::u8string name(fileUtf8.begin(), fileUtf8.end());
  std::ifstream file(std::filesystem::path(name), std::ios::binary);
  std::vector<std::uint8_t> bytes;
  if (file) bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  const bool read = file.good() || file.eof();
  LoadBytes(read ? bytes : std::vector<std::uint8_t>{});
  return read;
}

bool TOIDDictionary::LoadFolder(const std::string& folderUtf8) {
  std::string name = folderUtf8;
  if (!name.empty() && name.back() != '/' && name.back() != '\\') name.push_back('/');
  return LoadFile(name + "oid.txt");
}

const std::u16string& TOIDDictionary::Lookup(const std::u16string& oid) const {
  static const std::u16string none;
  if (oid.empty()) return none;
  auto it = HasCapitals(oid) ? FEntries.find(Folded(oid)) : FEntries.find(oid);
  return it == FEntries.end() ? none : it->second;
}

}  // namespace asn
