// The document stack without a window: locations that nest and unwind, the
// documents handed back in order, and a tree view surviving its rows being rebuilt.
#include "viewer/document_stack.h"

#include <gtest/gtest.h>

#include "viewer_test_util.h"

namespace viewer {
namespace {

using test::HexBytes;
using test::Shared;

// SEQUENCE { OCTET STRING holding SEQUENCE { INTEGER 7 }, INTEGER 5,
//            BIT STRING holding SEQUENCE { INTEGER 9 } }
constexpr const char* Nested = "30 12 04 05 30 03 02 01 07 02 01 05 03 06 00 30 03 02 01 09";

std::unique_ptr<TDecodedDocument> Decode(const TDocumentOptions& options, std::vector<std::uint8_t> bytes) {
  auto document = std::make_unique<TDecodedDocument>(options, u"C:\\data\\nested.der");
  document->LoadBytes(Shared(std::move(bytes)));
  return document;
}

TTag ElementAt(const TDecodedDocument& document, std::int32_t offset) {
  return document.Elements().Element(document.Elements().LastStartingAtOrBefore(offset));
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string out;
  for (std::uint8_t b : bytes) out += (out.empty() ? "" : " ") + std::string{"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
  return out;
}

TEST(DocumentStack, OpensNestsLocationsAndUnwindsInOrder) {
  TDocumentOptions options;
  TDocumentStack stack;
  std::unique_ptr<TDecodedDocument> shown = Decode(options, HexBytes(Nested));
  const TDecodedDocument* own = shown.get();
  // Each step opens the element at Offset of the shown document.
  struct {
    std::int32_t Offset;
    const char* Bytes;  // what it opens as
    const char* Location;
  } steps[] = {
      {2, "30 03 02 01 07", "OCTET STRING at offset 2 of nested.der"},
      {0, "30 03 02 01 07", "SEQUENCE at offset 0 of OCTET STRING at offset 2 of nested.der"},
      {2, "02 01 07", "INTEGER at offset 2 of SEQUENCE at offset 0 of OCTET STRING at offset 2 of nested.der"},
  };
  std::vector<const TDecodedDocument*> opened{own};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Location);
    const TTag element = ElementAt(*shown, step.Offset);
    const std::span<const std::uint8_t> bytes = OpenedBytes(*shown, element);
    EXPECT_EQ(Hex(bytes), step.Bytes);
    std::u16string location = stack.LocationOf(*shown, element, /*typeNames=*/false);
    TTreeViewState view;
    view.OffsetY = step.Offset;
    stack.Push(std::move(shown), view, std::move(location));
    shown = Decode(options, {bytes.begin(), bytes.end()});
    opened.push_back(shown.get());
    EXPECT_EQ(settings::Utf16ToUtf8(stack.Location()), step.Location);
    EXPECT_EQ(stack.Depth(), opened.size() - 1);
  }
  // Back one step: the document it came from, its view and its location.
  TDocumentStack::TFrame frame = stack.Pop();
  EXPECT_EQ(frame.Document.get(), opened[2]);
  EXPECT_EQ(frame.View.OffsetY, steps[2].Offset);
  EXPECT_EQ(settings::Utf16ToUtf8(stack.Location()), steps[1].Location);
  // Then straight to the file's own document.
  EXPECT_EQ(stack.PopAll().get(), own);
  EXPECT_EQ(stack.Depth(), 0u);
  EXPECT_TRUE(stack.Location().empty());
  EXPECT_EQ(stack.Pop().Document, nullptr);
  EXPECT_EQ(stack.PopAll(), nullptr);
}

TEST(DocumentStack, ClipboardDocumentsLieInTheClipboard) {
  TDocumentOptions options;
  TDecodedDocument document(options);
  ASSERT_TRUE(document.LoadFromText(u"30 03 02 01 07"));
  TDocumentStack stack;
  EXPECT_EQ(settings::Utf16ToUtf8(stack.LocationOf(document, ElementAt(document, 2), /*typeNames=*/true)),
            "INTEGER at offset 2 of clipboard");
}

// Three rows a level, three levels deep.
void Grow(VirtualTree& tree, std::uint32_t roots) {
  tree.OnInitNode = [](VirtualTree& t, TNodeId, TNodeId node, TNodeInit& init) { init.HasChildren = t.Level(node) < 2; };
  tree.OnInitChildren = [](VirtualTree&, TNodeId, std::uint64_t&) { return 3u; };
  tree.SetDefaultNodeHeight(10);
  tree.SetClientSize(100, 50);
  tree.SetRootNodeCount(0);
  tree.SetRootNodeCount(roots);
}

// Every shown row as its index path, "*" after an expanded one.
std::string Shown(const VirtualTree& tree) {
  std::string out;
  for (TNodeId node = tree.GetFirstVisible(); node != NoNode; node = tree.GetNextVisible(node)) {
    std::string path;
    for (TNodeId n = node; n != NoNode; n = tree.Parent(n)) path = std::to_string(tree.Index(n)) + (path.empty() ? "" : ".") + path;
    out += path + (tree.IsExpanded(node) ? "* " : " ");
  }
  return out;
}

TEST(DocumentStack, TreeViewSurvivesRebuildingTheRows) {
  struct {
    const char* Label;
    std::uint32_t RootsAfter;  // rows at the top when restored
    const char* Shown;
    const char* Focused;  // index path, "" for none
  } cases[] = {
      {"the same rows", 3, "0 1* 1.0 1.1* 1.1.0 1.1.1 1.1.2 1.2 2* 2.0 2.1 2.2 ", "1.1.2"},
      {"rows that went are skipped", 2, "0 1* 1.0 1.1* 1.1.0 1.1.1 1.1.2 1.2 ", "1.1.2"},
      {"the focused row gone leaves none", 1, "0 ", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    VirtualTree tree;
    Grow(tree, 3);
    tree.SetExpanded(tree.Child(NoNode, 1), true);
    tree.SetExpanded(tree.Child(tree.Child(NoNode, 1), 1), true);
    tree.SetExpanded(tree.Child(NoNode, 2), true);
    tree.SetFocusedNode(tree.Child(tree.Child(tree.Child(NoNode, 1), 1), 2));
    tree.SetFocusedColumn(1);
    tree.SetOffsetY(30);
    const TTreeViewState state = SaveTreeView(tree);

    Grow(tree, c.RootsAfter);
    RestoreTreeView(tree, state);
    EXPECT_EQ(Shown(tree), c.Shown);
    const TTreeViewState after = SaveTreeView(tree);
    std::string focused;
    for (std::uint32_t i : after.Focused) focused += (focused.empty() ? "" : ".") + std::to_string(i);
    EXPECT_EQ(focused, c.Focused);
    if (!after.Focused.empty()) {
      EXPECT_EQ(tree.FocusedColumn(), 1);
    }
    // Scrolled back as far as the rows allow.
    EXPECT_EQ(tree.OffsetY(), std::min<std::int64_t>(30, std::max<std::int64_t>(0, tree.TotalHeight() - 50)));
  }
}

}  // namespace
}  // namespace viewer
