// The platform services on Qt widgets.
#include "frontend/qt/qt_platform.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QStyle>

#include "frontend/qt/key_map.h"
#include "frontend/qt/qt_canvas.h"
#include "platform/keys.h"
#include "platform/posix/posix_system.h"

namespace frontend::qt {

namespace {

namespace vk = platform::vk;

QPointer<QWidget>& CurrentViewer() {
  static QPointer<QWidget> current;
  return current;
}

int& ScopeDepth() {
  static int depth = 0;
  return depth;
}

QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }

class TQtClipboard : public platform::IClipboard {
 public:
  std::u16string GetText() override {
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text().toStdU16String() : std::u16string();
  }
  bool SetText(const std::u16string& text) override {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(ToQString(text));
    return true;
  }
};

// "Name (*.x)|*.x|..." as Qt's "Name (*.x);;..." filter list.
QString QtFilter(const std::u16string& filter) {
  const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << (parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + " (" + patterns + ")");
  }
  return filters.join(QStringLiteral(";;"));
}

std::optional<platform::TColor> QColorDialogChooser(platform::TColor initial, std::span<const platform::TColor> customColors, bool) {
  // Qt's chooser always shows its full picker, so "fully open" needs nothing more.
  const int slotCount = std::min<int>(static_cast<int>(customColors.size()), QColorDialog::customCount());
  for (int i = 0; i < slotCount; ++i) QColorDialog::setCustomColor(i, ToQColor(customColors[static_cast<std::size_t>(i)]));
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), TViewerScope::Current());
  if (!chosen.isValid()) return std::nullopt;
  return FromQColor(chosen);
}

class TQtDialogs : public platform::IDialogs {
 public:
  TColorChooser Chooser;

  platform::TMessageBoxResult MessageBox(const std::u16string& text, const std::u16string& caption,
                               platform::TMessageBoxKind kind) override {
    QMessageBox box(TViewerScope::Current());
    box.setWindowTitle(ToQString(caption));
    box.setText(ToQString(text));
    switch (kind) {
      case platform::TMessageBoxKind::mbInformation:
        box.setIcon(QMessageBox::Information);
        break;
      case platform::TMessageBoxKind::mbError:
        box.setIcon(QMessageBox::Critical);
        break;
      case platform::TMessageBoxKind::mbWarning:
        box.setIcon(QMessageBox::Warning);
        break;
      case platform::TMessageBoxKind::mbQuestion:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? platform::TMessageBoxResult::mrYes : platform::TMessageBoxResult::mrNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return platform::TMessageBoxResult::mrOk;
  }

  std::optional<std::u16string> SaveFileDialog(const std::u16string& filter, const std::u16string& proposedName,
                                               int* filterIndex) override {
    // Qt's save dialog asks before it overwrites an existing file.
    const QStringList filters = QtFilter(filter).split(QStringLiteral(";;"));
    QString selected = filterIndex != nullptr ? filters.value(*filterIndex) : QString();
    const QString name = QFileDialog::getSaveFileName(TViewerScope::Current(), QString(), ToQString(proposedName),
                                                      filters.join(QStringLiteral(";;")), &selected);
    if (name.isEmpty()) return std::nullopt;
    if (filterIndex != nullptr) *filterIndex = std::max(0, static_cast<int>(filters.indexOf(selected)));
    return name.toStdU16String();
  }

  std::optional<std::u16string> OpenFileDialog(const std::u16string& filter, const std::u16string& title) override {
    const QString name =
        QFileDialog::getOpenFileName(TViewerScope::Current(), ToQString(title), QString(), QtFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name.toStdU16String();
  }

  std::optional<platform::TColor> ChooseColor(platform::TColor initial, std::span<const platform::TColor> customColors,
                                    bool fullyOpen) override {
    return Chooser ? Chooser(initial, customColors, fullyOpen)
                   : QColorDialogChooser(initial, customColors, fullyOpen);
  }
};

class TQtWindowHost : public platform::IWindowHost {
 public:
  void Beep() override { QApplication::beep(); }

  void SetBusyCursor(bool busy) override {
    if (busy)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  }

  // Where each key goes is the core's rule (RouteHostKey): the host's viewer
  // keeps Esc and F7 in a hotkey table that posted key events never reach.
  // Other keys go to the parent as key presses, which is the best a widget can do.
  void PostKeyToParent(const platform::TKeyEvent& key) override {
    QWidget* viewer = TViewerScope::Current();
    if (!viewer) return;
    const platform::THostKey routed = platform::RouteHostKey(key);
    QWidget* window = viewer->window();
    if (routed.Route == platform::THostKeyRoute::hrCloseWindow) {
      QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
      return;
    }
    const Qt::KeyboardModifiers modifiers = (routed.Key.Shift ? Qt::ShiftModifier : Qt::NoModifier) |
                                            (routed.Key.Ctrl ? Qt::ControlModifier : Qt::NoModifier) |
                                            (routed.Key.Alt ? Qt::AltModifier : Qt::NoModifier);
    const int qtKey = QtKeyFromKey(routed.Key.Key);
    QWidget* target = routed.Route == platform::THostKeyRoute::hrPostToWindow ? window : viewer->parentWidget();
    if (qtKey == 0 || !target) return;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, qtKey, modifiers));
  }

  void ActivateParent() override {
    QWidget* viewer = TViewerScope::Current();
    if (!viewer) return;
    viewer->window()->activateWindow();
    viewer->window()->raise();
  }
};

struct TSysColorRole {
  int Index;
  QPalette::ColorGroup Group;
  QPalette::ColorRole Role;
};

// The Windows system colours by index, as the nearest roles of Qt's palette.
constexpr TSysColorRole SysColorRoles[] = {
    {0, QPalette::Active, QPalette::Button},            // scroll bar
    {1, QPalette::Active, QPalette::Window},            // desktop
    {2, QPalette::Active, QPalette::Highlight},         // active caption
    {3, QPalette::Inactive, QPalette::Highlight},       // inactive caption
    {4, QPalette::Active, QPalette::Window},            // menu
    {5, QPalette::Active, QPalette::Base},              // window background
    {6, QPalette::Active, QPalette::Shadow},            // window frame
    {7, QPalette::Active, QPalette::WindowText},        // menu text
    {8, QPalette::Active, QPalette::Text},              // window text
    {9, QPalette::Active, QPalette::HighlightedText},   // caption text
    {10, QPalette::Active, QPalette::Window},           // active border
    {11, QPalette::Inactive, QPalette::Window},         // inactive border
    {12, QPalette::Active, QPalette::Dark},             // application workspace
    {13, QPalette::Active, QPalette::Highlight},        // selection
    {14, QPalette::Active, QPalette::HighlightedText},  // selected text
    {15, QPalette::Active, QPalette::Button},           // button face
    {16, QPalette::Active, QPalette::Dark},             // button shadow
    {17, QPalette::Disabled, QPalette::Text},           // grey text
    {18, QPalette::Active, QPalette::ButtonText},       // button text
    {19, QPalette::Inactive, QPalette::WindowText},     // inactive caption text
    {20, QPalette::Active, QPalette::Light},            // button highlight
    {21, QPalette::Active, QPalette::Shadow},           // 3D dark shadow
    {22, QPalette::Active, QPalette::Midlight},         // 3D light
    {23, QPalette::Active, QPalette::ToolTipText},      // tooltip text
    {24, QPalette::Active, QPalette::ToolTipBase},      // tooltip background
    {26, QPalette::Active, QPalette::Link},             // hot-tracked item
    {27, QPalette::Active, QPalette::Highlight},        // active caption gradient
    {28, QPalette::Inactive, QPalette::Highlight},      // inactive caption gradient
    {29, QPalette::Active, QPalette::Highlight},        // menu highlight
    {30, QPalette::Active, QPalette::Window},           // menu bar
};

class TQtDisplay : public platform::IDisplay {
 public:
  platform::TColor GetSysColor(int index) override {
    const QPalette palette = QApplication::palette();
    for (const TSysColorRole& role : SysColorRoles)
      if (role.Index == index) return FromQColor(palette.color(role.Group, role.Role));
    return FromQColor(palette.color(QPalette::Active, QPalette::Window));
  }

  std::vector<std::u16string> FontFamilies(bool fixedPitchOnly) override {
    const QFontDatabase database;
    std::vector<std::u16string> families;
    for (const QString& family : database.families()) {
      if (fixedPitchOnly && !database.isFixedPitch(family)) continue;
      families.push_back(family.toStdU16String());
    }
    return families;
  }

  int TextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) override {
    return MetricsFor({fontName, fontSize, false}).horizontalAdvance(ToQString(text));
  }

  int BoldTextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) override {
    return MetricsFor({fontName, fontSize, true}).horizontalAdvance(ToQString(text));
  }

  int TextHeight(const std::u16string& fontName, int fontSize) override {
    return MetricsFor({fontName, fontSize, false}).height();
  }

  std::u16string UsedFontFamily(const std::u16string& fontName) override {
    return QFontInfo(FontFor({fontName, 10, false})).family().toStdU16String();
  }

  int VerticalScrollBarWidth() override { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

  int PixelScalePercent() override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 100;
    return static_cast<int>(std::lround(screen->logicalDotsPerInchY() * 100.0 / 96.0));
  }
};

}  // namespace

struct TQtPlatform::TServices {
  TQtClipboard Clipboard;
  TQtDialogs Dialogs;
  TQtWindowHost Host;
  TQtDisplay Display;
  platform::posix::TPosixSystem System;
  platform::TPlatform Bundle{Clipboard, Dialogs, Host, Display, System};
  explicit TServices(std::string moduleFolder) : System(std::move(moduleFolder)) {}
};

TQtPlatform::TQtPlatform(std::string moduleFolder)
    : FServices(std::make_unique<TServices>(std::move(moduleFolder))) {}

TQtPlatform::~TQtPlatform() = default;

platform::TPlatform& TQtPlatform::Platform() { return FServices->Bundle; }

void TQtPlatform::SetColorChooser(TColorChooser chooser) { FServices->Dialogs.Chooser = std::move(chooser); }

TViewerScope::TViewerScope(QWidget* viewer) : FPrevious(CurrentViewer()) {
  CurrentViewer() = viewer;
  ++ScopeDepth();
}

TViewerScope::~TViewerScope() {
  // The last viewer stays current after the outermost scope, for services that
  // the host's own calls reach.
  if (--ScopeDepth() > 0) CurrentViewer() = FPrevious;
}

QWidget* TViewerScope::Current() { return CurrentViewer().data(); }

}  // namespace frontend::qt
