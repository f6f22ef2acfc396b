// The viewer's Compare with... on the two 600,000-entry CRLs of big-inputs.sh
// that differ in 10 entries, headless: reading the other file (the command,
// which blocks), the comparison (one idle step, which blocks), Next difference,
// and the peak memory against showing the first CRL alone. Wall and CPU time
// per step, best and worst of RUNS runs (default 3).
//   bench_compare [A] [B]   (defaults /tmp/bramlet-big/crl-diff-a.der, crl-diff-b.der)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "../tests/viewer/main_form_probe.h"
#include "platform/fake/fake_platform.h"
#include "process_clock.h"
#include "settings/text.h"
#include "viewer/main.h"

namespace {

using TClock = std::chrono::steady_clock;

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct TSample {
  double Wall = 0;
  double Cpu = 0;
};

template <class TStep>
TSample Time(TStep step) {
  const TClock::time_point wall = TClock::now();
  const double cpu = CpuMilliseconds();
  step();
  return {std::chrono::duration<double, std::milli>(TClock::now() - wall).count(), CpuMilliseconds() - cpu};
}

void Report(const char* what, std::vector<TSample> samples) {
  auto byWall = [](const TSample& x, const TSample& y) { return x.Wall < y.Wall; };
  std::sort(samples.begin(), samples.end(), byWall);
  std::printf("%-44s wall best %7.1f worst %7.1f ms   cpu of best %7.1f ms\n", what, samples.front().Wall,
              samples.back().Wall, samples.front().Cpu);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string a = argc > 1 ? argv[1] : "/tmp/bramlet-big/crl-diff-a.der";
  const std::string b = argc > 2 ? argv[2] : "/tmp/bramlet-big/crl-diff-b.der";
  for (const std::string& file : {a, b}) {
    if (!std::filesystem::exists(file)) {
      std::fprintf(stderr, "bench_compare: %s is missing; bench/big-inputs.sh makes it\n", file.c_str());
      return 1;
    }
  }
  const int runs = std::getenv("RUNS") != nullptr ? std::max(1, std::atoi(std::getenv("RUNS"))) : 3;
  std::vector<TSample> shows, reads, compares, nexts;
  long peakAlone = 0;
  std::u16string status;
  for (int run = 0; run < runs; ++run) {
    platform::fake::TFakePlatform fake;
    viewer::TMainForm form(fake.Platform);
    viewer::test::TMainFormProbe probe(form);
    probe.ApplySettings();
    probe.Document().SetFileName(settings::Utf8ToUtf16(a));
    shows.push_back(Time([&] {
      probe.LoadFile();
      probe.FillTrees();
      probe.TreeVT().SetClientSize(600, 700);
      while (probe.HasIdleWork()) probe.RunIdleWork();  // the DER checks
    }));
    if (run == 0) peakAlone = PeakKiB();
    fake.Dialogs.OpenFileAnswer = settings::Utf8ToUtf16(b);
    reads.push_back(Time([&] { probe.CompareWith(); }));
    compares.push_back(Time([&] {
      while (probe.HasIdleWork()) probe.RunIdleWork();
    }));
    nexts.push_back(Time([&] {
      for (int i = 0; i < 10; ++i) probe.NextDifference();
    }));
    status = probe.MainStatusBar()[4].Text;
  }
  const long peakBoth = PeakKiB();
  Report("show A (read, first screen, DER checks)", shows);
  Report("Compare with: read B (the command)", reads);
  Report("the comparison (idle step)", compares);
  std::vector<TSample> total;
  for (std::size_t i = 0; i < reads.size(); ++i)
    total.push_back({reads[i].Wall + compares[i].Wall, reads[i].Cpu + compares[i].Cpu});
  Report("read B + comparison (target below 3000 ms)", total);
  Report("Next difference x10", nexts);
  std::printf("status bar: %s\n", settings::Utf16ToUtf8(status).c_str());
  std::printf("peak RSS: A shown %.1f MiB, A compared with B %.1f MiB (%.2f times)\n", peakAlone / 1024.0,
              peakBoth / 1024.0, static_cast<double>(peakBoth) / static_cast<double>(peakAlone));
  return 0;
}
