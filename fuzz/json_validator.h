// A small JSON (RFC 8259) validator with an explicit stack, for the fuzz
// targets that check bramlet-dump's JSON output.
#pragma once

#include <cctype>
#include <string>
#include <vector>

namespace fuzz {

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

}  // namespace fuzz
