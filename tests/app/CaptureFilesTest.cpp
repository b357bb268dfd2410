// SPDX-License-Identifier: GPL-3.0-or-later
// Captures kept as data from the window: the analyser's whole memory
// exported as la16-capture writes it, with the view left as it was, and a
// session opened again showing what the live memory showed, window for
// window, without a word to the analyser. Bad files are refused.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "acquisition/SampleExport.h"
#include "acquisition/SigrokSession.h"
#include "acquisition/SigrokSessionReader.h"
#include "app/CaptureControls.h"
#include "app/CaptureFiles.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "link/JvHidControllerClass.h"
#include "tests/support/AnalyserRig.h"
#include "tests/tools/ExportReaders.h"

namespace {

using TBoxKind = TFakeEnvironment::TBoxKind;
using exporttest::ReadCsv;
using exporttest::ReadVcd;
using exporttest::TCsvRow;

QImage Visible(const TForm1& Form) {
  return std::as_const(*Form.Image2).Picture();
}

// The grid and its frame: what the samples draw, without the clock stamp.
QImage TraceArea(const TForm1& Form) {
  return Visible(Form).copy(19, 19, 903, 483);
}

std::string FileBytes(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}

class CaptureFiles : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Rig.Start("100", "");
    Analyser = &Rig.PlugAnswering();
    Rig.CountReports();
    // Loop, then halt on a shown restitution: the memory stays as it is.
    Form->SpeedButton24->click();
    ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form->RestitutionsShown > 0; }));
    Form->SpeedButton23->click();
    ASSERT_TRUE(Analyser->Analyser()->WaitIdle(std::chrono::seconds(10)));
    Memory = Analyser->Analyser()->Memory();
    // The loop's last reports are handled before a case asks for anything.
    ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return !Form->AnalyserDevice->ReportsWaiting(); }));
  }

  // Scrolls the live memory to Offset and waits until its window is shown:
  // a restitution still on its way from the loop is then shown too.
  bool TryScrollLive(int Offset) {
    const std::int64_t Shown = Form->RestitutionsShown;
    TWindow Expected{};
    std::copy_n(Memory.begin() + Offset, Expected.size(), Expected.begin());
    Form->ScrollBar1->setValue(Offset);
    return TAnalyserRig::RunUntil([&] {
      return Form->RestitutionsShown > Shown && Form->RestitutionBlocks == 0 &&
             Held(Form->State.SampleBuffer) == Expected;
    });
  }
  // On a loaded machine the simulated interface drops a report of an answer
  // now and then, as hidraw's buffer would: the window is asked for again.
  void ScrollLive(int Offset) {
    for (int Attempt = 0; Attempt < 3; ++Attempt) {
      if (Form->ScrollBar1->value() == Offset &&  // a fresh window, not the loop's last
          !TryScrollLive(Offset == 0 ? 1 : 0)) {
        continue;
      }
      if (TryScrollLive(Offset)) {
        return;
      }
    }
    FAIL() << "no whole window at " << Offset;
  }

  QString Export(const QString& Name) {
    Env().SaveDialogAccepts = true;
    Env().SaveDialogTypedName = Rig.Harness.DataDir.filePath(Name);
    Form->ToolButton12->click();
    EXPECT_TRUE(TAnalyserRig::RunUntil([&] { return !Form->CaptureFiles->Exporting(); },
                                       std::chrono::seconds(30)));
    return Env().SaveDialogTypedName;
  }

  TFakeEnvironment& Env() { return Rig.Harness.Environment; }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  TSimulatedAnalyserDevice* Analyser = nullptr;
  TSampleMemory Memory{};
};

TEST_F(CaptureFiles, ExportWritesTheWholeMemoryAndLeavesTheViewAsItWas) {
  ASSERT_TRUE(Form->Exporterlesdonnes1->isEnabled());
  ASSERT_TRUE(Form->ToolButton12->isEnabled());
  ScrollLive(300);
  Form->ShowReadout(100);
  const QImage Before = Visible(*Form);
  const TWindow HeldBefore = Held(Form->State.SampleBuffer);
  const std::int64_t ShownBefore = Form->RestitutionsShown;
  const std::vector<TSample> Expected(Memory.begin(), Memory.end());

  const QString Session = Export(QStringLiteral("m.sr"));
  const QString Vcd = Export(QStringLiteral("m.vcd"));
  const QString Csv = Export(QStringLiteral("m.csv"));
  ASSERT_TRUE(Env().Messages(TBoxKind::Error).empty())
      << Env().Messages(TBoxKind::Error)[0].toStdString();
  EXPECT_EQ(Env().SaveDialogs.back().ProposedName, QStringLiteral("Capture_1_3_2026__9_07_05"));

  const auto Read = ReadSigrokSession(FileBytes(Session), "m.sr");
  ASSERT_TRUE(std::holds_alternative<TOpenedCapture>(Read));
  EXPECT_EQ(std::get<TOpenedCapture>(Read).Samples, Expected);
  EXPECT_EQ(std::get<TOpenedCapture>(Read).TimeBase->Index, Form->State.TimeBaseIndex);
  std::vector<std::string> Header;
  const std::vector<TCsvRow> Rows = ReadCsv(FileBytes(Csv), Header);
  ASSERT_EQ(Rows.size(), Expected.size());
  for (std::size_t N = 0; N < Rows.size(); ++N) {
    ASSERT_EQ(Rows[N].Sample, Expected[N]) << N;
  }
  EXPECT_EQ(ReadVcd(FileBytes(Vcd)).States.front(), Expected.front());

  // Nothing fetched was drawn or kept; the analyser is back at offset 300.
  TAnalyserRig::Idle();
  EXPECT_EQ(Visible(*Form), Before);
  EXPECT_EQ(Held(Form->State.SampleBuffer), HeldBefore);
  EXPECT_EQ(Form->RestitutionsShown, ShownBefore);
  EXPECT_EQ(Form->ScrollBar1->value(), 300);
  EXPECT_EQ(TAnalyserRig::Heads(Analyser->HidInterface()).back(),
            (TReportHead{0, cmdViewPosition, 1, 44}));

  if (std::system("command -v sigrok-cli > /dev/null 2>&1") == 0) {
    const std::string Command = "sigrok-cli -i '" + Session.toStdString() + "' --show";
    std::string Shown;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
      for (int C; (C = std::fgetc(Pipe)) != EOF;) {
        Shown += static_cast<char>(C);
      }
      pclose(Pipe);
    }
    EXPECT_NE(
        Shown.find("Samplerate: " +
                   std::to_string(SampleRateHz(*FindTimeBase(Form->State.TimeBaseIndex))) + "\n"),
        std::string::npos)
        << Shown;
    EXPECT_NE(Shown.find("Logic sample count: 2047\n"), std::string::npos) << Shown;
  }
}

TEST_F(CaptureFiles, TheTypePickedInTheDialogDecidesTheFormatOfANameTypedWithoutOne) {
  Env().SaveDialogFilter = QStringLiteral("CSV (*.csv)");
  const QString Typed = Export(QStringLiteral("essai"));
  Export(QStringLiteral("essai.VCD"));  // a typed extension wins
  EXPECT_EQ(Env().SaveDialogs.back().Title, QStringLiteral("Exporter les données"));
  std::vector<std::string> Header;
  EXPECT_EQ(ReadCsv(FileBytes(Typed + QStringLiteral(".csv")), Header).size(), Memory.size());
  EXPECT_FALSE(ReadVcd(FileBytes(Typed + QStringLiteral(".VCD"))).States.empty());
}

// The window a scroll asked for, still on its way, is not the first
// window's answer: taken for it, every window would be shifted by one.
TEST_F(CaptureFiles, AnExportRightAfterAScrollHoldsTheMemoryAndShowsTheScrolledWindow) {
  const int Handled = Rig.ReportsHandled();
  Form->ScrollBar1->setValue(300);
  // The export starts once the analyser answers: a loaded machine may hold
  // the simulator past the export's quiet time, which a real analyser never is.
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Rig.ReportsHandled() > Handled; }));
  std::vector<std::string> Header;
  const std::vector<TCsvRow> Rows = ReadCsv(FileBytes(Export(QStringLiteral("m.csv"))), Header);
  ASSERT_TRUE(Env().Messages(TBoxKind::Error).empty())
      << Env().Messages(TBoxKind::Error)[0].toStdString();
  ASSERT_EQ(Rows.size(), Memory.size());
  for (std::size_t N = 0; N < Rows.size(); ++N) {
    ASSERT_EQ(Rows[N].Sample, Memory[N]) << N;
  }
  EXPECT_EQ(Held(Form->State.SampleBuffer)[0], Memory[300]);
  EXPECT_EQ(Held(Form->State.SampleBuffer)[449], Memory[749]);
}

TEST_F(CaptureFiles, AnOpenedExportShowsWhatTheLiveMemoryShowedWindowForWindow) {
  const QString Session = Export(QStringLiteral("m.sr"));
  std::vector<QImage> Live;
  const std::vector<int> Offsets = {0, 150, 450, 1000, 1597};
  for (const int Offset : Offsets) {
    ScrollLive(Offset);
    Live.push_back(TraceArea(*Form));
  }
  ScrollLive(0);
  const std::size_t Sent = TAnalyserRig::Heads(Analyser->HidInterface()).size();

  Env().OpenDialogAnswer = Session;
  Form->Ouvrirunecapture1->trigger();
  ASSERT_NE(Form->CaptureFiles->Shown(), nullptr);
  // The capture's own date, as the export recorded it.
  const QString Taken = Env().Now().toString(QStringLiteral("dd/MM/yyyy à HH:mm:ss"));
  EXPECT_EQ(Form->StatusBar1->PanelText(1), QStringLiteral("Capture : m.sr du ") + Taken);
  EXPECT_EQ(Form->ScrollBar1->maximum(), 1597);
  for (std::size_t I = 0; I < Offsets.size(); ++I) {
    Form->ScrollBar1->setValue(Offsets[I]);
    EXPECT_EQ(TraceArea(*Form), Live[I]) << Offsets[I];
  }
  // la16's own VCD and CSV open again as its session does.
  for (const char* Name : {"m.vcd", "m.csv"}) {
    Env().OpenDialogAnswer = Export(QString::fromUtf8(Name));
    Form->Ouvrirunecapture1->trigger();
    const QString Dated = QString::fromUtf8(Name) + (Name[2] == 'v' ? " du " + Taken : "");
    EXPECT_EQ(Form->StatusBar1->PanelText(1), QStringLiteral("Capture : ") + Dated);
    Form->ScrollBar1->setValue(Offsets.back());
    EXPECT_EQ(TraceArea(*Form), Live.back()) << Name;
  }
  // The move buttons and their messages end where the capture ends.
  Form->SpeedButton2->click();
  EXPECT_EQ(Env().Messages(TBoxKind::Information).back(),
            QStringLiteral("Position limite atteinte..."));
  EXPECT_EQ(TAnalyserRig::Heads(Analyser->HidInterface()).size(), Sent);

  // Starting an acquisition goes back to the analyser's memory.
  Form->SpeedButton24->click();
  EXPECT_EQ(Form->CaptureFiles->Shown(), nullptr);
  EXPECT_EQ(Form->ScrollBar1->maximum(), 1597);
  EXPECT_EQ(Form->ScrollBar1->value(), 0);
  EXPECT_FALSE(Form->Ouvrirunecapture1->isEnabled());
  EXPECT_FALSE(Form->Exporterlesdonnes1->isEnabled());
  EXPECT_FALSE(Form->ToolButton12->isEnabled());
}

TEST_F(CaptureFiles, AShortCaptureOfAnotherWriterNavigatesWithinItsLength) {
  TExportInfo Info;
  Info.TimeBase = FindTimeBaseByCaption("5ms");
  const std::vector<TSample> Samples(Memory.begin(), Memory.begin() + 700);
  const QString Path = Rig.Harness.DataDir.filePath(QStringLiteral("short.sr"));
  std::ofstream(Path.toStdString(), std::ios::binary) << *BuildSigrokSession(Samples, Info);
  ASSERT_TRUE(Form->OpenCapture(Path));
  EXPECT_EQ(Form->ScrollBar1->maximum(), 250);
  EXPECT_EQ(Form->State.TimeBaseIndex, Info.TimeBase->Index);
  Form->SpeedButton1->click();
  Form->SpeedButton1->click();
  EXPECT_EQ(Form->ScrollBar1->value(), 250);
  EXPECT_EQ(Env().Messages(TBoxKind::Information).back(),
            QStringLiteral("Position limite atteinte..."));
  EXPECT_EQ(Held(Form->State.SampleBuffer)[449], Samples[699]);
}

// A capture of another writer carrying inputs 1-3 for 100 samples, opened
// over a la16 session recording a trigger and a pull.
TEST_F(CaptureFiles, AShortCaptureShowsOnlyWhatItHoldsAndTheControlsWhatItRecords) {
  const TControlStates Live = TCaptureControls(*Form).Read();
  const std::size_t Sent = TAnalyserRig::Heads(Analyser->HidInterface()).size();
  const QString Pattern = Form->StatusBar1->PanelText(2);
  TExportInfo Info;
  Info.Trigger = RecordedTriggerText(TTriggerMode::ExternalLow);
  Info.Pull = RecordedPullText(TPull::Up);
  const QString Own = Rig.Harness.DataDir.filePath(QStringLiteral("own.sr"));
  std::ofstream(Own.toStdString(), std::ios::binary) << *BuildSigrokSession(Memory, Info);
  ASSERT_TRUE(Form->OpenCapture(Own));
  EXPECT_TRUE(Form->RadioButton4->isChecked());
  EXPECT_TRUE(Form->RadioButton5->isChecked());

  std::string Csv = "; Samplerate: 3 kHz\n";
  for (int N = 0; N < 100; ++N) {
    Csv += N % 2 == 0 ? "1,0,1\n" : "0,1,1\n";
  }
  const QString Short = Rig.Harness.DataDir.filePath(QStringLiteral("short.csv"));
  std::ofstream(Short.toStdString(), std::ios::binary) << Csv;
  ASSERT_TRUE(Form->OpenCapture(Short));
  EXPECT_EQ(Form->StatusBar1->PanelText(1), QStringLiteral("Capture : short.csv (entrées 1-3)"));
  // What the file does not record is not checked; no handler ran.
  TControlStates Expected;
  Expected
      .TimeBase[static_cast<std::size_t>(FindTimeBaseByCaption("10ms") - TimeBaseTable.data())] =
      true;
  EXPECT_TRUE(TCaptureControls(*Form).Read() == Expected);
  EXPECT_EQ(TAnalyserRig::Heads(Analyser->HidInterface()).size(), Sent);
  EXPECT_EQ(Form->StatusBar1->PanelText(2), Pattern);

  // Input 3 is high up to sample 100; nothing past it, nothing for input 4.
  const QImage Shown = Visible(*Form);
  const auto Traced = [&Shown](int N, int Y) {
    return Shown.pixel(SampleX(N), Y) == GroupColour(1);
  };
  EXPECT_TRUE(Traced(100, GroupRowBase(1) + 60 - 20));
  EXPECT_FALSE(Traced(101, GroupRowBase(1) + 60 - 20));
  EXPECT_FALSE(Traced(50, GroupRowBase(1) + 90 - 1));
  // The readout past the last sample does nothing, as past sample 450.
  QTest::mouseClick(Form->Image2, Qt::LeftButton, {}, QPoint(600, 100));
  EXPECT_EQ(Visible(*Form), Shown);
  QTest::mouseClick(Form->Image2, Qt::LeftButton, {}, QPoint(SampleX(50), 100));
  EXPECT_NE(Visible(*Form), Shown);

  Form->SpeedButton25->click();  // back to the analyser: its controls as they were
  EXPECT_EQ(Form->CaptureFiles->Shown(), nullptr);
  EXPECT_TRUE(TCaptureControls(*Form).Read() == Live);
}

TEST_F(CaptureFiles, BadFilesAreRefusedAndChangeNothing) {
  const QDir Dir(Rig.Harness.DataDir.path());
  {
    QFile Bitmap(Dir.filePath(QStringLiteral("picture.sr")));
    Bitmap.open(QIODevice::WriteOnly);
    Bitmap.write("BM6\x10\0\0", 6);
  }
  TExportInfo Info;
  const std::string Good = *BuildSigrokSession(std::vector<TSample>(2047, 5), Info);
  {
    QFile Cut(Dir.filePath(QStringLiteral("cut.sr")));
    Cut.open(QIODevice::WriteOnly);
    Cut.write(Good.data(), static_cast<qint64>(Good.size() / 2));
  }
  {
    QFile Huge(Dir.filePath(QStringLiteral("huge.sr")));
    Huge.open(QIODevice::WriteOnly);
    Huge.resize(static_cast<qint64>(MaxCaptureFileBytes) + 1);
  }
  const QImage Before = Visible(*Form);
  const QString Status = Form->StatusBar1->PanelText(1);
  const std::vector<std::pair<const char*, const char*>> Cases = {
      {"picture.sr", "« picture.sr » n'est pas une session sigrok (.sr)."},
      {"cut.sr", "La session « cut.sr » est tronquée ou endommagée."},
      {"huge.sr",
       "« huge.sr » est trop volumineux pour une capture de l'analyseur (plus de 64 Mo)."},
  };
  for (const auto& [Name, Message] : Cases) {
    EXPECT_FALSE(Form->OpenCapture(Dir.filePath(QString::fromUtf8(Name))));
    EXPECT_EQ(Env().Messages(TBoxKind::Error).back(), QString::fromUtf8(Message));
    EXPECT_EQ(Form->CaptureFiles->Shown(), nullptr);
    EXPECT_EQ(Visible(*Form), Before);
    EXPECT_EQ(Form->StatusBar1->PanelText(1), Status);
  }
}

// The start prompt drawn over a capture opened before the analyser came;
// then missing where it belongs once the capture is left. The capture shows
// the pull the analyser is to get: the attach still sends it.
TEST(CaptureFilesStartPrompt, NeverCoversACaptureAndComesBackWhenItIsLeft) {
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("100", "0");
  const QString Path = Rig.Harness.DataDir.filePath(QStringLiteral("early.sr"));
  TExportInfo Info;
  Info.TimeBase = FindTimeBaseByCaption("20µs");
  Info.Pull = RecordedPullText(TPull::Down);
  std::ofstream(Path.toStdString(), std::ios::binary)
      << *BuildSigrokSession(std::vector<TSample>(900, 5), Info);
  ASSERT_TRUE(Form.OpenCapture(Path));
  EXPECT_TRUE(Form.TimeBaseButton(Info.TimeBase->Index)->isChecked());
  TSimulatedAnalyserDevice& Analyser = Rig.PlugAnswering();
  ASSERT_TRUE(Form.GroupBox2->isEnabled());
  EXPECT_FALSE(Form.Panel6->isVisibleTo(&Form));
  const std::vector<TReportHead> Heads = TAnalyserRig::Heads(Analyser.HidInterface());
  EXPECT_TRUE(std::any_of(Heads.begin(), Heads.end(), [](const TReportHead& Head) {
    return Head[1] == cmdPull && Head[2] == 0;
  }));
  Form.SpeedButton25->click();  // a single acquisition: back to the analyser's memory
  EXPECT_TRUE(Form.Panel6->isVisibleTo(&Form));
  EXPECT_TRUE(Form.TimeBaseButton(DefaultTimeBaseIndex)->isChecked());
  EXPECT_TRUE(Form.RadioButton6->isChecked());
}

TEST_F(CaptureFiles, AnAnalyserThatStopsAnsweringLeavesNoFileAndOneMessage) {
  Form->CaptureFiles->FetchPolicy.WindowTimeout = std::chrono::milliseconds(200);
  Analyser->Analyser()->Stop();  // the firmware answers no more
  const QString Path = Export(QStringLiteral("never.sr"));
  EXPECT_FALSE(QFile::exists(Path));
  ASSERT_EQ(Env().Messages(TBoxKind::Error).size(), 1U);
  EXPECT_EQ(
      Env().Messages(TBoxKind::Error)[0],
      QStringLiteral("L'analyseur n'a pas répondu pendant 0.2 s. Aucun fichier n'a été écrit."));
}

}  // namespace
