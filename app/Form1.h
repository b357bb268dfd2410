// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: owns every control, the settings lines, the analyser
// device and the run's shared values, and carries the event handlers. Each
// handler lives in a file of its subsystem (app/, acquisition/, display/,
// link/); the controls keep their designer names and are public so that the
// handlers of every subsystem and the tests reach them.
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

#include "acquisition/SigrokSessionReader.h"
#include "app/ApplicationState.h"
#include "app/SettingsFormat.h"
#include "display/TraceGeometry.h"
#include "display/TraceRenderer.h"
#include "link/AnalyserProtocol.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QEventLoop;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QRadioButton;
class QScrollBar;
class QSlider;
class QTimer;
class QToolButton;
class TAnalysisComponent;
class TEnvironment;
class TForm2;
class TJvHidDevice;
class TJvHidDeviceController;
class TPictureBox;
class TPlugAnimation;
class TQtMainThreadLoop;
class TStatusBar;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  /// Builds every control with its design-time properties, then runs
  /// FormCreate (start-up).
  explicit TForm1(TEnvironment& Environment, QWidget* Parent = nullptr);
  ~TForm1() override;

  // ---- Start, end and the settings file (app/Form1.cpp) ----
  /// Start-up: loads the settings and puts every control in its waiting state.
  void FormCreate();
  /// Close request of the window: cmdClose when an analyser is held; the
  /// window may always close.
  void FormCloseQuery(bool& CanClose);
  /// Destruction: releases the back buffer; nothing is saved or sent.
  void FormDestroy();
  /// Menu "Quitter" and the quit tool button: cmdClose when an analyser is
  /// held, then the application ends.
  void Quitter2Click();
  /// Reads "parametres.inf" of the program folder into Settings.
  void LoadSettings();
  /// Writes Settings to "parametres.inf"; throws TSettingsWriteError.
  void SaveSettings();
  /// Path of a file in the program folder (settings file, snapshot).
  QString FileInProgramFolder(const QString& Name) const;

  // ---- Commands to the analyser (link/SendCommand.cpp) ----
  /// Fills CommandReport, then writes it to AnalyserDevice when one is held.
  void SendCommand(TAnalyserCommand Code);
  void SendCommand(TAnalyserCommand Code, std::uint8_t P1);
  void SendCommand(TAnalyserCommand Code, std::uint8_t P1, std::uint8_t P2);

  // ---- Analyser attach and detach (link/AnalyserAttach.cpp) ----
  /// A HID interface appeared: the analyser is taken, configured and the
  /// window switched to its ready state; any other device is ignored.
  void JvHidDeviceController1Arrival(TJvHidDevice& HidDev);
  /// A HID interface went away: an analyser is released and, when none is
  /// left, the window waits for one again, keeping what it shows.
  void JvHidDeviceController1Removal(TJvHidDevice& HidDev);

  // ---- Sample reception (acquisition/SampleReception.cpp) ----
  /// One input report of the analyser: Data holds the Size bytes after the
  /// report id, block code first.
  void AnalyserDeviceData(TJvHidDevice& HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size);
  /// At an end block: a restitution with blocks missing says so in status
  /// panel 1 until a whole one comes.
  void NoteRestitutionWhole(bool Whole);

  // ---- Trace picture (display/TraceScreen.cpp; the time-base, trigger and
  // pull texts in the files of their subsystems) ----
  /// The empty screen into the back buffer (Image1's picture), each part read
  /// from the controls: grid, time-base text, trigger text and symbols, row
  /// labels, pull text, clock stamp (also drawn on Image2).
  void RedrawScreen();
  /// Copies the back buffer to the visible picture (Image2's), erasing every
  /// overlay on it.
  void PresentScreen();
  /// A new white back buffer with grid and frame; Panel1 turns white.
  void DrawGrid();
  /// The label of TimeBaseIndex (acquisition/TimeBaseHandlers.cpp).
  void DrawTimeBaseLabel();
  /// The checked mode's text and, in the internal mode, a symbol per pattern
  /// box (acquisition/TriggerConfiguration.cpp).
  void DrawTriggerStatus();
  /// The row labels as the labels option and the trigger mode place them.
  void DrawChannelLabels();
  /// The text of the checked pull button, if any (acquisition/InputPull.cpp).
  void DrawPullLabel();
  /// Takes the environment's clock into State.ClockStamp and writes time and
  /// date on the back buffer, then on Image2.
  void DrawClockStamp();
  /// Sample N (1..450) of Group (1 or 2) into the back buffer; Value is a
  /// sample byte (only its low 8 bits count). The edges option is read here,
  /// so a change of it shows from the next sample.
  void DrawSample(int Group, int N, int Value);
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
  void Afficherfrontsmontantsetdescendants1Click();
  void Indicateurs116ouD0D151Click();

  // ---- Horizontal navigation (display/Navigation.cpp) ----
  /// ViewOffset (ScrollBar1's position) changed: cmdViewPosition, then the
  /// snapshot of the picture as it is before the new window arrives.
  void ScrollBar1Change();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void SpeedButton4Click();

  // ---- Cursor readout and measurement markers (display/Markers.cpp) ----
  void SpeedButton26Click();
  void Image2MouseDown(int X, int Y);
  void Image2MouseMove(int X, int Y);
  void Image2MouseUp(int X, int Y);
  /// The 16 inputs at the sample under column X on the visible picture, with
  /// a magenta line on that sample; nothing outside samples 1..450.
  void ShowReadout(int X);
  /// The two green markers and the measurement on the visible picture, only
  /// when stopped with SpeedButton26 down.
  void DrawMarkers();
  /// dt and 1/dt between the markers, in green under the grid.
  void ShowMeasurement();
  /// x of the measurement markers; each switch-on puts them at 170 and 770.
  int MarkerLeft = MarkerLeftStart;
  int MarkerRight = MarkerRightStart;

  // ---- Acquisition modes and clock tick (acquisition/AcquisitionModes.cpp) ----
  void SpeedButton23Click();
  void SpeedButton24Click();
  void SpeedButton25Click();
  void Timer1Timer();

  // ---- Time base (acquisition/TimeBaseHandlers.cpp) ----
  /// A time-base button of TimeBaseIndex Index was clicked.
  void TimeBaseButtonClick(int Index);
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

  // ---- Trigger mode (acquisition/TriggerConfiguration.cpp) ----
  /// Checks the mode's radio button (which runs its handler when it was not
  /// checked) and enables the pattern boxes for mode 1 only.
  void SelectTriggerMode(int Mode);
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton3Click();
  void RadioButton4Click();

  // ---- Trigger pattern (acquisition/TriggerPattern.cpp) ----
  /// Pattern box K (1..8) changed state.
  void TriggerBoxClick(int K);
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

  // ---- Pull (acquisition/InputPull.cpp) and PC speed (acquisition/PcSpeed.cpp) ----
  void RadioButton5Click();
  void RadioButton6Click();
  void RglagedelavitessedevotrePC1Click();
  void ToolButton1Click();
  void SpeedButton27Click();
  void TrackBar1Change();

  // ---- Output (app/Output.cpp), About and online guide (app/About.cpp) ----
  void Sauvegarder1Click();
  void Imprimer1Click();
  void Copier1Click();
  void Aide2Click();
  void Aproposde1Click();

  // ---- Capture files (app/CaptureOpen.cpp, app/CaptureExport.cpp) ----
  /// "Ouvrir une capture...": asks for a sigrok session and shows it.
  void Ouvrirunecapture1Click();
  /// Shows the capture in the file at Path as a halted acquisition, without
  /// a word to the analyser; a file refused leaves everything as it was and
  /// shows why. Returns whether it is shown.
  bool OpenCapture(const QString& Path);
  /// An acquisition starts: the capture from a file gives way to the
  /// analyser's memory, at the view offset and time base it had.
  void LeaveCapture();
  /// The recorded trigger and pull of the capture shown, on the back buffer.
  void DrawCaptureSettings();
  /// The capture's window at Offset, drawn as a restitution would draw it.
  void ShowCaptureWindow(int Offset);
  /// The scroll bar moved over a capture: the snapshot, then the new window.
  void ShowCaptureWindowAfterMove(int Offset);
  /// "Exporter les données...": the whole memory (or the capture shown) to
  /// a sigrok session, a VCD or a CSV file, written whole or not at all.
  void Exporterlesdonnes1Click();
  /// Writes the whole memory (or the capture shown) to Path in the format of
  /// its extension (.sr, .vcd, otherwise .csv); false, with the message
  /// shown, when it did not (nothing said when the user cancelled).
  bool ExportTo(const QString& Path);
  /// Export is there exactly when save is and there is something to export.
  void UpdateExportState();
  /// The analyser's 2047 samples, fetched window by window without drawing
  /// them; the analyser is sent back to the view offset shown. A failure's
  /// message, or an empty text when the user cancelled.
  std::variant<std::vector<TSample>, QString> FetchWholeMemory();
  /// Runs Loop until the analyser has sent nothing for a while, drawing what
  /// was on its way, so that no earlier restitution passes for an answer.
  void AwaitQuietAnalyser(QEventLoop& Loop);
  /// The capture read from a file that the window shows, if any.
  std::optional<TOpenedCapture> Capture;
  /// While an export fetches the memory, every input report goes here.
  std::function<void(const std::uint8_t*, std::uint16_t)> ExportReports;
  /// Longest wait for one window of an export.
  int ExportWindowTimeoutMs = 10000;

  // ---- Controls, by their designer names ----
  QMenu* Fichier1 = nullptr;
  QAction* Ouvrirunecapture1 = nullptr;
  QAction* Sauvegarder1 = nullptr;
  QAction* Exporterlesdonnes1 = nullptr;
  QAction* Imprimer1 = nullptr;
  QAction* N1 = nullptr;  // separator
  QAction* Quitter2 = nullptr;
  QMenu* Edition1 = nullptr;
  QAction* Copier1 = nullptr;
  QMenu* Options1 = nullptr;
  QAction* RglagedelavitessedevotrePC1 = nullptr;
  QAction* Afficherfrontsmontantsetdescendants1 = nullptr;
  QAction* Indicateurs116ouD0D151 = nullptr;
  QMenu* Aide1 = nullptr;
  QAction* Aide2 = nullptr;
  QAction* Aproposde1 = nullptr;

  QFrame* ToolBar1 = nullptr;
  QWidget* ToolBar2 = nullptr;
  QToolButton* ToolButton1 = nullptr;   // PC speed
  QToolButton* ToolButton2 = nullptr;   // print
  QToolButton* ToolButton3 = nullptr;   // save
  QToolButton* ToolButton5 = nullptr;   // copy
  QToolButton* ToolButton6 = nullptr;   // quit
  QToolButton* ToolButton7 = nullptr;   // online guide
  QToolButton* ToolButton12 = nullptr;  // export
  QFrame* ToolButton4 = nullptr;        // separators
  QFrame* ToolButton8 = nullptr;
  QFrame* ToolButton9 = nullptr;
  QFrame* ToolButton10 = nullptr;
  QFrame* ToolButton11 = nullptr;

  QFrame* Panel1 = nullptr;       // trace area
  TPictureBox* Image1 = nullptr;  // back buffer, hidden
  TPictureBox* Image2 = nullptr;  // visible picture
  QFrame* Panel3 = nullptr;       // plug-in panel
  QLabel* Image12 = nullptr;
  TPlugAnimation* Animate1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QFrame* Panel5 = nullptr;  // PC speed panel
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QSlider* TrackBar1 = nullptr;
  QToolButton* SpeedButton27 = nullptr;
  QFrame* Panel4 = nullptr;  // hidden
  QLabel* Label5 = nullptr;

  QToolButton* SpeedButton1 = nullptr;  // scroll row
  QToolButton* SpeedButton2 = nullptr;
  QToolButton* SpeedButton3 = nullptr;
  QToolButton* SpeedButton4 = nullptr;
  QScrollBar* ScrollBar1 = nullptr;

  QGroupBox* GroupBox1 = nullptr;                  // time base
  std::array<QToolButton*, 18> TimeBaseButtons{};  // SpeedButton5..22, in TimeBaseIndex order
  QToolButton* SpeedButton5 = nullptr;
  QToolButton* SpeedButton6 = nullptr;
  QToolButton* SpeedButton7 = nullptr;
  QToolButton* SpeedButton8 = nullptr;
  QToolButton* SpeedButton9 = nullptr;
  QToolButton* SpeedButton10 = nullptr;
  QToolButton* SpeedButton11 = nullptr;
  QToolButton* SpeedButton12 = nullptr;
  QToolButton* SpeedButton13 = nullptr;
  QToolButton* SpeedButton14 = nullptr;
  QToolButton* SpeedButton15 = nullptr;
  QToolButton* SpeedButton16 = nullptr;
  QToolButton* SpeedButton17 = nullptr;
  QToolButton* SpeedButton18 = nullptr;
  QToolButton* SpeedButton19 = nullptr;
  QToolButton* SpeedButton20 = nullptr;
  QToolButton* SpeedButton21 = nullptr;
  QToolButton* SpeedButton22 = nullptr;

  QGroupBox* GroupBox2 = nullptr;        // acquisition
  QToolButton* SpeedButton23 = nullptr;  // halt
  QToolButton* SpeedButton24 = nullptr;  // loop
  QToolButton* SpeedButton25 = nullptr;  // single
  QLabel* Image7 = nullptr;              // upper lamp, unlit
  QLabel* Image8 = nullptr;              // lower lamp, lit
  QLabel* Image9 = nullptr;              // upper lamp, lit
  QLabel* Image10 = nullptr;             // lower lamp, unlit

  QGroupBox* GroupBox3 = nullptr;  // trigger
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QRadioButton* RadioButton4 = nullptr;
  QLabel* Image3 = nullptr;
  QLabel* Image4 = nullptr;
  QLabel* Image5 = nullptr;
  QLabel* Image6 = nullptr;
  std::array<QCheckBox*, 8> CheckBoxes{};  // CheckBox1..8 in order
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QCheckBox* CheckBox6 = nullptr;
  QCheckBox* CheckBox7 = nullptr;
  QCheckBox* CheckBox8 = nullptr;
  QToolButton* SpeedButton28 = nullptr;  // all
  QToolButton* SpeedButton29 = nullptr;  // none
  QFrame* Panel2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;

  QGroupBox* GroupBox5 = nullptr;  // pull
  QRadioButton* RadioButton5 = nullptr;
  QRadioButton* RadioButton6 = nullptr;

  QGroupBox* GroupBox4 = nullptr;  // measure
  QToolButton* SpeedButton26 = nullptr;

  QFrame* Panel6 = nullptr;  // start prompt
  QLabel* Image11 = nullptr;

  TStatusBar* StatusBar1 = nullptr;
  QTimer* Timer1 = nullptr;
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
  static constexpr std::uint32_t StartBlockSeen = 1U << 16;
  static constexpr std::uint32_t WholeRestitution = StartBlockSeen | 0xFFFFU;
  /// Status panel 1 before it said a restitution was incomplete.
  QString StatusBeforeIncomplete;
  /// Outside world: folders, clock, boxes, beep, shell.
  TEnvironment& Environment;
  /// The About window, created hidden by process entry and kept.
  TForm2* Form2 = nullptr;
  /// The "Analyse" menu and everything it shows; a child of the window.
  TAnalysisComponent* Analysis = nullptr;

  /// The radio button of trigger mode Mode (0..3).
  QRadioButton* TriggerModeButton(int Mode) const;
  /// Time-base button of TimeBaseIndex Index (4..21).
  QToolButton* TimeBaseButton(int Index) const;

 protected:
  void closeEvent(QCloseEvent* Event) override;

 private:
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
  /// Whether the last attempt to write the snapshot failed (and was reported).
  bool SnapshotWriteFailed = false;
  /// What the analyser's memory view had before a capture was opened.
  int LiveTimeBaseIndex = 0;
  int LiveViewOffset = 0;
  QButtonGroup* TimeBaseGroup = nullptr;
  QButtonGroup* AcquisitionGroup = nullptr;
};
