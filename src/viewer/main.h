// TMainForm, the viewer window: its document, the views and the commands, split
// across several .cpp files by concern (listed per section). Public is what the
// plug-in calls; a front-end goes through the controller, tests through a probe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "asn/der_check.h"
#include "document/document.h"
#include "document/tag.h"
#include "document/xml_export.h"
#include "platform/canvas.h"
#include "platform/icons.h"
#include "platform/platform.h"
#include "schema/names.h"
#include "settings/dialog_runner.h"
#include "settings/settings.h"
#include "viewer/command_table.h"
#include "viewer/commands.h"
#include "viewer/comparison.h"
#include "viewer/controller.h"
#include "viewer/document_stack.h"
#include "viewer/element_dialogs.h"
#include "viewer/view.h"
#include "viewer/virtual_tree.h"

namespace viewer {

// First and last offset of the highlighted bytes, both inclusive; -1 for none.
struct THexSelection {
  std::int32_t First = -1;
  std::int32_t Last = -1;
  bool operator==(const THexSelection&) const = default;
};

// What a view handler answers the painter (see the Views section of TMainForm).
using platform::TColor;
using platform::TIcon;
enum class TTextType : std::uint8_t { ttNormal, ttStatic };  // caption or value run
enum class TImageKind : std::uint8_t { ikNormal };  // the one kind the painter asks for
struct TTextStyle {
  bool Bold = false;
  TColor Color = 0;
  bool operator==(const TTextStyle&) const = default;
};
struct TCellPaint {
  std::optional<TColor> Fill;   // fill the cell rectangle
  std::optional<TColor> Frame;  // then a one-pixel frame just inside it
  bool operator==(const TCellPaint&) const = default;
};
struct THexNodes {
  TNodeId Hex1 = NoNode;
  TNodeId Hex2 = NoNode;
};
struct TStatusPanel {
  int Width = 0;
  TAlignment Alignment = TAlignment::taLeftJustify;
  bool OwnerDraw = false;  // drawn by MainStatusBarDrawPanel
  std::u16string Text;
};
// What MainStatusBarDrawPanel draws: Text at (X, Y) in the bar's font.
struct TPanelDrawing {
  bool Draw = false;
  std::u16string Text;
  int X = 0;
  int Y = 0;
  bool Bold = false;
  std::optional<TColor> Color;  // none: the bar's font colour
};

// Where a point of the structure tree falls within its row.
enum class TTreePart : std::uint8_t { tpNone, tpIndent, tpExpander, tpIcon, tpCaption, tpValue, tpRightOfText };
struct TTreeHit {
  TNodeId Node = NoNode;
  TTreePart Part = TTreePart::tpNone;
  bool operator==(const TTreeHit&) const = default;
};
// A cell of a hex grid; Node NoNode for none.
struct TGridHit {
  TNodeId Node = NoNode;
  int Column = -1;
  bool operator==(const TGridHit&) const = default;
};
// A structure-tree row's parts in client x (and y from Top), as painted and hit-tested.
struct TTreeRowGeometry {
  std::uint32_t Level = 0;
  int Top = 0;
  int Height = 0;
  TRect Expander;  // the boxed plus or minus; empty without children
  int ContentLeft = 0;   // where the row's own column ends and its icon begins
  std::optional<TIcon> Icon;
  TRect IconRect;
  TRect Name;     // the field name run before the caption; empty without one
  TRect Caption;  // the caption run with its margins: the highlight's extent
  TRect Value;    // empty without a value
  int TextRight = 0;
  std::u16string NameText;
  std::u16string CaptionText;
  std::u16string ValueText;
  TTextStyle NameStyle;
  TTextStyle CaptionStyle;
  TTextStyle ValueStyle;
};

// How FillTrees opens the structure tree.
enum class TTreeExpansion { teAll, teFirstRow, teNone };

// Documents of fewer elements than this are expanded completely when shown.
inline constexpr std::int32_t FullExpansionLimit = 10000;

namespace test {
class TMainFormProbe;
}
// The command table's parts (command_table.cpp), which name the handlers.
struct TCommandTable;

class TMainForm {
 public:
  explicit TMainForm(platform::TPlatform& platform, std::u16string fileName = {});
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // What a front-end sees of this viewer.
  TViewerController& Controller() { return FController; }
  // The OID names the plug-in loaded, for this and every document the window opens.
  void UseOIDDictionary(const asn::TOIDDictionary* dictionary) { FDoc->OIDDictionary = dictionary; }
  // Drops the document, and with it the views' rows, before the window goes.
  void ClearTree() { FDoc->ClearTree(); }

  // ---- Lifecycle (main_lifecycle.cpp)
  // Builds the viewer once its window exists: settings, captions, the file and
  // the views. False, with the views left unfilled, when the file yields no
  // document (the plug-in declines the file); throws what LoadFile throws for a
  // file that cannot be read.
  [[nodiscard]] bool FormCreate();
  // The window has just been shown: the structure tree takes the keys and the
  // three trees repaint from the model.
  void FormShow();
  // The window is closing: settings saved, then the structure tree drops its
  // rows so that none refers to a node while the document goes.
  void FormClose();

  // Rows the wheel moves per notch.
  static constexpr int WheelRows = 3;
  // Status bars' height, and their panels' text margin.
  static constexpr int StatusBarHeight = 20;
  static constexpr int PanelMargin = 2;

  // ---- Search, DER checks and the element toolbox: commands and queries the
  // plug-in and the tests call, public while they move to parts of their own.
  // Focuses the next (or previous) row whose name, text or bytes contain
  // searchString, as the finder (finder.h) answers from the focused row; false,
  // with nothing changed, when none does.
  bool Find(const std::u16string& searchString, bool backwards);

  // ---- DER checks (main_checks.cpp, findings_display.h). With Settings.DerChecks
  // off there are no findings, and nothing below shows anywhere.
  // The findings of the document FillTrees last showed, in document order;
  // runs the checks first when they are still idle work.
  const std::vector<asn::TDerFinding>& DerFindings() {
    if (FDoc->DerChecksDue()) RunIdleWork();
    return FDoc->DerFindings();
  }
  // The findings of an element row as the tree shows them (none while the
  // checks are idle work); empty for every other row.
  std::span<const asn::TDerFinding> FindingsOf(TTag tag) const { return FDoc->FindingsOf(tag); }
  // The finding a problem row shows, or null when node is not a problem row.
  // An element's problem rows follow all its other child rows, one a finding,
  // shown while attribute rows are.
  const asn::TDerFinding* ProblemAt(TNodeId node) const;
  // Problem rows among the tree children of tag.
  std::uint32_t ProblemRowCount(TTag tag) const { return static_cast<std::uint32_t>(FindingsOf(tag).size()); }
  // "DER", "BER (6 indefinite lengths)" or "3 DER problems"; empty with the
  // checks off and while they are idle work.
  std::u16string DerStatusText() const;
  // A problem row's caption ("DER:") or value (what is wrong).
  std::u16string ProblemRowText(const asn::TDerFinding& finding, TTextType textType) const;
  // Focuses the next element with a finding after the focused row, wrapping
  // round; beeps when there is none.
  void NextProblem();

  // ---- Element toolbox (main_toolbox.cpp; what it makes of an element in toolbox.h)
  // The element a row stands for: itself, or the element its attribute, error
  // or problem row belongs to; invalid for a top-level error row and no row.
  TTag ElementOfRow(TNodeId node) const;
  // The element's whole encoding in Bytes.
  std::span<const std::uint8_t> ElementEncoding(TTag element) const { return FDoc->ElementEncoding(element); }
  // The focused row's element to the clipboard; nothing without a focused row.
  void CopyAsBase64();
  void CopyAsPem();
  void CopyAsCArray();
  // What Element info shows for element: where it sits, its path and the
  // digests of its whole encoding and of its content.
  TElementInfo ElementInfoOf(TTag element);
  // Element info on the focused row's element, through DialogRunner.
  void ShowElementInfo();
  // The element holding byte offset focused in the structure tree and the byte
  // focused in the hex grids; false, with nothing changed, outside Bytes.
  bool FocusOffset(std::int32_t offset);
  // Goes to the offset text names (see ParseOffsetText). A bad or out-of-range
  // entry is shown in a message box, changes nothing and is returned; empty
  // when it went there.
  std::u16string GoToOffsetText(const std::u16string& text);
  // The Go to offset dialog, through DialogRunner.
  void GoToOffset();
  // The focused row's element to a file the user chooses, as DER or PEM by the
  // chosen filter, written atomically; a failure is shown in a message box and
  // leaves an existing file as it was.
  void SaveElementAs();
  // The file name offered: the document's name, the element's offset, ".der".
  std::u16string ProposedElementName(TTag element) const;

 private:
  // The controller forwards to the members below; the command table names
  // their handlers; tests look in through the probe.
  friend class TViewerController;
  friend struct TCommandTable;
  friend class test::TMainFormProbe;
  // What the settings dialog changes through (main_options.cpp).
  class TSettingsTarget;

  // What every part below works with: the platform, the settings, the document.
  platform::TPlatform& Platform() const { return FPlatform; }
  // The viewer's own settings; a change shows once ApplySettings (or the
  // command it belongs to) has run.
  settings::TSettings& Settings() { return FSettings; }
  const settings::TSettings& Settings() const { return FSettings; }
  // ---- Document (document.h; its hand-over to the views in main_document.cpp).
  // The window shows one document, decoded with its Settings; these forward to it.
  TDecodedDocument& Document() { return *FDoc; }
  const TDecodedDocument& Document() const { return *FDoc; }
  TTag Root() const { return FDoc->Root(); }
  const TBytes& Bytes() const { return FDoc->Bytes(); }
  TCellType ByteRole(std::size_t offset) const { return FDoc->ByteRole(offset); }
  std::int32_t TagsCount() const { return FDoc->TagsCount(); }
  // The highlighted bytes; set by focusing a row (tests set it directly).
  const THexSelection& HexSel() const { return FHexSel; }
  void SetHexSel(THexSelection selection) { FHexSel = selection; }

  // Clearing the document also clears the views and HexSel.
  void ParseASN(TBytes s) { FDoc->ParseASN(std::move(s)); }
  void RunCaptured(const std::function<void()>& step) { FDoc->RunCaptured(step); }

  // ---- Field names (main_names.cpp)
  void BuildNames() { FDoc->BuildNames(); }
  const schema::TNames& Names() const { return FDoc->Names(); }
  std::u16string FieldLabel(TTag tag) const { return FDoc->FieldLabel(tag); }
  std::u16string FieldPath(TTag tag) const { return FDoc->FieldPath(tag); }
  // The Field names setting changed: names built or forgotten, rows and the
  // path in the status bar refreshed.
  void ApplyFieldNames();
  void ToggleFieldNames();

  // Hands the finished document to the structure tree, status bar and hex panel.
  // The DER checks are left as idle work: the first screen does not wait for them.
  void FillTrees();
  TTreeExpansion TreeExpansion() const;

  // ---- Idle work (main_document.cpp): what is left to do once the first screen
  // is up, today the DER checks of the document FillTrees last showed. Events
  // hears IdleWorkQueued when some is left; the front-end then calls RunIdleWork
  // once its pending events are handled.
  bool HasIdleWork() const {
    return FDoc->DerChecksDue() || (FComparison != nullptr && !FComparison->Done());
  }
  // Does the work left and shows its results (status bar, problem rows and
  // marks); nothing when there is none.
  void RunIdleWork();

  // ---- Input (document_input.cpp, main_document.cpp; the text rules are in input.h)
  const std::u16string& FileName() const { return FDoc->FileName(); }
  bool FromBase64() const { return FDoc->FromBase64(); }
  bool FromClipboard() const { return FDoc->FromClipboard(); }
  void LoadFile() { FDoc->LoadFile(); }
  // Decodes hexadecimal or Base64 text from the clipboard; beeps on anything else.
  void LoadFromClipboard();
  void Reload();

  // ---- XML export (main_export.cpp; the document's in xml_export.cpp)
  void WriteTag(TTag tag, IXmlLineSink& strList, std::int32_t level) const { FDoc->WriteTag(tag, strList, level); }
  // Asks for a file name and writes the document there; a failed write is
  // reported in a message box and leaves any existing file as it was.
  void SaveToXML();
  // The export file name offered for FileName: its file part with ".xml".
  std::u16string ProposedXmlName() const;

  // ---- The document's hand-over to the views (main_tree.cpp, main_hex.cpp,
  // main_status.cpp)
  void UpdateMainStatusBar();
  void FillHexTree();

  // ---- Views: structure tree (main_tree.cpp), hex panel (main_hex.cpp), status
  // bars (main_status.cpp), applying settings (main_apply.cpp). The trees are
  // models a toolkit paints; the handlers answer what each row shows.
  VirtualTree& TreeVT() { return FTreeVT; }
  const VirtualTree& TreeVT() const { return FTreeVT; }
  VirtualTree& Hex1VT() { return FHex1VT; }
  const VirtualTree& Hex1VT() const { return FHex1VT; }
  VirtualTree& Hex2VT() { return FHex2VT; }
  const VirtualTree& Hex2VT() const { return FHex2VT; }

  // Structure tree.
  TTag GetTag(TNodeId node) const;
  std::u16string TreeVTGetText(VirtualTree& sender, TNodeId node, int column, TTextType textType);
  // No value: draw no image.
  std::optional<TIcon> TreeVTGetImageIndex(VirtualTree& sender, TNodeId node, TImageKind kind, int column);
  TTextStyle TreeVTPaintText(VirtualTree& sender, TNodeId node, int column, TTextType textType);
  TCellPaint TreeVTBeforeCellPaint(VirtualTree& sender, TNodeId node, int column);
  // A click at client coordinates: focuses the row at that height, wherever x falls.
  void TreeVTClick(VirtualTree& sender, int clientX, int clientY);
  void SetTreeFontSize();
  void SetLineStyle(VirtualTree& tree, bool dotted);
  // Colours resolved through the display; see colors.h.
  TColor GetSimilarColor(TColor color, int depth);
  TColor GetWhiteOrBlackColor(TColor color);

  // Hex panel. Row r of either grid is node r, so a row needs no storage.
  int Hex1VTWidth() const { return FHex1VTWidth; }
  int HexPanelWidth() const { return FHexPanelWidth; }
  bool HexPanelVisible() const { return FHexPanelVisible; }
  // Shows or hides the panel without laying out again (ToggleHexPanel does both).
  void SetHexPanelVisible(bool visible) { FHexPanelVisible = visible; }
  std::int32_t GetHexLineCount() const;
  std::int32_t GetHexOffset(TNodeId node, int column) const;
  std::int32_t GetHexNodeIndex(std::int32_t offset) const;
  // The two grids' nodes of hex row row.
  THexNodes HexNodes(std::int32_t row) const;
  // The structure-tree row of the element holding byte offset, focused and
  // centred; NoNode (and nothing done) for an offset outside Bytes.
  TNodeId GetNodeByOffset(std::int32_t offset);
  void HexVTSetColumns();
  void SetHexFont();
  std::u16string Hex1VTGetText(VirtualTree& sender, TNodeId node, int column, TTextType textType);
  std::u16string Hex2VTGetText(VirtualTree& sender, TNodeId node, int column, TTextType textType);
  TTextStyle Hex1VTPaintText(VirtualTree& sender, TNodeId node, int column, TTextType textType);
  TTextStyle Hex2VTPaintText(VirtualTree& sender, TNodeId node, int column, TTextType textType);
  // Whether the octet at offset is one of the focused element's (HexSel).
  bool IsSelectedOctet(std::int32_t offset) const;
  TCellPaint Hex1VTBeforeCellPaint(VirtualTree& sender, TNodeId node, int column);
  TCellPaint Hex2VTBeforeCellPaint(VirtualTree& sender, TNodeId node, int column);
  void HexVTNodeDblClick(VirtualTree& sender, TNodeId hitNode, int hitColumn);
  // Enter in either grid: the element of Hex1VT's focused cell.
  void HexVTEnter();

  // Status bars.
  const std::vector<TStatusPanel>& MainStatusBar() const { return FMainStatusBar; }
  const std::vector<TStatusPanel>& HexStatusBar() const { return FHexStatusBar; }
  const std::u16string& StatusBarFontName() const { return FStatusBarFontName; }
  int StatusBarFontSize() const { return FStatusBarFontSize; }
  void UpdateHexStatusBar();
  TPanelDrawing MainStatusBarDrawPanel(int panel, TRect rect);
  static std::vector<TStatusPanel> MakeMainStatusBar();
  static std::vector<TStatusPanel> MakeHexStatusBar();

  void ApplySettings();

  // ---- Drawing and input (main_paint.cpp, main_mouse.cpp, main_layout.cpp).
  // A front-end paints each view through Paint, forwards its input here and
  // repaints or re-lays out when Events says so.
  // Set by the front-end; null while nobody shows the viewer.
  IViewEvents* Events() const { return FEvents; }
  void SetEvents(IViewEvents* events) { FEvents = events; }
  // Paints whatever of view meets update (client coordinates) onto canvas; the
  // cost depends on the rows shown, never on the document's size.
  void Paint(TView view, platform::ICanvas& canvas, const TRect& update);
  // The viewer's client area has this size now: lays out the panes and tells
  // each tree its client size.
  void Resize(int clientWidth, int clientHeight);
  const TWindowLayout& Layout() const { return FLayout; }
  TScrollInfo ScrollInfo(TView view) const;
  // The user dragged or stepped the view's native scroll bar to position.
  void ScrollTo(TView view, std::int64_t position);
  void MouseDown(TView view, const TMouseEvent& event);
  void MouseUp(TView view, const TMouseEvent& event);
  void MouseDoubleClick(TView view, const TMouseEvent& event);
  // delta in wheel units, 120 per notch, positive away from the user.
  void MouseWheel(TView view, int delta, bool shift, bool ctrl);

  // Row geometry and hit-testing, shared by the painters and the mouse
  // (main_paint.cpp). Client coordinates of the view.
  TTreeRowGeometry TreeRowGeometry(TNodeId node, int top);
  TTreeHit TreeHitTest(int x, int y);
  TGridHit GridHitTest(TView view, int x, int y) const;
  // The cell's rectangle in the grid's client coordinates, from the row's top.
  TRect GridCellRect(const VirtualTree& grid, int column, int top, int height) const;
  VirtualTree* ViewTree(TView view);
  const VirtualTree* ViewTree(TView view) const;
  // Makes control the one with the keys; tells Events when it changes.
  void SetActiveControl(TFocusedControl control);

  // ---- Commands, keys and search (command_table.cpp, main_commands.cpp, main_keys.cpp,
  // main_find.cpp, main_menu.cpp)

  TMainMenu& MainMenu() { return FMainMenu; }
  const TMainMenu& MainMenu() const { return FMainMenu; }
  TFocusedControl ActiveControl() const { return FActiveControl; }
  // The clipboard writer's wait between attempts; tests replace it.
  void SetClipboardWait(std::function<void(int milliseconds)> wait) { FClipboardWait = std::move(wait); }

  // Rebuilds every caption from its id, the language and the shortcut text.
  void SetMainMenuCaptions();
  // The menu is about to open: enabled and checked states.
  void MainMenuPopup();
  // Runs the item with this tag; a failure is reported in a message box.
  void MainMenuClick(int tag);

  // A key for the viewer: the window sees it first, then the focused control.
  // True when someone took it.
  bool KeyDown(const TKeyEvent& key);
  // Whether the viewer takes this key itself in its present state (the window's
  // bindings, then the focused control's bindings and navigation). False for the
  // keys it passes to the host. A front-end claims exactly these keys before the
  // host's shortcuts see them.
  bool HandlesKey(const TKeyEvent& key) const;
  // The menu item's state by its command's rules, as MainMenuPopup sets it.
  bool CommandEnabled(const TCommand& command) const;
  bool CommandChecked(const TCommand& command) const;

  // The element a row shows and its document: the shown one's, or for the row
  // of a compared file's element that file's (the copies of the value and row read it).
  std::pair<const TDecodedDocument*, TTag> RowElement(TNodeId node) const;
  // The commands; the ones on a row do nothing without a focused row.
  void CopyValue();
  void CopyRow();
  void CopyBytes();
  // The focused element's path (its element's, for an attribute row).
  void CopyPath();
  void ExpandNode();
  void CollapseNode();
  void ExpandTree();
  void CollapseTree();
  void ToggleAttributes();
  // Re-initialises every row of the structure tree in one update (counts,
  // visibility, children); whether node still shows the row it showed.
  bool ReinitStructureTree(TNodeId node);
  void ToggleHexPanel();
  void ToggleIcons();
  // Tab: between the structure tree and the bytes grid (nowhere while the hex
  // panel is hidden).
  void FocusHexGrid();
  void FocusStructureTree();
  // The hexadecimal text of the bytes a row stands for (an element's whole
  // encoding; the element's for its attribute and error rows).
  std::u16string RowBytesHex(TNodeId node, bool addSpace) const;

  // ---- Settings dialog and About box (main_options.cpp)
  // Set by the front-end; without one the Settings and About commands do nothing.
  settings::IDialogRunner* DialogRunner() const { return FDialogRunner; }
  void SetDialogRunner(settings::IDialogRunner* runner) { FDialogRunner = runner; }
  // The Settings command: the dialog over this viewer, then SaveSettings.
  void ShowSettings();
  // The About command.
  void ShowAbout();

  // ---- Opened elements (main_open.cpp). An element opens as a document of its
  // own in the same window; the documents it was opened from wait on a stack.
  // The focused row's element as a document: the decoded contents of an OCTET
  // STRING or BIT STRING that encapsulates, else the element's whole encoding.
  // Beeps when that would be the document already shown.
  void OpenElement();
  // Back to the document the shown one was opened from, with its focused row,
  // expanded rows and scroll position; beeps when there is none.
  void GoBack();
  // Documents under the shown one: 0 while the file's own document is shown.
  std::size_t OpenedDepth() const { return FOpened.Depth(); }
  // Where the shown document lies ("Certificate at offset 1234 of chain.p7b");
  // empty for the file's own document.
  const std::u16string& Location() const { return FOpened.Location(); }

  // ---- Comparing with another file (main_compare.cpp; what the comparison
  // makes of the two documents in comparison.h). Any other document shown ends it.
  // Asks for a file and compares the shown document with it: the file is read
  // now (a failure is shown in a message box and changes nothing), the
  // comparison runs as idle work and its marks and rows arrive with it.
  void CompareWith();
  // Focuses the next (previous) difference after the focused row, wrapping round;
  // beeps when there is none.
  void NextDifference() { GoToDifference(false); }
  void PreviousDifference() { GoToDifference(true); }
  void GoToDifference(bool backwards);
  // Focuses the row of difference index; NoNode, with nothing focused, when the tree shows none.
  TNodeId FocusDifference(std::uint32_t index);
  // Back to the document alone: marks and the other file's rows go.
  void StopComparing();
  // The comparison in effect; null when there is none.
  const TComparison* Comparison() const { return FComparison.get(); }
  // The other file's rows among the children of parent's row (none until the comparison ran).
  std::span<const TGhostRow> GhostsUnder(TTag parent) const;
  // Where node lies among its parent's rows: a row of the document (the index
  // TTag::Childs takes) or a ghost row.
  TRowPlace PlaceOf(TNodeId node) const;
  // The ghost row node is, or null.
  const TGhostRow* GhostAt(TNodeId node) const;
  // The tree row index of the document row index among parent's rows.
  std::uint32_t TreeRowOf(TTag parent, std::uint32_t documentRow) const {
    return RowOfDocumentRow(GhostsUnder(parent), static_cast<std::uint32_t>(parent.TagChildsStart()), documentRow);
  }
  // Row indexes among the children of parent's row (NoNode: the top level), to
  // document rows (a ghost row: the one after it) and back.
  std::uint32_t DocumentRowAt(TNodeId parent, std::uint32_t row) const;
  std::uint32_t TreeRowAt(TNodeId parent, std::uint32_t documentRow) const;
  // Saves and restores the tree's view across a change of rows, by document rows.
  TTreeViewState SaveDocumentView() const;
  void RestoreDocumentView(const TTreeViewState& state);
  // Rows rebuilt after the ghost rows or problem rows changed, the view kept.
  void RebuildTreeRows(const TTreeViewState& state);
  // The comparison's idle work: runs it and shows its marks and rows.
  void RunComparison();
  // The field name before a row's caption: its element's, or a ghost row's in the other document.
  std::u16string RowFieldLabel(TNodeId node) const;
  // A row's value text, shortened as the tree shows it.
  std::u16string ShownValue(const TDecodedDocument& document, TTag tag) const;

  // Settings from and to the INI file (main_settings.cpp); failures fall back or are skipped silently.
  void LoadSettings();
  void SaveSettings();

  // Handlers the trees, keys and commands call (wired in ConnectViews and the
  // command table), and the steps of filling and laying out the views.
  // The focused row's path into the main status bar's last panel.
  void UpdatePathStatus();
  void ClearViews();
  void FillStructureTree();
  // The top level's rows: the document's and, while comparing, the other file's elements among them.
  std::uint32_t RootRowCount() const;
  // The findings the checks just left, into the rows already made and the status bar.
  void ShowDerFindings();
  void TreeVTInitNode(VirtualTree& sender, TNodeId parentNode, TNodeId node, TNodeInit& initialStates);
  // The same for a new block of sibling rows at once, without looking each row up.
  void TreeVTInitNodes(VirtualTree& sender, TNodeId parentNode, TNodeId first, std::uint32_t count,
                       std::uint64_t blockData, TNodeInit* initialStates);
  // How many of those rows would be visible, for a block made a run at a time.
  std::uint32_t TreeVTCountVisible(std::uint32_t first, std::uint32_t count, std::uint64_t blockData) const;
  std::uint32_t TreeVTInitChildren(VirtualTree& sender, TNodeId node, std::uint64_t& childrenData);
  void TreeVTFocusChanged(VirtualTree& sender, TNodeId node, int column);
  // The bytes of the element a row stands for (for a problem row, the octets at
  // fault) highlighted and scrolled into the hex panel.
  void HighlightRowBytes(TNodeId node);
  std::int32_t GetHexLastColumn() const;
  void HexVTSetWidth();
  void Hex1VTFocusChanged(VirtualTree& sender, TNodeId node, int column);
  void Hex2VTFocusChanged(VirtualTree& sender, TNodeId node, int column);
  void Hex1VTScroll(VirtualTree& sender, std::int64_t deltaY);
  void Hex2VTScroll(VirtualTree& sender, std::int64_t deltaY);
  // Lays the panes out again for the last client size; tells Events when anything moved.
  void UpdateLayout();
  // Runs a command the user started; a failure becomes a message box, as a
  // toolkit reports what an event handler let escape.
  void RunCommand(const std::function<void()>& command);
  bool FormKeyDown(const TKeyEvent& key);
  bool TreeVTKeyDown(const TKeyEvent& key);
  bool HexVTKeyDown(VirtualTree& sender, const TKeyEvent& key);
  // Three attempts, ClipboardRetryMilliseconds apart; then EClipboardError.
  void WriteClipboard(const std::u16string& text);

  platform::TPlatform& FPlatform;
  settings::TSettings FSettings;
  THexSelection FHexSel;
  VirtualTree FTreeVT;
  VirtualTree FHex1VT{/*flat=*/true};
  VirtualTree FHex2VT{/*flat=*/true};
  // Keeps the two grids from echoing each other's focus changes.
  bool FFocusChanging = false;
  int FHex1VTWidth = 0;
  int FHexPanelWidth = 0;
  bool FHexPanelVisible = true;
  std::vector<TStatusPanel> FMainStatusBar = MakeMainStatusBar();
  std::vector<TStatusPanel> FHexStatusBar = MakeHexStatusBar();
  std::u16string FStatusBarFontName = u"Tahoma";
  int FStatusBarFontSize = 8;
  IViewEvents* FEvents = nullptr;
  TMainMenu FMainMenu;
  TFocusedControl FActiveControl = TFocusedControl::fcTree;
  std::function<void(int milliseconds)> FClipboardWait = SleepMilliseconds;
  settings::IDialogRunner* FDialogRunner = nullptr;
  TViewerController FController{*this};
  std::unique_ptr<TDecodedDocument> FDoc;
  // The documents the shown one was opened from.
  TDocumentStack FOpened;
  std::unique_ptr<TComparison> FComparison;
  // The difference Next or Previous difference went to last, and the row it focused.
  std::uint32_t FDifferenceIndex = 0;
  TNodeId FDifferenceNode = NoNode;
  // An empty document decoded like the window's, clearing the views when it clears.
  std::unique_ptr<TDecodedDocument> MakeDocument();
  // Back to the file's own document, the stack dropped; nothing while it is shown.
  void CloseOpened();
  TWindowLayout FLayout;
  int FClientWidth = 0;
  int FClientHeight = 0;
  int FWheelRemainder = 0;  // wheel units short of a notch, from fine-grained wheels
  TScrollInfo FReportedScroll[3];  // last told for the tree and the two grids
  void ConnectViewEvents();
  void ViewInvalidated(TView view, VirtualTree& tree, TNodeId node);
  void CheckScroll(TView view);
  void PaintTree(platform::ICanvas& canvas, const TRect& update);
  struct TGridCells;
  void PaintGrid(TView view, platform::ICanvas& canvas, const TRect& update);
  void PaintStatusBar(TView view, platform::ICanvas& canvas, const TRect& update);
  // Width of text in the status bars' font.
  int StatusTextWidth(const std::u16string& text) const;
  // Binds the trees' events to the handlers above while the window is built.
  bool FViewsConnected = ConnectViews();
  bool ConnectViews();
  void InitNodeFor(TTag tag, TNodeInit& initialStates) const;
  // Runs the command bound to key in scope; true when the key was taken.
  bool DispatchKey(const TKeyEvent& key, TKeyScope scope);
  void HexFocusChanged(VirtualTree& from, VirtualTree& to, TNodeId node, int column);
};

}  // namespace viewer
