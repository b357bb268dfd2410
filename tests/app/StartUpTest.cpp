// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>

#include "app/PictureControl.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "tests/support/CaseNames.h"
#include "tests/support/FormHarness.h"

namespace {
using CaseNames::PrintTo;
using TBoxKind = TFakeEnvironment::TBoxKind;

std::string EmptyLines(int Count) {
  std::string Bytes;
  for (int N = 0; N < Count; ++N) {
    Bytes += "\r\n";
  }
  return Bytes;
}

std::string FolderLine(const TFormHarness& Harness) {
  return SettingsPathLine(Harness.ProgramDir.path() + QStringLiteral("/")) + "\r\n";
}

// The window keeps its files in the user data folder: the folder in use, the
// snapshot's place, and a new settings file naming that folder on line 2.
void ExpectFilesInUserDataFolder(TForm1& Form, const TFormHarness& Harness) {
  const QString Data = Harness.Environment.UserDataFolderPath;
  EXPECT_EQ(Form.Settings.ProgramFolder(), SettingsPathLine(Data));
  EXPECT_EQ(Form.FileInProgramFolder(QStringLiteral("1.bmp")), Data + QStringLiteral("1.bmp"));
  QFile Written(Data + QStringLiteral("parametres.inf"));
  ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
  EXPECT_EQ(Written.readAll().toStdString(),
            "\r\n" + SettingsPathLine(Data) + "\r\n" + EmptyLines(78));
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
}

std::array<std::uint8_t, 4> ReportHead(const TForm1& Form) {
  const auto& Bytes = Form.State.CommandReport.Bytes();
  return {Bytes[0], Bytes[1], Bytes[2], Bytes[3]};
}

TEST(StartUp, FirstStartCreatesTheFileWithTheProgramFolderOnLineTwo) {
  TFormHarness Harness;
  Harness.Start();
  EXPECT_EQ(Harness.SettingsFileBytes(), "\r\n" + FolderLine(Harness) + EmptyLines(78));
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
}

TEST(StartUp, RewritesAShortFileWithEightyLinesAndTheActualFolder) {
  TFormHarness Harness;
  Harness.WriteSettingsFile("a\nb\nc\n");
  Harness.Start();
  EXPECT_EQ(Harness.SettingsFileBytes(), "a\r\n" + FolderLine(Harness) + "c\r\n" + EmptyLines(77));
}

TEST(StartUp, KeepsLinesWithoutMeaningAndDropsLinesBeyondEighty) {
  TFormHarness Harness;
  std::string Bytes = "# la16 settings\r\n";
  for (int N = 2; N <= 100; ++N) {
    Bytes += "line" + std::to_string(N) + "\r\n";
  }
  Harness.WriteSettingsFile(Bytes);
  TForm1& Form = Harness.Start();
  const TSettings Written = ParseSettings(Harness.SettingsFileBytes());
  EXPECT_EQ(Written.Line(1), "# la16 settings");
  EXPECT_EQ(Written.Line(79), "line79");
  EXPECT_EQ(Written.Line(80), "line80");
  EXPECT_EQ(Harness.SettingsFileBytes().size(), SerialiseSettings(Written).size());
  EXPECT_EQ(Form.Settings, Written);
}

struct TPcSpeedCase {
  const char* Name;
  const char* Setting;
  int Slider;
  const char* LineAfter;  // line 8 in memory and on disk after start-up
  const char* Label;
  std::array<std::uint8_t, 4> Report;  // the change handler leaves the speed in the buffer
};

class StartUpPcSpeed : public testing::TestWithParam<TPcSpeedCase> {};

TEST_P(StartUpPcSpeed, SetsTheSliderAndRunsEveryStep) {
  const TPcSpeedCase& Case = GetParam();
  TFormHarness Harness;
  Harness.WriteSettingsFile(SettingsBytes({"", "", "", "", "", "", "", Case.Setting}));
  TForm1& Form = Harness.Start();
  EXPECT_EQ(Form.TrackBar1->value(), Case.Slider);
  EXPECT_EQ(Form.Settings.PcSpeedSetting(), Case.LineAfter);
  EXPECT_EQ(ParseSettings(Harness.SettingsFileBytes()).PcSpeedSetting(), Case.LineAfter);
  EXPECT_EQ(Form.Label9->text(), QString::fromUtf8(Case.Label));
  EXPECT_EQ(ReportHead(Form), Case.Report);
  EXPECT_TRUE(Harness.Environment.Boxes.empty());
  // The steps after the slider ran too.
  EXPECT_FALSE(Form.RglagedelavitessedevotrePC1->isEnabled());
  EXPECT_FALSE(Form.ToolButton1->isEnabled());
  EXPECT_TRUE(Form.Image9->isHidden());
  EXPECT_TRUE(Form.Image8->isHidden());
  EXPECT_TRUE(Form.Panel6->isHidden());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, StartUpPcSpeed,
    testing::Values(TPcSpeedCase{"AboveRange", "1500", 1000, "1000", "1000", {0, 0x0B, 0x03, 0xE8}},
                    TPcSpeedCase{"InRange", "300", 300, "300", "300", {0, 0x0B, 0x01, 0x2C}},
                    TPcSpeedCase{"BelowRange", "50", 100, "50", "50", {0, 0x09, 0, 0}},
                    TPcSpeedCase{"DesignPosition", "100", 100, "100", "100", {0, 0x09, 0, 0}},
                    TPcSpeedCase{"Empty", "", 100, "", "100", {0, 0x09, 0, 0}},
                    TPcSpeedCase{"NotANumber", "abc", 100, "abc", "100", {0, 0x09, 0, 0}}),
    [](const testing::TestParamInfo<TPcSpeedCase>& Info) { return std::string(Info.param.Name); });

struct TIndicatorCase {
  const char* Setting;
  bool Checked;
};

class StartUpIndicator : public testing::TestWithParam<TIndicatorCase> {};

TEST_P(StartUpIndicator, OptionCheckedOnlyForExactlyOne) {
  TFormHarness Harness;
  Harness.WriteSettingsFile(
      SettingsBytes({"", "", "", "", "", "", "", "", "", GetParam().Setting}));
  TForm1& Form = Harness.Start();
  EXPECT_EQ(Form.Indicateurs116ouD0D151->isChecked(), GetParam().Checked);
  EXPECT_FALSE(Form.Indicateurs116ouD0D151->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Settings, StartUpIndicator,
                         testing::Values(TIndicatorCase{"1", true}, TIndicatorCase{"1 ", false},
                                         TIndicatorCase{"0", false}, TIndicatorCase{"", false},
                                         TIndicatorCase{"yes", false}));

class WaitingState : public testing::Test {
 protected:
  void SetUp() override { Form = &Harness.Start(); }
  TFormHarness Harness;
  TForm1* Form = nullptr;
};

TEST_F(WaitingState, OnlyQuitHelpAndAboutCanBeUsed) {
  for (QAction* Item : {Form->Quitter2, Form->Aide2, Form->Aproposde1, Form->Ouvrirunecapture1}) {
    EXPECT_TRUE(Item->isEnabled()) << Item->objectName().toStdString();
  }
  for (QAction* Item : {Form->Sauvegarder1, Form->Exporterlesdonnes1, Form->Imprimer1,
                        Form->Copier1, Form->RglagedelavitessedevotrePC1,
                        Form->Afficherfrontsmontantsetdescendants1, Form->Indicateurs116ouD0D151}) {
    EXPECT_FALSE(Item->isEnabled()) << Item->objectName().toStdString();
  }
  for (QToolButton* Button : {Form->ToolButton6, Form->ToolButton7}) {
    EXPECT_TRUE(Button->isEnabled()) << Button->objectName().toStdString();
  }
  for (QToolButton* Button : {Form->ToolButton1, Form->ToolButton2, Form->ToolButton3,
                              Form->ToolButton5, Form->ToolButton12}) {
    EXPECT_FALSE(Button->isEnabled()) << Button->objectName().toStdString();
  }
  for (QWidget* Control : std::initializer_list<QWidget*>{
           Form->GroupBox1, Form->GroupBox2, Form->GroupBox3, Form->GroupBox5, Form->ScrollBar1,
           Form->SpeedButton1, Form->SpeedButton2, Form->SpeedButton3, Form->SpeedButton4,
           Form->SpeedButton26, Form->SpeedButton28, Form->SpeedButton29}) {
    EXPECT_FALSE(Control->isEnabled()) << Control->objectName().toStdString();
  }
  for (QCheckBox* Box : Form->CheckBoxes) {
    EXPECT_FALSE(Box->isEnabled());
    EXPECT_FALSE(Box->isChecked());
  }
}

TEST_F(WaitingState, PlugInPanelInFrontAndEveryOtherPanelHidden) {
  EXPECT_FALSE(Form->Panel3->isHidden());
  EXPECT_TRUE(Form->Panel4->isHidden());
  EXPECT_TRUE(Form->Panel5->isHidden());
  EXPECT_TRUE(Form->Panel6->isHidden());
  EXPECT_TRUE(Form->Image1->isHidden());
  EXPECT_FALSE(Form->Image2->isHidden());
  EXPECT_FALSE(Form->Image7->isHidden());
  EXPECT_FALSE(Form->Image10->isHidden());
}

TEST_F(WaitingState, ButtonsDownAndOptionsAsDesigned) {
  EXPECT_TRUE(Form->SpeedButton14->isChecked());
  for (QToolButton* Button : Form->TimeBaseButtons) {
    EXPECT_EQ(Button->isChecked(), Button == Form->SpeedButton14);
  }
  EXPECT_TRUE(Form->SpeedButton23->isChecked());
  EXPECT_FALSE(Form->SpeedButton24->isChecked());
  EXPECT_FALSE(Form->SpeedButton25->isChecked());
  EXPECT_TRUE(Form->SpeedButton26->isCheckable());
  EXPECT_FALSE(Form->SpeedButton26->isChecked());
  EXPECT_TRUE(Form->RadioButton1->isChecked());
  EXPECT_FALSE(Form->RadioButton5->isChecked());
  EXPECT_FALSE(Form->RadioButton6->isChecked());
  EXPECT_TRUE(Form->Afficherfrontsmontantsetdescendants1->isChecked());
  EXPECT_EQ(Form->ScrollBar1->maximum(), 1597);
  EXPECT_EQ(Form->ScrollBar1->value(), 0);
  EXPECT_EQ(Form->TrackBar1->minimum(), 100);
  EXPECT_EQ(Form->TrackBar1->maximum(), 1000);
}

TEST_F(WaitingState, SharedValuesHoldTheirStartValues) {
  EXPECT_EQ(Form->State.TimeBaseIndex, 13);
  EXPECT_EQ(Form->State.SingleShot, 0);
  EXPECT_EQ(Form->State.TriggerPattern, 0);
  EXPECT_EQ(Form->State.AcquisitionStopped, 0);
  EXPECT_EQ(Form->State.MouseHeld, 0);
  EXPECT_EQ(Form->AnalyserDevice, nullptr);
  // Trigger mode 0 was prepared but not sent: no analyser is held.
  EXPECT_EQ(ReportHead(*Form), (std::array<std::uint8_t, 4>{0, 0x09, 0, 0}));
}

TEST_F(WaitingState, StatusPanelsEmptyAndPatternPanelBlank) {
  EXPECT_EQ(Form->StatusBar1->PanelText(0), QString());
  EXPECT_EQ(Form->StatusBar1->PanelText(1), QString());
  EXPECT_EQ(Form->StatusBar1->PanelText(2), QString(59, QLatin1Char(' ')));
}

TEST_F(WaitingState, TracePictureIsDrawnAndShown) {
  EXPECT_EQ(Form->Image2->Picture(), Form->Image1->Picture());
  EXPECT_EQ(Form->Image2->Picture().size(), QSize(940, 520));
}

TEST(StartUpFolder, UnwritableProgramFolderFallsBackToTheUserDataFolder) {
  TFormHarness Harness;
  Harness.WriteSettingsFile(SettingsBytes({"in the program folder"}));
  // The program folder's path runs through a file, so nothing can be created
  // there, whoever runs the test.
  const QString Blocked = Harness.ProgramDir.path() + QStringLiteral("/parametres.inf/");
  Harness.Environment.ProgramFolderPath = Blocked;
  TForm1& Form = Harness.Start();
  ExpectFilesInUserDataFolder(Form, Harness);
}

TEST(StartUpFolder, InstalledProgramKeepsItsFilesInTheUserDataFolderEvenWhenItsOwnIsWritable) {
  TFormHarness Harness;
  Harness.WriteSettingsFile(SettingsBytes({"", "", "", "", "", "", "", "500"}));
  const std::string Beside = Harness.SettingsFileBytes();
  Harness.Environment.InstalledProgram = true;
  TForm1& Form = Harness.Start();
  // The settings beside the program are not read, nor rewritten.
  EXPECT_EQ(Form.TrackBar1->value(), 100);
  EXPECT_EQ(Harness.SettingsFileBytes(), Beside);
  EXPECT_EQ(QDir(Harness.ProgramDir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("parametres.inf")});
  ExpectFilesInUserDataFolder(Form, Harness);

  // Started again, it reads what it wrote there.
  Harness.Form.reset();
  QFile Written(Harness.Environment.UserDataFolderPath + QStringLiteral("parametres.inf"));
  ASSERT_TRUE(Written.open(QIODevice::WriteOnly | QIODevice::Truncate));
  Written.write(SettingsBytes({"", "", "", "", "", "", "", "700"}).c_str());
  Written.close();
  EXPECT_EQ(Harness.Start().TrackBar1->value(), 700);
}

TEST(StartUpFolder, InstalledProgramWithAnUnwritableUserDataFolderNamesOnlyThatFolder) {
  TFormHarness Harness;
  Harness.Environment.InstalledProgram = true;
  const QString Blocked = Harness.DataDir.path() + QStringLiteral("/file");
  QFile File(Blocked);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  File.close();
  Harness.Environment.UserDataFolderPath = Blocked + QStringLiteral("/la16/");
  TForm1& Form = Harness.Start();
  EXPECT_EQ(Harness.Environment.Messages(TBoxKind::Error),
            std::vector<QString>{
                QStringLiteral(
                    "Erreur d'entrée/sortie : « %1 » ne peut être écrit ; les réglages ne seront "
                    "pas enregistrés.")
                    .arg(QDir::toNativeSeparators(Blocked + QStringLiteral("/la16/")))});
  EXPECT_EQ(Form.FileInProgramFolder(QStringLiteral("1.bmp")),
            Blocked + QStringLiteral("/la16/1.bmp"));
  EXPECT_TRUE(QDir(Harness.ProgramDir.path())
                  .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(StartUpFolder, NeitherFolderWritableIsReportedOnceAndStartUpCompletes) {
  TFormHarness Harness;
  Harness.WriteSettingsFile("x");
  const QString Blocked = Harness.SettingsFilePath();
  Harness.Environment.ProgramFolderPath = Blocked + QStringLiteral("/own/");
  Harness.Environment.UserDataFolderPath = Blocked + QStringLiteral("/data/la16/");
  // The failed start-up save is not reported a second time.
  TForm1& Form = Harness.Start();
  EXPECT_EQ(Harness.Environment.Messages(TBoxKind::Error).size(), 1U);
  EXPECT_EQ(Harness.Environment.Boxes.size(), 1U);
  EXPECT_TRUE(Form.SpeedButton14->isChecked());
  EXPECT_FALSE(Form.GroupBox2->isEnabled());
  EXPECT_FALSE(Form.RglagedelavitessedevotrePC1->isEnabled());
  EXPECT_TRUE(Form.Panel6->isHidden());
  EXPECT_FALSE(Form.Panel3->isHidden());
  EXPECT_EQ(Form.Label9->text(), QStringLiteral("100"));
}

}  // namespace
