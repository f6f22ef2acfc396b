// Keys: the window previews each one, then the focused control gets it. Some
// keys belong to the host and are posted to the Lister window as they come.
#include <optional>

#include "viewer/main.h"

namespace viewer {

namespace {

bool NoModifier(const TKeyEvent& key) { return !key.Shift && !key.Ctrl && !key.Alt; }
bool CtrlOnly(const TKeyEvent& key) { return key.Ctrl && !key.Shift && !key.Alt; }

// Keys the host handles, whatever modifiers are held.
bool IsHostKey(std::uint16_t code) {
  if (code >= vk::Char('1') && code <= vk::Char('8')) return true;
  switch (code) {
    case vk::Char('F'):
    case vk::Char('N'):
    case vk::Char('P'):
    case vk::F3:
    case vk::F7:
      return true;
    default:
      return false;
  }
}

// The navigation a tree or grid control does by itself.
std::optional<TTreeKey> NavigationKey(std::uint16_t code) {
  switch (code) {
    case vk::Up: return TTreeKey::tkUp;
    case vk::Down: return TTreeKey::tkDown;
    case vk::Left: return TTreeKey::tkLeft;
    case vk::Right: return TTreeKey::tkRight;
    case vk::Home: return TTreeKey::tkHome;
    case vk::End: return TTreeKey::tkEnd;
    case vk::PageUp: return TTreeKey::tkPageUp;
    case vk::PageDown: return TTreeKey::tkPageDown;
    case vk::Add: return TTreeKey::tkPlus;
    case vk::Subtract: return TTreeKey::tkMinus;
    default: return std::nullopt;
  }
}

bool Navigate(VirtualTree& tree, const TKeyEvent& key) {
  std::optional<TTreeKey> navigation = NavigationKey(key.Key);
  return navigation && tree.KeyDown(*navigation, key.Shift, key.Ctrl);
}

}  // namespace

bool TMainForm::KeyDown(const TKeyEvent& key) {
  bool taken = false;
  RunCommand([&] { taken = FormKeyDown(key); });
  // The focused control receives the key as well, as key preview does it.
  bool controlTook = false;
  RunCommand([&] {
    switch (ActiveControl) {
      case TFocusedControl::fcTree: controlTook = TreeVTKeyDown(key); break;
      case TFocusedControl::fcHex1: controlTook = HexVTKeyDown(Hex1VT, key); break;
      case TFocusedControl::fcHex2: controlTook = HexVTKeyDown(Hex2VT, key); break;
    }
  });
  return taken || controlTook;
}

bool TMainForm::FormKeyDown(const TKeyEvent& key) {
  if (IsHostKey(key.Key) || (key.Key == vk::Escape && NoModifier(key))) {
    // Passed on, not consumed.
    Platform.Host.PostKeyToParent(key.Key);
    return false;
  }
  if (NoModifier(key)) {
    switch (key.Key) {
      case vk::Char('H'): ToggleHexPanel(); return true;
      case vk::Char('A'): ToggleAttributes(); return true;
      case vk::F5: Reload(); return true;
      default: return false;
    }
  }
  if (CtrlOnly(key)) {
    switch (key.Key) {
      case vk::Char('V'): LoadFromClipboard(); return true;
      case vk::Char('S'): SaveToXML(); return true;
      case vk::Char('I'): ToggleIcons(); return true;
      default: return false;
    }
  }
  return false;
}

bool TMainForm::TreeVTKeyDown(const TKeyEvent& key) {
  if (key.Key == vk::Char('C') && key.Ctrl && !key.Shift) {
    if (key.Alt)
      CopyBytes();
    else
      CopyValue();
    return true;
  }
  if (key.Key == vk::Char('D') && CtrlOnly(key)) {
    CopyRow();
    return true;
  }
  if (NoModifier(key)) {
    switch (key.Key) {
      case vk::F4: ExpandNode(); return true;
      case vk::F2: CollapseNode(); return true;
      case vk::Tab:
        // With the hex panel hidden there is nowhere to go; the key is dropped.
        if (HexPanelVisible) SetActiveControl(TFocusedControl::fcHex1);
        return true;
      default: break;
    }
  }
  return Navigate(TreeVT, key);
}

bool TMainForm::HexVTKeyDown(VirtualTree& sender, const TKeyEvent& key) {
  if (NoModifier(key)) {
    switch (key.Key) {
      case vk::Tab:
        SetActiveControl(TFocusedControl::fcTree);
        return true;
      case vk::Return:
        HexVTEnter();
        return true;
      default: break;
    }
  }
  return Navigate(sender, key);
}

}  // namespace viewer
