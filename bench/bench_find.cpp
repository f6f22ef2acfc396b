// Find over the 600,000-entry CRL made by bench/big-inputs.sh, for texts found
// nowhere: each call walks every row of the structure tree from the first to
// the last. One text leaves the hexadecimal test out (not hexadecimal), one
// runs it over the whole buffer, forwards and backwards (the digits are read
// as the walk asks about them). Target: under 2 s per call.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "../tests/viewer/main_form_probe.h"
#include "viewer/main.h"

namespace {

std::string CrlFile() {
  const char* dir = std::getenv("BRAMLET_BIG_DIR");
  return std::string(dir != nullptr ? dir : "/tmp/bramlet-big") + "/crl.der";
}

struct TWindow {
  platform::fake::TFakePlatform Fake;
  std::unique_ptr<viewer::TMainForm> Form;
};

// Decoded and shown once for the whole run, as the host would open it.
TWindow* Window() {
  static std::unique_ptr<TWindow> window = [] {
    std::ifstream file(CrlFile(), std::ios::binary);
    auto bytes = std::make_shared<const std::vector<std::uint8_t>>(std::istreambuf_iterator<char>(file),
                                                                   std::istreambuf_iterator<char>());
    if (bytes->empty()) return std::unique_ptr<TWindow>();
    auto w = std::make_unique<TWindow>();
    w->Form = std::make_unique<viewer::TMainForm>(w->Fake.Platform);
    Probe(*w->Form).ApplySettings();
    Probe(*w->Form).RunCaptured([&] { Probe(*w->Form).ParseASN(bytes); });
    Probe(*w->Form).FillTrees();
    Probe(*w->Form).TreeVT().SetClientSize(400, 600);
    return w;
  }();
  return window.get();
}

void FindNowhere(benchmark::State& state, const std::u16string& text, bool backwards) {
  TWindow* w = Window();
  if (w == nullptr) {
    state.SkipWithError("no /tmp/bramlet-big/crl.der: run bench/big-inputs.sh");
    return;
  }
  viewer::TMainForm& form = *w->Form;
  Probe(form).TreeVT().SetFocusedNode(viewer::NoNode);
  bool found = false;
  for (auto _ : state) {
    found = form.Find(text, backwards);
    benchmark::DoNotOptimize(found);
  }
  if (found) state.SkipWithError("the text was found; the walk did not cover the tree");
  state.counters["tree_rows"] = static_cast<double>(Probe(form).TreeVT().AllocatedRowCount());
  state.counters["elements"] = Probe(form).TagsCount();
}

void BM_FindTextNowhere(benchmark::State& state) { FindNowhere(state, u"no such text here", false); }
void BM_FindHexNowhere(benchmark::State& state) { FindNowhere(state, u"DE AD BE EF 01 23 45 67", false); }
void BM_FindHexNowhereBackwards(benchmark::State& state) { FindNowhere(state, u"DE AD BE EF 01 23 45 67", true); }
void BM_FindTextNowhereBackwards(benchmark::State& state) {
  // From no focus a backward search starts at the last shown row.
  FindNowhere(state, u"no such text here", true);
}

BENCHMARK(BM_FindTextNowhere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindHexNowhere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindTextNowhereBackwards)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindHexNowhereBackwards)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
