// The OID description dictionary: oid.txt read once, looked up by DecodeOID.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "asn/asn.h"
#include "asn/utf.h"

namespace asn {

namespace {

using Dictionary = std::unordered_map<std::u16string, std::u16string>;

// Built by the Load functions, freed by FreeOIDDictionary.
Dictionary* TheDictionary = nullptr;

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // Latin-1 capitals, not the sign ×
  return c;
}

bool HasCapitals(const std::u16string& s) {
  for (char16_t c : s)
    if (FoldCase(c) != c) return true;
  return false;
}

std::u16string Folded(std::u16string s) {
  for (char16_t& c : s) c = FoldCase(c);
  return s;
}

// Blanks and control characters, everything up to the space, are trimmed.
std::u16string Trimmed(std::u16string_view s) {
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && s[first] <= u' ') ++first;
  while (last > first && s[last - 1] <= u' ') --last;
  return std::u16string(s.substr(first, last - first));
}

std::u16string DecodeFileText(std::span<const std::uint8_t> bytes) {
  std::u16string text;
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    AppendUtf8(text, bytes.subspan(3));
    return text;
  }
  if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    const bool bigEndian = bytes[0] == 0xFE;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<char16_t>(bigEndian ? (bytes[i] << 8) | bytes[i + 1] : (bytes[i + 1] << 8) | bytes[i]));
    return text;
  }
  AppendLatin1(text, bytes);
  return text;
}

void AddLine(Dictionary& dict, std::u16string_view line) {
  const std::size_t eq = line.find(u'=');
  if (eq == std::u16string_view::npos) return;  // its name is empty: it never describes an OID
  std::u16string name = Folded(Trimmed(line.substr(0, eq)));
  if (name.empty()) return;
  // The first line of a name wins.
  dict.try_emplace(std::move(name), Trimmed(line.substr(eq + 1)));
}

}  // namespace

void LoadOIDDictionaryFromBytes(std::span<const std::uint8_t> bytes) {
  FreeOIDDictionary();
  TheDictionary = new Dictionary();
  const std::u16string text = DecodeFileText(bytes);
  const std::u16string_view all(text);
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = all.size();
    AddLine(*TheDictionary, all.substr(start, end - start));
    if (end < all.size() && all[end] == u'\r' && end + 1 < all.size() && all[end + 1] == u'\n') ++end;
    start = end + 1;
  }
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
