// The About box: name, version and an OK button; only the title is translated.
#include "settings/about.h"

#include <algorithm>

#include "settings/lang.h"

namespace settings {

TAboutForm::TAboutForm(platform::IDisplay& display) : TDialogController({0, 115, u"Tahoma", 10}) {
  Caption = GetLangTextById(TitleId);
  DefaultButton = "btnOK";
  // Top to bottom at 96 dots per inch and Tahoma 10 pt, in client coordinates:
  // the two labels across the whole box, which widens when the face drawn for
  // Tahoma needs more room for them, the button centred below them.
  struct {
    const char* Name;
    TControlKind Kind;
    const char16_t* Caption;
    bool Bold;
    int Top;
    int Bottom;
  } const parts[] = {{"lbName", TControlKind::ckLabel, u"Bramlet", true, 14, 31},
                     {"lbVersion", TControlKind::ckLabel, u"Version " BRAMLET_VERSION ", " BRAMLET_RELEASE_MONTH, true, 38, 55},
                     {"btnOK", TControlKind::ckButton, u"OK", false, 74, 99}};
  constexpr int Side = 4;
  constexpr int ButtonWidth = 75;
  int labelWidth = 168;
  for (const auto& part : parts) {
    TControl control;
    control.Name = part.Name;
    control.Kind = part.Kind;
    control.Caption = part.Caption;
    control.Bold = part.Bold;
    if (part.Kind == TControlKind::ckLabel)
      labelWidth = std::max(labelWidth, CaptionWidth(control, control.Caption, Look, display));
    Controls.Add(std::move(control));
  }
  const int width = labelWidth + Side + 2;
  for (const auto& part : parts) {
    const bool label = part.Kind == TControlKind::ckLabel;
    const int left = label ? Side : (width - ButtonWidth) / 2;
    Controls[part.Name].Bounds = {left, part.Top, left + (label ? labelWidth : ButtonWidth), part.Bottom};
  }
  const int percent = display.PixelScalePercent();
  for (const TControl& control : Controls.All()) Controls[control.Name].Bounds = ScaleRect(control.Bounds, percent);
  Look.ClientWidth = ScalePixels(width, percent);
  Look.ClientHeight = ScalePixels(Look.ClientHeight, percent);
}

void TAboutForm::ButtonClick(std::string_view name) {
  if (name == "btnOK") Close();
}

bool TAboutForm::KeyDown(std::uint16_t virtualKey) {
  if (virtualKey != platform::vk::Return && virtualKey != platform::vk::Escape) return false;
  Close();
  return true;
}

void ShowAboutBox(IDialogRunner& runner, platform::IDisplay& display) {
  TAboutForm form(display);
  RunCentred(runner, form);
}

}  // namespace settings
