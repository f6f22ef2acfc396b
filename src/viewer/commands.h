// The viewer's commands as data a toolkit can show: the context menu model and
// the key events the window and its trees receive.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace viewer {

// Windows virtual-key codes the viewer acts on; front-ends map their own codes
// to these.
namespace vk {
inline constexpr std::uint16_t Tab = 0x09;
inline constexpr std::uint16_t Return = 0x0D;
inline constexpr std::uint16_t Escape = 0x1B;
inline constexpr std::uint16_t PageUp = 0x21;
inline constexpr std::uint16_t PageDown = 0x22;
inline constexpr std::uint16_t End = 0x23;
inline constexpr std::uint16_t Home = 0x24;
inline constexpr std::uint16_t Left = 0x25;
inline constexpr std::uint16_t Up = 0x26;
inline constexpr std::uint16_t Right = 0x27;
inline constexpr std::uint16_t Down = 0x28;
inline constexpr std::uint16_t Add = 0x6B;       // numeric keypad plus
inline constexpr std::uint16_t Subtract = 0x6D;  // numeric keypad minus
inline constexpr std::uint16_t F2 = 0x71;
inline constexpr std::uint16_t F3 = 0x72;
inline constexpr std::uint16_t F4 = 0x73;
inline constexpr std::uint16_t F5 = 0x74;
inline constexpr std::uint16_t F7 = 0x76;
// Digits and letters are their ASCII upper-case codes.
constexpr std::uint16_t Char(char c) { return static_cast<std::uint16_t>(c); }
}  // namespace vk

struct TKeyEvent {
  std::uint16_t Key = 0;
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
};

// The control that has the keyboard focus inside the viewer.
enum class TFocusedControl : std::uint8_t { fcTree, fcHex1, fcHex2 };

// One entry of the context menu. Tag is the id of its caption's text; 0 marks
// a separator.
struct TMenuItem {
  TMenuItem(int tag = 0, std::u16string caption = {}) : Tag(tag), Caption(std::move(caption)) {}
  int Tag = 0;
  std::u16string Caption;
  bool Enabled = true;
  bool Checked = false;
  bool IsSeparator() const { return Tag == 0; }
};

class TMainMenu {
 public:
  TMenuItem mnCopyVal{101}, mnCopyName{102}, mnCopyHex{103}, mnSearch{104}, mnExpand{105}, mnCollapse{106},
      mnExpandTree{107}, mnCollapseTree{108}, N1{0, u"-"}, mnShowAttributes{109}, mnShowHex{110}, N2{0, u"-"},
      mnLoadFromClipboard{111}, mnReload{112}, mnSaveToXML{113}, N3{0, u"-"}, mnSettings{114}, mnAbout{115};

  static constexpr std::size_t ItemCount = 18;
  // Top to bottom.
  std::array<TMenuItem*, ItemCount> Items() {
    return {&mnCopyVal,  &mnCopyName,       &mnCopyHex, &mnSearch, &mnExpand,
            &mnCollapse, &mnExpandTree,     &mnCollapseTree,       &N1,
            &mnShowAttributes,              &mnShowHex, &N2,       &mnLoadFromClipboard,
            &mnReload,   &mnSaveToXML,      &N3,        &mnSettings, &mnAbout};
  }
  // The item with this tag; nullptr for 0 and unknown tags.
  TMenuItem* ByTag(int tag);
};

// The shortcut text shown after a tab in the caption of the item with this tag;
// empty for items without one.
std::u16string_view MenuShortcutText(int tag);

// The clipboard stayed locked through every attempt.
class EClipboardError : public std::runtime_error {
 public:
  EClipboardError() : std::runtime_error("Cannot open clipboard") {}
};

// How long the clipboard writer waits between attempts, and how often it tries.
inline constexpr int ClipboardRetryMilliseconds = 200;
inline constexpr int ClipboardAttempts = 3;
// Blocks the calling thread; the default wait of the clipboard writer.
void SleepMilliseconds(int milliseconds);

}  // namespace viewer
