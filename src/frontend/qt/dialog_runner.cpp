// The settings dialog and About box of a viewer, run modally over it.
#include <QApplication>

#include "frontend/qt/controls_dialog.h"
#include "frontend/qt/viewer_widget.h"
#include "settings/about.h"
#include "settings/options.h"

namespace frontend::qt {

namespace {

// Runs dialog modally at bounds; the controller ends the run through close.
void RunModal(TControlsDialog& dialog, const settings::TScreenRect& bounds, std::function<void()>& close) {
  close = [&dialog] { dialog.done(QDialog::Accepted); };
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.move(bounds.Left, bounds.Top);
  dialog.exec();
  close = nullptr;
}

}  // namespace

void TViewerWidget::RunSettingsForm(settings::TSettingsForm& form, const settings::TScreenRect& bounds) {
  TDialogHandlers handlers;
  handlers.ComboBoxChange = [&form](std::string_view name, int index) { form.ComboBoxChange(name, index); };
  handlers.CheckBoxClick = [&form](std::string_view name, bool checked) { form.CheckBoxClick(name, checked); };
  handlers.RadioButtonClick = [&form](std::string_view name) { form.RadioButtonClick(name); };
  handlers.SwatchClick = [&form](std::string_view name) { form.SwatchClick(name); };
  handlers.ButtonClick = [&form](std::string_view name) { form.ButtonClick(name); };
  handlers.SpinEditStep = [&form](std::string_view name, int delta) { form.SpinEditStep(name, delta); };
  handlers.SpinEditKeyPress = [&form](std::string_view name, char16_t c) { return form.SpinEditKeyPress(name, c); };
  handlers.SpinEditKeyDown = [&form](std::string_view name, std::uint16_t key) {
    return form.SpinEditKeyDown(name, key);
  };
  handlers.KeyDown = [&form](std::uint16_t key) { return form.KeyDown(key); };
  TControlsDialog dialog(form.Controls, form.Look, form.Caption, std::move(handlers),
                         [this](const std::function<void()>& call) { Guard(call); }, this);
  RunModal(dialog, bounds, form.OnCloseRequest);
}

void TViewerWidget::RunAboutForm(settings::TAboutForm& form, const settings::TScreenRect& bounds) {
  TDialogHandlers handlers;
  handlers.ButtonClick = [&form](std::string_view name) { form.ButtonClick(name); };
  handlers.KeyDown = [&form](std::uint16_t key) { return form.KeyDown(key); };
  TControlsDialog dialog(form.Controls, form.Look, form.Caption, std::move(handlers),
                         [this](const std::function<void()>& call) { Guard(call); }, this);
  RunModal(dialog, bounds, form.OnCloseRequest);
}

}  // namespace frontend::qt
