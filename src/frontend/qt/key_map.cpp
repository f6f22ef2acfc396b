// The Qt key table. The numbers are those of Qt 5's Qt::Key and
// Qt::KeyboardModifier (qnamespace.h).
#include "frontend/qt/key_map.h"

namespace frontend::qt {

namespace {

namespace vk = platform::vk;

constexpr unsigned QtShift = 0x02000000;
constexpr unsigned QtControl = 0x04000000;
constexpr unsigned QtAlt = 0x08000000;
constexpr unsigned QtKeypad = 0x20000000;

constexpr int QtF1 = 0x01000030;
constexpr int QtF12 = 0x0100003b;
constexpr int QtBacktab = 0x01000002;

struct TQtKey {
  int QtKey;
  std::uint16_t Key;
};

// Keys that mean the same on the keypad and off it.
constexpr TQtKey Special[] = {
    {0x01000000, vk::Escape}, {0x01000001, vk::Tab},     {0x01000003, vk::Back},
    {0x01000004, vk::Return}, {0x01000005, vk::Return},  {0x01000006, vk::Insert},
    {0x01000007, vk::Delete}, {0x01000010, vk::Home},    {0x01000011, vk::End},
    {0x01000012, vk::Left},   {0x01000013, vk::Up},      {0x01000014, vk::Right},
    {0x01000015, vk::Down},   {0x01000016, vk::PageUp},  {0x01000017, vk::PageDown},
    {0x20, vk::Space},
};


// Printable keys whose code depends on whether they sit on the keypad.
struct TQtSplitKey {
  int QtKey;
  std::uint16_t Keypad;
  std::uint16_t Main;  // 0: none off the keypad
};
constexpr TQtSplitKey Split[] = {
    {0x2b, vk::Add, vk::OemPlus},       // +
    {0x3d, 0, vk::OemPlus},             // =, the unshifted plus key
    {0x2d, vk::Subtract, vk::OemMinus}, // -
    {0x2a, vk::Multiply, 0},            // *
    {0x2f, vk::Divide, 0},              // /
    {0x2e, vk::Decimal, 0},             // .
};

std::optional<std::uint16_t> VirtualKey(int qtKey, bool keypad) {
  if (qtKey >= '0' && qtKey <= '9')
    return static_cast<std::uint16_t>(keypad ? vk::Numpad0 + (qtKey - '0') : qtKey);
  if (qtKey >= 'A' && qtKey <= 'Z') return static_cast<std::uint16_t>(qtKey);
  if (qtKey >= QtF1 && qtKey <= QtF12) return static_cast<std::uint16_t>(vk::F1 + (qtKey - QtF1));
  for (const TQtKey& key : Special)
    if (key.QtKey == qtKey) return key.Key;
  for (const TQtSplitKey& key : Split) {
    if (key.QtKey != qtKey) continue;
    std::uint16_t code = keypad ? key.Keypad : key.Main;
    if (code == 0) return std::nullopt;
    return code;
  }
  return std::nullopt;
}

}  // namespace

std::optional<platform::TKeyEvent> KeyFromQt(int qtKey, unsigned qtModifiers) {
  platform::TKeyEvent event;
  event.Shift = (qtModifiers & QtShift) != 0;
  event.Ctrl = (qtModifiers & QtControl) != 0;
  event.Alt = (qtModifiers & QtAlt) != 0;
  if (qtKey == QtBacktab) {
    // Qt reports Shift+Tab as a key of its own.
    event.Key = vk::Tab;
    event.Shift = true;
    return event;
  }
  std::optional<std::uint16_t> key = VirtualKey(qtKey, (qtModifiers & QtKeypad) != 0);
  if (!key) return std::nullopt;
  event.Key = *key;
  return event;
}

int QtKeyFromKey(std::uint16_t virtualKey) {
  if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) return virtualKey;
  if (virtualKey >= vk::F1 && virtualKey <= vk::F12) return QtF1 + (virtualKey - vk::F1);
  // The first row of a key is its main Qt key (Return, not the keypad's Enter).
  for (const TQtKey& key : Special)
    if (key.Key == virtualKey) return key.QtKey;
  for (const TQtSplitKey& key : Split)
    if (key.Main != 0 && key.Main == virtualKey) return key.QtKey;
  return 0;
}

}  // namespace frontend::qt
