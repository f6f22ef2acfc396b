// The Settings and About commands, and the viewer as the settings dialog sees
// it: each operation pushes one part of the live settings onto the views.
#include "settings/about.h"
#include "settings/options.h"
#include "viewer/colors.h"
#include "viewer/main.h"

namespace viewer {

class TMainForm::TSettingsTarget final : public settings::ISettingsTarget {
 public:
  explicit TSettingsTarget(TMainForm& form) : FForm(form) {}

  platform::TPlatform& Platform() override { return FForm.Platform(); }
  settings::TSettings& Settings() override { return FForm.Settings(); }

  void ApplyTreeFontName() override {
    FForm.TreeVT().Look.FontName = FForm.Settings().FontName;
    FForm.TreeVT().Invalidate();
  }
  void SetTreeFontSize() override { FForm.SetTreeFontSize(); }
  void ApplyTreeIndent() override {
    FForm.TreeVT().Look.Indent = FForm.Settings().Indent;
    FForm.TreeVT().Invalidate();
  }
  void ApplyTreeColors() override {
    TTreeLook& look = FForm.TreeVT().Look;
    look.Color = Resolve(FForm.Settings().BackgroundColor);
    SetFocusColors(look, Resolve(FForm.Settings().FocusColor));
    look.LineColor = Resolve(FForm.Settings().LineColor);
  }
  void SetTreeLineStyle() override { FForm.SetLineStyle(FForm.TreeVT(), FForm.Settings().LineDotted); }
  void RepaintTree() override { FForm.TreeVT().Invalidate(); }
  void ApplyFieldNames() override { FForm.ApplyFieldNames(); }

  void SetHexFont() override { FForm.SetHexFont(); }
  void HexVTSetColumns() override { FForm.HexVTSetColumns(); }
  void ApplyHexColors() override {
    const settings::THexSettings& hex = FForm.Settings().Hex;
    for (VirtualTree* grid : {&FForm.Hex1VT(), &FForm.Hex2VT()}) {
      grid->Look.Color = Resolve(hex.Background);
      SetFocusColors(grid->Look, Resolve(hex.FocusColor));
      grid->Look.LineColor = Resolve(hex.LineColor);
    }
    FForm.Hex2VT().Look.FontColor = Resolve(hex.TextColor);
  }
  void SetHexLineStyle() override {
    FForm.SetLineStyle(FForm.Hex1VT(), FForm.Settings().Hex.LineDotted);
    FForm.SetLineStyle(FForm.Hex2VT(), FForm.Settings().Hex.LineDotted);
  }
  void RepaintHex() override {
    FForm.Hex1VT().Invalidate();
    FForm.Hex2VT().Invalidate();
  }

  void ApplySettings() override { FForm.ApplySettings(); }
  void RepaintViewer() override {
    RepaintTree();
    RepaintHex();
  }
  void SetMainMenuCaptions() override { FForm.SetMainMenuCaptions(); }
  void UpdateMainStatusBar() override { FForm.UpdateMainStatusBar(); }
  void SaveSettings() override { FForm.SaveSettings(); }

 private:
  TMainForm& FForm;

  TColor Resolve(TColor color) { return ResolveColor(color, FForm.Platform().Display); }
  static void SetFocusColors(TTreeLook& look, TColor color) {
    look.FocusedSelectionColor = color;
  }
};

void TMainForm::ShowSettings() {
  if (!FDialogRunner) return;
  TSettingsTarget target(*this);
  settings::ShowSettingsDialog(target, *FDialogRunner);
}

void TMainForm::ShowAbout() {
  if (!FDialogRunner) return;
  settings::ShowAboutBox(*FDialogRunner, FPlatform.Display);
}

}  // namespace viewer
