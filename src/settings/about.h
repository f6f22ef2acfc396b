// The About box: a fixed window with the program's name and version; only its
// title follows the language.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "settings/controls.h"
#include "settings/dialog_runner.h"

namespace settings {

class TAboutForm {
 public:
  // Lays the box out at pixelScalePercent of 96 dots per inch.
  explicit TAboutForm(int pixelScalePercent = 100);

  static constexpr int TitleId = 115;
  TFormLook Look{174, 115, u"Tahoma", 10};  // the client size scaled when created
  std::u16string Caption;  // the title
  TControls Controls;      // lbName, lbVersion, btnOK

  // Set by the front-end: ends the modal run.
  std::function<void()> OnCloseRequest;

  // btnOK closes the box.
  void ButtonClick(std::string_view name);
  // Enter and Esc close the box; true when the key was taken.
  bool KeyDown(std::uint16_t virtualKey);
  bool CloseRequested() const { return FCloseRequested; }

 private:
  bool FCloseRequested = false;
  void Close();
};

// The About command: shows the box centred over the viewer and returns when it
// has closed.
void ShowAboutBox(IDialogRunner& runner, int pixelScalePercent = 100);

}  // namespace settings
