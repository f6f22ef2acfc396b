// bramlet: shows a BER file in the Bramlet viewer, loaded from Bramlet.wlx.
//   bramlet [FILE]
#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <stdexcept>

#include "app/bramlet/host_window.h"
#include "app/bramlet/lister_module.h"

namespace {

constexpr const char* Help =
    "Usage: bramlet [FILE]\n"
    "Shows FILE, BER, DER or PEM data such as a certificate, key, CRL, PKCS#7 or PKCS#12 file, as a\n"
    "structure tree beside its bytes, in the viewer of the Lister plug-in Bramlet.wlx, which it\n"
    "loads from beside itself or from ../lib/bramlet.\n"
    "\n"
    "  -h, --help     this text\n"
    "  --version      the version\n"
    "\n"
    "Keys of the window (man bramlet lists the viewer's own too):\n"
    "  Ctrl+O         open another file\n"
    "  F7, F, Ctrl+F  find a text in the names, values and bytes\n"
    "  F3, Shift+F3   find it again forwards, backwards\n"
    "  N, P           open the next, previous file of the folder that the viewer takes\n"
    "  Esc            quit\n"
    "\n"
    "Exit status:\n"
    "  0  the window was closed\n"
    "  1  Bramlet.wlx was not found or could not be loaded\n"
    "  2  a bad command line, or no display to show the window on\n";

// Whether Qt can be expected to find a screen: a platform named outright (the
// tests' offscreen one), or an X11 or Wayland display. Without any, Qt's
// platform plug-in aborts the process.
bool HaveDisplay(int argc, char** argv) {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != 0) return true;
  }
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "-platform") == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts, so they need no display.
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(Help, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("bramlet " BRAMLET_VERSION);
    return 0;
  }
  if (!HaveDisplay(argc, argv)) {
    std::fputs("bramlet: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
               "bramlet-dump FILE prints a file's structure without one\n",
               stderr);
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("bramlet");
  QStringList arguments = QApplication::arguments();
  if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].startsWith("-"))) {
    std::fprintf(stderr, "Usage: bramlet [FILE]  (bramlet --help says more)\n");
    return 2;
  }
  std::string path = bramlet::FindListerModule(QApplication::applicationDirPath().toStdString());
  std::unique_ptr<bramlet::TListerModule> module;
  try {
    if (path.empty()) throw std::runtime_error("Bramlet.wlx was not found beside bramlet or in ../lib/bramlet.");
    module = std::make_unique<bramlet::TListerModule>(path);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bramlet: %s\n", error.what());
    QMessageBox::critical(nullptr, "bramlet", QString::fromLocal8Bit(error.what()));
    return 1;
  }
  bramlet::TBramletWindow window(*module);
  window.show();
  if (arguments.size() == 2) window.OpenFile(arguments[1]);
  return application.exec();
}
