// Native widgets for a dialog controller's controls.
#include "frontend/qt/controls_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "frontend/qt/key_event.h"
#include "frontend/qt/qt_canvas.h"

namespace frontend::qt {

using settings::TControl;
using settings::TControlKind;

namespace {

QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }

void SetBold(QWidget& widget, bool bold) {
  QFont font = widget.font();
  font.setBold(bold);
  widget.setFont(font);
}

QString SwatchStyle(platform::TColor color) {
  return QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }")
      .arg(ToQColor(color).name());
}

void ShowItems(QComboBox& combo, const TControl& control) {
  QStringList items;
  for (const std::u16string& item : control.Items) items << ToQString(item);
  QStringList shown;
  for (int i = 0; i < combo.count(); ++i) shown << combo.itemText(i);
  if (shown != items) {
    combo.clear();
    combo.addItems(items);
  }
  combo.setCurrentIndex(control.ItemIndex);
}

}  // namespace

// A spin box whose number changes only through the controller: its steps, and
// the keys and characters the controller takes or refuses.
class TSpinBox : public QSpinBox {
 public:
  TSpinBox(TControlsDialog& dialog, std::string name, QWidget* parent)
      : QSpinBox(parent), FDialog(dialog), FName(std::move(name)) {
    setContextMenuPolicy(Qt::NoContextMenu);
  }

  void SetMaxLength(int digits) {
    if (digits > 0) lineEdit()->setMaxLength(digits);
  }

  void stepBy(int steps) override {
    const int delta = steps > 0 ? 1 : -1;
    FDialog.Act([&] {
      for (int i = 0; i != steps; i += delta) FDialog.FController.SpinEditStep(FName, delta);
    });
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const std::optional<platform::TKeyEvent> key = CoreKey(*event);
    bool taken = false;
    if (key) FDialog.Act([&] { taken = FDialog.FController.SpinEditKeyDown(FName, key->Key); });
    if (taken) return event->accept();
    const QString text = event->text();
    if (text.size() == 1 && text[0].isPrint()) {
      bool allowed = false;
      FDialog.Act([&] { allowed = FDialog.FController.SpinEditKeyPress(FName, text[0].unicode()); });
      if (!allowed) return event->accept();
    }
    QSpinBox::keyPressEvent(event);
  }

 private:
  TControlsDialog& FDialog;
  std::string FName;
};

TControlsDialog::TControlsDialog(settings::TDialogController& controller,
                                 std::function<void(const std::function<void()>&)> guard, QWidget* parent)
    : QDialog(parent), FController(controller), FGuard(std::move(guard)) {
  const settings::TFormLook& look = FController.Look;
  setFont(FontFor({look.FontName, look.FontSize, false}));
  setFixedSize(look.ClientWidth, look.ClientHeight);
  // Every control is placed in the dialog's coordinates, group boxes included,
  // so all are children of the dialog and the boxes stay beneath the rest.
  for (const TControl& control : FController.Controls.All()) {
    QWidget* widget = MakeWidget(control, this);
    widget->setObjectName(QString::fromStdString(control.Name));
    widget->setGeometry(ToQRect(control.Bounds));
    FWidgets.emplace_back(&control, widget);
  }
  for (auto& [control, widget] : FWidgets)
    if (control->Kind == TControlKind::ckGroupBox) widget->lower();
  for (auto& [control, widget] : FWidgets)
    if (control->Name == FController.FocusedControl) widget->setFocus();
  Refresh();
}

QWidget* TControlsDialog::MakeWidget(const TControl& control, QWidget* parent) {
  const std::string name = control.Name;
  switch (control.Kind) {
    case TControlKind::ckLabel:
      return new QLabel(parent);
    case TControlKind::ckButton: {
      auto* button = new QPushButton(parent);
      button->setDefault(name == FController.DefaultButton);
      connect(button, &QPushButton::clicked, this, [this, name] { Act([&] { FController.ButtonClick(name); }); });
      return button;
    }
    case TControlKind::ckCheckBox: {
      auto* box = new QCheckBox(parent);
      connect(box, &QCheckBox::clicked, this,
              [this, name](bool checked) { Act([&] { FController.CheckBoxClick(name, checked); }); });
      return box;
    }
    case TControlKind::ckRadioButton: {
      auto* radio = new QRadioButton(parent);
      // The controller decides which button is on.
      radio->setAutoExclusive(false);
      connect(radio, &QRadioButton::clicked, this, [this, name] { Act([&] { FController.RadioButtonClick(name); }); });
      return radio;
    }
    case TControlKind::ckGroupBox: {
      auto* group = new QGroupBox(parent);
      // Bold in the title only, not in the controls inside.
      if (control.Bold) group->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
      return group;
    }
    case TControlKind::ckComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setMaxVisibleItems(control.DropDownRows);
      connect(combo, QOverload<int>::of(&QComboBox::activated), this,
              [this, name](int index) { Act([&] { FController.ComboBoxChange(name, index); }); });
      return combo;
    }
    case TControlKind::ckSpinEdit: {
      auto* spin = new TSpinBox(*this, name, parent);
      spin->SetMaxLength(control.MaxLength);
      return spin;
    }
    case TControlKind::ckEdit: {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly(control.ReadOnly);
      if (control.MaxLength > 0) edit->setMaxLength(control.MaxLength);
      connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
        Act([&] { FController.EditChange(name, text.toStdU16String()); });
      });
      return edit;
    }
    case TControlKind::ckColorSwatch: {
      auto* swatch = new QPushButton(parent);
      swatch->setFlat(true);
      swatch->setAutoDefault(false);
      connect(swatch, &QPushButton::clicked, this, [this, name] { Act([&] { FController.SwatchClick(name); }); });
      return swatch;
    }
  }
  return new QWidget(parent);
}

void TControlsDialog::Refresh() {
  setWindowTitle(ToQString(FController.Caption));
  for (auto& [control, widget] : FWidgets) {
    const QSignalBlocker blocker(widget);
    widget->setEnabled(control->Enabled);
    switch (control->Kind) {
      case TControlKind::ckLabel:
        static_cast<QLabel*>(widget)->setText(ToQString(control->Caption));
        SetBold(*widget, control->Bold);
        break;
      case TControlKind::ckButton:
        static_cast<QPushButton*>(widget)->setText(ToQString(control->Caption));
        SetBold(*widget, control->Bold);
        break;
      case TControlKind::ckCheckBox:
        static_cast<QCheckBox*>(widget)->setText(ToQString(control->Caption));
        static_cast<QCheckBox*>(widget)->setChecked(control->Checked);
        break;
      case TControlKind::ckRadioButton:
        static_cast<QRadioButton*>(widget)->setText(ToQString(control->Caption));
        static_cast<QRadioButton*>(widget)->setChecked(control->Checked);
        break;
      case TControlKind::ckGroupBox:
        static_cast<QGroupBox*>(widget)->setTitle(ToQString(control->Caption));
        break;
      case TControlKind::ckComboBox:
        ShowItems(*static_cast<QComboBox*>(widget), *control);
        break;
      case TControlKind::ckSpinEdit: {
        auto* spin = static_cast<QSpinBox*>(widget);
        spin->setRange(control->MinValue, control->MaxValue);
        spin->setValue(control->Value);
        break;
      }
      case TControlKind::ckEdit: {
        // Setting the same text again would move the caret of a field being typed in.
        auto* edit = static_cast<QLineEdit*>(widget);
        if (edit->text() == ToQString(control->Text)) break;
        edit->setText(ToQString(control->Text));
        // A field shown for reading starts at its beginning, not its end.
        if (control->ReadOnly) edit->setCursorPosition(0);
        break;
      }
      case TControlKind::ckColorSwatch:
        widget->setStyleSheet(SwatchStyle(control->Color));
        break;
    }
  }
}

void TControlsDialog::Act(const std::function<void()>& call) {
  FGuard(call);
  Refresh();
}

void TControlsDialog::keyPressEvent(QKeyEvent* event) {
  const std::optional<platform::TKeyEvent> key = CoreKey(*event);
  bool taken = false;
  if (key) Act([&] { taken = FController.KeyDown(key->Key); });
  if (taken) return event->accept();
  QDialog::keyPressEvent(event);
}

}  // namespace frontend::qt
