// The command table itself, and how a key event meets a binding.
#include "viewer/command_table.h"

#include <algorithm>
#include <array>

#include "viewer/main.h"

namespace viewer {

namespace {

using enum TKeyMods;
using TF = TMainForm;

constexpr TKeyBinding Window(std::uint16_t key, TKeyMods mods = kmNone) { return {key, mods, TKeyScope::ksWindow}; }
constexpr TKeyBinding Tree(std::uint16_t key, TKeyMods mods = kmNone) { return {key, mods, TKeyScope::ksTree}; }
constexpr TKeyBinding Hex(std::uint16_t key, TKeyMods mods = kmNone) { return {key, mods, TKeyScope::ksHex}; }
// Posted to the Lister window, which handles it; the viewer does not take it.
constexpr TKeyBinding Host(std::uint16_t key, TKeyMods mods = kmAny) {
  return {key, mods, TKeyScope::ksWindow, TKeyFlow::kfPassToHost};
}

constexpr TKeyMods ShiftCtrl = kmShift | kmCtrl;

}  // namespace

TKeyMods ModsOf(const platform::TKeyEvent& key) {
  return (key.Shift ? kmShift : kmNone) | (key.Ctrl ? kmCtrl : kmNone) | (key.Alt ? kmAlt : kmNone);
}

bool TKeyBinding::Matches(const platform::TKeyEvent& key, TKeyScope scope) const {
  return Scope == scope && Key == key.Key && (Mods == kmAny || Mods == ModsOf(key));
}

// The table in its two parts; a friend of TMainForm, so that they may name its private handlers.
struct TCommandTable {
  using enum TEnabledRule;
  using enum TCheckedRule;
  // Menu items top to bottom. Expand tree and Collapse tree are the tree control's
  // own Shift+Ctrl+keypad keys; binding them here makes them reach the same
  // handler as the menu items.
  static constexpr TCommand MenuItems[] = {
      {"mnCopyVal", 101, false, u"Ctrl+C", {Tree('C', kmCtrl)}, erRowFocused, crNever, &TF::CopyValue,
       "copy the value of the focused row"},
      {"mnCopyName", 102, false, u"Ctrl+D", {Tree('D', kmCtrl)}, erRowFocused, crNever, &TF::CopyRow,
       "copy the focused row, name and value"},
      {"mnCopyHex", 103, false, u"Ctrl+Alt+C", {Tree('C', kmCtrl | kmAlt)}, erRowFocused, crNever, &TF::CopyBytes,
       "copy the element's bytes as hexadecimal"},
      {"mnCopyPath", 116, false, u"Shift+Ctrl+C", {Tree('C', ShiftCtrl)}, erRowFocused, crNever, &TF::CopyPath,
       "copy the element's path (Certificate.tbsCertificate.serialNumber)"},
      {"mnCopyBase64", 119, false, u"Ctrl+Alt+B", {Tree('B', kmCtrl | kmAlt)}, erRowFocused, crNever,
       &TF::CopyAsBase64, "copy the element's encoding as Base64"},
      {"mnCopyPem", 120, false, u"Ctrl+Alt+K", {Tree('K', kmCtrl | kmAlt)}, erRowFocused, crNever, &TF::CopyAsPem,
       "copy the element's encoding as PEM"},
      {"mnCopyCArray", 121, false, u"Ctrl+Alt+A", {Tree('A', kmCtrl | kmAlt)}, erRowFocused, crNever,
       &TF::CopyAsCArray, "copy the element's encoding as a C array"},
      {"mnElementInfo", 122, false, u"Ctrl+Alt+I", {Tree('I', kmCtrl | kmAlt)}, erRowFocused, crNever,
       &TF::ShowElementInfo, "show the element's place, lengths, path and digests"},
      {"mnSaveElementAs", 124, false, u"Shift+Ctrl+S", {Tree('S', ShiftCtrl)}, erRowFocused, crNever,
       &TF::SaveElementAs, "save the element's encoding to a file, DER or PEM"},
      // Keys no host binds; Backspace goes back in the viewer wherever the focus is.
      {"mnOpenElement", 128, false, u"Ctrl+Enter", {Window(vk::Return, kmCtrl)}, erRowFocused, crNever,
       &TF::OpenElement, "open the element, or what its OCTET or BIT STRING holds, as a document"},
      {"mnBack", 129, false, u"Backspace", {Window(vk::Back)}, erOpened, crNever, &TF::GoBack,
       "back to the document the element was opened from"},
      // The host searches; its results come back through ListSearchTextW.
      {"mnSearch", 104, false, u"F7", {Host(vk::F7)}, erAlways, crNever, nullptr,
       "find a text: the host asks for it, the viewer finds it"},
      {"mnExpand", 105, false, u"F4", {Tree(vk::F4)}, erFocusedHasChildren, crNever, &TF::ExpandNode,
       "expand the focused element and everything below it"},
      {"mnCollapse", 106, false, u"F2", {Tree(vk::F2)}, erFocusedHasChildren, crNever, &TF::CollapseNode,
       "collapse the focused element and everything below it"},
      {"mnExpandTree", 107, false, u"Shift+Ctrl+", {Tree(vk::Add, ShiftCtrl)}, erAlways, crNever, &TF::ExpandTree,
       "expand the whole tree"},
      {"mnCollapseTree", 108, false, u"Shift+Ctrl-", {Tree(vk::Subtract, ShiftCtrl)}, erAlways, crNever,
       &TF::CollapseTree, "collapse the whole tree"},
      {"mnShowAttributes", 109, true, u"A", {Window('A')}, erAlways, crShowAttributes, &TF::ToggleAttributes,
       "show or hide the attribute rows (offset, lengths, unused bits)"},
      {"mnShowHex", 110, false, u"H", {Window('H')}, erAlways, crHexPanelVisible, &TF::ToggleHexPanel,
       "show or hide the hex panel"},
      // A key neither Lister nor the other hosts' viewers bind.
      {"mnFieldNames", 117, false, u"Shift+Ctrl+L", {Window('L', ShiftCtrl)}, erAlways, crFieldNames,
       &TF::ToggleFieldNames, "show or hide the field names (tbsCertificate, serialNumber ...)"},
      {"mnNextProblem", 118, false, u"F8", {Window(vk::F8)}, erAlways, crNever, &TF::NextProblem,
       "go to the next element that breaks a DER rule"},
      // Keys no host binds.
      {"mnCompareWith", 130, true, u"Shift+Ctrl+D", {Window('D', ShiftCtrl)}, erAlways, crNever, &TF::CompareWith,
       "compare the document with another file, element by element"},
      {"mnNextDifference", 131, false, u"F9", {Window(vk::F9)}, erComparing, crNever, &TF::NextDifference,
       "go to the next element that differs from the other file"},
      {"mnPreviousDifference", 132, false, u"Shift+F9", {Window(vk::F9, kmShift)}, erComparing, crNever,
       &TF::PreviousDifference, "go to the previous element that differs from the other file"},
      {"mnStopComparing", 133, false, u"", {}, erComparing, crNever, &TF::StopComparing,
       "end the comparison: the marks and the other file's rows go"},
      {"mnGoToOffset", 123, false, u"Ctrl+G", {Window('G', kmCtrl)}, erAlways, crNever, &TF::GoToOffset,
       "go to the element at a byte offset"},
      {"mnLoadFromClipboard", 111, true, u"Ctrl+V", {Window('V', kmCtrl)}, erAlways, crNever, &TF::LoadFromClipboard,
       "show the hexadecimal or Base64 text on the clipboard"},
      {"mnReload", 112, false, u"F5", {Window(vk::F5)}, erAlways, crNever, &TF::Reload, "read the file again"},
      {"mnSaveToXML", 113, false, u"Ctrl+S", {Window('S', kmCtrl)}, erAlways, crNever, &TF::SaveToXML,
       "save the tree as XML"},
      {"mnSettings", 114, true, u"", {}, erAlways, crNever, &TF::ShowSettings, ""},
      {"mnAbout", 115, false, u"", {}, erAlways, crNever, &TF::ShowAbout, ""},
  };
  // Keys without a menu item.
  static constexpr TCommand KeysOnly[] = {
      {"", 0, false, u"", {Window('I', kmCtrl)}, erAlways, crNever, &TF::ToggleIcons, "show or hide the icons"},
      {"", 0, false, u"", {Tree(vk::Tab)}, erAlways, crNever, &TF::FocusHexGrid, "move to the hex panel"},
      {"", 0, false, u"", {Hex(vk::Tab)}, erAlways, crNever, &TF::FocusStructureTree,
       "move back to the structure tree"},
      {"", 0, false, u"", {Hex(vk::Return)}, erAlways, crNever, &TF::HexVTEnter,
       "go to the element that holds the byte under the cursor"},
      {"", 0, false, u"",
       {Host('1'), Host('2'), Host('3'), Host('4'), Host('5'), Host('6'), Host('7'), Host('8'), Host('F'), Host('N'),
        Host('P'), Host(vk::F3), Host(vk::Escape, kmNone)},
       erAlways, crNever, nullptr, "the host's own: view modes, find, next and previous file, find again, close"},
  };
};

namespace {

template <std::size_t A, std::size_t B>
constexpr std::array<TCommand, A + B> Joined(const TCommand (&a)[A], const TCommand (&b)[B]) {
  std::array<TCommand, A + B> all{};
  std::copy(a, a + A, all.begin());
  std::copy(b, b + B, all.begin() + A);
  return all;
}

}  // namespace

std::span<const TCommand> CommandTable() {
  static constexpr std::array Commands = Joined(TCommandTable::MenuItems, TCommandTable::KeysOnly);
  return Commands;
}

}  // namespace viewer
