// The views over the 600,000-entry CRL made by bench/big-inputs.sh: FillTrees,
// GetNodeByOffset near the end and from the middle (the longest walk), and the
// memory the three tree models hold, beside the document's own.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
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
  w->Form->ApplySettings();
  w->Form->RunCaptured([&] { w->Form->ParseASN(bytes); });
  w->Form->TreeVT.SetClientSize(400, 600);
  w->Form->Hex1VT.SetClientSize(200, 600);
  w->Form->Hex2VT.SetClientSize(100, 600);
  windows.push_back(std::move(w));
  return windows.back().get();
}

void Report(benchmark::State& state, TWindow& w) {
  viewer::TMainForm& form = *w.Form;
  double document = static_cast<double>(form.Document().MemoryUsed() + form.HexCellTypes.capacity());
  double tree = static_cast<double>(form.TreeVT.MemoryBytes());
  double rows = static_cast<double>(form.TreeVT.AllocatedRowCount());
  state.SetLabel(w.Name);
  state.counters["doc_MiB"] = document / (1024.0 * 1024.0);
  state.counters["tree_rows"] = rows;
  state.counters["tree_MiB"] = tree / (1024.0 * 1024.0);
  state.counters["tree_bytes_per_row"] = rows > 0 ? tree / rows : 0.0;
  state.counters["tree_share_of_doc"] = tree / document;
  state.counters["hex_rows"] = form.Hex1VT.RootNodeCount();
  state.counters["hex_views_bytes"] = static_cast<double>(form.Hex1VT.MemoryBytes() + form.Hex2VT.MemoryBytes());
}

TWindow* Need(benchmark::State& state, const char* file) {
  TWindow* w = Window(file);
  if (w == nullptr) state.SkipWithError((BigInput(file) + " is missing; run bench/big-inputs.sh").c_str());
  return w;
}

void BM_FillTreesCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  for (auto _ : state) w->Form->FillTrees();
  Report(state, *w);
}
BENCHMARK(BM_FillTreesCrl)->Unit(benchmark::kMillisecond)->Iterations(3);

// A byte near the end, on a freshly filled tree: the walk starts from the
// last row and creates the rows it passes.
void BM_GetNodeByOffsetNearEndCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  auto offset = static_cast<std::int32_t>(w->Form->Bytes->size() - 300);
  for (auto _ : state) {
    state.PauseTiming();
    w->Form->FillTrees();
    state.ResumeTiming();
    benchmark::DoNotOptimize(w->Form->GetNodeByOffset(offset));
  }
  Report(state, *w);
}
BENCHMARK(BM_GetNodeByOffsetNearEndCrl)->Unit(benchmark::kMillisecond)->Iterations(3);

// The byte in the middle: the forward walk creates and visits every row up
// to it, inside collapsed branches too (about half of the tree).
void BM_GetNodeByOffsetMiddleCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  auto offset = static_cast<std::int32_t>(w->Form->Bytes->size() / 2);
  for (auto _ : state) {
    state.PauseTiming();
    w->Form->FillTrees();
    state.ResumeTiming();
    benchmark::DoNotOptimize(w->Form->GetNodeByOffset(offset));
  }
  Report(state, *w);
}
BENCHMARK(BM_GetNodeByOffsetMiddleCrl)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every row of the tree created, as a search through the whole document does:
// the memory ceiling of the structure tree.
void BM_WalkEveryRowCrl(benchmark::State& state) {
  TWindow* w = Need(state, "crl.der");
  if (w == nullptr) return;
  std::int64_t visited = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w->Form->FillTrees();
    state.ResumeTiming();
    visited = 0;
    for (viewer::TNodeId n = w->Form->TreeVT.GetFirst(); n != viewer::NoNode; n = w->Form->TreeVT.GetNext(n))
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
  for (auto _ : state) w->Form->FillHexTree();
  Report(state, *w);
}
BENCHMARK(BM_FillHexTreeCertificates)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
