// The About box: name, version and an OK button; only the title is translated.
#include "settings/about.h"

#include "settings/lang.h"

namespace settings {

TAboutForm::TAboutForm() {
  Caption = GetLangTextById(TitleId);
  struct {
    const char* Name;
    TControlKind Kind;
    const char16_t* Caption;
    bool Bold;
  } const parts[] = {{"lbName", TControlKind::ckLabel, u"Bramlet", true},
                     {"lbVersion", TControlKind::ckLabel, u"Version 1.1, Feb 2024", true},
                     {"btnOK", TControlKind::ckButton, u"OK", false}};
  for (const auto& part : parts) {
    TControl control;
    control.Name = part.Name;
    control.Kind = part.Kind;
    control.Caption = part.Caption;
    control.Bold = part.Bold;
    Controls.Add(std::move(control));
  }
}

void TAboutForm::Close() {
  FCloseRequested = true;
  if (OnCloseRequest) OnCloseRequest();
}

void TAboutForm::ButtonClick(std::string_view name) {
  if (name == "btnOK") Close();
}

bool TAboutForm::KeyDown(std::uint16_t virtualKey) {
  if (virtualKey != platform::vk::Return && virtualKey != platform::vk::Escape) return false;
  Close();
  return true;
}

void ShowAboutBox(IDialogRunner& runner) {
  TAboutForm form;
  runner.RunAboutForm(form, CentreOver(runner.ViewerScreenRect(), form.Look.ClientWidth,
                                       form.Look.ClientHeight));
}

}  // namespace settings
