// The About box: a fixed window with the program's name and version; only its
// title follows the language.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/controls.h"
#include "settings/dialog_controller.h"
#include "settings/dialog_runner.h"

namespace settings {

class TAboutForm final : public TDialogController {
 public:
  // Lays the box out at the display's density, wide enough for its texts in
  // the face the display draws.
  explicit TAboutForm(platform::IDisplay& display);

  static constexpr int TitleId = 115;

  // btnOK closes the box.
  void ButtonClick(std::string_view name) override;
  // Enter and Esc close the box; true when the key was taken.
  bool KeyDown(std::uint16_t virtualKey) override;
};

// The About command: shows the box centred over the viewer and returns when it
// has closed.
void ShowAboutBox(IDialogRunner& runner, platform::IDisplay& display);

}  // namespace settings
