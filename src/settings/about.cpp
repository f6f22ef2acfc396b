// The About box: name, version and an OK button; only the title is translated.
#include "settings/about.h"

#include "settings/lang.h"

namespace settings {

TAboutForm::TAboutForm(int pixelScalePercent) : TDialogController({174, 115, u"Tahoma", 10}) {
  Caption = GetLangTextById(TitleId);
  // Top to bottom at 96 dots per inch and Tahoma 10 pt, in client coordinates:
  // the two labels across the whole box (a wider fallback face than Tahoma must
  // still show the version whole), the button centred below them.
  struct {
    const char* Name;
    TControlKind Kind;
    const char16_t* Caption;
    bool Bold;
    platform::TRect Bounds;
  } const parts[] = {{"lbName", TControlKind::ckLabel, u"Bramlet", true, {4, 14, 172, 31}},
                     {"lbVersion", TControlKind::ckLabel, u"Version 1.1, Feb 2024", true, {4, 38, 172, 55}},
                     {"btnOK", TControlKind::ckButton, u"OK", false, {49, 74, 124, 99}}};
  for (const auto& part : parts) {
    TControl control;
    control.Name = part.Name;
    control.Kind = part.Kind;
    control.Caption = part.Caption;
    control.Bold = part.Bold;
    control.Bounds = ScaleRect(part.Bounds, pixelScalePercent);
    Controls.Add(std::move(control));
  }
  Look.ClientWidth = ScalePixels(Look.ClientWidth, pixelScalePercent);
  Look.ClientHeight = ScalePixels(Look.ClientHeight, pixelScalePercent);
}

void TAboutForm::ButtonClick(std::string_view name) {
  if (name == "btnOK") Close();
}

bool TAboutForm::KeyDown(std::uint16_t virtualKey) {
  if (virtualKey != platform::vk::Return && virtualKey != platform::vk::Escape) return false;
  Close();
  return true;
}

void ShowAboutBox(IDialogRunner& runner, int pixelScalePercent) {
  TAboutForm form(pixelScalePercent);
  RunCentred(runner, form);
}

}  // namespace settings
