// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: owns every control (app/Form1Controls.h), the settings
// lines, the analyser device and the run's shared values, and carries the
// event handlers. Each handler lives in a file of its subsystem (app/,
// acquisition/, display/, link/); the capture files are a component of their
// own (app/CaptureFiles.h). What only the form's own files use is private.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "app/ApplicationState.h"
#include "app/Form1Controls.h"
#include "app/SettingsFormat.h"
#include "display/TraceGeometry.h"
#include "display/TraceRenderer.h"
#include "display/ViewNavigation.h"
#include "link/AnalyserProtocol.h"

class QButtonGroup;
class QRadioButton;
class QToolButton;
class TAnalysisComponent;
class TCaptureFiles;
class TEnvironment;
class TForm2;
class TJvHidDevice;
class TJvHidDeviceController;
class TQtMainThreadLoop;

class TForm1 : public QMainWindow, public TForm1Controls {
  Q_OBJECT
  friend class TCaptureFiles;

 public:
  /// Builds every control with its design-time properties, then runs
  /// FormCreate (start-up).
  explicit TForm1(TEnvironment& Environment, QWidget* Parent = nullptr);
  ~TForm1() override;

  // ---- Start, end and the settings file (app/Form1.cpp) ----
  /// Close request of the window: cmdClose when an analyser is held; the
  /// window may always close.
  void FormCloseQuery(bool& CanClose);
  /// Menu "Quitter" and the quit tool button: cmdClose when an analyser is
  /// held, then the application ends.
  void Quitter2Click();
  /// Writes Settings to "parametres.inf"; throws TSettingsWriteError.
  void SaveSettings();
  /// Path of a file in the program folder (settings file, snapshot).
  QString FileInProgramFolder(const QString& Name) const;

  // ---- Commands to the analyser (link/SendCommand.cpp) ----
  /// Fills CommandReport, then writes it to AnalyserDevice when one is held.
  void SendCommand(TAnalyserCommand Code);
  void SendCommand(TAnalyserCommand Code, std::uint8_t P1);
  void SendCommand(TAnalyserCommand Code, std::uint8_t P1, std::uint8_t P2);

  // ---- Sample reception (acquisition/SampleReception.cpp) ----
  /// One input report of the analyser: Data holds the Size bytes after the
  /// report id, block code first.
  void AnalyserDeviceData(TJvHidDevice& HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size);

  // ---- Trace picture (display/TraceScreen.cpp; the time-base, trigger and
  // pull texts in the files of their subsystems) ----
  /// The empty screen into the back buffer (Image1's picture) from
  /// ScreenState(); the clock stamp is also drawn on Image2 and Panel1
  /// turns white.
  void RedrawScreen();
  /// Copies the back buffer to the visible picture (Image2's), erasing every
  /// overlay on it.
  void PresentScreen();
  /// Sample N (1..450) of Group (1 or 2) into the back buffer; Value is a
  /// sample byte (only its low 8 bits count). The edges option is read here,
  /// so a change of it shows from the next sample. Drawn: the inputs of the
  /// group drawn, by bit.
  void DrawSample(int Group, int N, int Value, int Drawn = 0xFF);
  /// Writes Image2 to the snapshot file "1.bmp" of the program folder, whole
  /// or not at all. Throws TFileWriteError (message for the error box) when
  /// it cannot, and the old file stays; callers carry out the rest of their
  /// command before they show it.
  void WriteSnapshotFile();
  /// The trigger mode whose radio button is checked; None before start-up
  /// checks one.
  TTriggerMode CheckedTriggerMode() const;
  /// Draws the trace picture; its back buffer is Image1's picture.
  TTraceRenderer Renderer;

  // ---- Cursor readout and measurement markers (display/Markers.cpp) ----
  void Image2MouseDown(int X, int Y);
  void Image2MouseMove(int X, int Y);
  void Image2MouseUp(int X, int Y);
  /// The 16 inputs at the sample under column X on the visible picture, with
  /// a magenta line on that sample; nothing outside samples 1..450.
  void ShowReadout(int X);
  /// The two green markers and the measurement on the visible picture, only
  /// when stopped with SpeedButton26 down.
  void DrawMarkers();
  /// x of the measurement markers; each switch-on puts them at 170 and 770.
  int MarkerLeft = MarkerLeftStart;
  int MarkerRight = MarkerRightStart;

  // ---- Acquisition modes and clock tick (acquisition/AcquisitionModes.cpp) ----
  void SpeedButton25Click();

  // ---- Trigger mode (acquisition/TriggerConfiguration.cpp) ----
  /// Checks the mode's radio button (which runs its handler when it was not
  /// checked) and enables the pattern boxes for mode 1 only.
  void SelectTriggerMode(int Mode);

  // ---- Output (app/Output.cpp), About and online guide (app/About.cpp) ----
  void Sauvegarder1Click();
  void Imprimer1Click();
  void Copier1Click();
  void Aproposde1Click();

  // ---- Capture files (app/CaptureOpen.cpp, app/CaptureExport.cpp) ----
  /// Shows the capture in the file at Path (TCaptureFiles::Open).
  bool OpenCapture(const QString& Path);
  /// Opened captures and exports; reception hands it every report first.
  std::unique_ptr<TCaptureFiles> CaptureFiles;
  /// The "Analyse" menu and everything it shows; a child of the window.
  TAnalysisComponent* Analysis = nullptr;

  /// Every HID interface of the machine, on the window's loop.
  std::unique_ptr<TJvHidDeviceController> JvHidDeviceController1;

  // ---- State ----
  /// The lines of "parametres.inf".
  TSettings Settings;
  /// The attached analyser; null while none is (before the attach, once lost).
  TJvHidDevice* AnalyserDevice = nullptr;
  /// The values shared by the handlers.
  TApplicationState State;
  /// Restitutions whose end block has been drawn: a picture shown. Only the
  /// measurement hooks read it.
  std::int64_t RestitutionsShown = 0;
  /// Blocks of the restitution under way received so far: bits 0-7 blocks 1
  /// to 8, bits 8-15 blocks 11 to 18, StartBlockSeen its start block.
  std::uint32_t RestitutionBlocks = 0;
  /// Outside world: folders, clock, boxes, beep, shell.
  TEnvironment& Environment;
  /// The About window, created hidden by process entry and kept.
  TForm2* Form2 = nullptr;

  /// The radio button of trigger mode Mode (0..3).
  QRadioButton* TriggerModeButton(int Mode) const;
  /// Time-base button of TimeBaseIndex Index (4..21).
  QToolButton* TimeBaseButton(int Index) const;

 protected:
  void closeEvent(QCloseEvent* Event) override;

 private:
  // ---- Only the form's own files use these (file named at the first) ----
  /// Start-up: loads the settings and puts every control in its waiting state.
  void FormCreate();  // app/Form1.cpp
  /// Destruction: releases the back buffer; nothing is saved or sent.
  void FormDestroy();
  /// Reads "parametres.inf" of the program folder into Settings.
  void LoadSettings();
  /// A HID interface appeared: the analyser is taken, configured and the
  /// window switched to its ready state; any other device is ignored.
  void JvHidDeviceController1Arrival(TJvHidDevice& HidDev);  // link/AnalyserAttach.cpp
  /// A HID interface went away: an analyser is released and, when none is
  /// left, the window waits for one again, keeping what it shows.
  void JvHidDeviceController1Removal(TJvHidDevice& HidDev);
  /// At an end block: a restitution with blocks missing says so in status
  /// panel 1 until a whole one comes.
  void NoteRestitutionWhole(bool Whole);  // acquisition/SampleReception.cpp
  /// What the empty screen shows, read from the controls, or recorded by the
  /// capture shown.
  TScreenState ScreenState() const;  // display/TraceScreen.cpp
  /// Takes the environment's clock into State.ClockStamp and writes time and
  /// date on the back buffer, then on Image2.
  void DrawClockStamp();
  /// The pull whose radio button is checked, if any (acquisition/InputPull.cpp).
  TPull CheckedPull() const;
  void Afficherfrontsmontantsetdescendants1Click();  // display/DisplayOptions.cpp
  void Indicateurs116ouD0D151Click();
  /// ViewOffset (ScrollBar1's position) changed: cmdViewPosition, then the
  /// snapshot of the picture as it is before the new window arrives.
  void ScrollBar1Change();  // display/Navigation.cpp
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void SpeedButton4Click();
  /// The wheel over the picture: one tile a notch, through the scroll bar.
  void Image2MouseWheel(int Delta);
  void SpeedButton26Click();  // display/Markers.cpp
  /// dt and 1/dt between the markers, in green under the grid.
  void ShowMeasurement();
  void SpeedButton23Click();  // acquisition/AcquisitionModes.cpp
  void SpeedButton24Click();
  void Timer1Timer();
  /// A time-base button of TimeBaseIndex Index was clicked.
  void TimeBaseButtonClick(int Index);  // acquisition/TimeBaseHandlers.cpp
  void SpeedButton5Click();
  void SpeedButton6Click();
  void SpeedButton7Click();
  void SpeedButton8Click();
  void SpeedButton9Click();
  void SpeedButton10Click();
  void SpeedButton11Click();
  void SpeedButton12Click();
  void SpeedButton13Click();
  void SpeedButton14Click();
  void SpeedButton15Click();
  void SpeedButton16Click();
  void SpeedButton17Click();
  void SpeedButton18Click();
  void SpeedButton19Click();
  void SpeedButton20Click();
  void SpeedButton21Click();
  void SpeedButton22Click();
  void RadioButton1Click();  // acquisition/TriggerConfiguration.cpp
  void RadioButton2Click();
  void RadioButton3Click();
  void RadioButton4Click();
  /// Pattern box K (1..8) changed state.
  void TriggerBoxClick(int K);  // acquisition/TriggerPattern.cpp
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox3Click();
  void CheckBox4Click();
  void CheckBox5Click();
  void CheckBox6Click();
  void CheckBox7Click();
  void CheckBox8Click();
  void SpeedButton28Click();
  void SpeedButton29Click();
  void RadioButton5Click();  // acquisition/InputPull.cpp
  void RadioButton6Click();
  void RglagedelavitessedevotrePC1Click();  // acquisition/PcSpeed.cpp
  void ToolButton1Click();
  void SpeedButton27Click();
  void TrackBar1Change();
  void Aide2Click();  // app/About.cpp
  /// "Ouvrir une capture...": asks for a sigrok session and shows it.
  void Ouvrirunecapture1Click();  // app/CaptureOpen.cpp
  /// "Exporter les données...": the whole memory (or the capture shown) to
  /// a sigrok session, a VCD or a CSV file, written whole or not at all.
  void Exporterlesdonnes1Click();  // app/CaptureExport.cpp
  static constexpr std::uint32_t StartBlockSeen = 1U << 16;
  static constexpr std::uint32_t WholeRestitution = StartBlockSeen | 0xFFFFU;
  /// Status panel 1 before it said a restitution was incomplete.
  QString StatusBeforeIncomplete;

  void BuildMenus();
  void BuildToolBar(QWidget* Client);
  void BuildTraceArea(QWidget* Client);
  void BuildScrollRow(QWidget* Client);
  void BuildTimeBaseGroup(QWidget* Client);
  void BuildAcquisitionGroup(QWidget* Client);
  void BuildTriggerGroup(QWidget* Client);
  void BuildPullAndMeasureGroups(QWidget* Client);
  void BuildStartPrompt(QWidget* Client);
  void WireHandlers();
  void ReportStartUpFailure(const std::exception& Error);
  void SendCloseOnce();
  /// Writes CommandReport to AnalyserDevice; nothing without one.
  void WriteCommandReport();
  /// The controller on its loop, with the attach and detach handlers.
  void CreateAnalyserLink();
  /// Releases every analyser checked out, then the controller and its loop.
  void ReleaseAnalyserLink();
  /// After the last analyser went: the link status, the acquisition controls
  /// as start-up leaves them and the plug-in panel; what is shown stays.
  void WaitForAnalyserAgain();
  /// The pull handlers: P1 goes to the analyser, Setting to line 6.
  void ChoosePull(std::uint8_t P1, const char* Setting);
  /// SaveFolder becomes Folder and is saved, when it changes; a failure is
  /// shown at once.
  void RecordSaveFolder(const QString& Folder);
  /// A move button: ViewOffset + Step, then the beep and the message at an end.
  void MoveView(int Step);

  /// Runs the link on Qt's event loop; outlives the controller.
  std::unique_ptr<TQtMainThreadLoop> HidLoop;
  /// Analysers checked out by the attach: the window releases them.
  std::vector<TJvHidDevice*> CheckedOutAnalysers;
  /// Set once an analyser was lost: the next attach sends the pull even if
  /// its button is already checked.
  bool PullOwedOnAttach = false;

  /// Folder holding the settings and the snapshot, ending with '/'.
  QString ProgramFolderPath;
  /// Start-up shows at most one error box for the settings file.
  bool StartUpFailureShown = false;
  bool CloseSent = false;
  /// Set when the snapshot of a view change could not be written, so a move
  /// button ends there like the command that failed.
  bool ViewSnapshotFailed = false;
  /// Parts of a wheel notch turned over the picture.
  TWheelSteps WheelSteps;
  /// Whether the last attempt to write the snapshot failed (and was reported).
  bool SnapshotWriteFailed = false;
  QButtonGroup* TimeBaseGroup = nullptr;
  QButtonGroup* AcquisitionGroup = nullptr;
};
