// The control registry, the checks of a dialog's description and the placement
// of a dialog over its viewer.
#include "settings/controls.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "settings/dialog_controller.h"

namespace settings {

TControl& TControls::Add(TControl control) {
  assert(!Find(control.Name) && "control names are unique");
  return FItems.emplace_back(std::move(control));
}

const TControl* TControls::Find(std::string_view name) const {
  for (const TControl& control : FItems)
    if (control.Name == name) return &control;
  return nullptr;
}

const TControl& TControls::operator[](std::string_view name) const {
  const TControl* control = Find(name);
  assert(control && "no control of that name");
  return *control;
}

TControl& TControls::operator[](std::string_view name) {
  return const_cast<TControl&>(static_cast<const TControls&>(*this)[name]);
}

namespace {

// Characters the decimal text of value takes, its minus sign included.
int DecimalLength(int value) {
  return static_cast<int>(std::to_string(value).size());
}

}  // namespace

void SetSpinRange(TControl& control, int minValue, int maxValue) {
  assert(minValue <= maxValue && "a spin range runs upward");
  control.MinValue = minValue;
  control.MaxValue = maxValue;
  control.MaxLength = std::max(DecimalLength(minValue), DecimalLength(maxValue));
  control.Value = std::clamp(control.Value, minValue, maxValue);
}

std::vector<std::string> DescriptionFaults(const TDialogController& controller) {
  std::vector<std::string> faults;
  const TControls& controls = controller.Controls;
  if (!controller.FocusedControl.empty() && !controls.Find(controller.FocusedControl))
    faults.push_back("focused control " + controller.FocusedControl + " is missing");
  if (!controller.DefaultButton.empty()) {
    const TControl* button = controls.Find(controller.DefaultButton);
    if (!button)
      faults.push_back("default button " + controller.DefaultButton + " is missing");
    else if (button->Kind != TControlKind::ckButton)
      faults.push_back("default button " + controller.DefaultButton + " is no button");
  }
  for (const TControl& control : controls.All()) {
    if (control.Kind == TControlKind::ckComboBox && control.DropDownRows < 1)
      faults.push_back(control.Name + " drops down no rows");
    if (control.Kind != TControlKind::ckSpinEdit) continue;
    if (control.Value < control.MinValue || control.Value > control.MaxValue)
      faults.push_back(control.Name + " holds a value outside its range");
    if (control.MaxLength < std::max(DecimalLength(control.MinValue), DecimalLength(control.MaxValue)))
      faults.push_back(control.Name + " is too short for its range");
  }
  return faults;
}

namespace {

// Room beside the text at 96 dots per inch, enough for the Win32 controls and
// for Qt's Fusion style (a check box's mark and gap take 26 pixels there).
int CaptionChrome(TControlKind kind) {
  switch (kind) {
    case TControlKind::ckLabel:
      return 2;
    case TControlKind::ckButton:
      return 16;
    case TControlKind::ckCheckBox:
    case TControlKind::ckRadioButton:
      return 26;
    case TControlKind::ckGroupBox:
      return 30;
    case TControlKind::ckComboBox:
    case TControlKind::ckSpinEdit:
    case TControlKind::ckEdit:
    case TControlKind::ckColorSwatch:
      return 0;
  }
  return 0;
}

}  // namespace

int CaptionWidth(const TControl& control, const std::u16string& caption, const TFormLook& look,
                 platform::IDisplay& display) {
  const int chrome = CaptionChrome(control.Kind);
  if (chrome == 0) return 0;
  const int measured = control.Bold ? display.BoldTextWidth(caption, look.FontName, look.FontSize)
                                    : display.TextWidth(caption, look.FontName, look.FontSize);
  // Text measured on a denser screen is wider by its scale; rounded up.
  const int percent = std::max(1, display.PixelScalePercent());
  return (measured * 100 + percent - 1) / percent + chrome;
}

TScreenRect CentreOver(const TScreenRect& viewer, int width, int height) {
  // Integer division truncates toward zero, also for a window wider than the viewer.
  return {viewer.Left + (viewer.Width - width) / 2, viewer.Top + (viewer.Height - height) / 2, width,
          height};
}

int ScalePixels(int value, int percent) {
  const long long scaled = static_cast<long long>(value) * percent;
  // Round half away from zero; layouts only hold non-negative values.
  return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : (scaled - 50) / 100);
}

platform::TRect ScaleRect(const platform::TRect& rect, int percent) {
  return {ScalePixels(rect.Left, percent), ScalePixels(rect.Top, percent), ScalePixels(rect.Right, percent),
          ScalePixels(rect.Bottom, percent)};
}

}  // namespace settings
