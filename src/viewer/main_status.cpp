// The two status bars: document counts and input marks under the structure
// tree, the focused byte and highlighted range under the hex panel.
#include <algorithm>

#include "settings/lang.h"
#include "text/ascii.h"
#include "viewer/main.h"

namespace viewer {

namespace {

constexpr TColor Olive = 0x008080;  // RGB 128,128,0
constexpr int RangePanelWidth = 100;  // the hex bar's range panel, at least
constexpr int VerdictPanelWidth = 100;  // the main bar's DER verdict, at least
constexpr int SourcePanelWidth = 110;   // the main bar's "clipboard" or opened element, at least

// Decimal digits grouped in thousands ("#0,").
std::u16string Grouped(std::int64_t value, char16_t separator) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::u16string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += static_cast<char16_t>(digits[i]);
  }
  return value < 0 ? u"-" + out : out;
}

// "$" and upper-case hexadecimal with at least two digits.
std::u16string DollarHex(std::int32_t value) {
  std::u16string out = u"$";
  text::AppendHex(out, static_cast<std::uint32_t>(value), 2);
  return out;
}

}  // namespace

std::vector<TStatusPanel> TMainForm::MakeMainStatusBar() {
  return {{100, TAlignment::taLeftJustify, false, {}}, {110, TAlignment::taLeftJustify, false, {}},
          {120, TAlignment::taLeftJustify, false, {}}, {70, TAlignment::taLeftJustify, true, {}},
          {SourcePanelWidth, TAlignment::taLeftJustify, true, {}},  {100, TAlignment::taLeftJustify, false, {}},
          {100, TAlignment::taLeftJustify, false, {}}};  // the DER checks' verdict, then the focused path
}

std::vector<TStatusPanel> TMainForm::MakeHexStatusBar() {
  return {{70, TAlignment::taRightJustify, false, {}},
          {70, TAlignment::taRightJustify, false, {}},
          {RangePanelWidth, TAlignment::taCenter, false, {}}};
}

int TMainForm::StatusTextWidth(const std::u16string& text) const {
  return FPlatform.Display.TextWidth(text, FStatusBarFontName, FStatusBarFontSize);
}

void TMainForm::UpdateMainStatusBar() {
  char16_t separator = FPlatform.System.ThousandsSeparator();
  FMainStatusBar[0].Text = settings::GetLangTextById(602) + u": " + Grouped(Root().GetTagChildsCount(), separator);
  FMainStatusBar[1].Text = settings::GetLangTextById(601) + u": " + Grouped(TagsCount(), separator);
  FMainStatusBar[2].Text =
      settings::GetLangTextById(603) + u": " + Grouped(static_cast<std::int64_t>(Bytes()->size()), separator);
  FMainStatusBar[3].Text = FromBase64() ? u"base64" : u"";
  // Where the document came from: the clipboard, or the element it was opened from.
  TStatusPanel& source = FMainStatusBar[4];
  source.Text = !FOpened.Location().empty() ? FOpened.Location() : FromClipboard() ? settings::GetLangTextById(604) : u"";
  // A comparison says what it found, and with which file.
  if (FComparison != nullptr) source.Text = FComparison->StatusText();
  source.Width = std::max(SourcePanelWidth, FPlatform.Display.BoldTextWidth(source.Text, FStatusBarFontName,
                                                                           FStatusBarFontSize) + 2 * PanelMargin + 1);
  TStatusPanel& verdict = FMainStatusBar[5];
  // Blocks of several that did not decode say so whatever the checks, and
  // more than the checks' "Not BER" would.
  verdict.Text = FDoc->FailedBlocksText(settings::GetLangTextById);
  if (verdict.Text.empty()) verdict.Text = DerStatusText();
  // "BER (6 indefinite lengths)" and the like would be cut at the usual 100 pixels.
  verdict.Width = std::max(VerdictPanelWidth, StatusTextWidth(verdict.Text) + 2 * PanelMargin + 1);
  if (FEvents != nullptr) FEvents->StatusChanged(TView::vwMainStatus);
}

void TMainForm::UpdateHexStatusBar() {
  std::int32_t offset = GetHexOffset(FHex1VT.FocusedNode(), FHex1VT.FocusedColumn());
  FHexStatusBar[0].Text = offset < 0 ? u"" : text::DecimalText(offset);
  FHexStatusBar[1].Text = offset < 0 ? u"" : DollarHex(offset);
  bool none = FHexSel.First < 0 || FHexSel.Last < 0;
  TStatusPanel& range = FHexStatusBar[2];
  range.Text = none ? u"" : DollarHex(FHexSel.First) + u" - " + DollarHex(FHexSel.Last);
  // Wide enough for the whole range, margins and separator included: from six hex
  // digits up its 100 pixels would cut both ends off. Nothing lies to its right.
  range.Width = std::max(RangePanelWidth, StatusTextWidth(range.Text) + 2 * PanelMargin + 1);
  if (FEvents != nullptr) FEvents->StatusChanged(TView::vwHexStatus);
}

TPanelDrawing TMainForm::MainStatusBarDrawPanel(int panel, TRect rect) {
  if (panel != 3 && panel != 4) return {};
  TPanelDrawing drawing;
  drawing.Draw = true;
  drawing.Text = FMainStatusBar[static_cast<std::size_t>(panel)].Text;
  drawing.Bold = panel == 4;
  if (drawing.Bold) drawing.Color = Olive;
  platform::IDisplay& display = FPlatform.Display;
  int width = drawing.Bold ? display.BoldTextWidth(drawing.Text, FStatusBarFontName, FStatusBarFontSize)
                           : display.TextWidth(drawing.Text, FStatusBarFontName, FStatusBarFontSize);
  // Truncating division, one pixel left of the centre.
  drawing.X = rect.Left + (rect.Right - rect.Left - width) / 2 - 1;
  drawing.Y = rect.Top;
  return drawing;
}

}  // namespace viewer
