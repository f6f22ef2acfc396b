// The matcher: one pass over the elements in document order with an explicit
// stack of frames (one per constructed element being matched), so that any
// nesting depth is fine and the cost is linear in the elements named.
#include "schema/names.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "schema/schema_tables.h"

namespace schema {

namespace {

using namespace tables;

constexpr std::uint32_t NoType = 0xFFFFFFFFu;
// Elements a trial match of a candidate top-level type may name before it is
// scored: enough to tell the candidates apart, little on a huge document.
constexpr std::uint32_t TrialBudget = 400;
// A match without a PEM label must name at least this many elements, so that a
// stray SEQUENCE of two INTEGERs is not called a key.
constexpr std::uint32_t MinUnhintedNames = 4;
// Fields per SEQUENCE whose element is remembered as a possible open-type key.
constexpr std::uint32_t KeyFields = 16;

std::uint32_t TagCode(const asn::TElementHeader& h) {
  if (!h.TagNumberFits || h.TagNumber >= (1u << 30)) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(h.TagClass) << 30 | h.TagNumber;
}

bool Accepts(std::uint32_t type, const asn::TElementHeader& h) {
  const TTypeNode& n = Types[type];
  if (n.AcceptsAny) return true;
  const std::uint32_t code = TagCode(h);
  for (std::uint32_t i = 0; i < n.AcceptCount; ++i)
    if (AcceptTags[n.Accept + i] == code) return true;
  return false;
}

bool TagMatches(const TTypeNode& n, const asn::TElementHeader& h) { return TagCode(h) == n.Tag; }

// The end-of-contents octets of an indefinite length, which the tree lists as
// an element; the schemas know nothing of them.
bool IsEndOfContents(const asn::TElementHeader& h) {
  return h.TagClass == asn::ASN1Universal && h.TagNumberFits && h.TagNumber == 0 && !h.Constructed;
}

std::string_view Str(std::uint32_t offset) { return Strings + offset; }

// An alternative is worth showing unless it only picks a universal type (utcTime
// for a UTCTime says nothing the tag name does not).
bool AlternativeSaysMore(std::uint32_t type) {
  const TTypeNode& n = Types[type];
  return !(n.Kind == kPrimitive && (n.Tag >> 30) == 0);
}

}  // namespace

struct TNames::TParts {
  std::uint32_t Field = 0;
  std::uint32_t Open = 0;
  std::uint32_t Alt = 0;
  bool Item = false;
  bool SamePath = false;
  bool ShowAlt = false;
  std::uint32_t ItemIndex = 0;
};

struct TNames::TFrame {
  std::uint32_t Element;
  std::uint32_t Type;
  std::uint32_t Next;   // next child
  std::uint32_t Count;  // children
  std::uint32_t Field;  // SEQUENCE: next field; SET: bit mask of fields used
  std::uint32_t Open;   // SEQUENCE OF, SET OF: the items' open type, or NoType
  std::array<std::uint32_t, KeyFields> FieldElements;
};

class TNames::TMatcher {
 public:
  TMatcher(TNames& names, const asn::IElementTree& tree, std::span<const std::uint8_t> bytes)
      : FNames(names), FTree(tree), FBytes(bytes) {}

  // Names element and what lies below it as type; with a budget, stops after
  // that many names and remembers every element it named in Touched.
  std::uint32_t Run(std::uint32_t element, std::uint32_t type, std::uint32_t budget) {
    FBudget = budget;
    FCount = 0;
    FStack.clear();
    TParts parts;
    parts.Open = Types[type].Name;
    Assign(element, type, parts, NoType);
    while (!FStack.empty() && !Exhausted()) Advance();
    return FCount;
  }

  std::vector<std::uint32_t> Touched;

 private:
  bool Exhausted() const { return FBudget != 0 && FCount >= FBudget; }

  void Record(std::uint32_t element, std::uint32_t type, const TParts& parts) {
    if (Exhausted()) return;
    TStep step;
    step.Field = parts.Field;
    step.Open = parts.Open;
    step.Alt = parts.Alt;
    step.Type = type;
    step.Item = parts.Item;
    step.SamePath = parts.SamePath;
    step.ShowAlt = parts.ShowAlt;
    FNames.FSlots[element] = {FNames.StepIndex(step), parts.ItemIndex};
    ++FCount;
    if (FBudget != 0) Touched.push_back(element);
  }

  void Push(std::uint32_t element, std::uint32_t type, std::uint32_t open) {
    TFrame frame{element, type, 0, FTree.ChildCount(element), 0, open, {}};
    frame.FieldElements.fill(asn::NoElement);
    FStack.push_back(frame);
  }

  // The parts of the element inside an EXPLICIT tag: the tag's path, and its
  // words for the row.
  static TParts Inner(const TParts& outer) {
    TParts inner;
    inner.Field = outer.Field != 0 ? outer.Field : outer.Open != 0 ? outer.Open : outer.Alt;
    inner.SamePath = true;
    return inner;
  }

  static TParts OpenContent(std::uint32_t type) {
    TParts parts;
    parts.Open = Types[type].Name;
    return parts;
  }

  // Names element as type (resolving EXPLICIT tags, CHOICEs and the open type
  // open, each a step of this loop) and pushes a frame for its children.
  void Assign(std::uint32_t element, std::uint32_t type, TParts parts, std::uint32_t open) {
    for (;;) {
      const TTypeNode& n = Types[type];
      const asn::TElementHeader h = FTree.Header(element);
      if (open != NoType && (n.Kind == kAny || n.Kind == kPrimitive)) {
        const std::uint32_t target = open;
        open = NoType;
        const bool declaredFits = n.Kind == kAny || TagMatches(n, h);
        if (n.Kind == kAny && Accepts(target, h)) {
          if (Types[target].Name != 0) parts.Open = Types[target].Name;
          type = target;
          continue;
        }
        if (!declaredFits) {
          // A PKCS #7 content that is the structure itself, not its DER in an OCTET STRING.
          if (!Accepts(target, h)) return;
          if (Types[target].Name != 0) parts.Open = Types[target].Name;
          type = target;
          continue;
        }
        Record(element, type, parts);
        if (h.Constructed && !h.Encapsulates && n.Kind == kPrimitive) Push(element, type, NoType);
        if (!h.Encapsulates || FTree.ChildCount(element) == 0) return;
        const std::uint32_t inner = FTree.Child(element, 0);
        if (!Accepts(target, FTree.Header(inner))) return;
        element = inner;
        type = target;
        parts = OpenContent(target);
        continue;
      }
      switch (static_cast<TKind>(n.Kind)) {
        case kExplicit: {
          if (!TagMatches(n, h)) return;
          Record(element, type, parts);
          if (FTree.ChildCount(element) == 0) return;
          element = FTree.Child(element, 0);
          type = n.First;
          parts = Inner(parts);
          continue;
        }
        case kChoice: {
          const TField* alt = nullptr;
          for (std::uint32_t i = 0; i < n.Count && alt == nullptr; ++i)
            if (Accepts(Fields[n.First + i].Type, h)) alt = &Fields[n.First + i];
          if (alt == nullptr) return;
          parts.Alt = alt->Name;
          parts.ShowAlt = AlternativeSaysMore(alt->Type);
          type = alt->Type;
          continue;
        }
        case kAny:
          Record(element, type, parts);
          return;
        case kPrimitive:
          if (!TagMatches(n, h)) return;
          Record(element, type, parts);
          // A BER string in segments: each segment is the field too.
          if (h.Constructed && !h.Encapsulates) Push(element, type, NoType);
          return;
        case kSequence:
        case kSet:
        case kSequenceOf:
        case kSetOf:
          if (!TagMatches(n, h)) return;
          Record(element, type, parts);
          if (h.Constructed) Push(element, type, open);
          return;
      }
      return;
    }
  }

  // The type the OID in the key field picks for field, or NoType.
  std::uint32_t OpenType(const TFrame& frame, const TField& field) const {
    if (field.Map < 0 || field.Key < 0 || static_cast<std::uint32_t>(field.Key) >= KeyFields) return NoType;
    std::uint32_t key = frame.FieldElements[static_cast<std::uint32_t>(field.Key)];
    if (key == asn::NoElement) return NoType;
    asn::TElementHeader h = FTree.Header(key);
    if (h.Constructed) {  // an AlgorithmIdentifier: its algorithm
      if (FTree.ChildCount(key) == 0) return NoType;
      h = FTree.Header(FTree.Child(key, 0));
    }
    if (h.UniversalTag() != asn::utObjectIdentifier || h.Offset < 0 || h.Length < 0) return NoType;
    const std::size_t from = static_cast<std::size_t>(h.Offset) + static_cast<std::size_t>(h.HeaderLength());
    if (from + static_cast<std::size_t>(h.Length) > FBytes.size()) return NoType;
    const std::span<const std::uint8_t> oid = FBytes.subspan(from, static_cast<std::size_t>(h.Length));
    const TMap& map = Maps[field.Map];
    const TMapEntry* first = MapEntries + map.First;
    const TMapEntry* last = first + map.Count;
    auto less = [](const TMapEntry& entry, std::span<const std::uint8_t> value) {
      return std::lexicographical_compare(OidOctets + entry.Oid, OidOctets + entry.Oid + entry.Length, value.begin(),
                                          value.end());
    };
    const TMapEntry* found = std::lower_bound(first, last, oid, less);
    if (found == last || found->Length != oid.size() ||
        !std::equal(oid.begin(), oid.end(), OidOctets + found->Oid))
      return NoType;
    return found->Type;
  }

  // Matches the next child of the innermost frame, or leaves the frame.
  void Advance() {
    TFrame& frame = FStack.back();
    if (frame.Next >= frame.Count) {
      FStack.pop_back();
      return;
    }
    const std::uint32_t index = frame.Next++;
    const std::uint32_t child = FTree.Child(frame.Element, index);
    const asn::TElementHeader h = FTree.Header(child);
    if (IsEndOfContents(h)) return;
    const TTypeNode& n = Types[frame.Type];
    TParts parts;
    switch (static_cast<TKind>(n.Kind)) {
      case kSequenceOf:
      case kSetOf: {
        if (!Accepts(n.First, h)) {
          FStack.pop_back();
          return;
        }
        parts.Item = true;
        parts.ItemIndex = index;
        const std::uint32_t open = frame.Open;
        Assign(child, n.First, parts, open);  // may grow FStack: frame is not used after
        return;
      }
      case kSequence: {
        while (frame.Field < n.Count) {
          const TField& field = Fields[n.First + frame.Field];
          if (Accepts(field.Type, h)) break;
          if ((field.Flags & (ffOptional | ffDefault)) == 0) break;
          ++frame.Field;
        }
        if (frame.Field >= n.Count || !Accepts(Fields[n.First + frame.Field].Type, h)) {
          FStack.pop_back();  // the data departs from the schema here
          return;
        }
        const std::uint32_t fieldIndex = frame.Field++;
        AssignField(frame, fieldIndex, child);
        return;
      }
      case kSet: {
        std::uint32_t fieldIndex = 0;
        while (fieldIndex < n.Count &&
               ((fieldIndex < 32 && (frame.Field >> fieldIndex & 1) != 0) ||
                !Accepts(Fields[n.First + fieldIndex].Type, h)))
          ++fieldIndex;
        if (fieldIndex >= n.Count) {
          FStack.pop_back();
          return;
        }
        if (fieldIndex < 32) frame.Field |= 1u << fieldIndex;
        AssignField(frame, fieldIndex, child);
        return;
      }
      case kPrimitive: {
        const TStep& whole = FNames.FSteps[FNames.FSlots[frame.Element].Step];
        parts.Field = whole.Field != 0 ? whole.Field : whole.Open != 0 ? whole.Open : whole.Alt;
        parts.SamePath = true;
        Record(child, frame.Type, parts);
        return;
      }
      case kChoice:
      case kAny:
      case kExplicit:
        break;
    }
    FStack.pop_back();
  }

  void AssignField(TFrame& frame, std::uint32_t fieldIndex, std::uint32_t child) {
    const TField& field = Fields[Types[frame.Type].First + fieldIndex];
    if (fieldIndex < KeyFields) frame.FieldElements[fieldIndex] = child;
    const std::uint32_t open = OpenType(frame, field);
    TParts parts;
    parts.Field = field.Name;
    Assign(child, field.Type, parts, open);  // may grow FStack: frame is not used after
  }

  TNames& FNames;
  const asn::IElementTree& FTree;
  std::span<const std::uint8_t> FBytes;
  std::vector<TFrame> FStack;
  std::uint32_t FBudget = 0;
  std::uint32_t FCount = 0;
};

namespace {

// How element's own children fit type's fields in order (or its items): a
// cheap first test of a candidate top-level type. A document cut short fits
// as a prefix: every child in place, fields missing at the end.
enum class TFit : std::uint8_t { fNone, fPrefix, fFull };

TFit ShallowFit(const asn::IElementTree& tree, std::uint32_t element, std::uint32_t type) {
  const asn::TElementHeader h = tree.Header(element);
  if (!Accepts(type, h)) return TFit::fNone;
  const TTypeNode& n = Types[type];
  const std::uint32_t count = tree.ChildCount(element);
  switch (static_cast<TKind>(n.Kind)) {
    case kSequence: {
      std::uint32_t field = 0;
      for (std::uint32_t i = 0; i < count; ++i) {
        const asn::TElementHeader c = tree.Header(tree.Child(element, i));
        if (IsEndOfContents(c)) continue;
        while (field < n.Count && !Accepts(Fields[n.First + field].Type, c)) {
          if ((Fields[n.First + field].Flags & (ffOptional | ffDefault)) == 0) return TFit::fNone;
          ++field;
        }
        if (field >= n.Count) return TFit::fNone;
        ++field;
      }
      for (; field < n.Count; ++field)
        if ((Fields[n.First + field].Flags & (ffOptional | ffDefault)) == 0)
          return count > 0 ? TFit::fPrefix : TFit::fNone;
      return TFit::fFull;
    }
    case kSequenceOf:
    case kSetOf:
      for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count, 16); ++i) {
        const asn::TElementHeader c = tree.Header(tree.Child(element, i));
        if (!IsEndOfContents(c) && !Accepts(n.First, c)) return TFit::fNone;
      }
      return TFit::fFull;
    case kPrimitive:
    case kSet:
    case kChoice:
    case kAny:
    case kExplicit:
      return TFit::fFull;
  }
  return TFit::fFull;
}

bool LabelAnnounces(const TTopLevel& top, std::string_view pemLabel) {
  for (std::uint32_t i = 0; i < top.LabelCount; ++i)
    if (Str(PemLabels[top.FirstLabel + i]) == pemLabel) return true;
  return false;
}

}  // namespace

void TNames::Clear() {
  FTree = nullptr;
  FSlots = {};
  FSteps.clear();
  FStepIndex.clear();
  FNamedCount = 0;
}

std::uint32_t TNames::StepIndex(const TStep& step) {
  const std::uint64_t key = std::uint64_t{step.Field} | std::uint64_t{step.Open} << 16 | std::uint64_t{step.Alt} << 32 |
                            std::uint64_t{step.Type} << 48 | std::uint64_t{step.Item} << 61 |
                            std::uint64_t{step.SamePath} << 62 | std::uint64_t{step.ShowAlt} << 63;
  // Most elements repeat the step of an element named just before.
  std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 56);
  auto& cached = FStepCache[slot];
  if (cached.first == key && cached.second != 0) return cached.second;
  auto [it, added] = FStepIndex.try_emplace(key, static_cast<std::uint32_t>(FSteps.size()));
  if (added) FSteps.push_back(step);
  cached = {key, it->second};
  return it->second;
}

void TNames::Build(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes, std::string_view pemLabel) {
  Clear();
  FTree = &tree;
  FSlots.assign(tree.ElementCount(), TSlot{});
  FSteps.emplace_back();  // step 0: unnamed
  FStepCache.fill({0, 0});
  TMatcher matcher(*this, tree, bytes);
  std::uint32_t previous = NoType;
  const std::uint32_t tops = tree.ChildCount(asn::NoElement);
  for (std::uint32_t t = 0; t < tops; ++t) {
    const std::uint32_t element = tree.Child(asn::NoElement, t);
    std::uint32_t best = NoType;
    // A run of documents of one kind (a bundle of certificates) keeps its type.
    const bool keep = previous != NoType && ShallowFit(tree, element, TopLevel[previous].Type) == TFit::fFull;
    if (keep) best = previous;
    std::uint64_t bestScore = 0;
    for (std::uint32_t c = 0; c < TopLevelCount && !keep; ++c) {
      const TTopLevel& top = TopLevel[c];
      const bool hinted = !pemLabel.empty() && LabelAnnounces(top, pemLabel);
      const TFit fit = ShallowFit(tree, element, top.Type);
      if (fit == TFit::fNone && !(hinted && Accepts(top.Type, tree.Header(element)))) continue;
      const std::uint32_t named = matcher.Run(element, top.Type, TrialBudget);
      for (std::uint32_t e : matcher.Touched) FSlots[e] = TSlot{};
      matcher.Touched.clear();
      if (!hinted && named < MinUnhintedNames) continue;
      // The label first, then how far the schema carries, then how well the top level fits.
      const std::uint64_t score =
          (hinted ? 1ull << 40 : 0) + (std::uint64_t{named} << 2) + static_cast<std::uint64_t>(fit);
      if (score > bestScore) {
        bestScore = score;
        best = c;
      }
    }
    if (best == NoType) continue;
    previous = best;
    FNamedCount += matcher.Run(element, TopLevel[best].Type, 0);
  }
}

std::string_view TNames::FieldName(std::uint32_t element) const {
  return IsNamed(element) ? Str(FSteps[FSlots[element].Step].Field) : std::string_view{};
}

std::string_view TNames::TypeName(std::uint32_t element) const {
  return IsNamed(element) ? Str(Types[FSteps[FSlots[element].Step].Type].Name) : std::string_view{};
}

std::string_view TNames::Alternative(std::uint32_t element) const {
  return IsNamed(element) ? Str(FSteps[FSlots[element].Step].Alt) : std::string_view{};
}

std::string TNames::Label(std::uint32_t element) const {
  if (!IsNamed(element)) return {};
  const TStep& step = FSteps[FSlots[element].Step];
  std::string label;
  auto add = [&](std::uint32_t word) {
    if (word == 0) return;
    if (!label.empty()) label.push_back(' ');
    label += Str(word);
  };
  add(step.Field);
  add(step.Open);
  if (step.ShowAlt) add(step.Alt);
  if (label.empty()) add(Types[step.Type].Name);
  return label;
}

void TNames::AppendOwnSteps(std::string& path, std::uint32_t element) const {
  if (!IsNamed(element)) return;
  const TSlot& slot = FSlots[element];
  const TStep& step = FSteps[slot.Step];
  auto add = [&](std::uint32_t word) {
    if (word == 0) return;
    if (!path.empty()) path.push_back('.');
    path += Str(word);
  };
  if (!step.SamePath) {
    if (step.Item) {
      path.push_back('[');
      path += std::to_string(slot.Item);
      path.push_back(']');
    }
    add(step.Field);
  }
  add(step.Open);
  add(step.Alt);
}

std::string TNames::Path(std::uint32_t element) const {
  if (!IsNamed(element) || FTree == nullptr) return {};
  std::vector<std::uint32_t> chain;
  for (std::uint32_t e = element; e != asn::NoElement && IsNamed(e); e = FTree->Parent(e)) chain.push_back(e);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) AppendOwnSteps(path, *it);
  return path;
}

}  // namespace schema
