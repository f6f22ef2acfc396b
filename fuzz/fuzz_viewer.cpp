// Fuzzes one viewer window over the fake platform: the input's first part is
// the file, the rest a sequence of user actions (keys, clicks, double-clicks,
// the wheel, scroll bars, resizing, menu commands, Find, settings). After each
// action every view is painted into a recording canvas and the invariants are
// checked: the focused row exists, the highlight lies inside the bytes, no
// paint touches anything outside its update rectangle, and every change event
// names a real view.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/fake/recording_canvas.h"
#include "../tests/viewer/main_form_probe.h"
#include "viewer/main.h"

namespace {

using viewer::TView;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Reads the action bytes; zeros past the end.
class TReader {
 public:
  TReader(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
  bool AtEnd() const { return FPos >= FSize; }
  std::uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
  int Word() { return Byte() | (Byte() << 8); }
  std::int32_t Long() { return static_cast<std::int32_t>(Word() | (static_cast<std::uint32_t>(Word()) << 16)); }

 private:
  const std::uint8_t* FData;
  std::size_t FSize;
  std::size_t FPos = 0;
};

bool ValidView(TView view) { return static_cast<int>(view) <= static_cast<int>(TView::vwHexStatus); }

class TCheckingEvents : public viewer::IViewEvents {
 public:
  void InvalidateView(TView view, const viewer::TRect* rect) override {
    Require(ValidView(view));
    if (rect != nullptr) Require(!rect->IsEmpty());
  }
  void ScrollChanged(TView view) override { Require(view == TView::vwTree || view == TView::vwHex1 || view == TView::vwHex2); }
  void ActiveViewChanged(TView view) override { Require(view == TView::vwTree || view == TView::vwHex1 || view == TView::vwHex2); }
  void LayoutChanged() override {}
  void StatusChanged(TView bar) override { Require(bar == TView::vwMainStatus || bar == TView::vwHexStatus); }
  void PopupMenu(TView view, int, int) override { Require(view == TView::vwTree); }
  void IdleWorkQueued() override {}
};

constexpr std::uint16_t Keys[] = {
    viewer::vk::Tab,  viewer::vk::Return, viewer::vk::Escape, viewer::vk::PageUp,   viewer::vk::PageDown,
    viewer::vk::End,  viewer::vk::Home,   viewer::vk::Left,   viewer::vk::Up,       viewer::vk::Right,
    viewer::vk::Down, viewer::vk::Add,    viewer::vk::Subtract, viewer::vk::F2,     viewer::vk::F3,
    viewer::vk::F4,   viewer::vk::F5,     viewer::vk::F7,     viewer::vk::Char('A'), viewer::vk::Char('H'),
    viewer::vk::Char('C'), viewer::vk::Char('D'), viewer::vk::Char('I'), viewer::vk::Char('V'),
    viewer::vk::Char('S'), viewer::vk::Char('3'), viewer::vk::Char('N'),
};

constexpr TView Views[] = {TView::vwTree, TView::vwHex1, TView::vwHex2, TView::vwMainStatus, TView::vwHexStatus};

viewer::TRect ViewRect(const viewer::TWindowLayout& layout, TView view) {
  switch (view) {
    case TView::vwTree: return layout.Tree;
    case TView::vwHex1: return layout.Hex1;
    case TView::vwHex2: return layout.Hex2;
    case TView::vwMainStatus: return layout.MainStatus;
    case TView::vwHexStatus: return layout.HexStatus;
  }
  return {};
}

void CheckState(viewer::TMainForm& form) {
  viewer::TNodeId focused = Probe(form).TreeVT().FocusedNode();
  Require(focused == viewer::NoNode || Probe(form).TreeVT().Exists(focused));
  const viewer::THexSelection& sel = Probe(form).HexSel();
  auto size = static_cast<std::int64_t>(Probe(form).Bytes()->size());
  Require(sel == viewer::THexSelection{} || (sel.First >= 0 && sel.First <= sel.Last && sel.Last < size));
  for (TView view : {TView::vwTree, TView::vwHex1, TView::vwHex2}) {
    viewer::TScrollInfo info = Probe(form).ScrollInfo(view);
    Require(info.Position >= 0 && info.Position <= std::max<std::int64_t>(0, info.Max - info.Page));
  }
}

void PaintAll(viewer::TMainForm& form, TReader& in) {
  platform::fake::TRecordingCanvas canvas;
  for (TView view : Views) {
    viewer::TRect placed = ViewRect(Probe(form).Layout(), view);
    viewer::TRect whole{0, 0, placed.Width(), placed.Height()};
    // The whole view, then a part picked by the input, partly outside it perhaps.
    int left = in.Byte() * 4 - 40, top = in.Byte() * 4 - 40;
    viewer::TRect part{left, top, left + in.Byte() * 3, top + in.Byte() * 3};
    for (const viewer::TRect& update : {whole, part}) {
      canvas.Clear();
      Probe(form).Paint(view, canvas, update);
      Require(canvas.ClipDepth() == 0);
      Require(canvas.FirstOutside(update) == nullptr);
      Require(canvas.FirstMissing(update) == nullptr);
    }
  }
}

void Act(viewer::TMainForm& form, platform::fake::TFakePlatform& fake, TReader& in) {
  std::uint8_t op = in.Byte() % 10;
  TView view = Views[in.Byte() % 5];
  viewer::TRect placed = ViewRect(Probe(form).Layout(), view);
  auto coordinate = [&](int extent) { return static_cast<int>(in.Word() % (extent + 40)) - 20; };
  switch (op) {
    case 0: {
      std::uint8_t key = in.Byte();
      std::uint8_t mods = in.Byte();
      Probe(form).KeyDown({Keys[key % std::size(Keys)], (mods & 1) != 0, (mods & 2) != 0, (mods & 4) != 0});
      break;
    }
    case 1:
    case 2: {
      viewer::TMouseEvent event;
      event.X = coordinate(placed.Width());
      event.Y = coordinate(placed.Height());
      event.Button = static_cast<viewer::TMouseButton>(in.Byte() % 3);
      if (op == 1)
        Probe(form).MouseDown(view, event);
      else
        Probe(form).MouseDoubleClick(view, event);
      Probe(form).MouseUp(view, event);
      break;
    }
    case 3: Probe(form).MouseWheel(view, static_cast<std::int8_t>(in.Byte()) * 20, false, false); break;
    case 4: Probe(form).ScrollTo(view, in.Long()); break;
    case 5: Probe(form).Resize(in.Word() % 2000, in.Word() % 1200); break;
    case 6: {
      int tag = 101 + in.Byte() % 15;
      Probe(form).MainMenuPopup();
      Probe(form).MainMenuClick(tag);
      break;
    }
    case 7: {
      std::u16string text;
      for (int n = in.Byte() % 6; n > 0; --n) text.push_back(static_cast<char16_t>(u" 0123456789ABCDEFSQUENTIGabcdeOf:"[in.Byte() % 33]));
      form.Find(text, (in.Byte() & 1) != 0);
      break;
    }
    case 8: {
      std::uint8_t which = in.Byte();
      if (which & 1) Probe(form).Settings().FontSize = 5 + which / 2 % 12;
      if (which & 2) Probe(form).Settings().Hex.FontSize = 5 + which / 4 % 12;
      if (which & 4) Probe(form).Settings().Hex.StringSize = (which & 8) ? 16 : 8;
      if (which & 16) Probe(form).Settings().Indent = which / 32 * 6;
      Probe(form).ApplySettings();
      break;
    }
    case 9: fake.Clipboard.Text = (in.Byte() & 1) ? u"30 03 02 01 05" : u"MAMCAQU="; break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One file per process, removed when the process ends.
  static const struct TInputFile {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("bramlet-fuzz-viewer-" + std::to_string(::getpid()) + ".bin");
    ~TInputFile() {
      std::error_code ignored;
      std::filesystem::remove(Path, ignored);
    }
  } input;
  const std::filesystem::path& file = input.Path;
  if (size < 2) return 0;
  std::size_t fileSize = std::min<std::size_t>(size - 2, (data[0] | (data[1] << 8)) % 4096);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 2), static_cast<std::streamsize>(fileSize));
  }
  platform::fake::TFakePlatform fake;
  TCheckingEvents events;
  viewer::TMainForm form(fake.Platform, file.u16string());
  Probe(form).SetEvents(&events);
  Probe(form).ApplySettings();
  Probe(form).Resize(800, 500);
  try {
    Probe(form).LoadFile();
  } catch (const std::exception&) {
    return 0;
  }
  Probe(form).FillTrees();
  TReader in(data + 2 + fileSize, size - 2 - fileSize);
  PaintAll(form, in);
  // What a front-end does once the screen is painted: the DER checks.
  if (Probe(form).HasIdleWork()) Probe(form).RunIdleWork();
  for (int steps = 0; !in.AtEnd() && steps < 64; ++steps) {
    Act(form, fake, in);
    CheckState(form);
    PaintAll(form, in);
    if (Probe(form).HasIdleWork()) Probe(form).RunIdleWork();
  }
  return 0;
}
