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
  form.ApplySettings();
  form.RunCaptured([&] { form.ParseASN(bytes); });
  form.FillTrees();
  form.Resize(1280, 800);
  // CertificateList, then tbsCertList, then revokedCertificates.
  viewer::VirtualTree& tree = form.TreeVT();
  TNodeId revoked = Widest(tree, Widest(tree, tree.GetFirst()));
  if (revoked == NoNode) return nullptr;
  w->Siblings = tree.ChildCount(revoked);
  w->Middle = tree.Child(revoked, w->Siblings / 2);
  tree.ScrollIntoView(w->Middle, /*center=*/true);
  form.ScrollTo(TView::vwHex2, form.Hex2VT().TotalHeight() / 2);
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
  const viewer::VirtualTree& tree = view == TView::vwTree ? form.TreeVT() : view == TView::vwHex1 ? form.Hex1VT() : form.Hex2VT();
  viewer::TRect all{0, 0, tree.ClientWidth(), tree.ClientHeight()};
  platform::fake::TRecordingCanvas canvas;
  std::size_t calls = 0;
  for (auto _ : state) {
    canvas.Clear();
    form.Paint(view, canvas, all);
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
  viewer::VirtualTree& tree = w->Form->TreeVT();
  for (auto _ : state) {
    TNodeId node = tree.GetNodeAt(0);
    benchmark::DoNotOptimize(tree.NodeTop(node));
  }
}

BENCHMARK(BM_RowAtAndTopMiddleOfCrl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTreeMiddleOfCrl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintBytesGridMiddleOfCrl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintTextGridMiddleOfCrl)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
