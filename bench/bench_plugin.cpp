// Bramlet.wlx through its exports on the 600,000-entry CRL of big-inputs.sh,
// under the offscreen platform: the time from ListLoadW to the first screen
// painted, the idle step after it (the DER checks, when they are on), and the
// repaint after each PageDown in the middle of the entries.
//   bench_plugin [CRL] [MODULE]   (defaults /tmp/bramlet-big/crl.der, the built module)
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <string>
#include <vector>

#include "app/bramlet/lister_module.h"
#include "process_clock.h"

namespace {

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Wall and CPU time of one step.
struct TSample {
  double Wall = 0;
  double Cpu = 0;
};

class TStopwatch {
 public:
  TSample Lap() {
    TClock::time_point wall = TClock::now();
    double cpu = CpuMilliseconds();
    TSample sample{Milliseconds(FWall, wall), cpu - FCpu};
    FWall = wall;
    FCpu = cpu;
    return sample;
  }

 private:
  TClock::time_point FWall = TClock::now();
  double FCpu = CpuMilliseconds();
};

void Report(const char* what, const std::vector<TSample>& samples) {
  std::vector<double> wall, cpu;
  for (const TSample& sample : samples) {
    wall.push_back(sample.Wall);
    cpu.push_back(sample.Cpu);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf("%-40s runs %2zu  wall min %7.1f median %7.1f max %7.1f ms  cpu min %7.1f median %7.1f max %7.1f ms\n",
              what, samples.size(), wall.front(), wall[wall.size() / 2], wall.back(), cpu.front(),
              cpu[cpu.size() / 2], cpu.back());
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
  std::vector<TSample> opens, loads, paints, idles;
  int pendingAfterPaint = 0;
  QWidget* viewer = nullptr;
  // The viewer's own word on whether it has idle work left.
  auto idleWork = [&] { return viewer->property("idleWork").toBool(); };
  for (int run = 0; run < 4; ++run) {
    if (viewer) lister.Close(viewer);
    TStopwatch watch;
    viewer = static_cast<QWidget*>(lister.Load(&host, std::filesystem::path(crl).u16string()));
    if (viewer == nullptr) {
      std::fprintf(stderr, "bench_plugin: the plug-in declined %s\n", crl.c_str());
      return 1;
    }
    TSample load = watch.Lap();
    viewer->setGeometry(host.rect());
    viewer->show();
    host.repaint();
    TSample paint = watch.Lap();
    const bool pending = idleWork();
    // The idle step: events handled until the viewer has no idle work left.
    for (int round = 0; idleWork(); ++round) {
      if (round == 100000) {
        std::fprintf(stderr, "bench_plugin: the idle work never ran\n");
        return 1;
      }
      QApplication::processEvents();
    }
    TSample idle = watch.Lap();
    // The first run also warms the page cache and the font caches.
    if (run == 0) continue;
    loads.push_back(load);
    paints.push_back(paint);
    opens.push_back(TSample{load.Wall + paint.Wall, load.Cpu + paint.Cpu});
    idles.push_back(idle);
    pendingAfterPaint += pending ? 1 : 0;
  }
  Report("ListLoadW", loads);
  Report("first paint", paints);
  Report("ListLoadW + first paint", opens);
  // With DerChecks off there is no idle work, and this step only handles the
  // events the first screen left.
  Report("idle step (events until no idle work)", idles);
  std::printf("%-40s %d of %zu runs\n", "idle work left after the first paint", pendingAfterPaint, idles.size());

  // The middle of the entries: the serial of entry 300,000, found by the host's
  // search, then a page down at a time, each followed by the repaint.
  TStopwatch searchWatch;
  int found = lister.SearchText(viewer, u"1348576", 1);
  TSample search = searchWatch.Lap();
  std::printf("%-40s %s: wall %.1f ms, cpu %.1f ms\n", "search for entry 300,000's serial",
              found == 0 ? "found" : "NOT FOUND", search.Wall, search.Cpu);
  QApplication::processEvents();
  QWidget* tree = QApplication::focusWidget() ? QApplication::focusWidget() : viewer;
  std::vector<TSample> pages;
  for (int page = 0; page < 60; ++page) {
    TStopwatch watch;
    QKeyEvent press(QEvent::KeyPress, page % 2 == 0 || page > 40 ? Qt::Key_PageDown : Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(tree, &press);
    host.repaint();
    pages.push_back(watch.Lap());
  }
  Report("PageDown/PageUp + repaint, mid-CRL", pages);
  lister.Close(viewer);
  return 0;
}
