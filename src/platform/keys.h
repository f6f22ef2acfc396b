// Keys as the core sees them: Windows virtual-key codes and the modifiers held.
// Every front-end maps its own key codes to these (KeyFromQt for Qt; Win32
// delivers them as they are).
#pragma once

#include <cstdint>

namespace platform {

namespace vk {
inline constexpr std::uint16_t Back = 0x08;
inline constexpr std::uint16_t Tab = 0x09;
inline constexpr std::uint16_t Return = 0x0D;
inline constexpr std::uint16_t Escape = 0x1B;
inline constexpr std::uint16_t Space = 0x20;
inline constexpr std::uint16_t PageUp = 0x21;
inline constexpr std::uint16_t PageDown = 0x22;
inline constexpr std::uint16_t End = 0x23;
inline constexpr std::uint16_t Home = 0x24;
inline constexpr std::uint16_t Left = 0x25;
inline constexpr std::uint16_t Up = 0x26;
inline constexpr std::uint16_t Right = 0x27;
inline constexpr std::uint16_t Down = 0x28;
inline constexpr std::uint16_t Insert = 0x2D;
inline constexpr std::uint16_t Delete = 0x2E;
inline constexpr std::uint16_t Numpad0 = 0x60;  // keypad digits are Numpad0 + digit
inline constexpr std::uint16_t Multiply = 0x6A;  // keypad *
inline constexpr std::uint16_t Add = 0x6B;       // keypad +
inline constexpr std::uint16_t Subtract = 0x6D;  // keypad -
inline constexpr std::uint16_t Decimal = 0x6E;   // keypad .
inline constexpr std::uint16_t Divide = 0x6F;    // keypad /
inline constexpr std::uint16_t F1 = 0x70;        // F1 to F12 are consecutive
inline constexpr std::uint16_t F2 = 0x71;
inline constexpr std::uint16_t F3 = 0x72;
inline constexpr std::uint16_t F4 = 0x73;
inline constexpr std::uint16_t F5 = 0x74;
inline constexpr std::uint16_t F7 = 0x76;
inline constexpr std::uint16_t F8 = 0x77;
inline constexpr std::uint16_t F9 = 0x78;
inline constexpr std::uint16_t F12 = 0x7B;
inline constexpr std::uint16_t OemPlus = 0xBB;   // the main block's = and + key
inline constexpr std::uint16_t OemMinus = 0xBD;  // the main block's - key
// Digits and letters are their ASCII upper-case codes.
constexpr std::uint16_t Char(char c) { return static_cast<std::uint16_t>(c); }
}  // namespace vk

struct TKeyEvent {
  std::uint16_t Key = 0;
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
  bool operator==(const TKeyEvent&) const = default;
};

// Where a key the viewer passes to its host goes, for a host whose hotkey
// table posted key events never reach (Esc and F7 live only there): Esc closes
// the host's window, F7 becomes F (the host's Find) posted to that window with
// the same modifiers, and every other key is posted to the viewer's parent.
enum class THostKeyRoute : std::uint8_t { hrPostToParent, hrPostToWindow, hrCloseWindow };

struct THostKey {
  THostKeyRoute Route = THostKeyRoute::hrPostToParent;
  TKeyEvent Key;  // what to post; unused for hrCloseWindow
  bool operator==(const THostKey&) const = default;
};

constexpr THostKey RouteHostKey(const TKeyEvent& key) {
  if (key.Key == vk::Escape) return {THostKeyRoute::hrCloseWindow, key};
  if (key.Key == vk::F7) return {THostKeyRoute::hrPostToWindow, {vk::Char('F'), key.Shift, key.Ctrl, key.Alt}};
  return {THostKeyRoute::hrPostToParent, key};
}

}  // namespace platform
