// The settings dialog's controller: builds the controls, fills them from the
// viewer's live settings and turns each user action into a change of those
// settings and of the views.
#include "settings/options.h"

#include <algorithm>
#include <map>
#include <string>

#include "settings/store.h"
#include "settings/text.h"
#include "text/ascii.h"

namespace settings {

const std::array<platform::TColor, 16> CustomColors = {
    RGB(0, 0, 0),     RGB(0, 0, 128),   RGB(0, 128, 0),   RGB(0, 128, 128),
    RGB(128, 0, 0),   RGB(128, 0, 128), RGB(128, 128, 0), RGB(128, 128, 128),
    RGB(0, 0, 255),   RGB(192, 192, 192), RGB(0, 255, 0), RGB(0, 255, 255),
    RGB(255, 0, 0),   RGB(255, 0, 255), RGB(255, 255, 0), RGB(255, 255, 255)};

namespace {

using TK = TControlKind;

// What a swatch's new colour refreshes besides the repaint of its group.
enum class TSwatchEffect : std::uint8_t { seRepaintOnly, seTreeColors, seHexColors };

struct TSwatch {
  const char* Name;
  const char* Label;
  int LabelId;
  bool InTree;  // tree group; else hex group
  TSwatchEffect Effect;
  platform::TColor& (*Field)(TSettings&);
};

// In their order from top to bottom in each group.
const TSwatch Swatches[] = {
    {"PanelTreeBackground", "lbTreeBackground", 205, true, TSwatchEffect::seTreeColors,
     [](TSettings& s) -> platform::TColor& { return s.BackgroundColor; }},
    {"PanelTreeConstructed", "lbTreeConstructed", 206, true, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.ConstructedColor; }},
    {"PanelTreePrimitive", "lbTreePrimitive", 207, true, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.PrimitiveColor; }},
    {"PanelTreeAttrib", "lbTreeAttrib", 208, true, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.AttribColor; }},
    {"PanelTreeValue", "lbTreeValue", 209, true, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.ValueColor; }},
    {"PanelTreeHexValue", "lbTreeHexValue", 210, true, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.HexColor; }},
    {"PanelTreeFocused", "lbTreeFocused", 211, true, TSwatchEffect::seTreeColors,
     [](TSettings& s) -> platform::TColor& { return s.FocusColor; }},
    {"PanelTreeLine", "lbTreeLine", 212, true, TSwatchEffect::seTreeColors,
     [](TSettings& s) -> platform::TColor& { return s.LineColor; }},
    {"PanelTreeName", "lbTreeName", 216, true, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.NameColor; }},
    {"PanelTreeDer", "lbTreeDer", 218, true, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.DerColor; }},
    {"PanelHexBackground", "lbHexBackground", 225, false, TSwatchEffect::seHexColors,
     [](TSettings& s) -> platform::TColor& { return s.Hex.Background; }},
    {"PanelHexHex", "lbHexHex", 226, false, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.Hex.HexColor; }},
    {"PanelHexTag", "lbHexTag", 227, false, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.Hex.TagColor; }},
    {"PanelHexLength", "lbHexLength", 228, false, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.Hex.LenColor; }},
    {"PanelHexUBits", "lbHexUBits", 229, false, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.Hex.UBitsColor; }},
    {"PanelHexText", "lbHexText", 230, false, TSwatchEffect::seHexColors,
     [](TSettings& s) -> platform::TColor& { return s.Hex.TextColor; }},
    {"PanelHexSelection", "lbHexSelection", 231, false, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.Hex.SelColor; }},
    {"PanelHexDer", "lbHexDer", 235, false, TSwatchEffect::seRepaintOnly,
     [](TSettings& s) -> platform::TColor& { return s.Hex.DerColor; }},
    {"PanelHexFocused", "lbHexFocused", 232, false, TSwatchEffect::seHexColors,
     [](TSettings& s) -> platform::TColor& { return s.Hex.FocusColor; }},
    {"PanelHexLine", "lbHexLine", 233, false, TSwatchEffect::seHexColors,
     [](TSettings& s) -> platform::TColor& { return s.Hex.LineColor; }},
};

const TSwatch* FindSwatch(std::string_view name) {
  for (const TSwatch& swatch : Swatches)
    if (name == swatch.Name) return &swatch;
  return nullptr;
}

// The three spin boxes: the field each writes and what it refreshes.
struct TSpin {
  const char* Name;
  int MinValue;
  int MaxValue;
  std::int32_t& (*Field)(TSettings&);
  void (ISettingsTarget::*Apply)();
};

const TSpin Spins[] = {
    {"edTreeFontSize", 1, 99, [](TSettings& s) -> std::int32_t& { return s.FontSize; },
     &ISettingsTarget::SetTreeFontSize},
    {"edTreeIndent", 0, 999, [](TSettings& s) -> std::int32_t& { return s.Indent; },
     &ISettingsTarget::ApplyTreeIndent},
    {"edHexFontSize", 1, 99, [](TSettings& s) -> std::int32_t& { return s.Hex.FontSize; },
     &ISettingsTarget::SetHexFont},
};

const TSpin* FindSpin(std::string_view name) {
  for (const TSpin& spin : Spins)
    if (name == spin.Name) return &spin;
  return nullptr;
}

// The check boxes: the flag each writes and what it refreshes (nothing for
// the byte spacing, which the decoder reads at the next load).
struct TCheck {
  const char* Name;
  bool& (*Field)(TSettings&);
  void (ISettingsTarget::*Apply)();
};

const TCheck Checks[] = {
    {"chTreeDotted", [](TSettings& s) -> bool& { return s.LineDotted; }, &ISettingsTarget::SetTreeLineStyle},
    {"chTreeIcons", [](TSettings& s) -> bool& { return s.ShowIcons; }, &ISettingsTarget::RepaintTree},
    {"chSpaceInHex", [](TSettings& s) -> bool& { return s.SpaceInHex; }, nullptr},
    // Like the byte spacing, read when the next document is decoded.
    {"chDerChecks", [](TSettings& s) -> bool& { return s.DerChecks; }, nullptr},
    {"chHexDotted", [](TSettings& s) -> bool& { return s.Hex.LineDotted; }, &ISettingsTarget::SetHexLineStyle},
    {"chFieldNames", [](TSettings& s) -> bool& { return s.FieldNames; }, &ISettingsTarget::ApplyFieldNames},
};

// The dialog's layout at 96 dots per inch and Tahoma 8 pt, in client coordinates:
// two columns of group boxes, labels above their lists and spin boxes, a colour
// swatch per row with its label to the left, the buttons below the boxes. The
// columns and buttons widen where a caption of some language needs more room.
constexpr int LeftColumn = 8;
constexpr int ColumnGap = 8;
constexpr int UpperTop = 8;
constexpr int UpperHeight = 429;
constexpr int LowerTop = 443;
constexpr int LowerHeight = 142;
constexpr int ClientHeight = 640;
constexpr int Margin = 12;     // a group box's side to its controls
constexpr int FirstRow = 20;   // a group box's top to its first control, below the caption
constexpr int LabelHeight = 13;
constexpr int LabelGap = 3;      // a label to the control below it
constexpr int EditHeight = 21;   // lists, spin boxes, text fields and swatches
constexpr int CheckHeight = 17;  // check boxes and radio buttons
constexpr int RowGap = 8;
constexpr int SwatchStep = 25;
constexpr int SpinWidth = 60;
constexpr int ShortSwatchWidth = 50;
constexpr int ButtonHeight = 25;
constexpr int ButtonTop = LowerTop + LowerHeight + 14;

// The widths the layout is built on: a group's width inside its margins, where
// the second control of a row and every swatch start, and the buttons' width.
struct TColumns {
  int Inner = 237;
  int Half = 118;
  int Button = 75;
  int GroupWidth() const { return Inner + 2 * Margin; }
  int RightColumn() const { return LeftColumn + GroupWidth() + ColumnGap; }
  bool operator==(const TColumns&) const = default;
};

platform::TRect Box(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// Places a group's controls from its top down on the given columns, and
// widens Wanted wherever a caption needs more room than they give it.
class TGroupLayout {
 public:
  TGroupLayout(TControls& controls, const TCaptionNeeds& needs, const TColumns& columns, TColumns& wanted,
               const char* group, int left, int top, int height)
      : FControls(controls), FNeeds(needs), FColumns(columns), FWanted(wanted), FLeft(left + Margin),
        FY(top + FirstRow) {
    FControls[group].Bounds = Box(left, top, columns.GroupWidth(), height);
    FWanted.Inner = std::max(FWanted.Inner, Need(group) - 2 * Margin);
  }
  // A label across the group with its control below.
  void WideLabelAbove(const char* label, const char* control) {
    AcrossGroup(label, 0);
    FControls[label].Bounds = Box(FLeft, FY, FColumns.Inner, LabelHeight);
    FControls[control].Bounds = Box(FLeft, FY + LabelHeight + LabelGap, FColumns.Inner, EditHeight);
  }
  // A label with a narrow control below, in the left or the right half.
  void LabelAbove(const char* label, const char* control, bool right) {
    const int x = right ? FColumns.Half : 0;
    const int labelWidth = right ? FColumns.Inner - FColumns.Half : FColumns.Half - RowGap;
    if (right)
      AcrossGroup(label, FColumns.Half);
    else
      LeftOfSwatches(label);
    FControls[label].Bounds = Box(FLeft + x, FY, labelWidth, LabelHeight);
    FControls[control].Bounds = Box(FLeft + x, FY + LabelHeight + LabelGap, SpinWidth, EditHeight);
  }
  void EndLabelledRow() { FY += LabelHeight + LabelGap + EditHeight + RowGap; }
  // A swatch row: the label on the left, the swatch (short ones leave room for
  // the check box beside them) on the right.
  void Swatch(const char* label, const char* swatch, const char* beside = nullptr) {
    LeftOfSwatches(label);
    const int half = FColumns.Half;
    FControls[label].Bounds = Box(FLeft, FY + (EditHeight - LabelHeight) / 2, half - RowGap, LabelHeight);
    FControls[swatch].Bounds = Box(FLeft + half, FY, beside ? ShortSwatchWidth : FColumns.Inner - half, EditHeight);
    if (beside) {
      const int x = half + ShortSwatchWidth + RowGap;
      AcrossGroup(beside, x);
      FControls[beside].Bounds = Box(FLeft + x, FY + (EditHeight - CheckHeight) / 2, FColumns.Inner - x, CheckHeight);
    }
    FY += SwatchStep;
  }
  void Check(const char* name) {
    AcrossGroup(name, 0);
    FControls[name].Bounds = Box(FLeft, FY, FColumns.Inner, CheckHeight);
    FY += CheckHeight + 5;
  }
  // Two check boxes side by side, the second at the swatch column.
  void CheckPair(const char* left, const char* right) {
    LeftOfSwatches(left);
    AcrossGroup(right, FColumns.Half);
    FControls[left].Bounds = Box(FLeft, FY, FColumns.Half - RowGap, CheckHeight);
    FControls[right].Bounds = Box(FLeft + FColumns.Half, FY, FColumns.Inner - FColumns.Half, CheckHeight);
    FY += CheckHeight + 5;
  }
  void Edit(const char* name) {
    FControls[name].Bounds = Box(FLeft, FY, FColumns.Inner, EditHeight);
    FY += EditHeight + RowGap;
  }

 private:
  int Need(std::string_view name) const {
    auto it = FNeeds.find(name);
    return it == FNeeds.end() ? 0 : it->second;
  }
  // A control that ends where the swatches begin.
  void LeftOfSwatches(const char* name) { FWanted.Half = std::max(FWanted.Half, Need(name) + RowGap); }
  // A control from x to the group's right margin.
  void AcrossGroup(const char* name, int x) { FWanted.Inner = std::max(FWanted.Inner, x + Need(name)); }

  TControls& FControls;
  const TCaptionNeeds& FNeeds;
  const TColumns& FColumns;
  TColumns& FWanted;
  int FLeft;
  int FY;
};

TControl Make(const char* name, TK kind, const char* parent, int tag = 0) {
  TControl control;
  control.Name = name;
  control.Kind = kind;
  control.Parent = parent;
  control.Tag = tag;
  return control;
}

bool NameLess(const std::u16string& a, const std::u16string& b) {
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char16_t x, char16_t y) { return fold(x) < fold(y); });
}

// A sorted list holds each family once, ordered without regard to case.
std::vector<std::u16string> SortedFamilies(std::vector<std::u16string> families) {
  std::sort(families.begin(), families.end());
  families.erase(std::unique(families.begin(), families.end()), families.end());
  std::stable_sort(families.begin(), families.end(), NameLess);
  return families;
}

int IndexOf(const std::vector<std::u16string>& items, const std::u16string& text) {
  auto it = std::find(items.begin(), items.end(), text);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

bool HasCaption(TK kind) {
  switch (kind) {
    case TK::ckLabel:
    case TK::ckButton:
    case TK::ckCheckBox:
    case TK::ckRadioButton:
    case TK::ckGroupBox:
      return true;
    case TK::ckComboBox:
    case TK::ckSpinEdit:
    case TK::ckEdit:
    case TK::ckColorSwatch:
      return false;
  }
  return false;
}

// Places the dialog's controls on columns; widens wanted where a caption's
// need does not fit them.
void PlaceControls(TControls& controls, const TCaptionNeeds& needs, const TColumns& columns, TColumns& wanted) {
  const int right = columns.RightColumn();
  TGroupLayout tree(controls, needs, columns, wanted, "gbxTree", LeftColumn, UpperTop, UpperHeight);
  tree.WideLabelAbove("lbTreeFontName", "cbTreeFontName");
  tree.EndLabelledRow();
  tree.LabelAbove("lbTreeFontSize", "edTreeFontSize", /*right=*/false);
  tree.LabelAbove("lbTreeIndent", "edTreeIndent", /*right=*/true);
  tree.EndLabelledRow();
  TGroupLayout hex(controls, needs, columns, wanted, "gbxHex", right, UpperTop, UpperHeight);
  hex.WideLabelAbove("lbHexFontName", "cbHexFontName");
  hex.EndLabelledRow();
  hex.LabelAbove("lbHexFontSize", "edHexFontSize", /*right=*/false);
  hex.LabelAbove("lbHexStringSize", "cbHexStringSize", /*right=*/true);
  hex.EndLabelledRow();
  for (const TSwatch& swatch : Swatches) {
    // The line colours' swatches are short, with Dotted beside them.
    const std::string_view name = swatch.Name;
    const char* beside = name == "PanelTreeLine" ? "chTreeDotted" : name == "PanelHexLine" ? "chHexDotted" : nullptr;
    (swatch.InTree ? tree : hex).Swatch(swatch.Label, swatch.Name, beside);
  }
  // Their captions are too long to sit beside a swatch.
  tree.CheckPair("chFieldNames", "chDerChecks");
  tree.Check("chTreeIcons");
  tree.Check("chSpaceInHex");

  TGroupLayout ini(controls, needs, columns, wanted, "gbxIniFile", LeftColumn, LowerTop, LowerHeight);
  ini.Check("rbStorePlg");
  ini.Edit("meStorePlg");
  ini.Check("rbStoreTC");
  ini.Edit("meStoreTC");
  TGroupLayout language(controls, needs, columns, wanted, "gbxInterface", right, LowerTop, LowerHeight);
  language.WideLabelAbove("lbLanguage", "cbLanguage");

  for (const char* button : {"btnOK", "btnDefaults"}) {
    auto it = needs.find(button);
    if (it != needs.end()) wanted.Button = std::max(wanted.Button, it->second);
  }
  const int clientWidth = right + columns.GroupWidth() + ColumnGap;
  controls["btnOK"].Bounds = Box((clientWidth - columns.Button) / 2, ButtonTop, columns.Button, ButtonHeight);
  controls["btnDefaults"].Bounds =
      Box(right + columns.GroupWidth() - columns.Button, ButtonTop, columns.Button, ButtonHeight);
}

// A caption from its control's text: the options read at the next load carry
// "*", the icons their key.
std::u16string CaptionOf(std::string_view name, std::u16string text) {
  if (name == "chSpaceInHex" || name == "chDerChecks") return text + u"*";
  if (name == "chTreeIcons") return text + u" (Ctrl+I)";
  return text;
}

}  // namespace

TSettingsForm::TSettingsForm(ISettingsTarget& owner)
    : TDialogController({0, ClientHeight, u"Tahoma", 8}), MainForm(owner) {
  DefaultButton = "btnOK";
  FormCreate();
}

void TSettingsForm::CreateControls() {
  const char* tree = "gbxTree";
  Controls.Add(Make(tree, TK::ckGroupBox, "", 201));
  Controls.Add(Make("lbTreeFontName", TK::ckLabel, tree, 202));
  TControl& treeFont = Controls.Add(Make("cbTreeFontName", TK::ckComboBox, tree));
  treeFont.Sorted = true;
  Controls.Add(Make("lbTreeFontSize", TK::ckLabel, tree, 203));
  Controls.Add(Make("edTreeFontSize", TK::ckSpinEdit, tree));
  Controls.Add(Make("lbTreeIndent", TK::ckLabel, tree, 204));
  Controls.Add(Make("edTreeIndent", TK::ckSpinEdit, tree));
  for (const TSwatch& swatch : Swatches) {
    if (!swatch.InTree) continue;
    Controls.Add(Make(swatch.Label, TK::ckLabel, tree, swatch.LabelId));
    Controls.Add(Make(swatch.Name, TK::ckColorSwatch, tree));
  }
  Controls.Add(Make("chTreeDotted", TK::ckCheckBox, tree, 213));
  Controls.Add(Make("chFieldNames", TK::ckCheckBox, tree, 217));
  Controls.Add(Make("chDerChecks", TK::ckCheckBox, tree, 219));
  Controls.Add(Make("chTreeIcons", TK::ckCheckBox, tree, 214));
  Controls.Add(Make("chSpaceInHex", TK::ckCheckBox, tree, 215));

  const char* hex = "gbxHex";
  Controls.Add(Make(hex, TK::ckGroupBox, "", 221));
  Controls.Add(Make("lbHexFontName", TK::ckLabel, hex, 222));
  TControl& hexFont = Controls.Add(Make("cbHexFontName", TK::ckComboBox, hex));
  hexFont.Sorted = true;
  Controls.Add(Make("lbHexFontSize", TK::ckLabel, hex, 223));
  Controls.Add(Make("edHexFontSize", TK::ckSpinEdit, hex));
  Controls.Add(Make("lbHexStringSize", TK::ckLabel, hex, 224));
  TControl& stringSize = Controls.Add(Make("cbHexStringSize", TK::ckComboBox, hex));
  stringSize.Items = {u"8", u"16"};
  for (const TSwatch& swatch : Swatches) {
    if (swatch.InTree) continue;
    Controls.Add(Make(swatch.Label, TK::ckLabel, hex, swatch.LabelId));
    Controls.Add(Make(swatch.Name, TK::ckColorSwatch, hex));
  }
  Controls.Add(Make("chHexDotted", TK::ckCheckBox, hex, 234));

  for (const TSpin& spin : Spins) SetSpinRange(Controls[spin.Name], spin.MinValue, spin.MaxValue);

  const char* ini = "gbxIniFile";
  Controls.Add(Make(ini, TK::ckGroupBox, "", 251));
  Controls.Add(Make("rbStorePlg", TK::ckRadioButton, ini, 252));
  Controls.Add(Make("meStorePlg", TK::ckEdit, ini));
  Controls.Add(Make("rbStoreTC", TK::ckRadioButton, ini, 253));
  Controls.Add(Make("meStoreTC", TK::ckEdit, ini));

  const char* language = "gbxInterface";
  Controls.Add(Make(language, TK::ckGroupBox, "", 261));
  Controls.Add(Make("lbLanguage", TK::ckLabel, language, 262));
  Controls.Add(Make("cbLanguage", TK::ckComboBox, language));

  TControl& ok = Controls.Add(Make("btnOK", TK::ckButton, "", 271));
  ok.Bold = true;
  Controls.Add(Make("btnDefaults", TK::ckButton, "", 272));
  for (const char* group : {"gbxTree", "gbxHex", "gbxIniFile", "gbxInterface"}) Controls[group].Bold = true;
}

void TSettingsForm::LayOutControls(const TCaptionNeeds& needs, int percent) {
  // Columns only widen, and a wider left half can only widen the group, so
  // this settles within a few rounds.
  TColumns columns;
  for (;;) {
    TColumns wanted;
    PlaceControls(Controls, needs, columns, wanted);
    if (wanted == columns) break;
    columns = wanted;
  }
  for (const TControl& control : Controls.All())
    Controls[control.Name].Bounds = ScaleRect(control.Bounds, percent);
  Look.ClientWidth = ScalePixels(columns.RightColumn() + columns.GroupWidth() + ColumnGap, percent);
  Look.ClientHeight = ScalePixels(ClientHeight, percent);
}

TCaptionNeeds TSettingsForm::CaptionNeeds() {
  platform::TPlatform& platform = MainForm.Platform();
  const TLanguageTexts languages(platform.System, LangList);
  TCaptionNeeds needs;
  for (const TControl& control : Controls.All()) {
    if (control.Tag == 0 || !HasCaption(control.Kind)) continue;
    int& need = needs[control.Name];
    for (const std::u16string& text : languages.All(text::DecimalText(control.Tag)))
      need = std::max(need, CaptionWidth(control, CaptionOf(control.Name, text), Look, platform.Display));
  }
  return needs;
}

void TSettingsForm::FormCreate() {
  platform::TPlatform& platform = MainForm.Platform();
  CreateControls();
  FillLanguageList(platform, LangList);
  LayOutControls(CaptionNeeds(), platform.Display.PixelScalePercent());

  TControl& languages = Controls["cbLanguage"];
  const std::u16string current = GetLanguageFile();
  for (std::size_t i = 0; i < LangList.size(); ++i) {
    const TLanguageEntry& entry = LangList[i];
    const std::u16string tail = i == 0 ? std::u16string(u"default") : entry.FileName;
    languages.Items.push_back(entry.Name + u" (" + tail + u")");
    if (languages.ItemIndex < 0 && entry.FileName == current) languages.ItemIndex = static_cast<int>(i);
  }

  Controls["cbTreeFontName"].Items = SortedFamilies(platform.Display.FontFamilies(/*fixedPitchOnly=*/false));
  Controls["cbHexFontName"].Items = SortedFamilies(platform.Display.FontFamilies(/*fixedPitchOnly=*/true));

  // The file that will really be written, also where the module's folder is not the user's to write.
  Controls["meStorePlg"].Text = Utf8ToUtf16(PluginFolderIniFileName(platform.System));
  Controls["meStoreTC"].Text = Utf8ToUtf16(TCIniFileName());
  const bool pluginFolder = GetIniLocation(platform.System) == TIniLocation::ilPluginFolder;
  Controls["rbStorePlg"].Checked = pluginFolder;
  Controls["rbStoreTC"].Checked = !pluginFolder;

  SetCaptions();
  SettingsToControls();
}

void TSettingsForm::SetCaptions() {
  if (Tag != 0) Caption = GetLangText(text::DecimalText(Tag));
  // Each caption is made whole from its text, so the suffixes are never doubled.
  for (const TControl& control : Controls.All()) {
    if (control.Tag == 0 || !HasCaption(control.Kind)) continue;
    Controls[control.Name].Caption = CaptionOf(control.Name, GetLangText(text::DecimalText(control.Tag)));
  }
}

void TSettingsForm::SettingsToControls() {
  TSettings settings = MainForm.Settings();
  platform::IDisplay& display = MainForm.Platform().Display;

  // A stored face that is not installed shows as the face drawn in its place; the
  // setting keeps the stored name until the user picks a face. A substitute the
  // list lacks joins it: Wine draws a missing Courier New in a proportional face,
  // Qt may in a monospace one its font database does not call fixed-pitch (Noto
  // Sans Mono). The default face's substitute is offered always, so once picked
  // and stored by its own name it still shows. Returns the face to show, or
  // nothing for a face that is installed but not listed.
  auto offerFaceDrawn = [&](TControl& list, const std::u16string& name) -> std::u16string {
    if (IndexOf(list.Items, name) >= 0) return name;
    std::u16string used = display.UsedFontFamily(name);
    if (used.empty() || used == name) return {};
    if (IndexOf(list.Items, used) < 0) {
      list.Items.push_back(used);
      list.Items = SortedFamilies(std::move(list.Items));
    }
    return used;
  };
  auto fontIndex = [&](TControl& list, const std::u16string& name, const std::u16string& defaultName) {
    offerFaceDrawn(list, defaultName);
    const std::u16string shown = offerFaceDrawn(list, name);
    return shown.empty() ? -1 : IndexOf(list.Items, shown);
  };
  TControl& treeFont = Controls["cbTreeFontName"];
  treeFont.ItemIndex = fontIndex(treeFont, settings.FontName, DefaultSettings.FontName);
  TControl& hexFont = Controls["cbHexFontName"];
  hexFont.ItemIndex = fontIndex(hexFont, settings.Hex.FontName, DefaultSettings.Hex.FontName);

  // A spin box cannot show a value outside its range; the setting itself keeps
  // what it holds until the user steps the box.
  for (const TSpin& spin : Spins) {
    TControl& edit = Controls[spin.Name];
    edit.Value = std::clamp<int>(spin.Field(settings), edit.MinValue, edit.MaxValue);
    edit.Text = text::DecimalText(edit.Value);
  }
  for (const TSwatch& swatch : Swatches) Controls[swatch.Name].Color = ResolveColor(swatch.Field(settings), display);
  for (const TCheck& check : Checks) Controls[check.Name].Checked = check.Field(settings);
  Controls["cbHexStringSize"].ItemIndex = settings.Hex.StringSize == 8 ? 0 : 1;
}

void TSettingsForm::ComboBoxChange(std::string_view name, int itemIndex) {
  if (name == "cbLanguage") return LanguageChange(itemIndex);
  const TControl* found = Controls.Find(name);
  if (!found) return;
  TControl& combo = Controls[name];
  if (itemIndex < 0 || itemIndex >= static_cast<int>(combo.Items.size())) return;
  combo.ItemIndex = itemIndex;
  TSettings& settings = MainForm.Settings();
  if (name == "cbTreeFontName") {
    settings.FontName = combo.Items[static_cast<std::size_t>(itemIndex)];
    MainForm.ApplyTreeFontName();
  } else if (name == "cbHexFontName") {
    settings.Hex.FontName = combo.Items[static_cast<std::size_t>(itemIndex)];
    MainForm.SetHexFont();
  } else if (name == "cbHexStringSize") {
    settings.Hex.StringSize = itemIndex == 0 ? 8 : 16;
    MainForm.HexVTSetColumns();
  }
}

void TSettingsForm::CheckBoxClick(std::string_view name, bool checked) {
  for (const TCheck& check : Checks) {
    if (name != check.Name) continue;
    Controls[name].Checked = checked;
    check.Field(MainForm.Settings()) = checked;
    if (check.Apply) (MainForm.*check.Apply)();
    return;
  }
}

void TSettingsForm::RadioButtonClick(std::string_view name) {
  const bool pluginFolder = name == "rbStorePlg";
  if (!pluginFolder && name != "rbStoreTC") return;
  Controls["rbStorePlg"].Checked = pluginFolder;
  Controls["rbStoreTC"].Checked = !pluginFolder;
  SetIniLocation(MainForm.Platform().System,
                 pluginFolder ? TIniLocation::ilPluginFolder : TIniLocation::ilTCFolder);
}

void TSettingsForm::SwatchClick(std::string_view name) {
  const TSwatch* swatch = FindSwatch(name);
  if (!swatch) return;
  TControl& control = Controls[name];
  std::optional<platform::TColor> chosen =
      MainForm.Platform().Dialogs.ChooseColor(control.Color, CustomColors, /*fullyOpen=*/true);
  if (!chosen) return;
  control.Color = *chosen;
  swatch->Field(MainForm.Settings()) = *chosen;
  switch (swatch->Effect) {
    case TSwatchEffect::seRepaintOnly:
      break;
    case TSwatchEffect::seTreeColors:
      MainForm.ApplyTreeColors();
      break;
    case TSwatchEffect::seHexColors:
      MainForm.ApplyHexColors();
      break;
  }
  // Most colours are read while painting, so a repaint shows them.
  if (swatch->InTree)
    MainForm.RepaintTree();
  else
    MainForm.RepaintHex();
}

void TSettingsForm::ButtonClick(std::string_view name) {
  if (name == "btnOK") return Close();
  if (name == "btnDefaults") RestoreDefaults();
}

void TSettingsForm::SpinChanged(std::string_view name, int value) {
  const TSpin* spin = FindSpin(name);
  if (!spin) return;
  TControl& edit = Controls[name];
  edit.Value = value;
  edit.Text = text::DecimalText(value);
  spin->Field(MainForm.Settings()) = value;
  (MainForm.*spin->Apply)();
}

void TSettingsForm::SpinEditStep(std::string_view name, int delta) {
  const TSpin* spin = FindSpin(name);
  if (!spin || delta == 0) return;
  const TControl& edit = Controls[name];
  const int value = std::clamp(edit.Value + (delta > 0 ? 1 : -1), edit.MinValue, edit.MaxValue);
  if (value == edit.Value) return;
  SpinChanged(name, value);
}

bool TSettingsForm::SpinEditKeyPress(std::string_view, char16_t) {
  // The number changes only by steps, so nothing typed is taken.
  MainForm.Platform().Host.Beep();
  return false;
}

bool TSettingsForm::SpinEditKeyDown(std::string_view name, std::uint16_t virtualKey) {
  switch (virtualKey) {
    case platform::vk::Up:
      SpinEditStep(name, +1);
      return true;
    case platform::vk::Down:
      SpinEditStep(name, -1);
      return true;
    case platform::vk::Delete:
      return true;
    default:
      return false;
  }
}

bool TSettingsForm::KeyDown(std::uint16_t virtualKey) {
  if (virtualKey != platform::vk::Return && virtualKey != platform::vk::Escape) return false;
  Close();
  return true;
}

void TSettingsForm::LanguageChange(int itemIndex) {
  if (itemIndex < 0 || itemIndex >= static_cast<int>(LangList.size())) return;
  TControl& languages = Controls["cbLanguage"];
  languages.ItemIndex = itemIndex;
  // A file that fails to load has reported itself; English is then in effect.
  if (!LoadLanguage(MainForm.Platform(), LangList[static_cast<std::size_t>(itemIndex)].FileName, /*force=*/true)) languages.ItemIndex = 0;
  MainForm.SetMainMenuCaptions();
  MainForm.UpdateMainStatusBar();
  SetCaptions();
}

void TSettingsForm::RestoreDefaults() {
  platform::TPlatform& platform = MainForm.Platform();
  const platform::TMessageBoxResult answer =
      platform.Dialogs.MessageBox(GetLangTextById(273), GetLangTextById(272), platform::TMessageBoxKind::mbQuestion);
  if (answer != platform::TMessageBoxResult::mrYes) return;
  TSettings& settings = MainForm.Settings();
  TSettings defaults = DefaultSettings;
  defaults.ShowAttributes = settings.ShowAttributes;
  defaults.Hex.Show = settings.Hex.Show;
  settings = defaults;
  MainForm.ApplySettings();
  MainForm.RepaintViewer();
  SettingsToControls();
}

void ShowSettingsDialog(ISettingsTarget& target, IDialogRunner& runner) {
  {
    TSettingsForm form(target);
    RunCentred(runner, form);
  }
  target.SaveSettings();
}

}  // namespace settings
