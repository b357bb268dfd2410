// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app/Application.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "tests/support/FormHarness.h"

namespace {
std::array<std::uint8_t, 4> ReportHead(const TForm1& Form) {
  const auto& Bytes = Form.State.CommandReport.Bytes();
  return {Bytes[0], Bytes[1], Bytes[2], Bytes[3]};
}

void Click(QWidget* Control) {
  QTest::mouseClick(Control, Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
}

// The trigger group as a looped acquisition leaves it: enabled.
class TriggerMode : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Harness.StartShown();
    Form->GroupBox3->setEnabled(true);
  }
  // Marks the visible picture so that a redraw shows.
  void SmudgePicture() { Form->Image2->Picture().fill(Qt::black); }
  // A pixel inside a tile, off every grid line and text.
  bool PictureCleared() const { return Form->Image2->Picture().pixelColor(470, 265) == Qt::white; }
  bool BoxesEnabled() const {
    bool All = Form->SpeedButton28->isEnabled() && Form->SpeedButton29->isEnabled();
    for (QCheckBox* Box : Form->CheckBoxes) {
      All = All && Box->isEnabled();
    }
    return All;
  }
  TFormHarness Harness;
  TForm1* Form = nullptr;
};

TEST_F(TriggerMode, ExternalHighSendsModeTwoAndBlanksThePatternPanel) {
  Form->CheckBox3->setChecked(true);
  SmudgePicture();
  Click(Form->RadioButton3);
  EXPECT_TRUE(Form->RadioButton3->isChecked());
  EXPECT_EQ(ReportHead(*Form)[1], 0x09);
  EXPECT_EQ(ReportHead(*Form)[2], 2);
  EXPECT_EQ(Form->StatusBar1->PanelText(2), QString(59, QLatin1Char(' ')));
  EXPECT_FALSE(BoxesEnabled());
  EXPECT_TRUE(Form->CheckBox3->isChecked());  // disabled, tick kept
  EXPECT_TRUE(PictureCleared());
}

TEST_F(TriggerMode, InternalModeShowsTheKeptPatternAndEnablesTheBoxes) {
  Form->State.TriggerPattern = 5;
  Click(Form->RadioButton2);
  EXPECT_EQ(Form->StatusBar1->PanelText(2),
            QStringLiteral("Trigger Interne Egal -> Dec: 5   Hex: 05   Bin: 101"));
  EXPECT_TRUE(BoxesEnabled());
  EXPECT_EQ(ReportHead(*Form), (std::array<std::uint8_t, 4>{0, 0x09, 1, 0}));
}

TEST_F(TriggerMode, InternalModeWithNoBoxTickedShowsZero) {
  Click(Form->RadioButton2);
  EXPECT_EQ(Form->StatusBar1->PanelText(2),
            QStringLiteral("Trigger Interne Egal -> Dec: 0   Hex: 00   Bin: 0"));
}

TEST_F(TriggerMode, EveryModeSendsItsNumberAndSetsTheBoxes) {
  const std::pair<QRadioButton*, int> Modes[] = {
      {Form->RadioButton4, 3}, {Form->RadioButton2, 1}, {Form->RadioButton1, 0}};
  for (const auto& [Button, Mode] : Modes) {
    Click(Button);
    EXPECT_EQ(ReportHead(*Form)[2], Mode);
    EXPECT_EQ(BoxesEnabled(), Mode == 1) << Mode;
  }
}

TEST_F(TriggerMode, ClickingTheCheckedModeRunsNothing) {
  Form->SendCommand(cmdHalt);
  SmudgePicture();
  Click(Form->RadioButton1);
  EXPECT_EQ(ReportHead(*Form)[1], cmdHalt);
  EXPECT_FALSE(PictureCleared());
}

TEST_F(TriggerMode, SelectingByProgramRunsTheModeHandlerOnce) {
  Form->SelectTriggerMode(1);
  EXPECT_TRUE(Form->RadioButton2->isChecked());
  EXPECT_EQ(ReportHead(*Form)[2], 1);
  Form->SendCommand(cmdHalt);
  Form->SelectTriggerMode(1);  // already checked: only the boxes are set again
  EXPECT_EQ(ReportHead(*Form)[1], cmdHalt);
  EXPECT_THROW(Form->SelectTriggerMode(4), std::out_of_range);
}

class PcSpeedPanel : public testing::Test {
 protected:
  void SetUp() override { Form = &Harness.StartShown(); }
  TFormHarness Harness;
  TForm1* Form = nullptr;
};

TEST_F(PcSpeedPanel, MenuItemAndToolButtonShowAndHideThePanelAndFermerHidesIt) {
  Form->RglagedelavitessedevotrePC1->setEnabled(true);
  Form->ToolButton1->setEnabled(true);
  Form->RglagedelavitessedevotrePC1->trigger();
  EXPECT_FALSE(Form->Panel5->isHidden());
  Form->RglagedelavitessedevotrePC1->trigger();
  EXPECT_TRUE(Form->Panel5->isHidden());
  Click(Form->ToolButton1);
  EXPECT_FALSE(Form->Panel5->isHidden());
  Click(Form->SpeedButton27);
  EXPECT_TRUE(Form->Panel5->isHidden());
}

TEST_F(PcSpeedPanel, MovingTheSliderShowsSavesAndPreparesTheSpeed) {
  Form->TrackBar1->setValue(300);
  EXPECT_EQ(Form->Label9->text(), QStringLiteral("300"));
  EXPECT_EQ(Form->Settings.PcSpeedSetting(), "300");
  EXPECT_EQ(ParseSettings(Harness.SettingsFileBytes()).PcSpeedSetting(), "300");
  EXPECT_EQ(ReportHead(*Form), (std::array<std::uint8_t, 4>{0, 0x0B, 0x01, 0x2C}));
  Form->TrackBar1->setValue(1000);
  EXPECT_EQ(ReportHead(*Form), (std::array<std::uint8_t, 4>{0, 0x0B, 0x03, 0xE8}));
}

TEST_F(PcSpeedPanel, FailedSaveKeepsTheValueInMemoryAfterTheCommand) {
  ASSERT_TRUE(Harness.ProgramDir.remove());
  // Set by the program, the slider's error comes back to it once Qt has returned.
  EXPECT_THROW(CarryHandlerErrors([&] { Form->TrackBar1->setValue(300); }), TSettingsWriteError);
  EXPECT_EQ(Form->Settings.PcSpeedSetting(), "300");
  EXPECT_EQ(Form->Label9->text(), QStringLiteral("300"));
  EXPECT_EQ(ReportHead(*Form), (std::array<std::uint8_t, 4>{0, 0x0B, 0x01, 0x2C}));
  // Moved by the user, the error is shown where Qt called the handler.
  auto* Application = static_cast<TApplication*>(QCoreApplication::instance());
  Application->SetEnvironment(&Harness.Environment);
  EXPECT_NO_THROW(Form->TrackBar1->setValue(400));
  Application->SetEnvironment(nullptr);
  EXPECT_EQ(Form->Settings.PcSpeedSetting(), "400");
  ASSERT_EQ(Harness.Environment.Messages(TFakeEnvironment::TBoxKind::Error).size(), 1U);
  EXPECT_TRUE(Harness.Environment.Messages(TFakeEnvironment::TBoxKind::Error)[0].startsWith(
      QStringLiteral("Erreur d'entrée/sortie")));
}

TEST(DisplayOptions, IndicatorOptionStoresOneOrZeroAndSaves) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  Form.Indicateurs116ouD0D151->setEnabled(true);
  Form.Indicateurs116ouD0D151->trigger();
  EXPECT_TRUE(Form.Indicateurs116ouD0D151->isChecked());
  EXPECT_EQ(ParseSettings(Harness.SettingsFileBytes()).IndicatorSetting(), "1");
  Form.Indicateurs116ouD0D151->trigger();
  EXPECT_EQ(ParseSettings(Harness.SettingsFileBytes()).IndicatorSetting(), "0");
  Form.Afficherfrontsmontantsetdescendants1->setEnabled(true);
  Form.Afficherfrontsmontantsetdescendants1->trigger();
  EXPECT_FALSE(Form.Afficherfrontsmontantsetdescendants1->isChecked());
}

TEST(SendCommand, FillsTheBufferWithoutAnAnalyserAndKeepsUnwrittenBytes) {
  TFormHarness Harness;
  TForm1& Form = Harness.Start();
  Form.SendCommand(cmdPcSpeed, 0x01, 0x2C);
  Form.SendCommand(cmdTimeBase, 0x03);
  EXPECT_EQ(ReportHead(Form), (std::array<std::uint8_t, 4>{0, 0x01, 0x03, 0x2C}));
  Form.SendCommand(cmdLoop);
  EXPECT_EQ(ReportHead(Form), (std::array<std::uint8_t, 4>{0, 0x02, 0x03, 0x2C}));
}
}  // namespace
