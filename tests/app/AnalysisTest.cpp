// SPDX-License-Identifier: GPL-3.0-or-later
// The "Analyse" menu through the window's own controls on the simulated
// analyser: the UART read into the table from the whole memory fetched
// once, the PWM's figures beside the pointer, the figures between the
// markers as they are dragged, and nothing of it in the picture's bitmap.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "acquisition/SampleExport.h"
#include "acquisition/SigrokSession.h"
#include "acquisition/TimeBase.h"
#include "app/AnalysisComponent.h"
#include "app/AnalysisWindows.h"
#include "app/CaptureFiles.h"
#include "app/DecodeDialog.h"
#include "app/DecoderSettings.h"
#include "display/AnalysisOverlay.h"
#include "display/PictureBox.h"
#include "simulator/SimulatedSignals.h"
#include "tests/support/AnalyserRig.h"

namespace {

QByteArray FileBytes(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// Text sent 8N1 on input 9 at SamplesPerBit, idle high, from sample 20 with a
// bit of idle between characters, then idle.
std::vector<TSample> UartSamples(const std::string& Text, double SamplesPerBit) {
  std::vector<bool> Bits(20, true);
  for (const char C : Text) {
    Bits.push_back(false);
    for (int Bit = 0; Bit < 8; ++Bit) {
      Bits.push_back(((static_cast<unsigned char>(C) >> Bit) & 1U) != 0);
    }
    Bits.insert(Bits.end(), 2, true);
  }
  Bits.insert(Bits.end(), 10, true);
  std::vector<TSample> Samples(static_cast<std::size_t>(20 + (Bits.size() - 20) * SamplesPerBit));
  for (std::size_t I = 0; I < Samples.size(); ++I) {
    const double Bit = I < 20 ? 0.0 : 20.0 + static_cast<double>(I - 20) / SamplesPerBit;
    Samples[I] = Bits[static_cast<std::size_t>(Bit)] ? InputUart : 0;
  }
  return Samples;
}

TDecoderSpec Spec(std::string_view Text) {
  return std::get<TDecoderSpec>(ParseDecoderSpec(Text));
}

class WindowAnalysis : public testing::Test {
 protected:
  // Loops at time base Index, then halts on a shown restitution.
  void Halt(int Index) {
    Form = &Rig.Start("100", "");
    Analyser = &Rig.PlugAnswering();
    Rig.CountReports();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form));
    Form->SpeedButton24->click();
    if (Form->State.TimeBaseIndex != Index) {
      Form->TimeBaseButton(Index)->click();  // taken once an acquisition runs
    }
    ASSERT_EQ(Form->State.TimeBaseIndex, Index);
    // Two more: the first may have been under way before the time base was.
    const std::int64_t Shown = Form->RestitutionsShown;
    ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form->RestitutionsShown > Shown + 1; }));
    Form->SpeedButton23->click();
    ASSERT_TRUE(Analyser->Analyser()->WaitIdle(std::chrono::seconds(10)));
    TAnalyserRig::Idle();
  }

  TAnalysisComponent& Analysis() { return *Form->Analysis; }
  // Live, decoding first fetches the memory: its end is awaited.
  void Decode(QPushButton* Button) {
    Button->click();
    ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return !Form->CaptureFiles->Exporting(); },
                                       std::chrono::seconds(30)));
  }

  int ViewCommands() {
    int Count = 0;
    for (const TReportHead& Head : TAnalyserRig::Heads(Analyser->HidInterface())) {
      Count += Head[1] == cmdViewPosition ? 1 : 0;
    }
    return Count;
  }

  // Point (X, Y) of Image2 in the window, where the layer above it lies.
  QPoint At(int X, int Y) const { return Form->Image2->mapTo(Form, QPoint(X, Y)); }
  // A real move of the pointer over Image2, through the layer above it.
  void Pointer(int X, int Y) {
    QTest::mouseMove(Form->windowHandle(), At(X, Y));
    Analysis().Sync();
  }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  TSimulatedAnalyserDevice* Analyser = nullptr;
};

TEST_F(WindowAnalysis, TheUartOnInput9IsReadFromTheWholeMemoryIntoTheTableNeverIntoTheBitmap) {
  // 1 ms per division: wherever the memory's 68 ms start, they hold the
  // middle of a 50 ms message period whole.
  ASSERT_NO_FATAL_FAILURE(Halt(13));
  Form->WriteSnapshotFile();
  const QString Snapshot = Form->FileInProgramFolder(QStringLiteral("1.bmp"));
  const QByteArray SnapshotBefore = FileBytes(Snapshot);
  const std::string SettingsBefore = Rig.Harness.SettingsFileBytes();
  const int CommandsBefore = ViewCommands();

  Analysis().Dcoder1->trigger();
  TDecodeDialog* Dialog = Analysis().DecodeDialog;
  ASSERT_TRUE(Dialog != nullptr && Dialog->isVisible());
  Dialog->ChooseDecoder(Dialog->DecoderChoice->findText(QStringLiteral("UART")));
  ASSERT_TRUE(Dialog->SetOption("rx", QStringLiteral("9")));
  ASSERT_TRUE(Dialog->SetOption("baudrate", QStringLiteral("9600")));
  ASSERT_NO_FATAL_FAILURE(Decode(Dialog->DecodeButton));

  // Fetched once for the decoding, then shared until the next acquisition.
  const int Fetch = ViewCommands() - CommandsBefore;
  EXPECT_GT(Fetch, 3);
  QTableWidget* Table = Analysis().DecodeWindow->Table;
  std::string Text;
  for (int Row = 0; Row < Table->rowCount(); ++Row) {
    if (Table->item(Row, 1)->text() == "uart" && Table->item(Row, 2)->text() == "data") {
      Text += static_cast<char>(Table->item(Row, 3)->text().toUInt(nullptr, 16));
    }
  }
  EXPECT_NE(Text.find("la16 ! trame "), std::string::npos)
      << QByteArray::fromStdString(Text).toHex().toStdString();
  Analysis().RunDecoders(Analysis().LoadSpecs());
  EXPECT_EQ(ViewCommands() - CommandsBefore, Fetch);
  const QByteArray Kept = FileBytes(Analysis().SettingsPath());
  EXPECT_TRUE(Kept.startsWith("uart:rx=9:baudrate=9600:") && Kept.count("\r\n") == 1)
      << Kept.data();

  // Never in the bitmap or the settings.
  Form->WriteSnapshotFile();
  EXPECT_EQ(FileBytes(Snapshot), SnapshotBefore);
  EXPECT_EQ(Rig.Harness.SettingsFileBytes(), SettingsBefore);

  // The last row moves the view to it through the scroll bar and is marked.
  const int Last = Table->rowCount() - 1;
  Table->setCurrentCell(Last, 0);
  const TAnnotation& Chosen = Analysis().Annotations()[static_cast<std::size_t>(Last)];
  const int Offset = Form->ScrollBar1->value();
  EXPECT_GT(Offset, 0);
  EXPECT_LE(Offset, Chosen.FirstSample);
  EXPECT_LT(Chosen.LastSample, Offset + SamplesPerWindow);
  EXPECT_EQ(TAnalyserRig::Heads(Analyser->HidInterface()).back()[1], cmdViewPosition);
  ASSERT_TRUE(Analysis().Overlay->Mark().has_value());
  EXPECT_EQ(Analysis().Overlay->Mark()->FirstCell, Chosen.FirstSample - Offset + 1);
  // The values are drawn in the layer over input 9.
  ASSERT_FALSE(Analysis().Overlay->Spans().empty());
  EXPECT_EQ(Analysis().Overlay->Spans().front().Input, 9);

  Rig.Harness.Environment.SaveDialogAccepts = true;
  Rig.Harness.Environment.SaveDialogTypedName = Rig.Harness.DataDir.filePath("d.csv");
  Analysis().DecodeWindow->ExportButton->click();
  const QList<QByteArray> Lines = FileBytes(Rig.Harness.DataDir.filePath("d.csv")).split('\n');
  ASSERT_EQ(Lines.size(), Table->rowCount() + 2);  // header, rows, the last line's end
  EXPECT_TRUE(Lines[0].startsWith("first_sample,last_sample,time_s,decoder,event,value"));

  // A new acquisition: the memory and what was read from it are gone.
  Form->SpeedButton25->click();
  Analysis().Sync();
  EXPECT_EQ(Analysis().HeldMemory(), nullptr);
  EXPECT_TRUE(Analysis().Annotations().empty());
  EXPECT_TRUE(Analysis().Overlay->Spans().empty());
}

// A single acquisition on the external pulse starts on the buses' period:
// at 5 µs per division the memory holds the I2C write and the SPI transfer.
TEST_F(WindowAnalysis, TheI2cAndSpiBurstsAreReadAfterASingleAcquisitionOnTheExternalTrigger) {
  ASSERT_NO_FATAL_FAILURE(Halt(FindTimeBaseByCaption("5µs")->Index));
  Form->SpeedButton24->click();  // the trigger is chosen while the analyser runs
  Form->RadioButton3->click();
  ASSERT_EQ(Form->CheckedTriggerMode(), TTriggerMode::ExternalHigh);
  const std::int64_t Shown = Form->RestitutionsShown;
  Form->SpeedButton25->click();
  // A restitution of the loop may still come first: the memory is the
  // single's once the analyser is idle again.
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return Form->RestitutionsShown > Shown; },
                                     std::chrono::seconds(30)));
  ASSERT_TRUE(Analyser->Analyser()->WaitIdle(std::chrono::seconds(10)));
  TAnalyserRig::Idle();

  Analysis().RunDecoders({Spec("i2c:scl=10:sda=11"), Spec("spi:clk=12:mosi=13:cs=14")});
  ASSERT_TRUE(TAnalyserRig::RunUntil([&] { return !Form->CaptureFiles->Exporting(); }));
  QTableWidget* Table = Analysis().DecodeWindow->Table;
  QString Rows;
  for (int Row = 0; Row < Table->rowCount(); ++Row) {
    Rows += Table->item(Row, 1)->text() + ' ' + Table->item(Row, 2)->text() + ' ' +
            Table->item(Row, 3)->text().toLower() + '\n';
  }
  for (const QString& Row :
       {QStringLiteral("i2c address-write 0x%1\n").arg(I2cTargetAddress, 0, 16),
        QStringLiteral("i2c data 0x"),
        QStringLiteral("spi mosi 0x%1\n").arg(SpiCommandByte, 0, 16)}) {
    EXPECT_TRUE(Rows.contains(Row)) << Row.toStdString() << " in\n" << Rows.toStdString();
  }
}

TEST_F(WindowAnalysis, ThePointerOverInput15ShowsThePwmAndLeavesTheReadoutLineUncovered) {
  ASSERT_NO_FATAL_FAILURE(Halt(13));  // 1 ms per division: a PWM period is a tile
  const int Row15 = HorizontalGridY(14) + 15;
  Pointer(470, Row15);
  // 1 kHz, its duty stepping by 1 % a period: a run and the next one span
  // 30 samples, one more or less.
  const QString Lines = Analysis().Overlay->PointerFigures().join('|');
  const auto Figures =
      QRegularExpression(QStringLiteral("^Entrée 15 : (haut|bas)\\|Largeur : [0-9.]+ms\\|"
                                        "Période : ([0-9.]+)ms\\|Fréquence : ([0-9.]+)Hz\\|"
                                        "Rapport cyclique : ([0-9.]+)%$"))
          .match(Lines);
  ASSERT_TRUE(Figures.hasMatch()) << Lines.toStdString();
  EXPECT_NEAR(Figures.captured(2).toDouble(), 1.0, 0.034);
  EXPECT_NEAR(Figures.captured(3).toDouble(), 1000.0, 36.0);
  EXPECT_NEAR(Figures.captured(4).toDouble(), 50.0, 41.0);

  // A press reaches Image2 through the layer: the readout's line is drawn,
  // and the figures' box lying over it leaves that column uncovered.
  QTest::mouseClick(Form->windowHandle(), Qt::LeftButton, {}, At(300, Row15));
  const int LineX = ReadoutLineX(SampleAtX(300));
  ASSERT_EQ(std::as_const(*Form->Image2).Picture().pixel(LineX, GridTop) | 0xFF000000U,
            ColourMagenta);
  Pointer(LineX - 20, Row15);
  const QRect Box = Analysis().Overlay->PointerFiguresBox();
  ASSERT_TRUE(Box.contains(LineX, Box.center().y()));
  const QImage Layer = Analysis().Overlay->Render();
  EXPECT_EQ(qAlpha(Layer.pixel(LineX, Box.center().y())), 0);
  EXPECT_GT(qAlpha(Layer.pixel(LineX + 2, Box.center().y())), 0);

  Pointer(470, GridBottom + 10);  // off the samples: nothing
  EXPECT_TRUE(Analysis().Overlay->PointerFigures().isEmpty());
}

TEST_F(WindowAnalysis, TheMarkerFiguresFollowTheMarkersAsTheyAreDragged) {
  ASSERT_NO_FATAL_FAILURE(Halt(13));
  Analysis().Mesuresentrelesmarqueurs1->trigger();
  ASSERT_TRUE(Form->SpeedButton26->isChecked());
  QTableWidget* Table = Analysis().MarkerWindow->Table;
  // Input 1 toggles every 4 samples: 8 samples per period, 37 or 38 rising
  // edges over the 301 samples between the markers at the start (one more
  // or less where a halt cut an acquisition short).
  EXPECT_NEAR(Table->item(0, 0)->text().toInt(), 37.5, 1.5);
  EXPECT_TRUE(Table->item(0, 6)->text().endsWith(QStringLiteral("Hz")));

  QTest::mousePress(Form->windowHandle(), Qt::LeftButton, {}, At(MarkerRightStart, 200));
  QTest::mouseMove(Form->windowHandle(), At(MarkerRightStart - 250, 200));
  QTest::mouseRelease(Form->windowHandle(), Qt::LeftButton, {}, At(MarkerRightStart - 250, 200));
  Analysis().Sync();
  ASSERT_EQ(Form->MarkerRight, MarkerRightStart - 250);
  EXPECT_NEAR(Table->item(0, 0)->text().toInt(), 22, 2);  // 176 samples
}

// A capture from a file is decoded whole, without a word to the analyser; a
// row scrolls it locally and the mark counts from the session's first index.
TEST_F(WindowAnalysis, AnOpenedCaptureIsDecodedWholeAndScrolledLocally) {
  Form = &Rig.Start("100", "");
  Analyser = &Rig.PlugAnswering();
  const std::string Message = "la16 lit son UART : 0123456789";
  const std::vector<TSample> Samples = UartSamples(Message, 6.25);  // 9600 baud at 500µs
  TExportInfo Info;
  Info.TimeBase = FindTimeBase(12);
  Info.FirstIndex = 100;
  const QString Path = Rig.Harness.DataDir.filePath("u.sr");
  QFile File(Path);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  File.write(QByteArray::fromStdString(*BuildSigrokSession(Samples, Info)));
  File.close();
  ASSERT_TRUE(Form->OpenCapture(Path));
  const std::size_t Sent = TAnalyserRig::Heads(Analyser->HidInterface()).size();

  Analysis().RunDecoders({Spec("uart:rx=9:baudrate=9600")});
  std::string Text;
  for (const TAnnotation& A : Analysis().Annotations()) {
    Text += A.Event == "data" ? std::string(1, static_cast<char>(A.Value.value_or(0))) : "";
  }
  EXPECT_EQ(Text, Message);
  // The start bit at sample 20 of the file is memory index 120.
  EXPECT_GE(Analysis().Annotations().front().FirstSample, 120);
  EXPECT_LE(Analysis().Annotations().front().FirstSample, 127);

  QTableWidget* Table = Analysis().DecodeWindow->Table;
  Table->setCurrentCell(Table->rowCount() - 1, 0);
  const int Offset = Form->ScrollBar1->value();
  const TAnnotation& Last = Analysis().Annotations().back();
  EXPECT_GT(Offset, 0);
  EXPECT_EQ(Held(Form->State.SampleBuffer)[0], Samples[static_cast<std::size_t>(Offset)]);
  EXPECT_EQ(TAnalyserRig::Heads(Analyser->HidInterface()).size(), Sent);
  ASSERT_TRUE(Analysis().Overlay->Mark().has_value());
  EXPECT_EQ(Analysis().Overlay->Mark()->FirstCell, Last.FirstSample - 100 - Offset + 1);
}

// The dialog starts from the file's good lines, refuses a bad option with
// its message and decodes only what it lists.
TEST_F(WindowAnalysis, TheDialogListsTheKeptDecodersAndRefusesABadOne) {
  ASSERT_NO_FATAL_FAILURE(Halt(13));
  QFile Kept(Analysis().SettingsPath());
  ASSERT_TRUE(Kept.open(QIODevice::WriteOnly));
  Kept.write("uart:rx=99\r\npwm:data=15\r\n");
  Kept.close();
  Analysis().Dcoder1->trigger();
  TDecodeDialog* Dialog = Analysis().DecodeDialog;
  ASSERT_EQ(Dialog->DecoderList->count(), 1);
  EXPECT_EQ(Dialog->DecoderList->item(0)->text(),
            QStringLiteral("pwm:data=15:polarity=active-high"));
  Dialog->ChooseDecoder(Dialog->DecoderChoice->findText(QStringLiteral("UART")));
  ASSERT_TRUE(Dialog->SetOption("baudrate", QStringLiteral("neuf")));
  Dialog->AddButton->click();
  EXPECT_EQ(Dialog->DecoderList->count(), 1);
  EXPECT_TRUE(Dialog->ErrorLabel->text().contains(QStringLiteral("baudrate")));
  ASSERT_NO_FATAL_FAILURE(Decode(Dialog->DecodeButton));
  ASSERT_FALSE(Analysis().Annotations().empty());
  for (const TAnnotation& A : Analysis().Annotations()) {
    ASSERT_EQ(A.Decoder, "pwm");
  }
  // While the analyser loops nothing of the analysis is drawn.
  Form->SpeedButton24->click();
  Pointer(470, 300);
  EXPECT_TRUE(Analysis().Overlay->Spans().empty());
  EXPECT_TRUE(Analysis().Overlay->PointerFigures().isEmpty());
}

// A line the parser refuses is skipped, the rest is kept as written.
TEST(DecoderSettings, ABadLineIsSkippedAndTheOthersReadBack) {
  const auto Specs = ParseDecoderSettings("bogus\r\nuart:rx=9\r\n\r\nspi:clk=1\ni2c:scl=10:sda=11");
  ASSERT_EQ(Specs.size(), 2U);
  EXPECT_EQ(FormatDecoderSpec(Specs[1]), "i2c:scl=10:sda=11");
  EXPECT_EQ(ParseDecoderSettings(FormatDecoderSettings(Specs)).size(), 2U);
}

}  // namespace
