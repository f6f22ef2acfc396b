// ParseASN over a CRL of 600,000 entries (bench/big-inputs.sh makes it; without it
// a CRL-shaped DER of the same size is built in memory and the label says so),
// and over its 100 MiB of certificates.
// Reports time per decoding, peak RSS of the process, and the document's memory
// per element and per tree row (attribute and error rows counted).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "../tests/viewer/main_form_probe.h"
#include "viewer/main.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void AppendHeader(std::vector<std::uint8_t>& out, std::uint8_t tag, std::size_t length) {
  out.push_back(tag);
  if (length < 0x80) {
    out.push_back(static_cast<std::uint8_t>(length));
    return;
  }
  int octets = length < 0x100 ? 1 : length < 0x10000 ? 2 : length < 0x1000000 ? 3 : 4;
  out.push_back(static_cast<std::uint8_t>(0x80 + octets));
  for (int k = octets - 1; k >= 0; --k) out.push_back(static_cast<std::uint8_t>(length >> (8 * k)));
}

std::vector<std::uint8_t> Wrap(std::uint8_t tag, const std::vector<std::uint8_t>& contents) {
  std::vector<std::uint8_t> out;
  AppendHeader(out, tag, contents.size());
  out.insert(out.end(), contents.begin(), contents.end());
  return out;
}

// 600,000 revoked entries of serial, date and a reason-code extension, in a
// CRL's frame: about 8 elements per entry as in the generated file.
std::vector<std::uint8_t> MadeUpCrl() {
  std::vector<std::uint8_t> entries;
  const std::vector<std::uint8_t> reasonOid{0x06, 0x03, 0x55, 0x1D, 0x15};
  for (std::uint32_t i = 0; i < 600000; ++i) {
    std::vector<std::uint8_t> entry{0x02, 0x03, static_cast<std::uint8_t>(0x10 + (i >> 16)),
                                    static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
    std::string date = "2401011200" + std::to_string(10 + i % 50) + "Z";
    entry.push_back(0x17);
    entry.push_back(static_cast<std::uint8_t>(date.size()));
    entry.insert(entry.end(), date.begin(), date.end());
    std::vector<std::uint8_t> extension = reasonOid;
    auto value = Wrap(0x04, {0x0A, 0x01, static_cast<std::uint8_t>(i % 6)});
    extension.insert(extension.end(), value.begin(), value.end());
    auto extensions = Wrap(0x30, Wrap(0x30, extension));
    entry.insert(entry.end(), extensions.begin(), extensions.end());
    auto wrapped = Wrap(0x30, entry);
    entries.insert(entries.end(), wrapped.begin(), wrapped.end());
  }
  std::vector<std::uint8_t> tbs{0x02, 0x01, 0x01};
  auto revoked = Wrap(0x30, entries);
  tbs.insert(tbs.end(), revoked.begin(), revoked.end());
  return Wrap(0x30, Wrap(0x30, tbs));
}

struct TInput {
  viewer::TBytes Bytes;
  std::string Label;
};

std::string BigInput(const char* file) {
  const char* dir = std::getenv("BRAMLET_BIG_DIR");
  return std::string(dir != nullptr ? dir : "/tmp/bramlet-big") + "/" + file;
}

const TInput& Crl() {
  static const TInput input = [] {
    std::string name = BigInput("crl.der");
    std::vector<std::uint8_t> bytes = ReadFile(name);
    if (!bytes.empty()) return TInput{std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)), name};
    return TInput{std::make_shared<const std::vector<std::uint8_t>>(MadeUpCrl()),
                  "made-up CRL (" + name + " missing; run bench/big-inputs.sh)"};
  }();
  return input;
}

// Rows the structure tree would list: every child of every node.
std::int64_t CountRows(viewer::TTag root) {
  std::int64_t rows = 0;
  std::vector<viewer::TTag> stack{root};
  while (!stack.empty()) {
    viewer::TTag tag = stack.back();
    stack.pop_back();
    rows += tag.ChildsCount();
    for (std::int32_t i = 0; i < tag.GetTagChildsCount(); ++i) stack.push_back(tag.TagChild(i));
  }
  return rows;
}

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ParseAsn(benchmark::State& state, const TInput& input, bool names = true) {
  double rssBefore = PeakRssMiB();
  platform::fake::TFakePlatform fake;
  auto form = std::make_unique<viewer::TMainForm>(fake.Platform);
  Probe(*form).Settings().FieldNames = names;
  for (auto _ : state) {
    Probe(*form).RunCaptured([&] { Probe(*form).ParseASN(input.Bytes); });
    benchmark::DoNotOptimize(Probe(*form).TagsCount());
  }
  std::int64_t elements = Probe(*form).TagsCount();
  std::int64_t rows = CountRows(Probe(*form).Root());
  double documentBytes = static_cast<double>(Probe(*form).Document().Elements().MemoryUsed());
  state.SetLabel(input.Label);
  state.counters["elements"] = static_cast<double>(elements);
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["doc_MiB"] = documentBytes / (1024.0 * 1024.0);
  state.counters["bytes_per_element"] = documentBytes / static_cast<double>(elements);
  state.counters["bytes_per_row"] = documentBytes / static_cast<double>(rows);
  state.counters["input_MiB"] = static_cast<double>(input.Bytes->size()) / (1024.0 * 1024.0);
  state.counters["peak_RSS_MiB"] = PeakRssMiB();
  state.counters["RSS_growth_MiB"] = PeakRssMiB() - rssBefore;
  state.counters["elements_per_s"] = benchmark::Counter(static_cast<double>(elements) * state.iterations(),
                                                        benchmark::Counter::kIsRate);
}
void BM_ParseAsnCrl(benchmark::State& state) { ParseAsn(state, Crl()); }
BENCHMARK(BM_ParseAsnCrl)->Unit(benchmark::kMillisecond)->Iterations(3);
// The same without field names: the walk and the records alone.
void BM_ParseAsnCrlUnnamed(benchmark::State& state) { ParseAsn(state, Crl(), false); }
BENCHMARK(BM_ParseAsnCrlUnnamed)->Unit(benchmark::kMillisecond)->Iterations(3);

// The 100 MiB of certificates, when bench/big-inputs.sh has made them.
void BM_ParseAsnCertificates(benchmark::State& state) {
  std::string name = BigInput("certs.der");
  std::vector<std::uint8_t> bytes = ReadFile(name);
  if (bytes.empty()) {
    state.SkipWithError((name + " is missing; run bench/big-inputs.sh").c_str());
    return;
  }
  ParseAsn(state, TInput{std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)), name});
}
BENCHMARK(BM_ParseAsnCertificates)->Unit(benchmark::kMillisecond)->Iterations(2);

// The walk alone, events delivered to empty handlers: the share of ParseASN's
// time that is the parser's.
void BM_ParserOnlyCrl(benchmark::State& state) {
  const TInput& input = Crl();
  std::int64_t elements = 0;
  for (auto _ : state) {
    asn::TASNParser parser;
    parser.SpaceInHex = true;
    parser.RenderValues = false;  // as the document walks: values render when shown
    parser.OnNewConstructed = [&](const asn::TASNTag&) { ++elements; };
    parser.OnNewPrimitive = [&](const asn::TASNTag&) { ++elements; };
    parser.OnEndConstructed = [] {};
    parser.Parse(*input.Bytes);
  }
  state.SetLabel(input.Label);
  state.counters["elements_per_s"] = benchmark::Counter(static_cast<double>(elements), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParserOnlyCrl)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
