// The viewer's commands, one row each: menu item, caption, shortcut text, keys,
// enabled and checked rules, handler and what it does. The context menu, its
// captions, the key dispatch, HandlesKey and the key lists of the manual page
// and the Windows readme (key_list.h) are all derived from this one table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "platform/keys.h"

namespace viewer {

class TMainForm;

// Modifier sets. A binding matches a key whose modifiers equal its set exactly,
// or any modifiers at all for kmAny.
enum class TKeyMods : std::uint8_t { kmNone = 0, kmShift = 1, kmCtrl = 2, kmAlt = 4, kmAny = 8 };
constexpr TKeyMods operator|(TKeyMods a, TKeyMods b) {
  return static_cast<TKeyMods>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
TKeyMods ModsOf(const platform::TKeyEvent& key);

// Where a key is handled: the window previews every key, then the focused
// control (the structure tree or either hex grid) gets it.
enum class TKeyScope : std::uint8_t { ksWindow, ksTree, ksHex };

// What happens to a matching key: the viewer runs the handler and takes the key,
// or posts it to the host's Lister window and leaves it untaken.
enum class TKeyFlow : std::uint8_t { kfHandle, kfPassToHost };

struct TKeyBinding {
  std::uint16_t Key = 0;
  TKeyMods Mods = TKeyMods::kmNone;
  TKeyScope Scope = TKeyScope::ksWindow;
  TKeyFlow Flow = TKeyFlow::kfHandle;
  bool Matches(const platform::TKeyEvent& key, TKeyScope scope) const;
};

// A command's keys, kept in the row itself so the table stays one constant.
class TKeyList {
 public:
  static constexpr std::size_t Capacity = 13;
  constexpr TKeyList(std::initializer_list<TKeyBinding> keys) {
    for (const TKeyBinding& key : keys) FItems[FCount++] = key;
  }
  const TKeyBinding* begin() const { return FItems.data(); }
  const TKeyBinding* end() const { return FItems.data() + FCount; }

 private:
  std::array<TKeyBinding, Capacity> FItems{};
  std::size_t FCount = 0;
};

// When the menu item is enabled and when it is checked, as the menu opens.
enum class TEnabledRule : std::uint8_t { erAlways, erRowFocused, erFocusedHasChildren, erOpened, erComparing };
enum class TCheckedRule : std::uint8_t { crNever, crShowAttributes, crHexPanelVisible, crFieldNames };

struct TCommand {
  // The menu item's name and id (its tag and the id of its caption's text);
  // an empty name and id 0 for a command reached by keys only.
  std::string_view MenuName;
  int Id = 0;
  bool SeparatorBefore = false;
  std::u16string_view ShortcutText;  // shown after a tab; empty for none
  TKeyList Keys;
  TEnabledRule Enabled = TEnabledRule::erAlways;
  TCheckedRule Checked = TCheckedRule::crNever;
  // Null for rows that only pass keys to the host, and for the Search item,
  // which only shows its key.
  void (TMainForm::*Handler)() = nullptr;
  // What the keys do, as the manual page and the Windows readme list them.
  std::string_view Help;
};

// Menu items top to bottom, then the commands without an item.
std::span<const TCommand> CommandTable();

}  // namespace viewer
