// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the user guide's pictures (docs/guide/images/) of la16 at work on the
// simulated analyser, as `la16 --simulate` runs it: the analyser is plugged in
// a second after start, then the pictures follow a session from the first
// looped acquisition to the halt, the readout, the markers, a move to the end
// of the memory, saving, printing, exporting the memory, opening the export
// and About. Run on a display
// (scripts/guide-screenshots starts one under Xvfb):
//   la16-guide-shots FOLDER
// The program works in a folder of its own with a fixed clock, so the date on
// the pictures and the proposed file name stay the same from run to run.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

#include "analysis/DecoderTable.h"
#include "app/AnalysisComponent.h"
#include "app/AnalysisWindows.h"
#include "app/Application.h"
#include "app/CaptureFiles.h"
#include "app/DecodeDialog.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/QtEnvironment.h"
#include "app/SettingsFormat.h"
#include "display/PictureBox.h"
#include "display/SnapshotFile.h"
#include "display/TraceGeometry.h"
#include "docs/shots/ShotKit.h"

namespace {

// la16 --simulate in a folder of its own, at a fixed date and time.
class TShotEnvironment : public TQtEnvironment {
 public:
  explicit TShotEnvironment(QString Folder)
      : TQtEnvironment(THidBackend::Simulated), Folder(std::move(Folder)) {}
  QString ProgramFolder() const override { return Folder; }
  QString UserDataFolder() const override { return Folder; }
  QDateTime Now() const override { return {QDate(2026, 12, 8), QTime(9, 5, 9)}; }

 private:
  QString Folder;
};

// A user who has worked before: pull-down, rows numbered 1 to 16, and a
// folder of saved traces that the save dialog opens in.
void WriteSettings(const QDir& Work) {
  Work.mkpath(QStringLiteral("Mesures"));
  TSettings Settings;
  Settings.SaveFolder() = Work.filePath(QStringLiteral("Mesures")).toStdString();
  Settings.PullSetting() = "0";
  Settings.PcSpeedSetting() = "200";
  Settings.IndicatorSetting() = "1";
  QFile File(Work.filePath(QStringLiteral("parametres.inf")));
  File.open(QIODevice::WriteOnly);
  File.write(QByteArray::fromStdString(SerialiseSettings(Settings)));
}

// Two traces saved on earlier days, as the save dialog will list them.
void WriteOldTraces(const QDir& Work, const QImage& Picture) {
  for (const QDateTime& When : {QDateTime(QDate(2026, 12, 1), QTime(17, 42, 10)),
                                QDateTime(QDate(2026, 12, 7), QTime(11, 3, 55))}) {
    const QString Path =
        Work.filePath(When.toString(QStringLiteral("'Mesures/Trace_'d_M_yyyy__H_mm_ss'.bmp'")));
    WriteBmpFile(Picture, Path);
    QFile File(Path);
    File.open(QIODevice::ReadWrite);
    File.setFileTime(When, QFileDevice::FileModificationTime);
  }
}

// Area of Widget in Window's coordinates, grown by Margin on every side.
QRect AreaOf(const QWidget* Widget, const QWidget* Window, int Margin = 0) {
  return QRect(Widget->mapTo(Window, QPoint(0, 0)), Widget->size())
      .adjusted(-Margin, -Margin, Margin, Margin)
      .intersected(Window->rect());
}

// Drags the measurement markers to Left and Right (Left < Right) with the
// mouse held, as a user does: the nearer marker follows the pointer.
bool DragMarkers(TForm1& Form, int Left, int Right) {
  TPictureBox* Picture = Form.Image2;
  SendMouse(Picture, QEvent::MouseButtonPress, {Form.MarkerLeft, 250});
  for (int Move = 0; Move < 40 && (Form.MarkerLeft != Left || Form.MarkerRight != Right); ++Move) {
    const int Mid = Form.MarkerLeft + (Form.MarkerRight - Form.MarkerLeft) / 2;
    int X = 0;
    if (Form.MarkerLeft != Left && (Left < Mid || Left <= Form.MarkerLeft)) {
      X = Left;
    } else if (Form.MarkerRight != Right) {
      X = Right > Mid ? Right : Mid + 1;
    } else {
      X = Mid - 1;  // the left marker's target lies past the middle
    }
    SendMouse(Picture, QEvent::MouseMove, {X, 250});
  }
  SendMouse(Picture, QEvent::MouseButtonRelease, {Form.MarkerRight, 250});
  return Form.MarkerLeft == Left && Form.MarkerRight == Right;
}

// The first two rising edges of an input of inputs 9 to 16 past sample From.
std::pair<int, int> RisingEdges(const TForm1& Form, int Bit, int From) {
  std::vector<int> Edges;
  for (int N = From + 1; N <= 450 && Edges.size() < 2; ++N) {
    const bool Before = (Form.State.SampleBuffer.Cell(2, N - 1) >> Bit) & 1;
    const bool Now = (Form.State.SampleBuffer.Cell(2, N) >> Bit) & 1;
    if (!Before && Now) {
      Edges.push_back(N);
    }
  }
  return Edges.size() == 2 ? std::pair{Edges[0], Edges[1]} : std::pair{0, 0};
}

}  // namespace

int main(int Argc, char** Argv) {
  if (Argc != 2) {
    std::fprintf(stderr, "usage: la16-guide-shots FOLDER\n");
    return 2;
  }
  // A fixed folder, also the home folder, so that the dialogs show the same
  // paths every time.
  QDir Work(QDir::tempPath() + QStringLiteral("/la16-guide"));
  qputenv("HOME", QFile::encodeName(Work.path()));
  TApplication Application(Argc, Argv);
  TShotFolder Shots(QString::fromLocal8Bit(Argv[1]));
  Work.removeRecursively();
  Work.mkpath(QStringLiteral("."));
  WriteSettings(Work);
  TShotEnvironment Environment(Work.path() + QStringLiteral("/"));
  Application.SetEnvironment(&Environment);
  TForm1 Form1(Environment);
  TForm2 Form2(Environment);
  Form1.Form2 = &Form2;
  Form1.show();
  Settle();
  // Before the analyser is plugged in, and the help menu.
  if (Shots.Check(Form1.Panel3->isVisible(), "plug-in panel")) {
    Shots.Save(Form1.grab().toImage(), QStringLiteral("fenetre-attente.png"));
  }
  Form1.Aide1->popup(Form1.mapToGlobal(QPoint(150, 20)));
  Settle();
  Shots.Save(Form1.Aide1->grab().toImage(), QStringLiteral("menu-aide.png"));
  Form1.Aide1->hide();

  // Plugged in: the start prompt.
  if (!Shots.Check(
          WaitUntil([&] { return Form1.AnalyserDevice != nullptr && Form1.Panel6->isVisible(); }),
          "the analyser's attach")) {
    return 1;
  }
  Settle();
  Shots.Save(Form1.grab().toImage(), QStringLiteral("analyseur-branche.png"));
  TRestitutionCounter Restitutions(Form1);

  // A looped acquisition.
  Form1.SpeedButton24->click();
  Shots.Check(Restitutions.WaitFor(3), "looped restitutions");
  Settle();
  Shots.Save(Form1.grab().toImage(), QStringLiteral("acquisition-boucle.png"));
  WriteOldTraces(Work, std::as_const(*Form1.Image2).Picture());
  Shots.Save(Form1.GroupBox1->grab().toImage(), QStringLiteral("base-de-temps.png"));

  // Internal trigger on inputs 1 and 3 high, the others low.
  Form1.RadioButton2->click();
  Form1.CheckBox1->click();
  Form1.CheckBox3->click();
  Shots.Check(Restitutions.WaitFor(2), "triggered restitutions");
  Settle();
  Shots.Save(Form1.grab().toImage(), QStringLiteral("trigger-interne.png"));
  Form1.RadioButton1->click();
  Shots.Check(Restitutions.WaitFor(2), "restitutions without trigger");

  // Pull-up: input 16, left open, reads high.
  Form1.RadioButton5->click();
  Shots.Check(Restitutions.WaitFor(2), "restitutions with pull-up");
  Settle();
  // The right end of rows 15 and 16, down to the pull group.
  const QPoint RowsCorner = Form1.Image2->mapTo(&Form1, QPoint(690, 440));
  const QRect PullGroup = AreaOf(Form1.GroupBox5, &Form1, 4);
  Shots.Save(GrabPart(&Form1, QRect(RowsCorner, PullGroup.bottomRight())),
             QStringLiteral("pull.png"));

  // The PC speed panel over the traces.
  Form1.ToolButton1->click();
  Form1.TrackBar1->setValue(300);
  Settle();
  Shots.Save(GrabPart(&Form1, AreaOf(Form1.Panel5, &Form1, 36)), QStringLiteral("vitesse-pc.png"));
  Form1.SpeedButton27->click();

  // Halt, then the readout of sample 120.
  Form1.SpeedButton23->click();
  Settle(std::chrono::milliseconds(800));
  SendMouse(Form1.Image2, QEvent::MouseButtonPress, {2 * 120 + 20, 250});
  SendMouse(Form1.Image2, QEvent::MouseButtonRelease, {2 * 120 + 20, 250});
  Settle();
  Shots.Save(Form1.Image2->grab().toImage(), QStringLiteral("lecture.png"));

  // Markers on two rising edges (drawn at 2n + 19) of the PWM on input 15: one period.
  Form1.SpeedButton26->click();
  const auto [First, Second] = RisingEdges(Form1, 6, 60);
  if (Shots.Check(First > 0, "two PWM edges") &&
      Shots.Check(DragMarkers(Form1, 2 * First + 19, 2 * Second + 19), "marker drag")) {
    Settle();
    Shots.Save(Form1.Image2->grab().toImage(), QStringLiteral("marqueurs.png"));
  }
  Form1.SpeedButton26->click();

  // Forward through the memory until the end's message.
  for (int Move = 0; Move < 6 && Form1.ScrollBar1->value() + 300 <= Form1.ScrollBar1->maximum();
       ++Move) {
    Form1.SpeedButton2->click();
    Shots.Check(Restitutions.WaitFor(1), "a window of the memory");
  }
  Shots.Check(
      AnswerModal([&] { Form1.SpeedButton2->click(); },
                  [&](QWidget* Box) {
                    const QRect Row =
                        GlobalRect(Form1.SpeedButton4).united(GlobalRect(Form1.SpeedButton2));
                    Shots.Save(GrabScreen(GlobalRect(Box).united(Row).adjusted(0, -12, 0, 0)),
                               QStringLiteral("navigation.png"));
                  }),
      "limit message");

  // Save and print dialogs, About.
  Shots.Check(AnswerModal([&] { Form1.ToolButton3->click(); },
                          [&](QWidget* Dialog) {
                            Dialog->resize(720, 400);  // wide enough for every column
                            Settle();
                            Shots.Save(Dialog->grab().toImage(), QStringLiteral("sauvegarde.png"));
                          }),
              "save dialog");
  Shots.Check(AnswerModal([&] { Form1.Imprimer1->trigger(); },
                          [&](QWidget* Dialog) {
                            Shots.Save(Dialog->grab().toImage(), QStringLiteral("impression.png"));
                          }),
              "print dialog");
  // Export of the whole memory: the progress while its windows come in; then
  // the session opened again.
  const QString Exported = Work.filePath(QStringLiteral("Mesures/Capture_8_12_2026__9_05_09.sr"));
  bool ProgressTaken = false;
  QTimer Answer;
  Answer.setInterval(20);
  QObject::connect(&Answer, &QTimer::timeout, [&] {
    QWidget* Modal = QApplication::activeModalWidget();
    if (auto* Dialog = qobject_cast<QFileDialog*>(Modal)) {
      Dialog->selectFile(Exported);
      static_cast<QDialog*>(Dialog)->accept();  // QFileDialog::accept, as the button
    }
    auto* Progress = Form1.findChild<QProgressDialog*>(QStringLiteral("ExportProgress"));
    if (!ProgressTaken && Progress != nullptr && Progress->isVisible() && Progress->value() >= 2) {
      ProgressTaken = true;
      Shots.Save(GrabScreen(GlobalRect(&Form1)), QStringLiteral("export-progression.png"));
    }
  });
  Answer.start();
  Form1.ToolButton12->click();
  for (int Wait = 0; Wait < 300 && Form1.CaptureFiles->Exporting(); ++Wait) {
    Settle(std::chrono::milliseconds(100));  // the memory comes in after the dialog
  }
  Answer.stop();
  Shots.Check(ProgressTaken, "export progress");
  if (Shots.Check(QFile::exists(Exported), "exported session") &&
      Shots.Check(Form1.OpenCapture(Exported), "opened capture")) {
    Form1.ScrollBar1->setValue(600);
    Settle();
    Shots.Save(Form1.grab().toImage(), QStringLiteral("capture-ouverte.png"));
  }

  // Analysis, halted at 500 µs per division: the UART and the PWM decoded,
  // the figures at the pointer and between the markers.
  Form1.SpeedButton24->click();
  Form1.TimeBaseButton(12)->click();
  Shots.Check(Restitutions.WaitFor(2), "restitutions at 500 µs");
  Form1.SpeedButton23->click();
  Settle(std::chrono::milliseconds(800));
  TAnalysisComponent& Analysis = *Form1.Analysis;
  Analysis.Dcoder1Click();
  std::vector<TDecoderSpec> Specs;
  for (const char* Text : {"uart:rx=9:baudrate=9600", "pwm:data=15"}) {
    Specs.push_back(std::get<TDecoderSpec>(ParseDecoderSpec(Text)));
  }
  Analysis.DecodeDialog->SetSpecs(Specs);
  Analysis.DecodeDialog->DecoderList->setCurrentRow(0);
  Settle();
  Shots.Save(Analysis.DecodeDialog->grab().toImage(), QStringLiteral("analyse-decoder.png"));
  Analysis.DecodeDialog->DecodeButton->click();
  for (int Wait = 0; Wait < 100 && Form1.CaptureFiles->Exporting(); ++Wait) {
    Settle(std::chrono::milliseconds(100));  // the memory fetched first
  }
  Settle();
  if (Shots.Check(Analysis.DecodeWindow != nullptr && !Analysis.Annotations().empty(),
                  "annotations")) {
    // The tenth UART character chosen: the view goes there.
    int Row = 0;
    for (int Seen = 0; Row + 1 < static_cast<int>(Analysis.Annotations().size()); ++Row) {
      const TAnnotation& A = Analysis.Annotations()[static_cast<std::size_t>(Row)];
      if (A.Decoder == "uart" && A.Event == "data" && ++Seen == 10) {
        break;
      }
    }
    Analysis.DecodeWindow->Table->setCurrentCell(Row, 0);
    Analysis.DecodeWindow->move(Form1.geometry().topRight() + QPoint(8, 0));
    Settle(std::chrono::milliseconds(800));
    Shots.Save(Analysis.DecodeWindow->grab().toImage(), QStringLiteral("analyse-tableau.png"));
    Shots.Save(Form1.Panel1->grab(Form1.Image2->geometry()).toImage(),
               QStringLiteral("analyse-trace.png"));
  }
  SendMouse(Form1.Image2, QEvent::MouseMove, {600, HorizontalGridY(14) + 15});
  Settle();
  Shots.Save(Form1.Panel1->grab(Form1.Image2->geometry()).toImage(),
             QStringLiteral("analyse-pointeur.png"));
  Analysis.Mesuresentrelesmarqueurs1Click();
  Settle();
  Shots.Save(Analysis.MarkerWindow->grab().toImage(), QStringLiteral("analyse-marqueurs.png"));
  Analysis.MarkerWindow->close();
  Analysis.DecodeWindow->close();
  Form1.SpeedButton26->click();

  // The I2C and SPI buses, on the external pulse at 5 µs per division.
  Form1.SpeedButton24->click();
  Form1.TimeBaseButton(FindTimeBaseByCaption("5µs")->Index)->click();
  Form1.RadioButton3->click();
  Shots.Check(Restitutions.WaitFor(2), "restitutions at 5 µs");
  Form1.SpeedButton25->click();
  Settle(std::chrono::milliseconds(1500));
  std::vector<TDecoderSpec> Buses;
  for (const char* Text : {"i2c:scl=10:sda=11", "spi:clk=12:mosi=13:cs=14"}) {
    Buses.push_back(std::get<TDecoderSpec>(ParseDecoderSpec(Text)));
  }
  Analysis.RunDecoders(Buses);
  for (int Wait = 0; Wait < 100 && Form1.CaptureFiles->Exporting(); ++Wait) {
    Settle(std::chrono::milliseconds(100));
  }
  Settle(std::chrono::milliseconds(800));
  if (Shots.Check(Analysis.DecodeWindow != nullptr, "bus table")) {
    Analysis.DecodeWindow->Table->setCurrentCell(1, 0);  // the start of the memory
    Settle(std::chrono::milliseconds(800));
    Shots.Save(Analysis.DecodeWindow->grab().toImage(), QStringLiteral("analyse-bus-tableau.png"));
    Shots.Save(Form1.Panel1->grab(Form1.Image2->geometry()).toImage(),
               QStringLiteral("analyse-bus-trace.png"));
    Analysis.DecodeWindow->close();
  }

  Form1.Aproposde1->trigger();
  Settle();
  Shots.Save(Form2.grab().toImage(), QStringLiteral("a-propos.png"));
  Form2.Image1Click();

  Form1.close();
  Work.removeRecursively();
  return Shots.AllDone() ? 0 : 1;
}
