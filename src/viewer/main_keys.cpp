// Keys: the window previews each one, then the focused control gets it. The
// bindings come from the command table; what no binding takes, a tree or grid
// may use for its own navigation.
#include <optional>

#include "viewer/command_table.h"
#include "viewer/main.h"

namespace viewer {

namespace {

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

const TKeyBinding* FindBinding(const TKeyEvent& key, TKeyScope scope, const TCommand** command) {
  for (const TCommand& row : CommandTable())
    for (const TKeyBinding& binding : row.Keys)
      if (binding.Matches(key, scope)) {
        *command = &row;
        return &binding;
      }
  return nullptr;
}

TKeyScope ScopeOf(TFocusedControl control) {
  switch (control) {
    case TFocusedControl::fcTree: return TKeyScope::ksTree;
    case TFocusedControl::fcHex1:
    case TFocusedControl::fcHex2: return TKeyScope::ksHex;
  }
  return TKeyScope::ksTree;
}

}  // namespace

bool TMainForm::DispatchKey(const TKeyEvent& key, TKeyScope scope) {
  const TCommand* command = nullptr;
  const TKeyBinding* binding = FindBinding(key, scope, &command);
  if (binding == nullptr) return false;
  if (binding->Flow == TKeyFlow::kfPassToHost) {
    // Passed on, not consumed.
    FPlatform.Host.PostKeyToParent(key);
    return false;
  }
  // The key is taken even when its command fails: the failure has been reported.
  if (command->Handler != nullptr) RunCommand([&] { (this->*command->Handler)(); });
  return true;
}

bool TMainForm::KeyDown(const TKeyEvent& key) {
  bool taken = false;
  RunCommand([&] { taken = FormKeyDown(key); });
  // The focused control receives the key as well, as key preview does it.
  bool controlTook = false;
  RunCommand([&] {
    switch (FActiveControl) {
      case TFocusedControl::fcTree: controlTook = TreeVTKeyDown(key); break;
      case TFocusedControl::fcHex1: controlTook = HexVTKeyDown(FHex1VT, key); break;
      case TFocusedControl::fcHex2: controlTook = HexVTKeyDown(FHex2VT, key); break;
    }
  });
  return taken || controlTook;
}

bool TMainForm::FormKeyDown(const TKeyEvent& key) { return DispatchKey(key, TKeyScope::ksWindow); }

bool TMainForm::TreeVTKeyDown(const TKeyEvent& key) {
  return DispatchKey(key, TKeyScope::ksTree) || Navigate(FTreeVT, key);
}

bool TMainForm::HexVTKeyDown(VirtualTree& sender, const TKeyEvent& key) {
  return DispatchKey(key, TKeyScope::ksHex) || Navigate(sender, key);
}

bool TMainForm::HandlesKey(const TKeyEvent& key) const {
  const TCommand* command = nullptr;
  for (TKeyScope scope : {TKeyScope::ksWindow, ScopeOf(FActiveControl)}) {
    const TKeyBinding* binding = FindBinding(key, scope, &command);
    if (binding != nullptr) return binding->Flow == TKeyFlow::kfHandle;
  }
  return NavigationKey(key.Key).has_value();
}

void TMainForm::FocusHexGrid() {
  // With the hex panel hidden there is nowhere to go; the key is dropped.
  if (FHexPanelVisible) SetActiveControl(TFocusedControl::fcHex1);
}

void TMainForm::FocusStructureTree() { SetActiveControl(TFocusedControl::fcTree); }

}  // namespace viewer
