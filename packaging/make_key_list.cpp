// make_key_list: writes the viewer's keys, from its command table, where the
// documents list them; run by the build.
//   make_key_list --man OUT                 a help2man include: the keys section's list
//   make_key_list --readme TEMPLATE OUT     TEMPLATE with its line @KEYS@ replaced by the list
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "viewer/key_list.h"

namespace {

using viewer::TKeyListEntry;

// Text is roff's unless escaped: a backslash, and a hyphen that must stay one.
std::string Roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  return out;
}

std::string Sentence(std::string_view help) {
  std::string text(help);
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text + ".";
}

// help2man puts this after the keys section's own text in man/bramlet.h2m.
std::string ManList() {
  std::ostringstream out;
  out << "[>VIEWER KEYS]\n";
  bool first = true;
  viewer::TKeyPlace place{};
  for (const TKeyListEntry& entry : viewer::KeyList()) {
    if (first || entry.Place != place) out << ".SS \"" << Roff(viewer::KeyPlaceTitle(entry.Place)) << "\"\n";
    first = false;
    place = entry.Place;
    out << ".TP\n.B " << Roff(entry.Keys) << "\n" << Roff(Sentence(entry.Help)) << "\n";
  }
  return out.str();
}

// Plain text for 78 columns: the keys, then what they do, wrapped under itself.
constexpr std::size_t KeyIndent = 4;
constexpr std::size_t HelpColumn = 22;
constexpr std::size_t LineWidth = 78;

void WriteHelp(std::ostringstream& out, std::size_t column, std::string_view help) {
  std::size_t at = column;
  std::istringstream words{std::string(help)};
  bool firstWord = true;
  for (std::string word; words >> word; firstWord = false) {
    if (!firstWord && at + 1 + word.size() > LineWidth) {
      out << "\n" << std::string(HelpColumn, ' ');
      at = HelpColumn;
    } else if (!firstWord) {
      out << ' ';
      ++at;
    }
    out << word;
    at += word.size();
  }
  out << "\n";
}

std::string TextList() {
  std::ostringstream out;
  bool first = true;
  viewer::TKeyPlace place{};
  for (const TKeyListEntry& entry : viewer::KeyList()) {
    if (first || entry.Place != place) out << "  " << viewer::KeyPlaceTitle(entry.Place) << ":\n";
    first = false;
    place = entry.Place;
    out << std::string(KeyIndent, ' ') << entry.Keys;
    std::size_t column = KeyIndent + entry.Keys.size();
    if (column + 2 > HelpColumn) {
      out << "\n";
      column = 0;
    }
    out << std::string(HelpColumn - column, ' ');
    WriteHelp(out, HelpColumn, entry.Help);
  }
  return out.str();
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  if (file.flush()) return true;
  std::cerr << "make_key_list: cannot write " << path << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--man" && argc == 3) return WriteFile(argv[2], ManList()) ? 0 : 1;
  if (mode == "--readme" && argc == 4) {
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
      std::cerr << "make_key_list: cannot read " << argv[2] << "\n";
      return 1;
    }
    std::string text;
    bool placed = false;
    for (std::string line; std::getline(in, line);) {
      if (line == "@KEYS@") {
        text += TextList();
        placed = true;
        continue;
      }
      text += line + "\n";
    }
    if (!placed) {
      std::cerr << "make_key_list: " << argv[2] << " has no line @KEYS@\n";
      return 1;
    }
    return WriteFile(argv[3], text) ? 0 : 1;
  }
  std::cerr << "usage: make_key_list --man OUT | --readme TEMPLATE OUT\n";
  return 2;
}
