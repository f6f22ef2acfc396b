// The viewer's keys as a reader's list, made from the command table: the manual
// page and the Windows readme print it, so no list of keys is written by hand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/command_table.h"

namespace viewer {

// Where the keys of an entry are pressed, in the order the list gives them.
enum class TKeyPlace : std::uint8_t { kpAnywhere, kpTree, kpHex, kpHost };

struct TKeyListEntry {
  TKeyPlace Place = TKeyPlace::kpAnywhere;
  std::string Keys;       // "Ctrl+C", or several joined by ", "
  std::string_view Help;  // the command's
};

// A key with its modifiers as the lists write it: "Shift+Ctrl+C", "Ctrl+Enter",
// "Shift+Ctrl+Plus (keypad)", "F3"; a binding for any modifiers is the key alone.
std::string KeyName(const TKeyBinding& binding);

// What the list calls a place: "In the structure tree", ...
std::string_view KeyPlaceTitle(TKeyPlace place);

// One entry per command and place that it has keys for, by place, then in the
// table's order; commands without keys (Settings, About) are left out.
std::vector<TKeyListEntry> KeyList();

}  // namespace viewer
