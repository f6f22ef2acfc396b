// The element toolbox's two dialogs: Element info (where the element sits and
// what its digests are, each with a copy button) and Go to offset (one field
// taking a decimal, $hex or 0xhex offset).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "settings/dialog_controller.h"

namespace viewer {

// What Element info shows, as text. Digests are upper-case hexadecimal, empty
// when the system could not compute them.
struct TElementInfo {
  std::int32_t Offset = 0;
  std::int32_t HeaderLength = 0;
  std::int32_t ContentLength = 0;
  std::u16string Path;
  std::u16string Sha256;
  std::u16string Sha1;
  std::u16string ContentSha256;
  std::u16string ContentSha1;
};

class TElementInfoForm final : public settings::TDialogController {
 public:
  static constexpr int TitleId = 280;
  // copy puts a field's text on the clipboard; it may throw, as the clipboard
  // writer does, for the front-end's fence to report.
  TElementInfoForm(const TElementInfo& info, std::function<void(const std::u16string&)> copy,
                   int pixelScalePercent = 100);

  // A copy button copies its row's field; Close closes.
  void ButtonClick(std::string_view name) override;
  // Enter and Esc close.
  bool KeyDown(std::uint16_t virtualKey) override;

 private:
  std::function<void(const std::u16string&)> FCopy;
};

// An offset as the user types it (see text::ParseOffset), blanks around it
// allowed. Empty for anything else and for a value above text::MaxOffset.
std::optional<std::int32_t> ParseOffsetText(std::u16string_view text);

class TGoToOffsetForm final : public settings::TDialogController {
 public:
  static constexpr int TitleId = 290;
  // go takes the field's text and answers an error message, empty when it
  // went there.
  explicit TGoToOffsetForm(std::function<std::u16string(const std::u16string&)> go, int pixelScalePercent = 100);

  // Go goes; Cancel closes.
  void ButtonClick(std::string_view name) override;
  void EditChange(std::string_view name, const std::u16string& text) override;
  // Enter goes, Esc closes.
  bool KeyDown(std::uint16_t virtualKey) override;
  // The message of the last entry that could not be gone to; empty after success.
  const std::u16string& Error() const { return FError; }

 private:
  std::function<std::u16string(const std::u16string&)> FGo;
  std::u16string FError;
  void Go();
};

}  // namespace viewer
