// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "acquisition/PcSpeedSetting.h"
#include "acquisition/TimeBase.h"
#include "acquisition/TriggerTexts.h"
#include "app/AnalysisComponent.h"
#include "app/Application.h"
#include "app/CaptureFiles.h"
#include "app/ControlSemantics.h"
#include "app/Environment.h"
#include "app/FormBuilding.h"
#include "app/PictureControl.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "display/PictureBox.h"
#include "display/SystemFileName.h"
#include "display/ViewNavigation.h"
#include "link/JvHidControllerClass.h"
#include "link/QtMainThreadLoop.h"

namespace {
constexpr int ClientWidth = 961;
constexpr int ClientHeight = 695;
}  // namespace

TForm1::TForm1(TEnvironment& Environment, QWidget* Parent)
    : QMainWindow(Parent), Environment(Environment) {
  setWindowTitle(QStringLiteral("Analyseur logique USB V1.6"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(FormBuilding::DialogFont());

  CaptureFiles = std::make_unique<TCaptureFiles>(*this);
  auto* Client = new QWidget(this);
  Client->setObjectName(QStringLiteral("ClientArea"));
  Client->setFixedSize(ClientWidth, ClientHeight);
  setCentralWidget(Client);

  BuildMenus();
  BuildToolBar(Client);
  BuildTraceArea(Client);
  BuildScrollRow(Client);
  BuildTimeBaseGroup(Client);
  BuildAcquisitionGroup(Client);
  BuildTriggerGroup(Client);
  BuildPullAndMeasureGroups(Client);
  BuildStartPrompt(Client);
  StatusBar1 = FormBuilding::Place<TStatusBar>(Client, "StatusBar1", 0, 672, ClientWidth, 23);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);

  // Fixed size, centred on the desktop.
  setFixedSize(sizeHint());
  if (const QScreen* Screen = screen()) {
    const QRect Desktop = Screen->availableGeometry();
    move(Desktop.center() - rect().center());
  }

  WireHandlers();
  Analysis = new TAnalysisComponent(*this);
  Timer1->start();
  FormCreate();
  // Only now: a box start-up opens runs a loop of its own, in which the
  // controller's first scan would attach an analyser that the rest of
  // start-up then undoes.
  CreateAnalyserLink();
}

TForm1::~TForm1() {
  ReleaseAnalyserLink();
  FormDestroy();
}

QString TForm1::FileInProgramFolder(const QString& Name) const {
  return ProgramFolderPath + Name;
}

void TForm1::LoadSettings() {
  Settings = ReadSettingsFile(FileInProgramFolder(QString::fromLatin1(SettingsFileName)));
}

void TForm1::SaveSettings() {
  WriteSettingsFile(FileInProgramFolder(QString::fromLatin1(SettingsFileName)), Settings);
}

QRadioButton* TForm1::TriggerModeButton(int Mode) const {
  switch (Mode) {
    case TriggerModeOff:
      return RadioButton1;
    case TriggerModeInternalEqual:
      return RadioButton2;
    case TriggerModeExternalHigh:
      return RadioButton3;
    case TriggerModeExternalLow:
      return RadioButton4;
    default:
      throw std::out_of_range("trigger mode " + std::to_string(Mode) + " does not exist");
  }
}

QToolButton* TForm1::TimeBaseButton(int Index) const {
  const TTimeBase* Base = FindTimeBase(Index);
  if (Base == nullptr) {
    throw std::out_of_range("time base " + std::to_string(Index) + " does not exist");
  }
  return TimeBaseButtons[static_cast<std::size_t>(Base - TimeBaseTable.data())];
}

void TForm1::ReportStartUpFailure(const std::exception& Error) {
  if (!StartUpFailureShown) {
    StartUpFailureShown = true;
    Environment.ShowError(QString::fromUtf8(Error.what()));
  }
}

void TForm1::FormCreate() {
  using namespace ControlSemantics;
  // The program's own folder, or the per-user one when the program's cannot
  // be written or is a system folder (an installed program).
  const bool Installed = Environment.Installed();
  const TProgramFolder Folder =
      ChooseProgramFolder(Environment.ProgramFolder(), Environment.UserDataFolder(), Installed);
  ProgramFolderPath = Folder.Path;
  if (!Folder.Writable) {
    const QString Message =
        Installed ? QStringLiteral(
                        "Erreur d'entrée/sortie : « %1 » ne peut être écrit ; "
                        "les réglages ne seront pas enregistrés.")
                        .arg(QDir::toNativeSeparators(Folder.Path))
                  : QStringLiteral(
                        "Erreur d'entrée/sortie : ni « %1 » ni « %2 » ne peuvent être "
                        "écrits ; les réglages ne seront pas enregistrés.")
                        .arg(QDir::toNativeSeparators(Folder.Path),
                             QDir::toNativeSeparators(Environment.UserDataFolder()));
    ReportStartUpFailure(std::runtime_error(Message.toStdString()));
  }

  LoadSettings();                                                                          // 1
  Settings.ProgramFolder() = SystemFileName(QDir::toNativeSeparators(ProgramFolderPath));  // 2
  try {                                                                                    // 3
    SaveSettings();
  } catch (const TSettingsWriteError& Error) {
    ReportStartUpFailure(Error);
  }
  GroupBox1->setEnabled(false);  // 4
  GroupBox3->setEnabled(false);
  GroupBox2->setEnabled(false);
  TimeBaseGroup = MakeExclusiveGroup(  // 5
      this,
      {SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton8, SpeedButton9, SpeedButton10,
       SpeedButton11, SpeedButton12, SpeedButton13, SpeedButton14, SpeedButton15, SpeedButton16,
       SpeedButton17, SpeedButton18, SpeedButton19, SpeedButton20, SpeedButton21, SpeedButton22});
  PutDown(SpeedButton14);
  MakeToggleButton(SpeedButton26);  // 6
  SpeedButton26->setEnabled(false);
  AcquisitionGroup = MakeExclusiveGroup(this, {SpeedButton25, SpeedButton24, SpeedButton23});  // 7
  PutDown(SpeedButton23);
  State.TimeBaseIndex = DefaultTimeBaseIndex;  // 8
  SelectTriggerMode(TriggerModeOff);           // 9
  Image1->hide();                              // 10
  Image2->show();
  State.SingleShot = 0;  // 11
  RedrawScreen();        // 12
  PresentScreen();
  Afficherfrontsmontantsetdescendants1->setChecked(true);  // 13
  Afficherfrontsmontantsetdescendants1->setEnabled(false);
  Indicateurs116ouD0D151->setChecked(Settings.IndicatorSetting() == "1");  // 14
  Indicateurs116ouD0D151->setEnabled(false);
  for (QAction* Item : {Sauvegarder1, Imprimer1, Copier1}) {  // 15
    Item->setEnabled(false);
  }
  for (QToolButton* Button : {ToolButton3, ToolButton2, ToolButton5}) {
    Button->setEnabled(false);
  }
  GroupBox5->setEnabled(false);           // 16
  ScrollBar1->setMaximum(ViewOffsetMax);  // 17
  ScrollBar1->setEnabled(false);
  for (QToolButton* Button : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4}) {
    Button->setEnabled(false);
  }
  State.TriggerPattern = 0;    // 18
  Panel3->show();              // 19
  State.SampleBuffer.Clear();  // 20
  State.MouseHeld = 0;         // 21
  State.AcquisitionStopped = 0;
  Panel5->hide();  // 22
  // 23: an empty or non-numeric setting (first start) counts as absent: the
  // slider keeps its position and the line stays as it is.
  const std::optional<int> PcSpeed = ParsePcSpeedSetting(Settings.PcSpeedSetting());
  if (PcSpeed) {
    try {
      // Runs TrackBar1Change only on a change.
      CarryHandlerErrors([&] { TrackBar1->setValue(ClampPcSpeed(*PcSpeed)); });
    } catch (const TSettingsWriteError& Error) {
      ReportStartUpFailure(Error);
    }
  }
  Label9->setText(PcSpeed ? QString::fromStdString(Settings.PcSpeedSetting())  // 24
                          : QString::number(TrackBar1->value()));
  RglagedelavitessedevotrePC1->setEnabled(false);  // 25
  ToolButton1->setEnabled(false);
  Image9->hide();  // 26
  Image8->hide();
  Panel6->hide();
}

void TForm1::SendCloseOnce() {
  // Quit ends the application, which may close the window too: the analyser
  // is told once.
  if (AnalyserDevice != nullptr && !CloseSent) {
    CloseSent = true;
    SendCommand(cmdClose);
  }
}

void TForm1::FormCloseQuery(bool& CanClose) {
  SendCloseOnce();
  CanClose = true;
}

void TForm1::Quitter2Click() {
  SendCloseOnce();
  QCoreApplication::quit();
}

void TForm1::FormDestroy() {
  Timer1->stop();
  Image1->Picture() = QImage();  // the back buffer
  // The renderer that owns it goes before the control does.
  Image1->SharePicture(nullptr);
}

void TForm1::closeEvent(QCloseEvent* Event) {
  bool CanClose = true;
  FormCloseQuery(CanClose);
  Event->setAccepted(CanClose);
}
