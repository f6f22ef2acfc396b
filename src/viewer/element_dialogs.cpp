// The Element info and Go to offset dialogs as controllers over plain controls.
#include "viewer/element_dialogs.h"


#include "platform/keys.h"
#include "settings/lang.h"
#include "text/ascii.h"
#include "text/offset.h"

namespace viewer {

namespace {

using settings::TControl;
using settings::TControlKind;

TControl MakeControl(std::string name, TControlKind kind, int tag, platform::TRect bounds, int percent) {
  TControl control;
  control.Name = std::move(name);
  control.Kind = kind;
  control.Tag = tag;
  control.Caption = tag != 0 ? settings::GetLangTextById(tag) : std::u16string();
  control.Bounds = settings::ScaleRect(bounds, percent);
  return control;
}

// Element info's rows, top to bottom: the caption's text id and the field's name.
struct TInfoRow {
  int TextId;
  const char* Field;
};
constexpr TInfoRow InfoRows[] = {{281, "edOffset"},        {282, "edHeaderLength"}, {283, "edContentLength"},
                                 {284, "edPath"},          {285, "edSha256"},       {286, "edSha1"},
                                 {287, "edContentSha256"}, {288, "edContentSha1"}};
constexpr int CopyTextId = 289;
constexpr int CloseTextId = 271;
// At 96 dots per inch: rows 30 pixels apart, a caption column, the field and its button.
constexpr int InfoRowPitch = 30;
constexpr int InfoTop = 12;
constexpr int InfoWidth = 760;  // room for 64 hexadecimal digits in a wide fallback face

// "edSha1" has the button "btnCopySha1".
std::string CopyButtonOf(std::string_view field) { return "btnCopy" + std::string(field.substr(2)); }

}  // namespace

TElementInfoForm::TElementInfoForm(const TElementInfo& info, std::function<void(const std::u16string&)> copy,
                                   int pixelScalePercent)
    : TDialogController({InfoWidth, InfoTop + 8 * InfoRowPitch + 50, u"Tahoma", 8}), FCopy(std::move(copy)) {
  Caption = settings::GetLangTextById(TitleId);
  const std::u16string texts[] = {text::DecimalText(info.Offset), text::DecimalText(info.HeaderLength),
                                  text::DecimalText(info.ContentLength), info.Path, info.Sha256, info.Sha1,
                                  info.ContentSha256, info.ContentSha1};
  int top = InfoTop;
  for (std::size_t i = 0; i < std::size(InfoRows); ++i, top += InfoRowPitch) {
    const TInfoRow& row = InfoRows[i];
    const std::string field = row.Field;
    Controls.Add(MakeControl("lb" + field.substr(2), TControlKind::ckLabel, row.TextId, {12, top + 4, 170, top + 21},
                             pixelScalePercent));
    TControl& edit =
        Controls.Add(MakeControl(field, TControlKind::ckEdit, 0, {172, top, 680, top + 23}, pixelScalePercent));
    edit.Text = texts[i];
    Controls.Add(MakeControl(CopyButtonOf(field), TControlKind::ckButton, CopyTextId,
                             {686, top, 748, top + 23}, pixelScalePercent));
  }
  top += 8;
  Controls.Add(MakeControl("btnOK", TControlKind::ckButton, CloseTextId, {340, top, 420, top + 25}, pixelScalePercent));
  DefaultButton = "btnOK";
  Look.ClientWidth = settings::ScalePixels(Look.ClientWidth, pixelScalePercent);
  Look.ClientHeight = settings::ScalePixels(Look.ClientHeight, pixelScalePercent);
}

void TElementInfoForm::ButtonClick(std::string_view name) {
  if (name == "btnOK") return Close();
  for (const TInfoRow& row : InfoRows)
    if (CopyButtonOf(row.Field) == name) return FCopy(Controls[row.Field].Text);
}

bool TElementInfoForm::KeyDown(std::uint16_t virtualKey) {
  if (virtualKey != platform::vk::Return && virtualKey != platform::vk::Escape) return false;
  Close();
  return true;
}

std::optional<std::int32_t> ParseOffsetText(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text::ParseOffset(text);
}

TGoToOffsetForm::TGoToOffsetForm(std::function<std::u16string(const std::u16string&)> go, int pixelScalePercent)
    : TDialogController({300, 100, u"Tahoma", 8}), FGo(std::move(go)) {
  Caption = settings::GetLangTextById(TitleId);
  Controls.Add(MakeControl("lbOffset", TControlKind::ckLabel, 291, {12, 12, 288, 29}, pixelScalePercent));
  TControl& edit = Controls.Add(MakeControl("edOffset", TControlKind::ckEdit, 0, {12, 32, 288, 55}, pixelScalePercent));
  edit.ReadOnly = false;
  Controls.Add(MakeControl("btnGo", TControlKind::ckButton, 292, {122, 66, 202, 91}, pixelScalePercent));
  Controls.Add(MakeControl("btnCancel", TControlKind::ckButton, 293, {208, 66, 288, 91}, pixelScalePercent));
  FocusedControl = "edOffset";
  DefaultButton = "btnGo";
  Look.ClientWidth = settings::ScalePixels(Look.ClientWidth, pixelScalePercent);
  Look.ClientHeight = settings::ScalePixels(Look.ClientHeight, pixelScalePercent);
}

void TGoToOffsetForm::Go() {
  FError = FGo(Controls["edOffset"].Text);
  if (FError.empty()) Close();
}

void TGoToOffsetForm::ButtonClick(std::string_view name) {
  if (name == "btnGo") return Go();
  if (name == "btnCancel") return Close();
}

void TGoToOffsetForm::EditChange(std::string_view name, const std::u16string& text) {
  if (name == "edOffset") Controls["edOffset"].Text = text;
}

bool TGoToOffsetForm::KeyDown(std::uint16_t virtualKey) {
  if (virtualKey == platform::vk::Return) {
    Go();
    return true;
  }
  if (virtualKey != platform::vk::Escape) return false;
  Close();
  return true;
}

}  // namespace viewer
