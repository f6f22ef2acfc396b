// bramlet: shows a BER file in the Bramlet viewer, loaded from Bramlet.wlx.
//   bramlet [FILE]
#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "app/bramlet/host_window.h"
#include "app/bramlet/lister_module.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("bramlet");
  QStringList arguments = QApplication::arguments();
  if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].startsWith("-"))) {
    std::fprintf(stderr, "usage: bramlet [FILE]\n");
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
