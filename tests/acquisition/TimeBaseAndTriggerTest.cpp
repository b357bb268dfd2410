// SPDX-License-Identifier: GPL-3.0-or-later
// Time base and trigger changed by mouse while the simulated analyser loops:
// the command on the wire, the cleared picture, the pattern readout, and the
// setting the analyser then works with.
#include <QToolButton>
#include <array>

#include "app/StatusBar.h"
#include "display/TraceRenderer.h"
#include "tests/acquisition/AcquisitionWindow.h"

namespace {
using namespace AcquisitionTest;
// Found by the printer of the cases, which are declared here.
using AcquisitionTest::PrintTo;
using TBoxes = std::array<bool, 8>;

// Byte 3 of a command that writes only p1: the low byte of PC speed 300
// sent at the attach, carried in the one send buffer.
constexpr std::uint8_t Carried = 0x2C;

// The empty screen the window should show, drawn by a renderer of its own.
QImage EmptyScreen(const TAcquisitionWindow& Window, int TimeBaseIndex, TTriggerMode Mode,
                   const TBoxes& Boxes = {}) {
  TTraceRenderer Renderer;
  TScreenState Screen;
  Screen.TimeBaseIndex = TimeBaseIndex;
  Screen.TriggerMode = Mode;
  Screen.PatternBoxes = Boxes;
  Screen.Pull = TPull::Up;
  Screen.NumberLabels = Window.Form->Indicateurs116ouD0D151->isChecked();
  QImage Visible(940, 520, QImage::Format_RGB32);
  Renderer.RedrawScreen(Screen, Visible, Window.Rig.Harness.Environment.Clock);
  return Renderer.BackBuffer();
}

TBoxes Ticked(std::initializer_list<int> Inputs) {
  TBoxes Boxes{};
  for (int K : Inputs) {
    Boxes[static_cast<std::size_t>(K - 1)] = true;
  }
  return Boxes;
}

// Looping, with a picture that any redraw replaces.
class WhileLooping : public testing::Test {
 protected:
  void SetUp() override {
    Click(Form.SpeedButton24);
    Smudge();
    Window.ForgetSent();
  }
  void Smudge() { Form.Image2->Picture().fill(Qt::black); }
  bool BoxesEnabled() const {
    bool All = Form.SpeedButton28->isEnabled() && Form.SpeedButton29->isEnabled();
    for (QCheckBox* Box : Form.CheckBoxes) {
      All = All && Box->isEnabled();
    }
    return All;
  }
  TReportHead Last() const {
    const auto Sent = Window.Sent();
    return Sent.empty() ? TReportHead{} : Sent.back();
  }
  QString PatternPanel() const { return Form.StatusBar1->PanelText(2); }

  TAcquisitionWindow Window;
  TForm1& Form = *Window.Form;
};

struct TTimeBaseCase {
  const char* Name;  // also the button's designer name
  int Index;
  std::uint8_t Code;
};

class TimeBaseButton : public WhileLooping, public testing::WithParamInterface<TTimeBaseCase> {};

TEST_P(TimeBaseButton, SendsItsCodeAndShowsAnEmptyGridWithItsLabel) {
  const TTimeBaseCase& Case = GetParam();
  auto* Button = Form.findChild<QToolButton*>(QString::fromLatin1(Case.Name));
  ASSERT_NE(Button, nullptr);
  Click(Button);
  EXPECT_TRUE(Button->isChecked());
  EXPECT_EQ(Form.State.TimeBaseIndex, Case.Index);
  EXPECT_EQ(Window.Sent(), (std::vector<TReportHead>{{0, 1, Case.Code, Carried}}));
  EXPECT_TRUE(Window.Visible() == EmptyScreen(Window, Case.Index, TTriggerMode::SynchOff));
  EXPECT_TRUE(Window.WaitFor([&] { return Window.Firmware().TimeBaseCode == Case.Code; }));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, TimeBaseButton,
    testing::Values(TTimeBaseCase{"SpeedButton5", 4, 0}, TTimeBaseCase{"SpeedButton6", 5, 8},
                    TTimeBaseCase{"SpeedButton7", 6, 16}, TTimeBaseCase{"SpeedButton8", 7, 1},
                    TTimeBaseCase{"SpeedButton9", 8, 9}, TTimeBaseCase{"SpeedButton10", 9, 17},
                    TTimeBaseCase{"SpeedButton11", 10, 2}, TTimeBaseCase{"SpeedButton12", 11, 10},
                    TTimeBaseCase{"SpeedButton13", 12, 18},
                    // Down since start-up: clicked again, it clears and sends again.
                    TTimeBaseCase{"SpeedButton14", 13, 3}, TTimeBaseCase{"SpeedButton15", 14, 11},
                    TTimeBaseCase{"SpeedButton16", 15, 19}, TTimeBaseCase{"SpeedButton17", 16, 4},
                    TTimeBaseCase{"SpeedButton18", 17, 12}, TTimeBaseCase{"SpeedButton19", 18, 20},
                    TTimeBaseCase{"SpeedButton20", 19, 5}, TTimeBaseCase{"SpeedButton21", 20, 13},
                    TTimeBaseCase{"SpeedButton22", 21, 21}),
    CaseName<TTimeBaseCase>);

TEST_F(WhileLooping, TwoMillisecondsShowsItsLabelAndNotTheOldOne) {
  Click(Form.SpeedButton15);
  const QRect Label(740, 0, 200, 20);
  EXPECT_TRUE(Window.Visible().copy(Label) ==
              EmptyScreen(Window, 14, TTriggerMode::SynchOff).copy(Label));
  EXPECT_FALSE(Window.Visible().copy(Label) ==
               EmptyScreen(Window, 13, TTriggerMode::SynchOff).copy(Label));
}

TEST_F(WhileLooping, ExternalHighSendsModeTwoBlanksThePatternAndNamesTheMode) {
  Click(Form.RadioButton2);
  Click(Form.CheckBox3);
  Window.ForgetSent();
  Smudge();
  Click(Form.RadioButton3);
  EXPECT_EQ(Window.Sent(), (std::vector<TReportHead>{{0, 9, 2, Carried}}));
  EXPECT_EQ(PatternPanel(), QString(59, QLatin1Char(' ')));
  EXPECT_TRUE(Window.Visible() == EmptyScreen(Window, 13, TTriggerMode::ExternalHigh));
  EXPECT_FALSE(BoxesEnabled());
  EXPECT_TRUE(Form.CheckBox3->isChecked());  // kept, though disabled
  Click(Form.CheckBox3);
  EXPECT_TRUE(Form.CheckBox3->isChecked());
  EXPECT_TRUE(Window.WaitFor([&] { return Window.Firmware().TriggerMode == 2; }));
}

TEST_F(WhileLooping, BoxEightAloneIsPattern128) {
  Click(Form.RadioButton2);
  EXPECT_EQ(PatternPanel(), QStringLiteral("Trigger Interne Egal -> Dec: 0   Hex: 00   Bin: 0"));
  Smudge();
  Click(Form.CheckBox8);
  EXPECT_EQ(Form.State.TriggerPattern, 128);
  EXPECT_EQ(Window.Sent(), (std::vector<TReportHead>{{0, 9, 1, Carried}, {0, 8, 0x80, Carried}}));
  EXPECT_EQ(PatternPanel(), QStringLiteral("Trigger Interne Egal (Entrées) -> Dec: 128   Hex: 80   "
                                           "Bin: 10000000"));
  // Rising symbol beside input 8, falling ones beside inputs 1 to 7.
  EXPECT_TRUE(Window.Visible() ==
              EmptyScreen(Window, 13, TTriggerMode::InternalEqual, Ticked({8})));
  EXPECT_FALSE(Window.Visible() == EmptyScreen(Window, 13, TTriggerMode::InternalEqual));
  EXPECT_TRUE(Window.WaitFor([&] {
    return Window.Firmware().TriggerMode == 1 && Window.Firmware().TriggerPattern == 0x80;
  }));
}

struct TAllNoneCase {
  const char* Name;
  std::vector<int> TickedFirst;
  bool All;
  std::vector<int> Patterns;
};

class AllOrNone : public WhileLooping, public testing::WithParamInterface<TAllNoneCase> {};

TEST_P(AllOrNone, SendsThePatternReachedAfterEachBoxThatChanges) {
  const TAllNoneCase& Case = GetParam();
  Click(Form.RadioButton2);
  for (int K : Case.TickedFirst) {
    Click(Form.CheckBoxes[static_cast<std::size_t>(K - 1)]);
  }
  Window.ForgetSent();
  Click(Case.All ? Form.SpeedButton28 : Form.SpeedButton29);
  EXPECT_EQ(Window.ParametersOf(cmdTriggerPattern), Case.Patterns);
  EXPECT_EQ(Window.Codes().size(), Case.Patterns.size());
  const int Final = Case.All ? 255 : 0;
  EXPECT_EQ(Form.State.TriggerPattern, Final);
  for (QCheckBox* Box : Form.CheckBoxes) {
    EXPECT_EQ(Box->isChecked(), Case.All);
  }
  EXPECT_TRUE(Window.Visible() ==
              EmptyScreen(Window, 13, TTriggerMode::InternalEqual,
                          Case.All ? Ticked({1, 2, 3, 4, 5, 6, 7, 8}) : TBoxes{}));
  EXPECT_TRUE(Window.WaitFor([&] { return Window.Firmware().TriggerPattern == Final; }));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, AllOrNone,
    testing::Values(TAllNoneCase{"AllFromClear", {}, true, {1, 3, 7, 15, 31, 63, 127, 255}},
                    TAllNoneCase{
                        "AllWithOneAndEight", {1, 8}, true, {131, 135, 143, 159, 191, 255}},
                    TAllNoneCase{"NoneWithTwoAndFive", {2, 5}, false, {16, 0}},
                    TAllNoneCase{"NoneFromClear", {}, false, {}}),
    CaseName<TAllNoneCase>);

TEST_F(WhileLooping, ClickingTheCheckedModeSendsNothingAndKeepsThePicture) {
  Click(Form.RadioButton1);
  EXPECT_TRUE(Window.Sent().empty());
  EXPECT_EQ(Window.Visible().pixel(470, 265), qRgb(0, 0, 0));
}

TEST_F(WhileLooping, LeavingTheInternalModeKeepsThePatternAndReturningSendsOnlyTheMode) {
  Click(Form.RadioButton2);
  Click(Form.CheckBox3);
  Click(Form.RadioButton4);
  EXPECT_EQ(PatternPanel(), QString(59, QLatin1Char(' ')));
  EXPECT_TRUE(Form.CheckBox3->isChecked());
  Window.ForgetSent();
  Click(Form.RadioButton2);
  EXPECT_EQ(Window.Sent(), (std::vector<TReportHead>{{0, 9, 1, Carried}}));
  EXPECT_EQ(PatternPanel(), QStringLiteral("Trigger Interne Egal -> Dec: 4   Hex: 04   Bin: 100"));
  EXPECT_TRUE(Window.Visible() ==
              EmptyScreen(Window, 13, TTriggerMode::InternalEqual, Ticked({3})));
  EXPECT_TRUE(Window.WaitFor(
      [&] { return Window.Firmware().TriggerMode == 1 && Window.Firmware().TriggerPattern == 4; }));
}

TEST_F(WhileLooping, BoxChangedOutsideTheInternalModeSendsButLeavesThePanelBlank) {
  Form.CheckBox2->setChecked(true);  // as the program may do; the user cannot
  EXPECT_EQ(Form.State.TriggerPattern, 2);
  EXPECT_EQ(Window.ParametersOf(cmdTriggerPattern), std::vector<int>{2});
  EXPECT_EQ(PatternPanel(), QString(59, QLatin1Char(' ')));
}

TEST(TimeBaseWhileLooping, TheNextRestitutionIsTakenWithTheNewTimeBase) {
  TAcquisitionWindow Window(0.05);
  TForm1& Form = *Window.Form;
  Click(Form.SpeedButton24);
  ASSERT_TRUE(Window.WaitFor([&] { return Form.State.RestitutionCount >= 1; }));
  Click(Form.SpeedButton16);  // 5 ms
  // Counted by the analyser, not by the window, which may still hold whole
  // restitutions of the old time base: once it has taken the command, a
  // restitution under way is of the old one, any begun later of the new.
  ASSERT_TRUE(Window.WaitFor([&] { return Window.Firmware().TimeBaseCode == 19; }));
  const TFirmwareState AtChange = Window.Firmware();
  const std::int64_t FirstNew =
      AtChange.RestitutionCount + (AtChange.Activity == TFirmwareActivity::Restituting ? 2 : 1);
  ASSERT_TRUE(Window.WaitFor([&] { return Window.Firmware().RestitutionCount >= FirstNew; }));
  // The halt lets a restitution under way end; the window then shows the last.
  Click(Form.SpeedButton23);
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  EXPECT_EQ(Window.Firmware().TimeBaseCode, 19);
  const QRect Label(740, 0, 200, 20);
  EXPECT_TRUE(Window.Visible().copy(Label) ==
              EmptyScreen(Window, 15, TTriggerMode::SynchOff).copy(Label));
  // Traces drawn: the picture is no longer the empty screen.
  EXPECT_FALSE(Window.Visible() == EmptyScreen(Window, 15, TTriggerMode::SynchOff));
  const TSampleMemory Memory = Window.Device->Analyser()->Memory();
  for (int N = 1; N <= SamplesPerWindow; N += 29) {
    EXPECT_EQ(Form.State.SampleBuffer.Cell(1, N), Memory[static_cast<std::size_t>(N - 1)] & 0xFF);
  }
}

}  // namespace
