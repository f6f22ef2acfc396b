// The context menu: built from the command table, captions from the language
// table with their shortcut texts, the states set as it opens, and the handler
// behind each item.
#include <cassert>
#include <iterator>

#include "settings/lang.h"
#include "viewer/command_table.h"
#include "viewer/main.h"

namespace viewer {

TMainMenu::TMainMenu() {
  int separators = 0;
  for (const TCommand& command : CommandTable()) {
    if (command.Id == 0) continue;
    if (command.SeparatorBefore) {
      static constexpr std::string_view SeparatorNames[] = {"N1", "N2", "N3", "N4"};
      assert(separators < static_cast<int>(std::size(SeparatorNames)) && "one name per separator");
      FItems.push_back(TMenuItem{SeparatorNames[separators++], 0, u"-"});
    }
    FItems.push_back(TMenuItem{command.MenuName, command.Id, {}, true, false, &command});
  }
}

TMenuItem* TMainMenu::ByTag(int tag) {
  if (tag == 0) return nullptr;
  for (TMenuItem& item : FItems)
    if (item.Tag == tag) return &item;
  return nullptr;
}

const TMenuItem& TMainMenu::Item(std::string_view name) const {
  for (const TMenuItem& item : FItems)
    if (item.Name == name) return item;
  assert(false && "no menu item of that name");
  return FItems.front();
}

TMenuItem& TMainMenu::Item(std::string_view name) {
  return const_cast<TMenuItem&>(static_cast<const TMainMenu&>(*this).Item(name));
}

void TMainForm::SetMainMenuCaptions() {
  for (TMenuItem& item : FMainMenu.Items()) {
    if (item.IsSeparator()) continue;
    item.Caption = settings::GetLangTextById(item.Tag);
    std::u16string_view shortcut = item.Command->ShortcutText;
    if (!shortcut.empty()) (item.Caption += u'\t') += shortcut;
  }
}

bool TMainForm::CommandEnabled(const TCommand& command) const {
  TNodeId focused = FTreeVT.FocusedNode();
  switch (command.Enabled) {
    case TEnabledRule::erAlways: return true;
    case TEnabledRule::erRowFocused: return focused != NoNode;
    case TEnabledRule::erFocusedHasChildren: return focused != NoNode && FTreeVT.HasChildren(focused);
    case TEnabledRule::erOpened: return FOpened.Depth() > 0;
    case TEnabledRule::erComparing: return FComparison != nullptr;
  }
  return true;
}

bool TMainForm::CommandChecked(const TCommand& command) const {
  switch (command.Checked) {
    case TCheckedRule::crNever: return false;
    case TCheckedRule::crShowAttributes: return FSettings.ShowAttributes;
    case TCheckedRule::crHexPanelVisible: return FHexPanelVisible;
    case TCheckedRule::crFieldNames: return FSettings.FieldNames;
  }
  return false;
}

void TMainForm::MainMenuPopup() {
  for (TMenuItem& item : FMainMenu.Items()) {
    if (item.IsSeparator()) continue;
    item.Enabled = CommandEnabled(*item.Command);
    item.Checked = CommandChecked(*item.Command);
  }
}

void TMainForm::MainMenuClick(int tag) {
  TMenuItem* item = FMainMenu.ByTag(tag);
  if (item == nullptr || !item->Enabled || item->Command->Handler == nullptr) return;
  RunCommand([&] { (this->*item->Command->Handler)(); });
}

}  // namespace viewer
