// SPDX-License-Identifier: GPL-3.0-or-later
// The window's capture files: a sigrok session opened and shown as a halted
// acquisition, navigated through its own samples, and the export of the
// analyser's whole memory (or of the capture shown) to a file. The memory is
// fetched by the machine of acquisition/MemoryFetch, driven by the window's
// reports and a timer: nothing waits inside a handler.
#pragma once

#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "acquisition/MemoryFetch.h"
#include "acquisition/SampleExport.h"
#include "acquisition/SigrokSessionReader.h"
#include "app/CaptureControls.h"
#include "display/TraceRenderer.h"

class QProgressDialog;
class TForm1;

class TCaptureFiles {
 public:
  /// Form holds the component and outlives it.
  explicit TCaptureFiles(TForm1& Form);
  ~TCaptureFiles();
  TCaptureFiles(const TCaptureFiles&) = delete;
  TCaptureFiles& operator=(const TCaptureFiles&) = delete;

  // ---- Opened capture (app/CaptureFiles.cpp) ----
  /// Asks for a sigrok session and shows it.
  void AskAndOpen();
  /// Shows the capture in the file at Path as a halted acquisition, without
  /// a word to the analyser; a file refused leaves everything as it was and
  /// shows why. Returns whether it is shown.
  bool Open(const QString& Path);
  /// An acquisition starts: the capture gives way to the analyser's memory,
  /// at the view offset and time base it had.
  void Leave();
  /// The capture shown, or null.
  const TOpenedCapture* Shown() const { return Capture ? &*Capture : nullptr; }
  /// Whether sample N (1..450) of the window on screen exists: past a
  /// capture's last sample it does not.
  bool Holds(int N) const;
  /// The capture shown, as samples.
  TSampleView ShownSamples() const;
  /// The empty screen's trigger and pull: the capture's own when one is
  /// shown (State's other fields are left alone).
  void RecordedScreen(TScreenState& State) const;
  /// The scroll bar moved over a capture: the snapshot, then the new window.
  void ShowWindowAfterMove(int Offset);
  /// Whether the start prompt (Panel6) is owed: from an attach until a loop
  /// starts or the analyser goes. It shows only while no capture is on
  /// screen, and comes back when the capture is left.
  void OweStartPrompt(bool Owed);
  /// Runs Work on the acquisition controls as they are for the analyser
  /// while a capture shows its own settings in them; a handler Work ran
  /// may have drawn the empty screen: the capture is shown again.
  void ForAnalyser(const std::function<void()>& Work);

  // ---- Export (app/CaptureFilesExport.cpp) ----
  /// Asks for a file name, then exports to it.
  void AskAndExport();
  /// Writes the whole memory (or the capture shown) to Path in the format
  /// of its extension (.sr, .vcd, otherwise .csv): at once for a capture,
  /// once fetched for the memory. False when it could not start or failed
  /// at once, the message shown.
  bool ExportTo(const QString& Path);
  /// What a fetch of the whole memory ends with: the 2047 samples, or the
  /// failure's message (empty when the user cancelled).
  using TMemoryResult = std::variant<std::vector<TSample>, QString>;
  /// Fetches the analyser's whole memory window by window, under a
  /// window-modal progress dialog titled Title that cancels it, nothing
  /// drawn; Done is called once the report or timer that ended it has
  /// returned. False, and Done never called, while a fetch is under way.
  bool FetchMemory(const QString& Title, std::function<void(TMemoryResult)> Done);
  /// A fetch of the memory is under way.
  bool Exporting() const { return Fetch != nullptr; }
  /// Whether the last export ended with its file written.
  bool LastExportWritten() const { return Written; }
  /// Export is there exactly when save is and there is something to
  /// export; the fetch under way learns that the analyser went.
  void AnalyserChanged();
  /// The one way in for the analyser's reports: hands Data (the Size bytes
  /// after the report id) to the fetch under way. True when the report is
  /// not the window's to draw: a fetch took it, or a capture is shown.
  bool TakeReport(const std::uint8_t* Data, std::uint16_t Size);
  /// Limits of the window's fetch (WindowFetch unless a test shortens them).
  TFetchPolicy FetchPolicy = WindowFetch;

 private:
  void ShowWindow(int Offset);
  void StartFetch(const QString& Title);
  void Carry(const TFetchActions& Actions);
  void FetchEnded();
  bool WriteFile(std::span<const TSample> Samples, const TExportInfo& Info);
  QString FailureMessage(const TFetchFailure& Failure) const;

  TForm1& Form;
  std::optional<TOpenedCapture> Capture;
  TCaptureControls Controls;
  /// Window offset of the capture's samples on screen.
  int ShownOffset = 0;
  /// The analyser's view offset before a capture was opened (its time base
  /// is the time-base button the controls give back).
  int LiveViewOffset = 0;
  bool StartPromptOwed = false;

  /// The export under way: its file, what it records, whether the folder
  /// is remembered once it is written.
  QString ExportPath;
  TExportInfo ExportInfo;
  bool RecordFolder = false;
  std::function<void(TMemoryResult)> FetchDone;
  bool Written = false;
  std::unique_ptr<TMemoryFetch> Fetch;
  QTimer FetchTimer;
  /// Kept for the window's life: a fetch may end while it processes events.
  QProgressDialog* Progress = nullptr;
};
