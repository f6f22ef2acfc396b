// The context menu: captions from the language table with their shortcut
// texts, the states set as it opens, and the handler behind each item.
#include "settings/lang.h"
#include "viewer/main.h"

namespace viewer {

TMenuItem* TMainMenu::ByTag(int tag) {
  if (tag == 0) return nullptr;
  for (TMenuItem* item : Items())
    if (item->Tag == tag) return item;
  return nullptr;
}

std::u16string_view MenuShortcutText(int tag) {
  switch (tag) {
    case 101: return u"Ctrl+C";
    case 102: return u"Ctrl+D";
    case 103: return u"Ctrl+Alt+C";
    case 104: return u"F7";
    case 105: return u"F4";
    case 106: return u"F2";
    case 107: return u"Shift+Ctrl+";
    case 108: return u"Shift+Ctrl-";
    case 109: return u"A";
    case 110: return u"H";
    case 111: return u"Ctrl+V";
    case 112: return u"F5";
    case 113: return u"Ctrl+S";
    default: return {};
  }
}

void TMainForm::SetMainMenuCaptions() {
  for (TMenuItem* item : MainMenu.Items()) {
    if (item->IsSeparator()) continue;
    item->Caption = settings::GetLangTextById(item->Tag);
    std::u16string_view shortcut = MenuShortcutText(item->Tag);
    if (!shortcut.empty()) (item->Caption += u'\t') += shortcut;
  }
}

void TMainForm::MainMenuPopup() {
  TNodeId focused = TreeVT.FocusedNode();
  bool rowFocused = focused != NoNode;
  for (TMenuItem* item : {&MainMenu.mnCopyVal, &MainMenu.mnCopyName, &MainMenu.mnCopyHex})
    item->Enabled = rowFocused;
  bool expandable = rowFocused && TreeVT.HasChildren(focused);
  MainMenu.mnExpand.Enabled = expandable;
  MainMenu.mnCollapse.Enabled = expandable;
  MainMenu.mnShowAttributes.Checked = Settings.ShowAttributes;
  MainMenu.mnShowHex.Checked = HexPanelVisible;
}

void TMainForm::MainMenuClick(int tag) {
  TMenuItem* item = MainMenu.ByTag(tag);
  if (item == nullptr || !item->Enabled) return;
  RunCommand([&] {
    switch (tag) {
      case 101: CopyValue(); break;
      case 102: CopyRow(); break;
      case 103: CopyBytes(); break;
      case 105: ExpandNode(); break;
      case 106: CollapseNode(); break;
      case 107: ExpandTree(); break;
      case 108: CollapseTree(); break;
      case 109: ToggleAttributes(); break;
      case 110: ToggleHexPanel(); break;
      case 111: LoadFromClipboard(); break;
      case 112: Reload(); break;
      case 113: SaveToXML(); break;
      case 114: ShowSettings(); break;
      case 115: ShowAbout(); break;
      default: break;  // Search only shows its key
    }
  });
}

}  // namespace viewer
