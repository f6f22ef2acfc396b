// Painting over the 600,000-entry CRL made by bench/big-inputs.sh: a full paint
// of the structure tree scrolled to the middle of the CRL's revoked entries,
// and of both hex grids scrolled to the middle of the buffer, into a recording
// canvas (whose own cost is counted too). The target is under 2 ms each.
// BM_RowAtAndTopMiddleOfCrl times the row-at-y and row-top queries alone.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/fake/recording_canvas.h"
#include "../tests/viewer/main_form_probe.h"
#include "viewer/main.h"

namespace {

using viewer::NoNode;
using viewer::TNodeId;
using viewer::TView;

std::string BigInput(const char* file) {
  const char* dir = std::getenv("BRAMLET_BIG_DIR");
  return std::string(dir != nullptr ? dir : "/tmp/bramlet-big") + "/" + file;
}

struct TWindow {
  platform::fake::TFakePlatform Fake;
  std::unique_ptr<viewer::TMainForm> Form;
  TNodeId Middle = NoNode;
  std::uint32_t Siblings = 0;
};

// The child of node with the most children, expanded.
TNodeId Widest(viewer::VirtualTree& tree, TNodeId node) {
  TNodeId best = NoNode;
  std::uint32_t most = 0;
  for (std::uint32_t i = 0; i < tree.ChildCount(node); ++i) {
    TNodeId child = tree.Child(node, i);
    if (!tree.HasChildren(child)) continue;
    std::uint32_t count = tree.ChildCount(child);
    if (count > most) {
      most = count;
      best = child;
    }
  }
  if (best != NoNode) tree.SetExpanded(best, true);
  return best;
}

TWindow* Window() {
  static std::unique_ptr<TWindow> window;
  static bool tried = false;
  if (tried) return window.get();
  tried = true;
  std::ifstream file(BigInput("crl.der"), std::ios::binary);
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(std::istreambuf_iterator<char>(file),
                                                                 std::istreambuf_iterator<char>());
  if (bytes->empty()) return nullptr;
  auto w = std::make_unique<TWindow>();
  w->Form = std::make_unique<viewer::TMainForm>(w->Fake.Platform);
  viewer::TMainForm& form = *w->Form;
  Probe(form).ApplySettings();
  Probe(form).RunCaptured([&] { Probe(form).ParseASN(bytes); });
  Probe(form).FillTrees();
  Probe(form).Resize(1280, 800);
  // CertificateList, then tbsCertList, then revokedCertificates.
  viewer::VirtualTree& tree = Probe(form).TreeVT();
  TNodeId revoked = Widest(tree, Widest(tree, tree.GetFirst()));
  if (revoked == NoNode) return nullptr;
  w->Siblings = tree.ChildCount(revoked);
  w->Middle = tree.Child(revoked, w->Siblings / 2);
  tree.ScrollIntoView(w->Middle, /*center=*/true);
  Probe(form).ScrollTo(TView::vwHex2, Probe(form).Hex2VT().TotalHeight() / 2);
  window = std::move(w);
  return window.get();
}

void PaintView(benchmark::State& state, TView view) {
  TWindow* w = Window();
  if (w == nullptr) {
    state.SkipWithError((BigInput("crl.der") + " is missing; run bench/big-inputs.sh").c_str());
    return;
  }
  viewer::TMainForm& form = *w->Form;
  const viewer::VirtualTree& tree = view == TView::vwTree ? Probe(form).TreeVT() : view == TView::vwHex1 ? Probe(form).Hex1VT() : Probe(form).Hex2VT();
  viewer::TRect all{0, 0, tree.ClientWidth(), tree.ClientHeight()};
  platform::fake::TRecordingCanvas canvas;
  std::size_t calls = 0;
  for (auto _ : state) {
    canvas.Clear();
    Probe(form).Paint(view, canvas, all);
    calls = canvas.Calls.size();
    benchmark::DoNotOptimize(canvas.Calls.data());
  }
  state.counters["canvas_calls"] = static_cast<double>(calls);
  state.counters["siblings"] = w->Siblings;
  state.counters["offset_y"] = static_cast<double>(tree.OffsetY());
  state.counters["client_h"] = tree.ClientHeight();
}

void BM_PaintTreeMiddleOfCrl(benchmark::State& state) { PaintView(state, TView::vwTree); }
void BM_PaintBytesGridMiddleOfCrl(benchmark::State& state) { PaintView(state, TView::vwHex1); }
void BM_PaintTextGridMiddleOfCrl(benchmark::State& state) { PaintView(state, TView::vwHex2); }

// The two row queries a tree paint starts with, alone: the share of the paint
// that depends on how the model finds a row among its siblings.
void BM_RowAtAndTopMiddleOfCrl(benchmark::State& state) {
  TWindow* w = Window();
  if (w == nullptr) {
    state.SkipWithError((BigInput("crl.der") + " is missing; run bench/big-inputs.sh").c_str());
    return;
  }
  viewer::VirtualTree& tree = Probe(*w->Form).TreeVT();
  for (auto _ : state) {
    TNodeId node = tree.GetNodeAt(0);
    benchmark::DoNotOptimize(tree.NodeTop(node));
  }
}

// The rows of 16 entries in the middle of the revoked list, fully expanded
// (serial numbers, dates, reason codes, their extensions and attribute rows).
std::vector<TNodeId> MiddleEntryRows(TWindow& w) {
  viewer::VirtualTree& tree = Probe(*w.Form).TreeVT();
  std::vector<TNodeId> rows;
  const TNodeId revoked = tree.Parent(w.Middle);
  const std::uint32_t middle = tree.Index(w.Middle);
  for (std::uint32_t k = 0; k < 16 && middle + k < w.Siblings; ++k) {
    const TNodeId entry = tree.Child(revoked, middle + k);
    tree.FullExpand(entry);
    for (TNodeId row = tree.GetNext(entry); row != NoNode && tree.Level(row) > tree.Level(entry); row = tree.GetNext(row))
      rows.push_back(row);
  }
  return rows;
}

// The value run of each of those rows with its style: what a paint asks of
// each row's value. Expands the entries, so it runs after the paints above.
void BM_ValueTextsOfEntriesMiddleOfCrl(benchmark::State& state) {
  TWindow* w = Window();
  if (w == nullptr) {
    state.SkipWithError((BigInput("crl.der") + " is missing; run bench/big-inputs.sh").c_str());
    return;
  }
  viewer::TMainForm& form = *w->Form;
  viewer::VirtualTree& tree = Probe(form).TreeVT();
  const std::vector<TNodeId> rows = MiddleEntryRows(*w);
  std::size_t characters = 0;
  for (auto _ : state) {
    characters = 0;
    for (TNodeId row : rows) {
      characters += Probe(form).TreeVTGetText(tree, row, -1, viewer::TTextType::ttStatic).size();
      benchmark::DoNotOptimize(Probe(form).TreeVTPaintText(tree, row, -1, viewer::TTextType::ttStatic));
    }
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.counters["characters"] = static_cast<double>(characters);
}

// A full paint of the tree with those entries on the screen, expanded.
void BM_PaintTreeExpandedEntriesMiddleOfCrl(benchmark::State& state) {
  TWindow* w = Window();
  if (w == nullptr) {
    state.SkipWithError((BigInput("crl.der") + " is missing; run bench/big-inputs.sh").c_str());
    return;
  }
  MiddleEntryRows(*w);
  Probe(*w->Form).TreeVT().ScrollIntoView(w->Middle, /*center=*/false);
  PaintView(state, TView::vwTree);
}

BENCHMARK(BM_RowAtAndTopMiddleOfCrl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTreeMiddleOfCrl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintBytesGridMiddleOfCrl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTextGridMiddleOfCrl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValueTextsOfEntriesMiddleOfCrl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintTreeExpandedEntriesMiddleOfCrl)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
