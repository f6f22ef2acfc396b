// The key list the manual page and the Windows readme print, made from the
// command table: every key named, in its place, with what it does.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "viewer/key_list.h"

namespace viewer {
namespace {

using enum TKeyMods;
namespace vk = platform::vk;

TEST(KeyList, NamesKeysAsTheDocumentsWriteThem) {
  struct TRow {
    TKeyBinding Binding;
    const char* Expected;
  } rows[] = {
      {{vk::F8}, "F8"},
      {{'G', kmCtrl}, "Ctrl+G"},
      {{vk::Return, kmCtrl}, "Ctrl+Enter"},
      {{vk::Back}, "Backspace"},
      {{'C', kmCtrl | kmAlt, TKeyScope::ksTree}, "Ctrl+Alt+C"},
      {{'L', kmShift | kmCtrl}, "Shift+Ctrl+L"},
      {{vk::Add, kmShift | kmCtrl, TKeyScope::ksTree}, "Shift+Ctrl+Plus (keypad)"},
      {{vk::Subtract, kmShift | kmCtrl, TKeyScope::ksTree}, "Shift+Ctrl+Minus (keypad)"},
      {{vk::Tab, kmNone, TKeyScope::ksHex}, "Tab"},
      {{'7', kmAny, TKeyScope::ksWindow, TKeyFlow::kfPassToHost}, "7"},  // with any modifiers: the key alone
      {{vk::F3, kmAny, TKeyScope::ksWindow, TKeyFlow::kfPassToHost}, "F3"},
      {{vk::Escape, kmNone, TKeyScope::ksWindow, TKeyFlow::kfPassToHost}, "Esc"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Expected);
    EXPECT_EQ(KeyName(row.Binding), row.Expected);
  }
}

// The entry of place whose keys include name, or null.
const TKeyListEntry* EntryWith(const std::vector<TKeyListEntry>& list, TKeyPlace place, const std::string& name) {
  for (const TKeyListEntry& entry : list) {
    if (entry.Place != place) continue;
    std::string keys = ", " + entry.Keys + ", ";
    if (keys.find(", " + name + ", ") != std::string::npos) return &entry;
  }
  return nullptr;
}

TEST(KeyList, EveryBoundKeyIsListedInItsPlaceWithWhatItDoes) {
  const std::vector<TKeyListEntry> list = KeyList();
  for (const TCommand& command : CommandTable())
    for (const TKeyBinding& binding : command.Keys) {
      const std::string name = KeyName(binding);
      SCOPED_TRACE(std::string(command.MenuName) + " " + name);
      EXPECT_EQ(name.find("key "), std::string::npos) << "a key without a name";
      const TKeyPlace place = binding.Flow == TKeyFlow::kfPassToHost ? TKeyPlace::kpHost
                              : binding.Scope == TKeyScope::ksTree   ? TKeyPlace::kpTree
                              : binding.Scope == TKeyScope::ksHex    ? TKeyPlace::kpHex
                                                                     : TKeyPlace::kpAnywhere;
      const TKeyListEntry* entry = EntryWith(list, place, name);
      ASSERT_NE(entry, nullptr);
      EXPECT_EQ(entry->Help, command.Help);
      EXPECT_FALSE(entry->Help.empty());
    }
  // Places come in order, each once.
  for (std::size_t i = 1; i < list.size(); ++i) EXPECT_LE(list[i - 1].Place, list[i].Place);
}

#ifdef BRAMLET_KEY_DOCUMENTS
std::string ReadText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The documents the build made: each names every key of the table.
TEST(KeyList, ManualPageAndReadmeNameEveryKey) {
  for (const char* path : {BRAMLET_KEY_DOCUMENTS}) {
    SCOPED_TRACE(path);
    const std::string text = ReadText(path);
    ASSERT_FALSE(text.empty());
    for (const TCommand& command : CommandTable())
      for (const TKeyBinding& binding : command.Keys)
        EXPECT_NE(text.find(KeyName(binding)), std::string::npos) << command.MenuName << " " << KeyName(binding);
  }
}
#endif

}  // namespace
}  // namespace viewer
