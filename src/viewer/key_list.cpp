// The key list from the command table, and the names of keys in it.
#include "viewer/key_list.h"

#include <array>

#include "viewer/commands.h"

namespace viewer {

namespace {

std::string BaseKeyName(std::uint16_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= vk::F1 && key <= vk::F12) return "F" + std::to_string(key - vk::F1 + 1);
  switch (key) {
    case vk::Back: return "Backspace";
    case vk::Tab: return "Tab";
    case vk::Return: return "Enter";
    case vk::Escape: return "Esc";
    case vk::Add: return "Plus (keypad)";
    case vk::Subtract: return "Minus (keypad)";
    default: break;
  }
  // A key the table binds must have a name here: the lists would show garbage.
  return "key " + std::to_string(key);
}

TKeyPlace PlaceOf(const TKeyBinding& binding) {
  if (binding.Flow == TKeyFlow::kfPassToHost) return TKeyPlace::kpHost;
  switch (binding.Scope) {
    case TKeyScope::ksWindow: return TKeyPlace::kpAnywhere;
    case TKeyScope::ksTree: return TKeyPlace::kpTree;
    case TKeyScope::ksHex: return TKeyPlace::kpHex;
  }
  return TKeyPlace::kpAnywhere;
}

bool Has(TKeyMods mods, TKeyMods bit) {
  return (static_cast<std::uint8_t>(mods) & static_cast<std::uint8_t>(bit)) != 0;
}

}  // namespace

std::string KeyName(const TKeyBinding& binding) {
  std::string name;
  if (binding.Mods != TKeyMods::kmAny) {
    if (Has(binding.Mods, TKeyMods::kmShift)) name += "Shift+";
    if (Has(binding.Mods, TKeyMods::kmCtrl)) name += "Ctrl+";
    if (Has(binding.Mods, TKeyMods::kmAlt)) name += "Alt+";
  }
  return name + BaseKeyName(binding.Key);
}

std::string_view KeyPlaceTitle(TKeyPlace place) {
  switch (place) {
    case TKeyPlace::kpAnywhere: return "Anywhere in the viewer";
    case TKeyPlace::kpTree: return "In the structure tree";
    case TKeyPlace::kpHex: return "In the hex panel";
    case TKeyPlace::kpHost: return "Passed on to the host";
  }
  return {};
}

std::vector<TKeyListEntry> KeyList() {
  constexpr std::array Places{TKeyPlace::kpAnywhere, TKeyPlace::kpTree, TKeyPlace::kpHex, TKeyPlace::kpHost};
  std::vector<TKeyListEntry> list;
  for (TKeyPlace place : Places)
    for (const TCommand& command : CommandTable()) {
      TKeyListEntry entry{place, {}, command.Help};
      for (const TKeyBinding& binding : command.Keys) {
        if (PlaceOf(binding) != place) continue;
        if (!entry.Keys.empty()) entry.Keys += ", ";
        entry.Keys += KeyName(binding);
      }
      if (!entry.Keys.empty()) list.push_back(std::move(entry));
    }
  return list;
}

}  // namespace viewer
