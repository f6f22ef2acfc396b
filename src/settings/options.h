// The settings dialog as a controller over plain controls: every change takes
// effect at once on the viewer that opened it; there is nothing to confirm.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "settings/controls.h"
#include "settings/dialog_controller.h"
#include "settings/dialog_runner.h"
#include "settings/lang.h"
#include "settings/settings.h"

namespace settings {

// What the dialog needs from the viewer window that opened it. Each operation
// pushes the named part of the live Settings onto the views.
class ISettingsTarget {
 public:
  virtual ~ISettingsTarget() = default;
  virtual platform::TPlatform& Platform() = 0;
  // The viewer's own record; the dialog keeps no copy.
  virtual TSettings& Settings() = 0;

  virtual void ApplyTreeFontName() = 0;
  virtual void SetTreeFontSize() = 0;
  virtual void ApplyTreeIndent() = 0;
  // Background, the three focus colours and the line colour of the structure tree.
  virtual void ApplyTreeColors() = 0;
  virtual void SetTreeLineStyle() = 0;
  virtual void RepaintTree() = 0;
  // Field names switched on or off: names built or forgotten, rows repainted.
  virtual void ApplyFieldNames() = 0;

  virtual void SetHexFont() = 0;
  virtual void HexVTSetColumns() = 0;
  // Background, the three focus colours and the grid line colour of both hex
  // trees, and the text tree's font colour.
  virtual void ApplyHexColors() = 0;
  virtual void SetHexLineStyle() = 0;
  virtual void RepaintHex() = 0;

  virtual void ApplySettings() = 0;
  virtual void RepaintViewer() = 0;
  virtual void SetMainMenuCaptions() = 0;
  virtual void UpdateMainStatusBar() = 0;
  virtual void SaveSettings() = 0;
};

// The colour chooser's 16 custom colours, 0x00BBGGRR: black, navy, green, teal,
// maroon, purple, olive, grey, blue, silver, lime, aqua, red, fuchsia, yellow, white.
extern const std::array<platform::TColor, 16> CustomColors;

// Widths in pixels at 96 dots per inch, by control name.
using TCaptionNeeds = std::map<std::string, int, std::less<>>;

class TSettingsForm final : public TDialogController {
 public:
  // Builds the controls and fills them (the dialog's creation).
  explicit TSettingsForm(ISettingsTarget& owner);

  static constexpr int TitleId = 200;
  ISettingsTarget& MainForm;
  TLanguageList LangList;
  int Tag = TitleId;

  // The user's actions, by control name. Each updates the controls it concerns;
  // a front-end shows the registry again after every call.
  void ComboBoxChange(std::string_view name, int itemIndex) override;
  void CheckBoxClick(std::string_view name, bool checked) override;
  void RadioButtonClick(std::string_view name) override;
  void SwatchClick(std::string_view name) override;
  void ButtonClick(std::string_view name) override;
  // The spin box's up (+1) or down (-1) button; stops at the range's ends.
  void SpinEditStep(std::string_view name, int delta) override;
  // A character typed into a spin box: always refused, with a beep. Returns
  // whether the character may be inserted.
  bool SpinEditKeyPress(std::string_view name, char16_t character) override;
  // Up and Down step the spin box, Delete is swallowed; true when the key was taken.
  bool SpinEditKeyDown(std::string_view name, std::uint16_t virtualKey) override;
  // Enter and Esc close the dialog; true when the key was taken.
  bool KeyDown(std::uint16_t virtualKey) override;

 private:
  void FormCreate();
  void CreateControls();
  // Each caption control's width for its longest text among the languages of
  // LangList (CaptionWidth), by name.
  TCaptionNeeds CaptionNeeds();
  // Every control's Bounds and the client size, at percent of 96 dots per inch,
  // with room for the captions' needs.
  void LayOutControls(const TCaptionNeeds& needs, int percent);
  void SetCaptions();
  void SettingsToControls();
  void SpinChanged(std::string_view name, int value);
  void LanguageChange(int itemIndex);
  void RestoreDefaults();
};

// The Settings command: shows the dialog centred over the viewer, and once it has
// closed saves the settings through the target.
void ShowSettingsDialog(ISettingsTarget& target, IDialogRunner& runner);

}  // namespace settings
