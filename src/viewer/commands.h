// The viewer's commands as data a toolkit can show: the context menu model and
// the key events the window and its trees receive.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/keys.h"

namespace viewer {

using platform::TKeyEvent;
namespace vk = platform::vk;

// The control that has the keyboard focus inside the viewer.
enum class TFocusedControl : std::uint8_t { fcTree, fcHex1, fcHex2 };

struct TCommand;

// One entry of the context menu. Tag is the id of its caption's text; 0 marks
// a separator.
struct TMenuItem {
  std::string_view Name;
  int Tag = 0;
  std::u16string Caption;
  bool Enabled = true;
  bool Checked = false;
  const TCommand* Command = nullptr;  // null for a separator
  bool IsSeparator() const { return Tag == 0; }
};

// The context menu, built from the command table: its items top to bottom with
// separators in between.
class TMainMenu {
 public:
  TMainMenu();
  std::vector<TMenuItem>& Items() { return FItems; }
  const std::vector<TMenuItem>& Items() const { return FItems; }
  // The item with this tag; nullptr for 0 and unknown tags.
  TMenuItem* ByTag(int tag);
  // The item of that name (mnCopyVal ...); an unknown name is a programming error.
  TMenuItem& Item(std::string_view name);
  const TMenuItem& Item(std::string_view name) const;

 private:
  std::vector<TMenuItem> FItems;
};

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
