// The widget tests need one QApplication for the whole run, as the host has.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>

// Under the leak checker: caches that fontconfig and Qt's font and platform
// layers keep for the life of the process, by design.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libQt5Gui.so\nleak:libQt5Core.so\nleak:libQt5Widgets.so\n"
         "leak:libqoffscreen.so\n";
}

int main(int argc, char** argv) {
  // Without a display unless told otherwise (test discovery runs this too).
  setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
