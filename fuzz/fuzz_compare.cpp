// Fuzzes the comparison of two documents cut from one input (its first two
// octets say where A ends): CompareDocuments plain and with the encodings,
// bramlet-dump --diff's lines and JSON, and the viewer's comparison step. The
// differences name real elements of the right side, the encodings add only
// # lines, a document is the same as itself, the JSON is valid, and the
// viewer's marks and ghost rows stay inside the documents.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/dump_diff.h"
#include "document/compare.h"
#include "document/document.h"
#include "json_validator.h"
#include "settings/lang.h"
#include "viewer/comparison.h"

namespace {

using viewer::TDiffKind;
using viewer::TDifference;
constexpr std::uint32_t None = asn::NoElement;

void Require(bool condition) {
  if (!condition) std::abort();
}

std::unique_ptr<viewer::TDecodedDocument> Load(const std::uint8_t* data, std::size_t size) {
  viewer::TDocumentOptions options;
  options.Text = settings::EnglishTextById;
  auto document = std::make_unique<viewer::TDecodedDocument>(options);
  document->LoadBytes(std::make_shared<const std::vector<std::uint8_t>>(data, data + size));
  return document;
}

void RequireNamesElements(const std::vector<TDifference>& differences, const viewer::TDecodedDocument& a,
                          const viewer::TDecodedDocument& b) {
  const std::uint32_t countA = a.Elements().ElementCount();
  const std::uint32_t countB = b.Elements().ElementCount();
  for (const TDifference& d : differences) {
    Require((d.ElementA == None) == (d.Kind == TDiffKind::dkAdded));
    Require((d.ElementB == None) == (d.Kind == TDiffKind::dkRemoved));
    Require(d.ElementA == None || d.ElementA < countA);
    Require(d.ElementB == None || d.ElementB < countB);
    Require(d.ParentA == None || d.ParentA < countA);
    Require(d.AfterA == None || d.AfterA < countA);
    if (d.Kind == TDiffKind::dkChanged) {
      viewer::ComparedValue(a, d.ElementA);
      viewer::ComparedValue(b, d.ElementB);
    }
  }
}

// The lines of differences but the encoding notes.
std::vector<TDifference> ValueLines(std::vector<TDifference> differences) {
  std::erase_if(differences, [](const TDifference& d) { return d.Kind == TDiffKind::dkEncoding; });
  return differences;
}

bool SameLines(const std::vector<TDifference>& x, const std::vector<TDifference>& y) {
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (x[i].Kind != y[i].Kind || x[i].ElementA != y[i].ElementA || x[i].ElementB != y[i].ElementB) return false;
  return true;
}

void CheckViewer(const viewer::TDecodedDocument& a, std::unique_ptr<viewer::TDecodedDocument> b) {
  viewer::TComparison comparison(std::move(b), u"b");
  comparison.Run(a);
  Require(comparison.Done());
  comparison.StatusText();
  const std::uint32_t countA = a.Elements().ElementCount();
  const std::uint32_t countB = comparison.Other().Elements().ElementCount();
  for (std::uint32_t e = 0; e < countA; ++e) {
    comparison.MarkOf(e);
    for (const viewer::TGhostRow& ghost : comparison.GhostsIn(e)) Require(ghost.Element < countB);
  }
  for (const viewer::TGhostRow& ghost : comparison.GhostsIn(None)) Require(ghost.Element < countB);
  const std::size_t differences = comparison.Differences().size();
  const std::int64_t next = comparison.NextDifference(viewer::TComparison::Start, /*backwards=*/false);
  Require(differences == 0 ? next == -1 : next >= 0 && static_cast<std::size_t>(next) < differences);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t split = std::min<std::size_t>(size - 2, data[0] | std::size_t{data[1]} << 8);
  auto a = Load(data + 2, split);
  auto b = Load(data + 2 + split, size - 2 - split);

  const std::vector<TDifference> plain = viewer::CompareDocuments(*a, *b);
  viewer::TCompareOptions encodings;
  encodings.Encodings = true;
  const std::vector<TDifference> all = viewer::CompareDocuments(*a, *b, encodings);
  RequireNamesElements(plain, *a, *b);
  RequireNamesElements(all, *a, *b);
  Require(ValueLines(plain).size() == plain.size());
  Require(SameLines(ValueLines(all), plain));
  Require(viewer::CompareDocuments(*a, *a, encodings).empty());

  for (const bool json : {false, true}) {
    std::ostringstream out;
    const int code = app::WriteDiff(*a, *b, /*encodings=*/json, json, out);
    Require(code == (plain.empty() ? 0 : 1));
    if (json) Require(fuzz::TJsonValidator(out.str()).Valid());
  }
  CheckViewer(*a, std::move(b));
  return 0;
}
