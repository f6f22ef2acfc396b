// Catching what the core throws before it reaches Qt's event loop.
#include "frontend/qt/fence.h"

#include <exception>

#include <QMessageBox>
#include <QString>

namespace frontend::qt {

namespace {

QString FailureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

}  // namespace

bool Fence(const std::function<void()>& body, TFailureReport report, QWidget* parent) noexcept {
  std::exception_ptr failure;
  try {
    body();
    return true;
  } catch (...) {
    failure = std::current_exception();
  }
  switch (report) {
    case TFailureReport::frMessageBox:
      try {
        QMessageBox::critical(parent, QStringLiteral("Bramlet"), FailureText(failure));
      } catch (...) {
      }
      break;
    case TFailureReport::frDrop:
      break;
  }
  return false;
}

}  // namespace frontend::qt
