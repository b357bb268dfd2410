// SPDX-License-Identifier: GPL-3.0-or-later
// Loop, single and halt clicked on the window with the simulated analyser
// attached: what each leaves usable, the flags, the status text, the commands
// and what the analyser then does.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QToolButton>
#include <string>

#include "app/StatusBar.h"
#include "tests/acquisition/AcquisitionWindow.h"

namespace {
using namespace AcquisitionTest;
// Found by the printer of the cases, which are declared here.
using AcquisitionTest::PrintTo;
using TBoxKind = TFakeEnvironment::TBoxKind;

const QString Looping = QStringLiteral("Acquisistion et restitution en boucle...");
const QString Paused = QStringLiteral("Pause de l'acquisition");
const QString Acquiring = QStringLiteral("Acqusistion en RAM en cours. Veuillez patienter...");
const QString Finished = QStringLiteral("Restitution des données terminée.");

// "1" when every control is enabled (shown), "0" when none is, "mixed" else.
template <typename TControl>
std::string Usable(std::initializer_list<TControl*> Controls) {
  const auto On = std::count_if(Controls.begin(), Controls.end(),
                                [](TControl* Control) { return Control->isEnabled(); });
  return On == 0 ? "0" : On == static_cast<std::ptrdiff_t>(Controls.size()) ? "1" : "mixed";
}

// Every row of the control table, in one line that names the failing row.
std::string Controls(const TForm1& F) {
  const char* Down = F.SpeedButton23->isChecked()   ? "halt"
                     : F.SpeedButton24->isChecked() ? "loop"
                     : F.SpeedButton25->isChecked() ? "single"
                                                    : "none";
  return "timebase " + Usable({F.GroupBox1}) + " trigger " + Usable({F.GroupBox3}) + " pull " +
         Usable({F.GroupBox5}) + " options " +
         Usable({F.Afficherfrontsmontantsetdescendants1, F.Indicateurs116ouD0D151,
                 F.RglagedelavitessedevotrePC1}) +
         Usable<QWidget>({F.ToolButton1}) + " scroll " +
         Usable<QWidget>(
             {F.ScrollBar1, F.SpeedButton1, F.SpeedButton2, F.SpeedButton3, F.SpeedButton4}) +
         " save " + Usable({F.Sauvegarder1}) + Usable({F.ToolButton3, F.ToolButton2}) +
         " print+copy " + Usable({F.Imprimer1, F.Copier1}) + Usable({F.ToolButton5}) + " markers " +
         Usable({F.SpeedButton26}) + " prompt " + (F.Panel6->isHidden() ? "0" : "1") + " down " +
         Down;
}

// The control lines of the states.
const std::string ReadyControls =
    "timebase 0 trigger 0 pull 0 options 00 scroll 0 save 00 print+copy 00 markers 0 prompt 1 "
    "down halt";
const std::string LoopControls =
    "timebase 1 trigger 1 pull 1 options 11 scroll 1 save 00 print+copy 00 markers 0 prompt 0 "
    "down loop";

struct TModeCase {
  const char* Name;
  const char* Clicks;  // L loop, H halt, S single, from the attached window
  std::string Controls;
  int SingleShot;
  int AcquisitionStopped;
  QString Status;
  std::vector<int> Codes;
  bool AnalyserLoops;
};

class ControlTable : public testing::TestWithParam<TModeCase> {};

TEST_P(ControlTable, EachCommandSwitchesItsControlsFlagsStatusAndAnalyser) {
  const TModeCase& Case = GetParam();
  TAcquisitionWindow Window;
  TForm1& Form = *Window.Form;
  for (const char* C = Case.Clicks; *C != '\0'; ++C) {
    Click(*C == 'L' ? Form.SpeedButton24 : *C == 'H' ? Form.SpeedButton23 : Form.SpeedButton25);
  }
  // No report has been handled yet: the status is the command's own.
  EXPECT_EQ(Controls(Form), Case.Controls);
  EXPECT_EQ(Form.State.SingleShot, Case.SingleShot);
  EXPECT_EQ(Form.State.AcquisitionStopped, Case.AcquisitionStopped);
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Case.Status);
  EXPECT_EQ(Window.Codes(), Case.Codes);
  for (const TReportHead& Head : Window.Sent()) {
    EXPECT_EQ(Head[0], 0);  // report id
  }
  // The analyser took the commands: it loops, or it has finished and rests.
  if (Case.AnalyserLoops) {
    EXPECT_TRUE(Window.WaitFor([&] { return Window.Firmware().Looping; }));
  } else {
    EXPECT_TRUE(Window.WaitAnalyserIdle());
  }
}

const std::string HaltedAfterLoop =
    "timebase 0 trigger 0 pull 0 options 00 scroll 1 save 11 print+copy 11 markers 1 prompt 0 "
    "down halt";

INSTANTIATE_TEST_SUITE_P(
    Commands, ControlTable,
    testing::Values(
        TModeCase{"Ready", "", ReadyControls, 0, 0, "", {}, false},
        TModeCase{"LoopFromReady", "L", LoopControls, 0, 0, Looping, {2}, true},
        TModeCase{"LoopWhileLooping", "LL", LoopControls, 0, 0, Looping, {2, 2}, true},
        TModeCase{"HaltWhileLooping", "LH", HaltedAfterLoop, 0, 1, Paused, {2, 3}, false},
        TModeCase{"HaltWhileHalted", "LHH", HaltedAfterLoop, 0, 1, Paused, {2, 3, 3}, false},
        TModeCase{"HaltFromReady",
                  "H",
                  "timebase 0 trigger 0 pull 0 options 00 scroll 0 save 11 print+copy 11 "
                  "markers 1 prompt 1 down halt",
                  0,
                  1,
                  Paused,
                  {3},
                  false},
        TModeCase{"SingleFromReady",
                  "S",
                  "timebase 0 trigger 0 pull 0 options 00 scroll 0 save 11 print+copy 00 "
                  "markers 0 prompt 1 down halt",
                  1,
                  1,
                  Acquiring,
                  {4},
                  false},
        TModeCase{"SingleWhileLooping",
                  "LS",
                  "timebase 0 trigger 0 pull 1 options 00 scroll 1 save 11 print+copy 00 "
                  "markers 0 prompt 0 down halt",
                  1,
                  1,
                  Acquiring,
                  {2, 4},
                  false},
        TModeCase{"SingleWhenHalted", "LHS", HaltedAfterLoop, 1, 1, Acquiring, {2, 3, 4}, false},
        TModeCase{"SingleAfterSingle",
                  "SS",
                  "timebase 0 trigger 0 pull 0 options 00 scroll 0 save 11 print+copy 00 "
                  "markers 0 prompt 1 down halt",
                  1,
                  1,
                  Acquiring,
                  {4, 4},
                  false},
        TModeCase{"LoopWhenHalted", "LHL", LoopControls, 0, 0, Looping, {2, 3, 2}, true},
        TModeCase{"LoopAfterSingle", "SL", LoopControls, 0, 0, Looping, {4, 2}, true},
        TModeCase{"HaltAfterSingle",
                  "SH",
                  "timebase 0 trigger 0 pull 0 options 00 scroll 0 save 11 print+copy 11 "
                  "markers 1 prompt 1 down halt",
                  1,
                  1,
                  Paused,
                  {4, 3},
                  false}),
    CaseName<TModeCase>);

TEST(AcquisitionGroup, BeforeTheFirstLoopTheConfigurationIgnoresClicks) {
  TAcquisitionWindow Window;
  TForm1& Form = *Window.Form;
  Click(Form.SpeedButton15);
  Click(Form.RadioButton3);
  Click(Form.CheckBox1);
  Click(Form.RadioButton6);
  Click(Form.SpeedButton26);
  EXPECT_EQ(Window.Codes(), std::vector<int>{});
  EXPECT_EQ(Form.State.TimeBaseIndex, 13);
  EXPECT_FALSE(Form.SpeedButton26->isChecked());
  EXPECT_TRUE(Form.RadioButton5->isChecked());
}

TEST(SingleAcquisition, StraightAfterAttachShowsOneCaptureAndStops) {
  TAcquisitionWindow Window;
  TForm1& Form = *Window.Form;
  const QImage Empty = Window.Visible();
  Click(Form.SpeedButton25);
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  EXPECT_EQ(Window.Firmware().RestitutionCount, 1);
  EXPECT_EQ(Form.State.RestitutionCount, 1);
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Finished);
  EXPECT_NE(Window.Visible(), Empty);
  EXPECT_EQ(Window.Visible(), Form.Renderer.BackBuffer());
  // The capture is what the analyser recorded from its view position 0.
  const TSampleMemory Memory = Window.Device->Analyser()->Memory();
  for (int N = 1; N <= SamplesPerWindow; N += 37) {
    const std::uint16_t Sample = Memory[static_cast<std::size_t>(N - 1)];
    EXPECT_EQ(Form.State.SampleBuffer.Cell(1, N), Sample & 0xFF) << N;
    EXPECT_EQ(Form.State.SampleBuffer.Cell(2, N), Sample >> 8) << N;
  }
  EXPECT_FALSE(Form.Panel6->isHidden());
  EXPECT_FALSE(Form.SpeedButton26->isEnabled());
  EXPECT_TRUE(Form.SpeedButton23->isChecked());
}

TEST(SingleAcquisition, WhileLoopingEndsTheLoopAndLeavesThePullUsable) {
  // Paced: an analyser that answers at once floods the reader's queue while
  // it loops, and a slow machine loses reports (the panel then says so).
  TAcquisitionWindow Window(0.05);
  TForm1& Form = *Window.Form;
  Click(Form.SpeedButton24);
  ASSERT_TRUE(Window.WaitFor([&] { return Form.State.RestitutionCount >= 2; }));
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Looping);  // restitutions leave it
  Click(Form.SpeedButton25);
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Acquiring);
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  EXPECT_FALSE(Window.Firmware().Looping);
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Finished);
  // The pull chosen now still reaches the analyser.
  Window.ForgetSent();
  Click(Form.RadioButton6);
  EXPECT_EQ(Window.Codes(), std::vector<int>{10});
  ASSERT_TRUE(Window.WaitFor([&] { return !Window.Firmware().PullUp; }));
}

struct TLaterCase {
  const char* Name;
  const char* Clicks;
  int SingleShot;
  QString StatusAfterTransfer;
};

class HaltThenTransfer : public testing::TestWithParam<TLaterCase> {};

TEST_P(HaltThenTransfer, OnlyASingleAcquisitionLetsLaterTransfersSayFinished) {
  const TLaterCase& Case = GetParam();
  TAcquisitionWindow Window;
  TForm1& Form = *Window.Form;
  for (const char* C = Case.Clicks; *C != '\0'; ++C) {
    Click(*C == 'L' ? Form.SpeedButton24 : Form.SpeedButton25);
    ASSERT_TRUE(Window.WaitFor([&] { return Form.State.RestitutionCount > 0; }));
  }
  Click(Form.SpeedButton23);
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  EXPECT_EQ(Form.State.SingleShot, Case.SingleShot);
  // A new view position: the analyser sends the window again.
  const int Before = Form.State.RestitutionCount;
  Form.StatusBar1->SetPanelText(1, Paused);
  Form.SendCommand(cmdViewPosition, 0, 100);
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  EXPECT_EQ(Form.State.RestitutionCount, Before + 1);
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Case.StatusAfterTransfer);
}

INSTANTIATE_TEST_SUITE_P(Modes, HaltThenTransfer,
                         testing::Values(TLaterCase{"AfterSingle", "S", 1, Finished},
                                         TLaterCase{"AfterLoop", "L", 0, Paused}),
                         CaseName<TLaterCase>);

TEST(Halt, WritesTheFrozenPictureAsTheSnapshot) {
  TAcquisitionWindow Window(0.05);
  TForm1& Form = *Window.Form;
  Click(Form.SpeedButton24);
  ASSERT_TRUE(Window.WaitFor([&] { return Form.State.RestitutionCount >= 2; }));
  const QImage AtHalt = Window.Visible();
  Click(Form.SpeedButton23);
  const QString Path = Window.Rig.Harness.ProgramDir.filePath(QStringLiteral("1.bmp"));
  QImage Snapshot(Path, "BMP");
  ASSERT_FALSE(Snapshot.isNull());
  EXPECT_EQ(Snapshot.convertToFormat(QImage::Format_RGB32), AtHalt);
  // A restitution under way when halt came is finished; then nothing moves.
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  const QImage Frozen = Window.Visible();
  const int Restitutions = Form.State.RestitutionCount;
  TAnalyserRig::Idle(std::chrono::milliseconds(400));
  EXPECT_EQ(Window.Visible(), Frozen);
  EXPECT_EQ(Form.State.RestitutionCount, Restitutions);
  EXPECT_TRUE(Window.Rig.Harness.Environment.Boxes.empty());
}

TEST(Halt, SnapshotThatCannotBeWrittenIsReportedAndTheAnalyserStillHalts) {
  TAcquisitionWindow Window;
  TForm1& Form = *Window.Form;
  // A folder where the snapshot should be: the file cannot take its place.
  ASSERT_TRUE(QDir(Window.Rig.Harness.ProgramDir.path()).mkdir(QStringLiteral("1.bmp")));
  Click(Form.SpeedButton24);
  ASSERT_TRUE(Window.WaitFor([&] { return Window.Firmware().Looping; }));
  // The box waits for the user: the whole halt is done before it opens.
  std::string AtBox;
  Window.Rig.Harness.Environment.BoxShown = [&](const TFakeEnvironment::TBox&) {
    AtBox = Controls(Form) + " stopped " + std::to_string(Form.State.AcquisitionStopped) +
            " status " + Form.StatusBar1->PanelText(1).toStdString() + " sent " +
            std::to_string(Window.Codes().size());
  };
  Click(Form.SpeedButton23);
  const auto Errors = Window.Rig.Harness.Environment.Messages(TBoxKind::Error);
  ASSERT_EQ(Errors.size(), 1U);
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("1.bmp"))) << Errors[0].toStdString();
  EXPECT_EQ(AtBox, HaltedAfterLoop + " stopped 1 status " + Paused.toStdString() + " sent 2");
  EXPECT_EQ(Controls(Form), HaltedAfterLoop);
  EXPECT_EQ(Window.Codes(), (std::vector<int>{2, 3}));
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  EXPECT_FALSE(Window.Firmware().Looping);
  EXPECT_TRUE(QFileInfo(Window.Rig.Harness.ProgramDir.filePath(QStringLiteral("1.bmp"))).isDir());
}

TEST(Loop, DrawsEveryRestitutionUntilHalted) {
  TAcquisitionWindow Window(0.05);
  TForm1& Form = *Window.Form;
  Click(Form.SpeedButton24);
  EXPECT_TRUE(Form.Panel6->isHidden());
  // Each restitution the window shows is a new capture.
  std::vector<QImage> Shown;
  int Seen = 0;
  while (Shown.size() < 3) {
    // A restitution is shown whole once the visible picture is the back buffer.
    ASSERT_TRUE(Window.WaitFor([&] {
      return Form.State.RestitutionCount > Seen && Window.Visible() == Form.Renderer.BackBuffer();
    }));
    Seen = Form.State.RestitutionCount;
    Shown.push_back(Window.Visible());
  }
  EXPECT_NE(Shown[0], Shown[1]);
  EXPECT_NE(Shown[1], Shown[2]);
  EXPECT_EQ(Form.StatusBar1->PanelText(1), Looping);
  Click(Form.SpeedButton23);
  ASSERT_TRUE(Window.WaitAnalyserIdle());
  EXPECT_FALSE(Window.Firmware().Looping);
}

}  // namespace
