// Bramlet.wlx through its exports on the 600,000-entry CRL of big-inputs.sh,
// under the offscreen platform: the time from ListLoadW to the first screen
// painted, and the repaint after each PageDown in the middle of the entries.
//   bench_plugin [CRL] [MODULE]   (defaults /tmp/bramlet-big/crl.der, the built module)
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/bramlet/lister_module.h"

namespace {

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

void Report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  std::printf("%-44s runs %3zu  min %8.1f  median %8.1f  max %8.1f ms\n", what, times.size(), times.front(),
              times[times.size() / 2], times.back());
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  std::string crl = argc > 1 ? argv[1] : "/tmp/bramlet-big/crl.der";
  std::string module = argc > 2 ? argv[2] : BRAMLET_MODULE;
  if (!std::filesystem::exists(crl)) {
    std::fprintf(stderr, "bench_plugin: %s is missing; bench/big-inputs.sh makes it\n", crl.c_str());
    return 1;
  }
  bramlet::TListerModule lister(module);
  QWidget host;
  host.resize(1000, 700);
  host.show();
  QApplication::processEvents();

  // First screen: ListLoadW, then the whole window painted once, as a host
  // shows it. The first run also warms the page cache and the fonts.
  std::vector<double> opens;
  QWidget* viewer = nullptr;
  for (int run = 0; run < 4; ++run) {
    if (viewer) lister.Close(viewer);
    TClock::time_point start = TClock::now();
    viewer = static_cast<QWidget*>(lister.Load(&host, std::filesystem::path(crl).u16string()));
    if (viewer == nullptr) {
      std::fprintf(stderr, "bench_plugin: the plug-in declined %s\n", crl.c_str());
      return 1;
    }
    viewer->setGeometry(host.rect());
    viewer->show();
    host.repaint();
    TClock::time_point painted = TClock::now();
    opens.push_back(Milliseconds(start, painted));
  }
  Report("ListLoadW + first paint (all runs)", opens);
  opens.erase(opens.begin());
  Report("ListLoadW + first paint (warm runs)", opens);

  // The middle of the entries: the serial of entry 300,000, found by the host's
  // search, then a page down at a time, each followed by the repaint.
  TClock::time_point searchStart = TClock::now();
  int found = lister.SearchText(viewer, u"1348576", 1);
  std::printf("%-44s %s in %.1f ms\n", "search for entry 300,000's serial", found == 0 ? "found" : "NOT FOUND",
              Milliseconds(searchStart, TClock::now()));
  QApplication::processEvents();
  QWidget* tree = QApplication::focusWidget() ? QApplication::focusWidget() : viewer;
  std::vector<double> pages;
  for (int page = 0; page < 60; ++page) {
    TClock::time_point start = TClock::now();
    QKeyEvent press(QEvent::KeyPress, page % 2 == 0 || page > 40 ? Qt::Key_PageDown : Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(tree, &press);
    host.repaint();
    pages.push_back(Milliseconds(start, TClock::now()));
  }
  Report("PageDown/PageUp + repaint, mid-CRL", pages);
  lister.Close(viewer);
  return 0;
}
