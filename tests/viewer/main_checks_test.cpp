// The DER checks in the viewer: problem rows and their highlight, the row
// mark, the status panel, Next problem, and nothing of it with the checks off.
#include <functional>
#include <string>
#include <vector>

#include "views_test_util.h"

namespace viewer::test {
namespace {

// SEQUENCE { INTEGER 00 05 (a redundant 00), BOOLEAN 01 (not FF) }.
constexpr std::string_view TwoFaults = "30 07 02 02 00 05 01 01 01";

class ChecksTest : public ViewsTest {
 protected:
  std::vector<std::string> ShownCaptions() {
    std::vector<std::string> rows;
    for (TNodeId n = Probe(Form).TreeVT().GetFirstVisible(); n != NoNode; n = Probe(Form).TreeVT().GetNextVisible(n))
      rows.push_back(Caption(n) + Value(n));
    return rows;
  }
  TColor CaptionColor(TNodeId node) { return Probe(Form).TreeVTPaintText(Probe(Form).TreeVT(), node, -1, TTextType::ttNormal).Color; }
};

TEST_F(ChecksTest, ProblemRowSaysWhatIsWrongAndHighlightsTheOctets) {
  ShowHex(TwoFaults);
  const std::vector<std::string> expected = {
      "SEQUENCE", "Offset:0", "Header length:2", "Length:7",
      "INTEGER5", "Offset:2", "Header length:2", "Length:2", "DER:INTEGER with a redundant leading 00 octet",
      "BOOLEANTrue", "Offset:6", "Header length:2", "Length:1", "DER:BOOLEAN TRUE written as 01, not FF",
  };
  EXPECT_EQ(ShownCaptions(), expected);

  const TNodeId problem = RowNamed("DER:");
  ASSERT_NE(problem, NoNode);
  Focus(problem);
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{4, 4}));
  EXPECT_EQ(Probe(Form).TreeVTGetImageIndex(Probe(Form).TreeVT(), problem, TImageKind::ikNormal, -1), TIcon::icError);

  // The element at fault carries the DER colour; the sound SEQUENCE keeps its own.
  EXPECT_EQ(CaptionColor(RowNamed("INTEGER")), Probe(Form).Settings().DerColor);
  EXPECT_EQ(CaptionColor(RowNamed("SEQUENCE")), Probe(Form).Settings().ConstructedColor);

  // Hidden with the attribute rows, and the focus leaves with them.
  Probe(Form).ToggleAttributes();
  EXPECT_EQ(ShownCaptions(), (std::vector<std::string>{"SEQUENCE", "INTEGER5", "BOOLEANTrue"}));
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Name(), u"INTEGER");
}

// A certificate whose version is v1 written out, the DEFAULT: a finding only
// while field names say which field the element is.
// Counts the idle work the viewer queues; the other events are not looked at here.
struct TIdleLog : IViewEvents {
  int Queued = 0;
  void InvalidateView(TView, const TRect*) override {}
  void ScrollChanged(TView) override {}
  void ActiveViewChanged(TView) override {}
  void LayoutChanged() override {}
  void StatusChanged(TView) override {}
  void PopupMenu(TView, int, int) override {}
  void IdleWorkQueued() override { ++Queued; }
};

// The checks wait for the idle step on every way to a new document: the first
// screen has no verdict and no problem rows, the findings are right whenever
// asked for, and the idle step shows them as the tree stood.
TEST_F(ChecksTest, ChecksAreIdleWorkAfterEachLoad) {
  TIdleLog log;
  Form.Controller().Attach(&log, nullptr);
  const std::string twoDocuments = std::string(TwoFaults) + " 05 00";
  struct {
    const char* Way;
    std::function<void()> Load;
    std::string Verdict;
  } ways[] = {
      // Two elements in a file: the second is a finding of its own.
      {"decoded", [&] { Load(HexBytes(twoDocuments)); }, "3 DER problems"},
      {"opened element",
       [&] {
         Focus(RowNamed("SEQUENCE"));
         Probe(Form).OpenElement();
       },
       "2 DER problems"},
      {"back", [&] { Probe(Form).GoBack(); }, "3 DER problems"},
      {"clipboard", [&] { Fake.Clipboard.Text = u"30 80 02 01 05 00 00"; Probe(Form).LoadFromClipboard(); },
       "BER (1 indefinite length)"},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.Way);
    const int queued = log.Queued;
    way.Load();
    EXPECT_EQ(log.Queued, queued + 1);
    EXPECT_TRUE(Probe(Form).HasIdleWork());
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 5), "");
    EXPECT_EQ(RowNamed("DER:"), NoNode);
    // The focus in a block the problem rows rebuild: the BOOLEAN's attribute row.
    for (TNodeId n = Probe(Form).TreeVT().GetFirst(); n != NoNode; n = Probe(Form).TreeVT().GetNext(n))
      if (Caption(n) + Value(n) == "Offset:6") Focus(n);
    const std::string focused = Caption(Probe(Form).TreeVT().FocusedNode()) + Value(Probe(Form).TreeVT().FocusedNode());
    Form.Controller().RunIdleWork();
    EXPECT_FALSE(Probe(Form).HasIdleWork());
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 5), way.Verdict);
    EXPECT_EQ(Caption(Probe(Form).TreeVT().FocusedNode()) + Value(Probe(Form).TreeVT().FocusedNode()), focused);
  }
  // What needs the findings before the idle step runs the checks itself:
  // the findings themselves and Next problem.
  Load(HexBytes(TwoFaults));
  std::vector<std::string> found;
  for (const asn::TDerFinding& f : Form.DerFindings())
    found.push_back(std::string(asn::DerRuleId(f.Rule())) + "@" + std::to_string(f.Offset));
  EXPECT_EQ(found, (std::vector<std::string>{"integer-not-minimal@4", "boolean-not-canonical@8"}));
  EXPECT_FALSE(Probe(Form).HasIdleWork());
  EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 5), "2 DER problems");
  Load(HexBytes(TwoFaults));
  Focus(RowNamed("SEQUENCE"));
  Form.NextProblem();
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Name(), u"INTEGER");
  EXPECT_NE(RowNamed("DER:"), NoNode);
  // Checks off: nothing to wait for. A viewer attached with work left hears of it at once.
  Probe(Form).Settings().DerChecks = false;
  Load(HexBytes(TwoFaults));
  EXPECT_FALSE(Probe(Form).HasIdleWork());
  Probe(Form).Settings().DerChecks = true;
  Load(HexBytes(TwoFaults));
  Form.Controller().Detach(&log, nullptr);
  TIdleLog late;
  Form.Controller().Attach(&late, nullptr);
  EXPECT_EQ(late.Queued, 1);
  Form.Controller().Detach(&late, nullptr);
}

// The checks go by the elements' types whether or not their names are shown.
TEST_F(ChecksTest, SchemaRulesHoldWithTheFieldNamesOff) {
  std::string data = ReadAll(SamplesDir() / "cert.der");
  ASSERT_EQ(data.substr(8, 5), std::string("\xA0\x03\x02\x01\x02", 5));
  data[12] = 0;
  for (const bool names : {true, false}) {
    SCOPED_TRACE(names ? "names on" : "names off");
    Probe(Form).Settings().FieldNames = names;
    Show(std::vector<std::uint8_t>(data.begin(), data.end()));
    std::vector<std::string> found;
    for (const asn::TDerFinding& f : Form.DerFindings())
      found.push_back(std::string(asn::DerRuleId(f.Rule())) + "@" + std::to_string(f.Offset));
    EXPECT_EQ(found, std::vector<std::string>{"default-encoded@8"});
  }
}

TEST_F(ChecksTest, StatusPanelNamesTheEncoding) {
  struct {
    std::string_view Hex;
    bool Checks;
    std::string Status;
  } cases[] = {
      {"30 03 02 01 05", true, "DER"},
      {"30 80 02 01 05 00 00", true, "BER (1 indefinite length)"},
      {"30 80 30 80 00 00 00 00", true, "BER (2 indefinite lengths)"},
      {TwoFaults, true, "2 DER problems"},
      {"30 81 03 02 01 05", true, "1 DER problem"},
      {TwoFaults, false, ""},
      {"30 05 02 01", true, "Not BER"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Hex));
    Probe(Form).Settings().DerChecks = c.Checks;
    ShowHex(c.Hex);
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 5), c.Status);
  }
}

TEST_F(ChecksTest, ChecksOffLeaveTheTreeAsWithoutThem) {
  Probe(Form).Settings().DerChecks = false;
  ShowHex(TwoFaults);
  EXPECT_TRUE(Form.DerFindings().empty());
  EXPECT_EQ(RowNamed("DER:"), NoNode);
  const TNodeId integer = RowNamed("INTEGER");
  EXPECT_EQ(Probe(Form).TreeVT().ChildCount(integer), static_cast<std::uint32_t>(Probe(Form).GetTag(integer).ChildsCount()));
  EXPECT_EQ(CaptionColor(integer), Probe(Form).Settings().PrimitiveColor);
  Form.NextProblem();
  EXPECT_EQ(Fake.Host.Beeps, 1);
}

TEST_F(ChecksTest, NextProblemWrapsAndBeepsWhenThereIsNone) {
  ShowHex(TwoFaults);
  Focus(RowNamed("SEQUENCE"));
  std::vector<std::u16string> visited;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Probe(Form).KeyDown({vk::F8, false, false, false}));
    visited.push_back(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Name());
  }
  EXPECT_EQ(visited, (std::vector<std::u16string>{u"INTEGER", u"BOOLEAN", u"INTEGER"}));
  // From a problem row, the next element after the row's own.
  Focus(RowNamed("DER:"));
  Form.NextProblem();
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Name(), u"BOOLEAN");
  EXPECT_EQ(Fake.Host.Beeps, 0);

  ShowHex("30 03 02 01 05");
  Form.NextProblem();
  EXPECT_EQ(Fake.Host.Beeps, 1);
}

TEST_F(ChecksTest, StreamedCmsShowsOnlyItsIndefiniteLengths) {
  ShowSample("cms-stream.der");
  EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 5), "BER (6 indefinite lengths)");
  // The panel takes the verdict's whole width, margins included.
  EXPECT_GT(Probe(Form).MainStatusBar()[5].Width,
            Fake.Platform.Display.TextWidth(u"BER (6 indefinite lengths)", Probe(Form).StatusBarFontName(), Probe(Form).StatusBarFontSize()));
  for (const char* sample : {"cert.der", "crl.der", "p7-signed.der", "chain.p7b", "bundle.p12"}) {
    SCOPED_TRACE(sample);
    ShowSample(sample);
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 5), "DER");
  }
}

}  // namespace
}  // namespace viewer::test
