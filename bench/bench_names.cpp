// The cost of field names on the big inputs of bench/big-inputs.sh: ParseASN of
// the 600,000-entry CRL and of 100 MiB of certificates with names off and on
// (the difference is what naming adds to loading: the top-level types are
// recognised, the elements are named when asked about), the matcher alone over
// the finished document, recognising only and naming everything, and every
// element's path built as bramlet-dump --paths builds them. Skips an input that
// is missing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "../tests/viewer/main_form_probe.h"
#include "viewer/main.h"

namespace {

std::string BigDir() {
  const char* dir = std::getenv("BRAMLET_BIG_DIR");
  return dir != nullptr ? dir : "/tmp/bramlet-big";
}

viewer::TBytes ReadInput(const std::string& name) {
  std::ifstream file(BigDir() + "/" + name, std::ios::binary);
  return std::make_shared<const std::vector<std::uint8_t>>(std::istreambuf_iterator<char>(file),
                                                          std::istreambuf_iterator<char>());
}

// "NAME!" is NAME with its first octet made a SET's: the same elements, but a
// document no schema matches.
const viewer::TBytes& Input(const std::string& name) {
  static std::deque<std::pair<std::string, viewer::TBytes>> loaded;  // references stay valid
  for (auto& [n, bytes] : loaded)
    if (n == name) return bytes;
  if (name.ends_with('!')) {
    std::vector<std::uint8_t> changed = *Input(name.substr(0, name.size() - 1));
    if (!changed.empty()) changed[0] = 0x31;
    loaded.emplace_back(name, std::make_shared<const std::vector<std::uint8_t>>(std::move(changed)));
  } else {
    loaded.emplace_back(name, ReadInput(name));
  }
  return loaded.back().second;
}

void Parse(benchmark::State& state, const std::string& name, bool names) {
  const viewer::TBytes& bytes = Input(name);
  if (bytes->empty()) {
    state.SkipWithError(("no " + BigDir() + "/" + name).c_str());
    return;
  }
  platform::fake::TFakePlatform fake;
  for (auto _ : state) {
    viewer::TMainForm form(fake.Platform);
    Probe(form).Settings().FieldNames = names;
    Probe(form).ParseASN(bytes);
    state.PauseTiming();  // counting names them all
    state.counters["named"] = Probe(form).Names().NamedCount();
    state.counters["elements"] = Probe(form).Document().Elements().ElementCount();
    state.ResumeTiming();
  }
}

// Build alone (what a load costs), or Build and NameAll (every element named).
void MatchOnly(benchmark::State& state, const std::string& name, bool all) {
  const viewer::TBytes& bytes = Input(name);
  if (bytes->empty()) {
    state.SkipWithError(("no " + BigDir() + "/" + name).c_str());
    return;
  }
  platform::fake::TFakePlatform fake;
  viewer::TMainForm form(fake.Platform);
  Probe(form).Settings().FieldNames = false;
  Probe(form).ParseASN(bytes);
  schema::TNames names;
  for (auto _ : state) {
    names.Build(Probe(form).Document().Elements(), *bytes);
    if (all) names.NameAll();
    benchmark::DoNotOptimize(names.IsNamed(0));
  }
}

void AllPaths(benchmark::State& state, const std::string& name) {
  const viewer::TBytes& bytes = Input(name);
  if (bytes->empty()) {
    state.SkipWithError(("no " + BigDir() + "/" + name).c_str());
    return;
  }
  platform::fake::TFakePlatform fake;
  viewer::TMainForm form(fake.Platform);
  Probe(form).ParseASN(bytes);
  const schema::TNames& names = Probe(form).Names();
  names.NameAll();
  const viewer::TDocument& document = Probe(form).Document().Elements();
  for (auto _ : state) {
    std::vector<std::size_t> lengths(document.ElementCount());
    std::vector<std::uint32_t> children(document.ElementCount());
    std::string path;
    std::size_t total = 0;
    for (std::uint32_t e = 0; e < document.ElementCount(); ++e) {
      const std::uint32_t parent = document.Parent(e);
      path.resize(parent == asn::NoElement ? 0 : lengths[parent]);
      names.AppendOwnSteps(path, e, parent == asn::NoElement ? 0 : children[parent]++);
      lengths[e] = path.size();
      total += path.size();
    }
    benchmark::DoNotOptimize(total);
  }
}

BENCHMARK_CAPTURE(Parse, CrlNamesOff, "crl.der", false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Parse, CrlNamesOn, "crl.der", true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Parse, CrlUnmatchedNamesOff, "crl.der!", false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Parse, CrlUnmatchedNamesOn, "crl.der!", true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(MatchOnly, CrlBuild, "crl.der", false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(MatchOnly, CrlNameAll, "crl.der", true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(AllPaths, Crl, "crl.der")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Parse, CertsNamesOff, "certs.der", false)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(Parse, CertsNamesOn, "certs.der", true)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(MatchOnly, CertsBuild, "certs.der", false)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(MatchOnly, CertsNameAll, "certs.der", true)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
