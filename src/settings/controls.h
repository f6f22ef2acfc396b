// The controls of a dialog as plain values. The controller reads and writes them;
// a toolkit front-end builds one widget per control, shows what it holds and
// reports the user's actions back to the controller by the control's name.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"
#include "platform/keys.h"
#include "platform/platform.h"

namespace settings {

enum class TControlKind : std::uint8_t {
  ckLabel,
  ckButton,
  ckCheckBox,
  ckRadioButton,
  ckGroupBox,
  ckComboBox,    // drop-down list: Items and ItemIndex
  ckSpinEdit,    // Value within MinValue..MaxValue
  ckEdit,        // text field: Text, typed into unless ReadOnly
  ckColorSwatch  // Color
};

struct TControl {
  std::string Name;
  TControlKind Kind = TControlKind::ckLabel;
  std::string Parent;  // the group box it sits in; empty for the dialog itself
  int Tag = 0;         // text id of its caption; 0 for a fixed caption
  std::u16string Caption;
  std::u16string Text;
  std::vector<std::u16string> Items;
  int ItemIndex = -1;  // -1: nothing selected
  bool Sorted = false;
  bool Checked = false;
  int Value = 0;
  int MinValue = 0;
  int MaxValue = 0;
  int MaxLength = 0;  // characters a spin box or text field takes; 0 for no limit
  int DropDownRows = 20;  // rows a drop-down list shows before it scrolls
  platform::TColor Color = 0;
  bool Bold = false;
  bool Enabled = true;
  bool ReadOnly = true;  // a text field the user only reads
  // Where the front-end creates the control: dialog client coordinates in
  // pixels, already scaled to the screen's pixel density. Controls inside a
  // group box are placed in the dialog's coordinates too, not the box's.
  platform::TRect Bounds;
};

// Makes control a spin box over minValue..maxValue: its value clamped into the
// range, and as many characters as the longer limit needs, sign included.
void SetSpinRange(TControl& control, int minValue, int maxValue);

// Controls in creation order (the front-end's layout order within each group),
// looked up by name. References stay valid while the registry lives.
class TControls {
 public:
  TControl& Add(TControl control);
  // The control of that name; a name that was never added is a programming error.
  TControl& operator[](std::string_view name);
  const TControl& operator[](std::string_view name) const;
  // Null when no control has that name.
  const TControl* Find(std::string_view name) const;
  const std::deque<TControl>& All() const { return FItems; }

 private:
  std::deque<TControl> FItems;
};

// Window facts a front-end needs to build a dialog. The client size is scaled
// like the controls' bounds; the font size is in points.
struct TFormLook {
  int ClientWidth = 0;
  int ClientHeight = 0;
  std::u16string FontName;
  int FontSize = 0;
};

// The width a control needs to show caption whole, in pixels at 96 dots per
// inch: the text measured in the dialog's font (bold when the control is) at
// the display's density, taken back to 96 dots per inch, and the room its kind
// takes besides the text: a check box's or radio button's mark and the gap
// after it, a button's frame and margins, a group box's frame and the indent
// of its title. Kinds without a caption need nothing.
int CaptionWidth(const TControl& control, const std::u16string& caption, const TFormLook& look,
                 platform::IDisplay& display);

// Where a dialog goes: centred over the viewer, halves truncated toward zero.
struct TScreenRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TScreenRect&) const = default;
};
TScreenRect CentreOver(const TScreenRect& viewer, int width, int height);

// A layout length in pixels at 96 dots per inch, at percent of that density,
// rounded to the nearest pixel. Rectangles scale edge by edge, so controls that
// touch without overlapping still do so after scaling.
int ScalePixels(int value, int percent);
platform::TRect ScaleRect(const platform::TRect& rect, int percent);

}  // namespace settings
