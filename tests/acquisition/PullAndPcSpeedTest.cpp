// SPDX-License-Identifier: GPL-3.0-or-later
// The pull buttons and the PC speed slider: what they send, save and show.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <ostream>

#include "app/Settings.h"
#include "display/PictureBox.h"
#include "tests/support/AnalyserRig.h"
#include "tests/support/CaseNames.h"

namespace {
using CaseNames::PrintTo;

TSettings OnDisk(const TAnalyserRig& Rig) {
  return ParseSettings(Rig.Harness.SettingsFileBytes());
}

struct TSpeedCase {
  const char* Name;
  const char* Saved;
  int MoveTo;
  TReportHead Sent;
};

class PcSpeedSlider : public testing::TestWithParam<TSpeedCase> {};

TEST_P(PcSpeedSlider, MovingItSendsShowsAndSavesThePosition) {
  const TSpeedCase& Case = GetParam();
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start(Case.Saved, "");
  auto Analyser = Rig.Plug(AnalyserInterface());
  const std::size_t Before = Analyser->WrittenReports().size();

  Form.TrackBar1->setValue(Case.MoveTo);
  const auto Heads = TAnalyserRig::Heads(*Analyser);
  ASSERT_EQ(Heads.size(), Before + 1);
  EXPECT_EQ(Heads.back(), Case.Sent);
  const QString Text = QString::number(Case.MoveTo);
  EXPECT_EQ(Form.Label9->text(), Text);
  EXPECT_EQ(OnDisk(Rig).Line(PcSpeedSettingLine), Text.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Positions, PcSpeedSlider,
                         testing::Values(TSpeedCase{"To300", "100", 300, {0, 11, 0x01, 0x2C}},
                                         TSpeedCase{"To1000", "300", 1000, {0, 11, 0x03, 0xE8}},
                                         TSpeedCase{"To100", "300", 100, {0, 11, 0x00, 0x64}},
                                         TSpeedCase{"To256", "300", 256, {0, 11, 0x01, 0x00}}),
                         [](const testing::TestParamInfo<TSpeedCase>& Info) {
                           return std::string(Info.param.Name);
                         });

TEST(PcSpeedSliderAlone, WithoutAnalyserTheSpeedIsStillSavedAndBuffered) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("100", "");
  Form.TrackBar1->setValue(300);
  EXPECT_EQ(OnDisk(Rig).Line(PcSpeedSettingLine), "300");
  const auto& Bytes = Form.State.CommandReport.Bytes();
  EXPECT_EQ((TReportHead{Bytes[0], Bytes[1], Bytes[2], Bytes[3]}), (TReportHead{0, 11, 1, 0x2C}));
}

struct TPullCase {
  const char* Name;
  bool Up;
  std::uint8_t P1;
  const char* Setting;
};

class PullButton : public testing::TestWithParam<TPullCase> {};

TEST_P(PullButton, ClearsThePictureSendsAndSaves) {
  const TPullCase& Case = GetParam();
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "");
  auto Analyser = Rig.Plug(AnalyserInterface());
  Form.GroupBox5->setEnabled(true);  // as while looping
  // Something drawn over the picture that a new empty screen erases.
  {
    QPainter Painter(&Form.Image2->Picture());
    Painter.fillRect(100, 100, 50, 50, Qt::green);
  }
  const std::size_t Before = Analyser->WrittenReports().size();
  QRadioButton* Button = Case.Up ? Form.RadioButton5 : Form.RadioButton6;

  Button->click();
  auto Heads = TAnalyserRig::Heads(*Analyser);
  ASSERT_EQ(Heads.size(), Before + 1);
  EXPECT_EQ(Heads.back(), (TReportHead{0, 10, Case.P1, 0x2C}));
  EXPECT_EQ(Form.Settings.PullSetting(), Case.Setting);
  EXPECT_EQ(OnDisk(Rig).Line(PullSettingLine), Case.Setting);
  EXPECT_TRUE(std::as_const(*Form.Image2).Picture() == Form.Renderer.BackBuffer());

  // Choosing the pull already chosen does nothing.
  Button->click();
  EXPECT_EQ(Analyser->WrittenReports().size(), Before + 1);
}

INSTANTIATE_TEST_SUITE_P(Buttons, PullButton,
                         testing::Values(TPullCase{"Up", true, 1, "1"},
                                         TPullCase{"Down", false, 0, "0"}),
                         [](const testing::TestParamInfo<TPullCase>& Info) {
                           return std::string(Info.param.Name);
                         });

TEST(PullButtonAlone, PictureShowsThePullJustChosen) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "");
  Form.GroupBox5->setEnabled(true);
  const QImage None = std::as_const(*Form.Image2).Picture();
  Form.RadioButton5->click();
  const QImage Up = std::as_const(*Form.Image2).Picture();
  Form.RadioButton6->click();
  const QImage Down = std::as_const(*Form.Image2).Picture();
  // Only the pull text, at the bottom right, tells them apart.
  const QRect PullText(740, 500, 200, 20);
  EXPECT_TRUE(None.copy(PullText) != Up.copy(PullText));
  EXPECT_TRUE(Up.copy(PullText) != Down.copy(PullText));
  const QRect Rest(0, 0, 940, 495);
  EXPECT_TRUE(None.copy(Rest) == Up.copy(Rest));
  EXPECT_TRUE(Up.copy(Rest) == Down.copy(Rest));
}

TEST(PullButtonAlone, WithoutAnalyserThePullIsStillSaved) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("300", "1");
  Form.GroupBox5->setEnabled(true);
  Form.RadioButton6->click();
  EXPECT_EQ(OnDisk(Rig).Line(PullSettingLine), "0");
  EXPECT_EQ(Form.State.CommandReport.Bytes()[1], cmdPull);
}

}  // namespace
