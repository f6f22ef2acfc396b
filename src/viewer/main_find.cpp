// Find: a walk over the structure tree's rows in document order, matching a
// row's name, its text, or the hexadecimal digits of the bytes it stands for.
#include <algorithm>
#include <cwctype>
#include <string_view>

#include "text/ascii.h"
#include "viewer/main.h"

namespace viewer {

namespace {

char16_t FoldUpper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  // Latin-1, Greek and Cyrillic small letters without help from the C locale,
  // which may be the plain one inside a host process.
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  if (c >= 0xD800 && c <= 0xDFFF) return c;  // surrogates stay as they are
  auto upper = std::towupper(static_cast<std::wint_t>(c));
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

void FoldInto(std::u16string_view text, std::u16string& out) {
  out.resize(text.size());
  std::transform(text.begin(), text.end(), out.begin(), FoldUpper);
}

// Where the digits of wanted (upper case, at least one) occur in the
// hexadecimal text of bytes, as digit positions in increasing order. Empty
// when wanted holds anything but hexadecimal digits.
std::vector<std::int64_t> HexMatches(const std::vector<std::uint8_t>& bytes, std::u16string_view wanted) {
  std::vector<std::uint8_t> nibbles;
  nibbles.reserve(wanted.size());
  for (char16_t c : wanted) {
    int value = text::HexDigitValue(c);
    if (value < 0) return {};
    nibbles.push_back(static_cast<std::uint8_t>(value));
  }
  auto digitCount = static_cast<std::int64_t>(bytes.size()) * 2;
  auto wantedCount = static_cast<std::int64_t>(nibbles.size());
  auto nibbleAt = [&](std::int64_t p) {
    std::uint8_t b = bytes[static_cast<std::size_t>(p / 2)];
    return (p % 2 == 0) ? (b >> 4) : (b & 0x0F);
  };
  std::vector<std::int64_t> found;
  for (std::int64_t p = 0; p + wantedCount <= digitCount; ++p) {
    std::int64_t k = 0;
    while (k < wantedCount && nibbleAt(p + k) == nibbles[static_cast<std::size_t>(k)]) ++k;
    if (k == wantedCount) found.push_back(p);
  }
  return found;
}

}  // namespace

bool TMainForm::Find(const std::u16string& searchString, bool backwards) {
  // Nothing to search before the tree holds the document.
  if (searchString.empty() || FTreeVT.RootNodeCount() == 0) return false;
  std::u16string wanted;
  FoldInto(searchString, wanted);
  std::u16string hexText;
  for (char16_t c : wanted)
    if (c != u' ') hexText += c;

  // Computed when the first row reaches the hexadecimal test.
  bool matchesReady = false;
  std::vector<std::int64_t> hexMatches;
  auto bytesContain = [&](TTag tag) {
    if (hexText.empty()) return false;
    bool coversBytes = tag.TagType() == ttNode || (tag.TagType() == ttError && tag.Parent().TagType() == ttRoot);
    if (!coversBytes) return false;
    std::int64_t offset = tag.Offset();
    auto size = static_cast<std::int64_t>(Bytes()->size());
    if (offset < 0 || offset >= size) return false;
    std::int64_t end = std::min<std::int64_t>(size, offset + std::max(0, tag.FullLength()));
    if (!matchesReady) {
      hexMatches = HexMatches(*Bytes(), hexText);
      matchesReady = true;
    }
    // A match inside the element's digits starts no later than this.
    std::int64_t lastStart = end * 2 - static_cast<std::int64_t>(hexText.size());
    auto it = std::lower_bound(hexMatches.begin(), hexMatches.end(), offset * 2);
    return it != hexMatches.end() && *it <= lastStart;
  };

  std::u16string folded;
  auto contains = [&](const std::u16string& text) {
    std::size_t n = wanted.size();
    if (text.size() < n) return false;
    if (text.size() > 64) {
      FoldInto(text, folded);
      return folded.find(wanted) != std::u16string::npos;
    }
    // Most rows have short texts: compare in place rather than copy.
    for (std::size_t i = 0; i + n <= text.size(); ++i) {
      std::size_t k = 0;
      while (k < n && FoldUpper(text[i + k]) == wanted[k]) ++k;
      if (k == n) return true;
    }
    return false;
  };

  // The walk runs over the document, which holds the same rows in the same
  // order as the tree (attribute rows hidden while attributes are), so no tree
  // row has to be built for the rows it passes. Path: the parent and index of
  // each level down to the current row.
  struct TLevel {
    TTag Parent;
    std::int32_t Index;
  };
  std::vector<TLevel> path;
  bool attributes = FSettings.ShowAttributes;
  const bool names = FSettings.FieldNames && Names().NamedCount() > 0;
  auto shown = [&](TTag tag) { return attributes || tag.TagType() != ttAttrib; };
  auto current = [&] { return path.back().Parent.Childs(path.back().Index); };
  auto pathTo = [&](TNodeId node) {
    path.clear();
    for (TNodeId n = node; n != NoNode; n = FTreeVT.Parent(n)) path.push_back({TTag(), static_cast<std::int32_t>(FTreeVT.Index(n))});
    std::reverse(path.begin(), path.end());
    TTag parent = Root();
    for (TLevel& level : path) {
      level.Parent = parent;
      parent = parent.Childs(level.Index);
    }
  };
  // A row's children are rows only when the tree gives it children.
  auto rowChildren = [&](TTag tag) { return tag.HasChildren(attributes) ? tag.ChildsCount() : 0; };
  auto stepForward = [&] {
    TTag tag = current();
    if (rowChildren(tag) > 0) {
      path.push_back({tag, 0});
      return true;
    }
    while (!path.empty()) {
      TLevel& level = path.back();
      if (++level.Index < rowChildren(level.Parent)) return true;
      path.pop_back();
    }
    return false;
  };
  auto stepBackward = [&] {
    TLevel& level = path.back();
    if (level.Index == 0) {
      path.pop_back();
      return !path.empty();
    }
    --level.Index;
    for (TTag tag = current(); rowChildren(tag) > 0; tag = current()) path.push_back({tag, rowChildren(tag) - 1});
    return true;
  };

  TNodeId focused = FTreeVT.FocusedNode();
  bool more;
  if (focused != NoNode) {
    pathTo(focused);
    more = backwards ? stepBackward() : stepForward();
  } else if (backwards) {
    TNodeId last = FTreeVT.GetLastVisible();
    more = last != NoNode;
    if (more) pathTo(last);
  } else {
    more = rowChildren(Root()) > 0;
    if (more) path.push_back({Root(), 0});
  }
  for (; more; more = backwards ? stepBackward() : stepForward()) {
    TTag tag = current();
    if (!shown(tag)) continue;
    if (contains(tag.Name()) || contains(tag.Text()) || (names && contains(FieldLabel(tag))) || bytesContain(tag)) {
      TNodeId node = NoNode;
      for (const TLevel& level : path) {
        node = FTreeVT.Child(node, static_cast<std::uint32_t>(level.Index));
        if (node == NoNode) return false;  // the tree no longer matches the document
      }
      FTreeVT.SetFocusedNode(node);
      FTreeVT.SetSelected(node, true);
      FTreeVT.ScrollIntoView(node, true);
      return true;
    }
  }
  return false;
}

}  // namespace viewer
