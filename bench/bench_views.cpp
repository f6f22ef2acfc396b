// The views over the 600,000-entry CRL made by bench/big-inputs.sh: FillTrees,
// GetNodeByOffset at the start, the middle and the end, row geometry among the
// revoked list's 600,000 siblings, and the memory the three tree models hold,
// beside the document's own.
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

std::string BigInput(const char* file) {
  const char* dir = std::getenv("BRAMLET_BIG_DIR");
  return std::string(dir != nullptr ? dir : "/tmp/bramlet-big") + "/" + file;
}

viewer::TBytes ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return std::make_shared<const std::vector<std::uint8_t>>(std::istreambuf_iterator<char>(file),
                                                           std::istreambuf_iterator<char>());
}

// One decoded window per input, kept for all benchmarks of the run.
struct TWindow {
  platform::fake::TFakePlatform Fake;
  std::unique_ptr<viewer::TMainForm> Form;
  std::string Name;
};

TWindow* Window(const char* file) {
  static std::vector<std::unique_ptr<TWindow>> windows;
  std::string name = BigInput(file);
  for (auto& w : windows)
    if (w->Name == name) return w.get();
  viewer::TBytes bytes = ReadFile(name);
  if (bytes->empty()) return nullptr;
  auto w = std::make_unique<TWindow>();
  w->Name = name;
  w->Form = std::make_unique<viewer::TMainForm>(w->Fake.Platform);
  Probe(*w->Form).ApplySettings();
  Probe(*w->Form).RunCaptured([&] { Probe(*w->Form).ParseASN(bytes); });
  Probe(*w->Form).TreeVT().SetClientSize(400, 600);
  Probe(*w->Form).Hex1VT().SetClientSize(200, 600);
  Probe(*w->Form).Hex2VT().SetClientSize(100, 600);
  windows.push_back(std::move(w));
  return windows.back().get();
}

void Report(benchmark::State& state, TWindow& w) {
  viewer::TMainForm& form = *w.Form;
  double document = static_cast<double>(Probe(form).Document().Elements().MemoryUsed());
  double tree = static_cast<double>(Probe(form).TreeVT().MemoryBytes());
  double rows = static_cast<double>(Probe(form).TreeVT().AllocatedRowCount());
  state.SetLabel(w.Name);
  state.counters["doc_MiB"] = document / (1024.0 * 1024.0);
  state.counters["tree_rows"] = rows;
  state.counters["tree_MiB"] = tree / (1024.0 * 1024.0);
  state.counters["tree_bytes_per_row"] = rows > 0 ? tree / rows : 0.0;
  state.counters["tree_share_of_doc"] = tree / document;
  state.counters["hex_rows"] = Probe(form).Hex1VT().RootNodeCount();
  state.counters["hex_views_bytes"] = static_cast<double>(Probe(form).Hex1VT().MemoryBytes() + Probe(form).Hex2VT().MemoryBytes());
}

TWindow* Need(benchmark::State& state, const char* file) {
  TWindow* w = Window(file);
  if (w == nullptr) state.SkipWithError((BigInput(file) + " is missing; run bench/big-inputs.sh").c_str());
  return w;
}

void BM_FillTreesCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  for (auto _ : state) Probe(*w->Form).FillTrees();
  Report(state, *w);
}
BENCHMARK(BM_FillTreesCrl)->Unit(benchmark::kMillisecond)->Iterations(3);

// Where in the CRL a byte lies: 300 bytes in, the middle, 300 bytes before the end.
std::int32_t CrlOffset(const TWindow& w, int where) {
  auto size = static_cast<std::int32_t>(Probe(*w.Form).Bytes()->size());
  return where == 0 ? 300 : where == 1 ? size / 2 : size - 300;
}

// A byte to element on a freshly filled tree (only the top row expanded):
// the rows on the path are created, the 600,000 siblings of the revoked list
// among them for the middle, and the tree's heights are summed once.
void BM_GetNodeByOffsetFreshCrl(benchmark::State& state, int where) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  std::int32_t offset = CrlOffset(*w, where);
  for (auto _ : state) {
    state.PauseTiming();
    Probe(*w->Form).FillTrees();
    state.ResumeTiming();
    benchmark::DoNotOptimize(Probe(*w->Form).GetNodeByOffset(offset));
  }
  Report(state, *w);
}
BENCHMARK_CAPTURE(BM_GetNodeByOffsetFreshCrl, start, 0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_GetNodeByOffsetFreshCrl, middle, 1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_GetNodeByOffsetFreshCrl, end, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

// A byte to element once the tree is in use: each call lands 4 KiB further
// on, in another entry, which it expands, focuses and centres.
void BM_GetNodeByOffsetCrl(benchmark::State& state, int where) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  Probe(*w->Form).FillTrees();
  std::int32_t offset = CrlOffset(*w, where);
  Probe(*w->Form).GetNodeByOffset(offset);
  std::int32_t step = 0;
  for (auto _ : state) {
    step = (step + 4096) % (1 << 20);
    std::int32_t at = where == 2 ? offset - step : offset + step;
    benchmark::DoNotOptimize(Probe(*w->Form).GetNodeByOffset(at));
  }
  Report(state, *w);
}
BENCHMARK_CAPTURE(BM_GetNodeByOffsetCrl, start, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GetNodeByOffsetCrl, middle, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GetNodeByOffsetCrl, end, 2)->Unit(benchmark::kMicrosecond);

// The entry of the revoked list holding the middle byte, shown and centred.
viewer::TNodeId MiddleEntry(TWindow& w) {
  viewer::VirtualTree& tree = Probe(*w.Form).TreeVT();
  Probe(*w.Form).FillTrees();
  viewer::TNodeId node = Probe(*w.Form).GetNodeByOffset(CrlOffset(w, 1));
  while (node != viewer::NoNode && tree.ChildCount(tree.Parent(node)) < 100000) node = tree.Parent(node);
  if (node != viewer::NoNode) tree.ScrollIntoView(node, /*center=*/true);
  return node;
}

// Row top and row rectangle of a row with 300,000 siblings before it.
void BM_NodeTopMiddleCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  viewer::TNodeId entry = MiddleEntry(*w);
  if (entry == viewer::NoNode) return state.SkipWithError("no entry with 100,000 siblings");
  for (auto _ : state) {
    benchmark::DoNotOptimize(Probe(*w->Form).TreeVT().NodeTop(entry));
    benchmark::DoNotOptimize(Probe(*w->Form).TreeVT().GetDisplayRect(entry));
  }
  Report(state, *w);
  state.counters["index"] = Probe(*w->Form).TreeVT().Index(entry);
}
BENCHMARK(BM_NodeTopMiddleCrl)->Unit(benchmark::kMicrosecond);

// The row at the middle of the client area, scrolled to the middle entry.
void BM_GetNodeAtMiddleCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  if (MiddleEntry(*w) == viewer::NoNode) return state.SkipWithError("no entry with 100,000 siblings");
  int y = Probe(*w->Form).TreeVT().ClientHeight() / 2;
  for (auto _ : state) benchmark::DoNotOptimize(Probe(*w->Form).TreeVT().GetNodeAt(y));
  Report(state, *w);
}
BENCHMARK(BM_GetNodeAtMiddleCrl)->Unit(benchmark::kMicrosecond);

// What a painter asks for a client area of 34 rows there: the first row,
// then each next shown row.
void BM_PaintRowsMiddleCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  if (MiddleEntry(*w) == viewer::NoNode) return state.SkipWithError("no entry with 100,000 siblings");
  viewer::VirtualTree& tree = Probe(*w->Form).TreeVT();
  for (auto _ : state) {
    viewer::TNodeId node = tree.GetNodeAt(0);
    for (int i = 1; i < 34 && node != viewer::NoNode; ++i) node = tree.GetNextVisible(node);
    benchmark::DoNotOptimize(node);
  }
  Report(state, *w);
}
BENCHMARK(BM_PaintRowsMiddleCrl)->Unit(benchmark::kMicrosecond);

// Every row of the tree created, as a search through the whole document does:
// the memory ceiling of the structure tree.
void BM_WalkEveryRowCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  std::int64_t visited = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Probe(*w->Form).FillTrees();
    state.ResumeTiming();
    visited = 0;
    for (viewer::TNodeId n = Probe(*w->Form).TreeVT().GetFirst(); n != viewer::NoNode; n = Probe(*w->Form).TreeVT().GetNext(n))
      ++visited;
  }
  Report(state, *w);
  state.counters["visited"] = static_cast<double>(visited);
}
BENCHMARK(BM_WalkEveryRowCrl)->Unit(benchmark::kMillisecond)->Iterations(2);

// The hex grids over 100 MiB: 13 million rows, nothing stored per row.
void BM_FillHexTreeCertificates(benchmark::State& state) {
  TWindow* w = Need(state, "certs.der");
  if (w == nullptr) return;
  for (auto _ : state) Probe(*w->Form).FillHexTree();
  Report(state, *w);
}
BENCHMARK(BM_FillHexTreeCertificates)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
