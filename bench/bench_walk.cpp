// The BER walk with value rendering over one certificate and over 100 MB of
// certificates, with the shipped OID dictionary loaded. Reports MB/s and
// elements/s. The environment variable BRAMLET_BENCH_INPUT adds a file of one's own.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "asn/asn.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void AppendElement(std::vector<std::uint8_t>& out, std::uint8_t tag, const std::vector<std::uint8_t>& contents) {
  out.push_back(tag);
  const std::size_t n = contents.size();
  if (n < 0x80) {
    out.push_back(static_cast<std::uint8_t>(n));
  } else {
    out.push_back(0x82);
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(n));
  }
  out.insert(out.end(), contents.begin(), contents.end());
}

std::vector<std::uint8_t> Element(std::uint8_t tag, const std::vector<std::uint8_t>& contents) {
  std::vector<std::uint8_t> out;
  AppendElement(out, tag, contents);
  return out;
}

std::vector<std::uint8_t> Join(const std::vector<std::vector<std::uint8_t>>& parts) {
  std::vector<std::uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<std::uint8_t> Text(const char* s) { return {s, s + std::char_traits<char>::length(s)}; }

// A certificate-shaped structure for when samples/cert.der is missing: names,
// times, an RSA-2048 key and signature, a few extensions.
std::vector<std::uint8_t> MadeUpCertificate() {
  const auto oid = [](std::vector<std::uint8_t> arcs) { return Element(0x06, arcs); };
  const auto name = [&](const char* cn) {
    return Element(0x30, Element(0x31, Element(0x30, Join({oid({0x55, 0x04, 0x03}), Element(0x0C, Text(cn))}))));
  };
  std::vector<std::uint8_t> modulus(257, 0xA5);
  modulus[0] = 0x00;
  std::vector<std::uint8_t> signature(257, 0x5A);
  signature[0] = 0x00;
  const auto rsa = Element(0x30, Join({oid({0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x0B}), Element(0x05, {})}));
  const auto key = Element(0x30, Join({Element(0x30, Join({oid({0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01}),
                                                            Element(0x05, {})})),
                                       Element(0x03, Join({{0x00}, Element(0x30, Join({Element(0x02, modulus),
                                                                                       Element(0x02, {0x01, 0x00, 0x01})}))}))}));
  const auto extension = [&](std::vector<std::uint8_t> id, std::vector<std::uint8_t> value) {
    return Element(0x30, Join({oid(id), Element(0x04, value)}));
  };
  const auto extensions = Element(
      0xA3, Element(0x30, Join({extension({0x55, 0x1D, 0x13}, Element(0x30, Element(0x01, {0xFF}))),
                                extension({0x55, 0x1D, 0x0F}, Element(0x03, {0x05, 0xA0})),
                                extension({0x55, 0x1D, 0x0E}, Element(0x04, std::vector<std::uint8_t>(20, 0x3C))),
                                extension({0x55, 0x1D, 0x11}, Element(0x30, Element(0x82, Text("www.example.test"))))})));
  const auto tbs = Element(
      0x30, Join({Element(0xA0, Element(0x02, {0x02})), Element(0x02, {0x10, 0x00, 0x00, 0x01}), rsa, name("Bench CA"),
                  Element(0x30, Join({Element(0x17, Text("240101000000Z")), Element(0x18, Text("20541231235959Z"))})),
                  name("www.example.test"), key, extensions}));
  return Element(0x30, Join({tbs, rsa, Element(0x03, signature)}));
}

const std::vector<std::uint8_t>& Certificate() {
  static const std::vector<std::uint8_t> cert = [] {
    std::vector<std::uint8_t> bytes = ReadFile(BRAMLET_SOURCE_DIR "/samples/cert.der");
    return bytes.empty() ? MadeUpCertificate() : bytes;
  }();
  return cert;
}

const std::vector<std::uint8_t>& HundredMegabytes() {
  static const std::vector<std::uint8_t> all = [] {
    constexpr std::size_t Target = 100u * 1000 * 1000;
    const std::vector<std::uint8_t>& cert = Certificate();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(Target + cert.size());
    while (bytes.size() < Target) bytes.insert(bytes.end(), cert.begin(), cert.end());
    return bytes;
  }();
  return all;
}

void Walk(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
  asn::TOIDDictionary oids;
  oids.LoadFolder(BRAMLET_SOURCE_DIR "/data");
  std::int64_t elements = 0;
  std::size_t valueChars = 0;
  for (auto _ : state) {
    asn::TASNParser parser;
    parser.OIDDictionary = &oids;
    parser.OnNewConstructed = [&](const asn::TASNTag&) { ++elements; };
    parser.OnNewPrimitive = [&](const asn::TASNTag& t) {
      ++elements;
      valueChars += t.Value.size();
    };
    parser.OnEndConstructed = [] {};
    parser.Parse(bytes);
  }
  benchmark::DoNotOptimize(valueChars);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.counters["elements"] = benchmark::Counter(static_cast<double>(elements), benchmark::Counter::kIsRate);
  state.counters["input_bytes"] = static_cast<double>(bytes.size());
}

void BM_WalkOneCertificate(benchmark::State& state) { Walk(state, Certificate()); }
void BM_WalkHundredMegabytesOfCertificates(benchmark::State& state) { Walk(state, HundredMegabytes()); }

BENCHMARK(BM_WalkOneCertificate);
BENCHMARK(BM_WalkHundredMegabytesOfCertificates)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

// BRAMLET_BENCH_INPUT names a further file to walk (a large CRL, say).
int main(int argc, char** argv) {
  static std::vector<std::uint8_t> extra;
  if (const char* name = std::getenv("BRAMLET_BENCH_INPUT")) {
    extra = ReadFile(name);
    benchmark::RegisterBenchmark("BM_WalkFile", [](benchmark::State& state) { Walk(state, extra); })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
