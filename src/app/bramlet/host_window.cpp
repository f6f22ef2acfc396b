// bramlet's window: the viewer as a child resized with the window, the host's
// keys (search, next file, Esc) and the messages a host shows.
#include "app/bramlet/host_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/bramlet/detect_string.h"

namespace bramlet {

std::string HostIniName() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (configHome != nullptr && configHome[0] == '/') {
    folder = configHome;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home ? home : "") + "/.config";
  }
  return folder + "/bramlet/bramlet.ini";
}

namespace {

wlx::HWND Handle(QWidget* widget) { return static_cast<wlx::HWND>(widget); }

// Why path cannot be read, in the system's words ("No such file or directory",
// "Permission denied"); empty when its first byte can be read or it is empty.
QString ReadProblem(const QString& path) {
  const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return QString::fromLocal8Bit(std::strerror(errno));
  char byte = 0;
  const ssize_t got = ::read(file, &byte, 1);
  const int error = errno;
  ::close(file);
  return got < 0 ? QString::fromLocal8Bit(std::strerror(error)) : QString();
}

std::u16string Utf16(const QString& text) { return text.toStdU16String(); }

}  // namespace

TBramletWindow::TBramletWindow(const TListerModule& module, QWidget* parent)
    : QWidget(parent), FModule(module), FExtensions(DetectExtensions(module.DetectString())) {
  setFocusPolicy(Qt::StrongFocus);
  resize(1000, 700);
  AskSearchText = [this](const QString& previous) {
    return QInputDialog::getText(this, tr("Find"), tr("Text to find:"), QLineEdit::Normal, previous);
  };
  Notify = [this](const QString& text) { QMessageBox::information(this, tr("bramlet"), text); };
  AskFileName = [this] {
    QStringList patterns;
    for (const std::string& extension : FExtensions)
      patterns << "*." + QString::fromStdString(extension).toLower() << "*." + QString::fromStdString(extension);
    return QFileDialog::getOpenFileName(this, tr("Open"), QFileInfo(FFileName).path(),
                                        tr("Files the viewer takes (%1);;All files (*)").arg(patterns.join(' ')));
  };
  // Shortcuts, as a file manager's viewer has them in its menu: the plug-in
  // lets them through while its tree has the focus.
  auto shortcut = [this](const QKeySequence& keys, std::function<void()> slot) {
    auto* action = new QAction(this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(slot));
    addAction(action);
  };
  shortcut(Qt::Key_F3, [this] { RepeatSearch(false); });
  shortcut(QKeySequence(QStringLiteral("Shift+F3")), [this] { RepeatSearch(true); });
  shortcut(Qt::Key_N, [this] { OpenNeighbour(true); });
  shortcut(Qt::Key_P, [this] { OpenNeighbour(false); });
  shortcut(QKeySequence::Open, [this] { ChooseFile(); });
  UpdateTitle();
}

TBramletWindow::~TBramletWindow() { CloseViewer(); }

bool TBramletWindow::OpenFile(const QString& path) {
  CloseViewer();
  FFileName = QFileInfo(path).absoluteFilePath();
  // As a file manager does it: the INI name first, at every open. Its folder
  // exists, as a host's own does, so the plug-in can save beside it.
  std::string iniName = HostIniName();
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(iniName).parent_path(), error);
  FModule.SetDefaultParams(iniName);
  FViewer = static_cast<QWidget*>(FModule.Load(Handle(this), Utf16(FFileName)));
  UpdateTitle();
  if (FViewer == nullptr) {
    // A file that cannot be read is not one without BER data: say which it is.
    const QString problem = ReadProblem(FFileName);
    Notify(problem.isEmpty() ? tr("The viewer does not show %1: it holds no BER data it can read.").arg(FFileName)
                             : tr("%1 cannot be opened: %2.").arg(FFileName, problem));
    return false;
  }
  FViewer->setGeometry(rect());
  FViewer->show();
  FViewer->setFocus(Qt::OtherFocusReason);
  return true;
}

int TBramletWindow::Search(const QString& text, int flags) {
  FSearchText = text;
  FLastSearchResult = FViewer ? FModule.SearchText(Handle(FViewer), Utf16(text), flags) : 1;
  if (FViewer && FLastSearchResult != 0) Notify(tr("\"%1\" was not found.").arg(text));
  return FLastSearchResult;
}

void TBramletWindow::CloseViewer() {
  if (FViewer == nullptr) return;
  QWidget* viewer = FViewer;
  FViewer = nullptr;
  FModule.Close(Handle(viewer));
}

void TBramletWindow::AskAndSearch() {
  if (FViewer == nullptr) return;
  QString text = AskSearchText(FSearchText);
  if (!text.isEmpty()) Search(text, wlx::lcs_findfirst);
}

void TBramletWindow::RepeatSearch(bool backwards) {
  if (FSearchText.isEmpty()) {
    AskAndSearch();
    return;
  }
  Search(FSearchText, backwards ? wlx::lcs_backwards : 0);
}

void TBramletWindow::OpenNeighbour(bool forward) {
  if (FFileName.isEmpty()) return;
  std::optional<std::filesystem::path> next =
      NeighbourFile(std::filesystem::path(FFileName.toStdString()), FExtensions, forward);
  if (next) OpenFile(QString::fromStdString(next->string()));
}

void TBramletWindow::ChooseFile() {
  QString path = AskFileName();
  if (!path.isEmpty()) OpenFile(path);
}

void TBramletWindow::UpdateTitle() {
  setWindowTitle(FFileName.isEmpty() ? QStringLiteral("bramlet")
                                     : QFileInfo(FFileName).fileName() + QStringLiteral(" - bramlet"));
}

// Keys that reach the window itself: those the viewer posts to its host (F7
// arrives as F, the host's Find) and those pressed while no viewer is open.
void TBramletWindow::keyPressEvent(QKeyEvent* event) {
  Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  bool plain = modifiers == Qt::NoModifier;
  switch (event->key()) {
    case Qt::Key_F7:
      if (plain) return AskAndSearch();
      break;
    case Qt::Key_F:
      if (plain || modifiers == Qt::ControlModifier) return AskAndSearch();
      break;
    // The host keys the viewer passes on arrive here when no shortcut took them.
    case Qt::Key_F3:
      if (plain || modifiers == Qt::ShiftModifier) return RepeatSearch(modifiers == Qt::ShiftModifier);
      break;
    case Qt::Key_N:
    case Qt::Key_P:
      if (plain) return OpenNeighbour(event->key() == Qt::Key_N);
      break;
    case Qt::Key_Escape:
      if (plain) {
        close();
        return;
      }
      break;
  }
  QWidget::keyPressEvent(event);
}

void TBramletWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (FViewer) FViewer->setGeometry(rect());
}

void TBramletWindow::closeEvent(QCloseEvent* event) {
  CloseViewer();
  event->accept();
}

void TBramletWindow::paintEvent(QPaintEvent*) {
  if (FViewer) return;
  QPainter painter(this);
  painter.drawText(rect(), Qt::AlignCenter, tr("Ctrl+O opens a file, Esc quits."));
}

}  // namespace bramlet
