// A viewer window over the fake platform, set up as the window does it:
// settings applied, the input decoded, the trees filled, the panes sized.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_platform.h"
#include "settings/text.h"
#include "viewer_test_util.h"

namespace viewer::test {

class ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override { Probe(Form).ApplySettings(); }

  // The first screen of bytes, with the idle work (the DER checks) still to do.
  void Load(std::vector<std::uint8_t> bytes) {
    Probe(Form).RunCaptured([&] { Probe(Form).ParseASN(Shared(std::move(bytes))); });
    Probe(Form).FillTrees();
    Probe(Form).TreeVT().SetClientSize(400, 320);
    Probe(Form).Hex1VT().SetClientSize(250, 180);
    Probe(Form).Hex2VT().SetClientSize(120, 180);
  }
  // The window once idle after it.
  void Show(std::vector<std::uint8_t> bytes) {
    Load(std::move(bytes));
    Probe(Form).RunIdleWork();
  }
  void ShowHex(std::string_view hex) { Show(HexBytes(hex)); }
  void ShowSample(const char* name) {
    std::string data = ReadAll(SamplesDir() / name);
    ASSERT_FALSE(data.empty()) << name;
    Show(std::vector<std::uint8_t>(data.begin(), data.end()));
  }

  // The k-th shown row of the structure tree, from 0.
  TNodeId Row(int k) {
    TNodeId node = Probe(Form).TreeVT().GetFirstVisible();
    for (int i = 0; i < k && node != NoNode; ++i) node = Probe(Form).TreeVT().GetNextVisible(node);
    return node;
  }
  // The first row, in document order, whose caption run reads caption.
  TNodeId RowNamed(const std::string& caption) {
    for (TNodeId n = Probe(Form).TreeVT().GetFirst(); n != NoNode; n = Probe(Form).TreeVT().GetNext(n))
      if (Caption(n) == caption) return n;
    return NoNode;
  }
  std::string Caption(TNodeId node) { return Text(node, TTextType::ttNormal); }
  std::string Value(TNodeId node) { return Text(node, TTextType::ttStatic); }
  std::string Text(TNodeId node, TTextType type) {
    return settings::Utf16ToUtf8(Probe(Form).TreeVTGetText(Probe(Form).TreeVT(), node, -1, type));
  }
  void Focus(TNodeId node) { Probe(Form).TreeVT().SetFocusedNode(node); }
  std::string Panel(const std::vector<TStatusPanel>& bar, int i) { return settings::Utf16ToUtf8(bar[i].Text); }

  platform::fake::TFakePlatform Fake;
  TMainForm Form{Fake.Platform};
};

}  // namespace viewer::test
