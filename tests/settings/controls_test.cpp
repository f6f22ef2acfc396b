// What a dialog's description promises the front-ends, checked once in the
// core: spin ranges with the lengths they need, and the faults a front-end
// could not follow.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/controls.h"
#include "settings/dialog_controller.h"

namespace settings {
namespace {

TEST(SpinRange, TheLengthFitsTheLongerLimitAndTheValueTheRange) {
  struct {
    int Min, Max, Value;
    int Length, Shown;
  } cases[] = {
      {1, 99, 12, 2, 12}, {0, 999, 1500, 3, 999}, {1, 99, 0, 2, 1}, {-99, 9, 5, 3, 5}, {-5, 1000, -7, 4, -5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Min) + ".." + std::to_string(c.Max));
    TControl spin;
    spin.Kind = TControlKind::ckSpinEdit;
    spin.Value = c.Value;
    SetSpinRange(spin, c.Min, c.Max);
    EXPECT_EQ(spin.MaxLength, c.Length);
    EXPECT_EQ(spin.Value, c.Shown);
    EXPECT_EQ(spin.MinValue, c.Min);
    EXPECT_EQ(spin.MaxValue, c.Max);
  }
}

TControl Make(const char* name, TControlKind kind) {
  TControl control;
  control.Name = name;
  control.Kind = kind;
  return control;
}

TEST(DialogDescription, FaultsAreWhatAFrontEndCouldNotFollow) {
  using TBreak = std::function<void(TDialogController&)>;
  struct {
    const char* Label;
    TBreak Break;
    std::vector<std::string> Faults;
  } cases[] = {
      {"sound", [](TDialogController&) {}, {}},
      {"no default, no focus", [](TDialogController& d) { d.DefaultButton.clear(); d.FocusedControl.clear(); }, {}},
      {"focus on a missing control", [](TDialogController& d) { d.FocusedControl = "edGone"; },
       {"focused control edGone is missing"}},
      {"default missing", [](TDialogController& d) { d.DefaultButton = "btnGone"; },
       {"default button btnGone is missing"}},
      {"default not a button", [](TDialogController& d) { d.DefaultButton = "cbList"; },
       {"default button cbList is no button"}},
      {"value past the range", [](TDialogController& d) { d.Controls["edSize"].Value = 100; },
       {"edSize holds a value outside its range"}},
      {"length shorter than the range", [](TDialogController& d) { d.Controls["edSize"].MaxLength = 1; },
       {"edSize is too short for its range"}},
      {"negative limit needs its sign", [](TDialogController& d) { d.Controls["edSize"].MinValue = -10; },
       {"edSize is too short for its range"}},
      {"a list without rows", [](TDialogController& d) { d.Controls["cbList"].DropDownRows = 0; },
       {"cbList drops down no rows"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TDialogController dialog({100, 100, u"Tahoma", 8});
    dialog.Controls.Add(Make("cbList", TControlKind::ckComboBox));
    SetSpinRange(dialog.Controls.Add(Make("edSize", TControlKind::ckSpinEdit)), 1, 99);
    dialog.Controls.Add(Make("btnOK", TControlKind::ckButton));
    dialog.FocusedControl = "edSize";
    dialog.DefaultButton = "btnOK";
    c.Break(dialog);
    EXPECT_EQ(DescriptionFaults(dialog), c.Faults);
  }
}

}  // namespace
}  // namespace settings
