// A modal dialog of native widgets built from a controller's controls: each
// control becomes one widget at its bounds, each user action goes to the
// controller by the control's name, and every widget is shown again from the
// registry after each action.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QDialog>

#include "settings/controls.h"

namespace frontend::qt {

// What a controller offers; the About box leaves most of it empty.
struct TDialogHandlers {
  std::function<void(std::string_view name, int itemIndex)> ComboBoxChange;
  std::function<void(std::string_view name, bool checked)> CheckBoxClick;
  std::function<void(std::string_view name)> RadioButtonClick;
  std::function<void(std::string_view name)> SwatchClick;
  std::function<void(std::string_view name)> ButtonClick;
  std::function<void(std::string_view name, int delta)> SpinEditStep;
  std::function<bool(std::string_view name, char16_t character)> SpinEditKeyPress;
  std::function<bool(std::string_view name, std::uint16_t virtualKey)> SpinEditKeyDown;
  std::function<bool(std::uint16_t virtualKey)> KeyDown;
};

class TControlsDialog : public QDialog {
 public:
  // guard runs every call into the controller behind the viewer's fence.
  // controls and caption belong to the controller and outlive the dialog.
  TControlsDialog(settings::TControls& controls, const settings::TFormLook& look, const std::u16string& caption,
                  TDialogHandlers handlers, std::function<void(const std::function<void()>&)> guard,
                  QWidget* parent);

  // Shows every control's state, caption and the title again.
  void Refresh();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  settings::TControls& FControls;
  const std::u16string& FCaption;
  TDialogHandlers FHandlers;
  std::function<void(const std::function<void()>&)> FGuard;
  std::vector<std::pair<const settings::TControl*, QWidget*>> FWidgets;

  QWidget* MakeWidget(const settings::TControl& control, QWidget* parent);
  // Runs a controller call behind the fence, then refreshes.
  void Act(const std::function<void()>& call);
  friend class TSpinBox;
};

}  // namespace frontend::qt
