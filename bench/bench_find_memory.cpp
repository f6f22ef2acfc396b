// The memory of Find over a document of one 100 MB OCTET STRING of zeros,
// searching for 00: alone at the top level (its value text holds the match)
// and inside a SEQUENCE (the SEQUENCE's bytes hold it); and for 01, found
// nowhere, so that every digit and the whole value text are looked at.
// Reports the resident memory of the shown document and the peak of the
// search; the target is a peak within 10% of the document's memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "../tests/viewer/main_form_probe.h"
#include "viewer/main.h"

namespace {

constexpr std::size_t ZerosSize = 100'000'000;

// A status line of /proc/self/status ("VmRSS", "VmHWM") in bytes; -1 when unread.
double StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
      return std::stod(line.substr(length + 1)) * 1024;
  return -1;
}

// Sets the peak resident size back to the current one; false where the kernel does not allow it.
bool ResetPeak() {
  std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
  if (file == nullptr) return false;
  const bool written = std::fputs("5", file) >= 0;
  return std::fclose(file) == 0 && written;
}

// An OCTET STRING of ZerosSize zeros, inside a SEQUENCE when wrapped.
viewer::TBytes Zeros(bool wrapped) {
  std::vector<std::uint8_t> header{0x04, 0x84, static_cast<std::uint8_t>(ZerosSize >> 24),
                                   static_cast<std::uint8_t>(ZerosSize >> 16), static_cast<std::uint8_t>(ZerosSize >> 8),
                                   static_cast<std::uint8_t>(ZerosSize)};
  if (wrapped) {
    const std::size_t inner = header.size() + ZerosSize;
    header.insert(header.begin(), {0x30, 0x84, static_cast<std::uint8_t>(inner >> 24), static_cast<std::uint8_t>(inner >> 16),
                                   static_cast<std::uint8_t>(inner >> 8), static_cast<std::uint8_t>(inner)});
  }
  auto bytes = std::make_shared<std::vector<std::uint8_t>>(header.size() + ZerosSize);
  std::memcpy(bytes->data(), header.data(), header.size());
  // Written, so that the zeros are resident before the document is measured.
  std::memset(bytes->data() + header.size(), 0, ZerosSize);
  return bytes;
}

void FindZeros(benchmark::State& state, bool wrapped, const std::u16string& text, bool there) {
  platform::fake::TFakePlatform fake;
  viewer::TMainForm form(fake.Platform);
  Probe(form).ApplySettings();
  Probe(form).RunCaptured([&] { Probe(form).ParseASN(Zeros(wrapped)); });
  Probe(form).FillTrees();
  Probe(form).TreeVT().SetClientSize(400, 600);
  const double document = StatusBytes("VmRSS");
  double peak = 0;
  bool found = false;
  for (auto _ : state) {
    Probe(form).TreeVT().SetFocusedNode(viewer::NoNode);
    state.PauseTiming();
    const bool reset = ResetPeak();
    state.ResumeTiming();
    found = form.Find(text, false);
    if (!reset) {
      state.SkipWithError("cannot reset the peak resident size (/proc/self/clear_refs)");
      return;
    }
    peak = std::max(peak, StatusBytes("VmHWM"));
  }
  if (found != there) state.SkipWithError(there ? "the text was not found" : "the text was found");
  state.counters["document_MB"] = document / 1e6;
  state.counters["find_peak_MB"] = peak / 1e6;
  state.counters["peak_over_document"] = peak / document;
}

void BM_FindZerosInOctetString(benchmark::State& state) { FindZeros(state, false, u"00", true); }
void BM_FindZerosInSequence(benchmark::State& state) { FindZeros(state, true, u"00", true); }
void BM_FindNowhereInZeros(benchmark::State& state) { FindZeros(state, true, u"01", false); }

BENCHMARK(BM_FindZerosInOctetString)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FindZerosInSequence)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FindNowhereInZeros)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
