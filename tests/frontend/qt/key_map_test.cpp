// Qt key codes to the core's virtual keys and back; the Qt numbers are written
// out as qnamespace.h defines them.
#include "frontend/qt/key_map.h"

#include <gtest/gtest.h>

#include <string>

namespace frontend::qt {
namespace {

namespace vk = platform::vk;

constexpr unsigned Shift = 0x02000000, Ctrl = 0x04000000, Alt = 0x08000000, Meta = 0x10000000,
                   Keypad = 0x20000000;

TEST(QtKeys, MapsEachKeyAndModifierSet) {
  struct {
    const char* Label;
    int QtKey;
    unsigned Modifiers;
    std::optional<platform::TKeyEvent> Expected;
  } cases[] = {
      {"A", 0x41, 0, platform::TKeyEvent{'A'}},
      {"Z with Ctrl+Alt", 0x5a, Ctrl | Alt, platform::TKeyEvent{'Z', false, true, true}},
      {"digit 3", 0x33, 0, platform::TKeyEvent{'3'}},
      {"keypad 3", 0x33, Keypad, platform::TKeyEvent{0x63}},
      {"F1", 0x01000030, 0, platform::TKeyEvent{vk::F1}},
      {"F7 with Ctrl", 0x01000036, Ctrl, platform::TKeyEvent{vk::F7, false, true, false}},
      {"F12", 0x0100003b, 0, platform::TKeyEvent{vk::F12}},
      {"F13 has no code", 0x0100003c, 0, std::nullopt},
      {"Esc with Shift", 0x01000000, Shift, platform::TKeyEvent{vk::Escape, true, false, false}},
      {"Tab", 0x01000001, 0, platform::TKeyEvent{vk::Tab}},
      {"Backtab is Shift+Tab", 0x01000002, Shift, platform::TKeyEvent{vk::Tab, true, false, false}},
      {"Backtab without Shift reported", 0x01000002, 0, platform::TKeyEvent{vk::Tab, true, false, false}},
      {"Return", 0x01000004, 0, platform::TKeyEvent{vk::Return}},
      {"keypad Enter", 0x01000005, Keypad, platform::TKeyEvent{vk::Return}},
      {"Insert", 0x01000006, 0, platform::TKeyEvent{vk::Insert}},
      {"Delete", 0x01000007, 0, platform::TKeyEvent{vk::Delete}},
      {"Home", 0x01000010, 0, platform::TKeyEvent{vk::Home}},
      {"End", 0x01000011, 0, platform::TKeyEvent{vk::End}},
      {"Left", 0x01000012, 0, platform::TKeyEvent{vk::Left}},
      {"Up", 0x01000013, 0, platform::TKeyEvent{vk::Up}},
      {"Right", 0x01000014, 0, platform::TKeyEvent{vk::Right}},
      {"Down on the keypad", 0x01000015, Keypad, platform::TKeyEvent{vk::Down}},
      {"PageUp", 0x01000016, 0, platform::TKeyEvent{vk::PageUp}},
      {"PageDown", 0x01000017, 0, platform::TKeyEvent{vk::PageDown}},
      {"keypad plus with Shift+Ctrl", 0x2b, Shift | Ctrl | Keypad, platform::TKeyEvent{vk::Add, true, true, false}},
      {"keypad minus", 0x2d, Keypad, platform::TKeyEvent{vk::Subtract}},
      {"main plus is not the keypad's", 0x2b, Shift, platform::TKeyEvent{vk::OemPlus, true, false, false}},
      {"main minus", 0x2d, 0, platform::TKeyEvent{vk::OemMinus}},
      {"keypad star", 0x2a, Keypad, platform::TKeyEvent{vk::Multiply}},
      {"main star has no code", 0x2a, Shift, std::nullopt},
      {"Meta is not a modifier of the core", 0x43, Meta | Ctrl, platform::TKeyEvent{'C', false, true, false}},
      {"Shift alone", 0x01000020, Shift, std::nullopt},
      {"lower-case code is not a key", 0x61, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(KeyFromQt(c.QtKey, c.Modifiers), c.Expected);
  }
}

TEST(QtKeys, PassesKeysBackAsTheMainBlocksQtKey) {
  struct {
    const char* Label;
    std::uint16_t Key;
    int QtKey;
  } cases[] = {
      {"Esc", vk::Escape, 0x01000000},   {"Tab", vk::Tab, 0x01000001},
      {"Return, not Enter", vk::Return, 0x01000004},
      {"F3", vk::F3, 0x01000032},        {"F12", vk::F12, 0x0100003b},
      {"F13 has none", vk::F12 + 1, 0},  {"letter", 'Q', 0x51},
      {"digit", '7', 0x37},              {"PageDown", vk::PageDown, 0x01000017},
      {"main plus", vk::OemPlus, 0x2b},  {"keypad plus has none", vk::Add, 0},
      {"keypad digit has none", vk::Numpad0 + 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(QtKeyFromKey(c.Key), c.QtKey);
  }
  // Every key the forward table yields off the keypad comes back unchanged.
  for (int key = 0; key <= 0xFF; ++key) {
    int qtKey = QtKeyFromKey(static_cast<std::uint16_t>(key));
    if (qtKey == 0) continue;
    SCOPED_TRACE(key);
    std::optional<platform::TKeyEvent> back = KeyFromQt(qtKey, 0);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Key, key);
  }
}

}  // namespace
}  // namespace frontend::qt
