// SPDX-License-Identifier: GPL-3.0-or-later
// The window's analysis: the "Analyse" menu, the figures at the pointer, the
// figures between the markers, the decoders with their table and their
// settings file, all drawn in a layer above Image2. The main window holds
// it and reaches the analyser's whole memory only through the fetch it is
// given.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "acquisition/SampleBuffer.h"
#include "acquisition/SampleView.h"
#include "analysis/Annotation.h"
#include "analysis/DecoderTable.h"

class QAction;
class QMenu;
class TAnalysisOverlay;
class TDecodeDialog;
class TDecodeWindow;
class TForm1;
class TMarkerFiguresWindow;

class TAnalysisComponent : public QObject {
  Q_OBJECT
 public:
  /// Adds the fifth menu after Form's four and the layer above its Image2.
  explicit TAnalysisComponent(TForm1& Form);

  QMenu* Analyse1 = nullptr;
  QAction* Dcoder1 = nullptr;                    // "Décoder..."
  QAction* Mesuresentrelesmarqueurs1 = nullptr;  // "Mesures entre les marqueurs"
  TAnalysisOverlay* Overlay = nullptr;
  /// Created when first opened.
  TDecodeDialog* DecodeDialog = nullptr;
  TDecodeWindow* DecodeWindow = nullptr;
  TMarkerFiguresWindow* MarkerWindow = nullptr;

  /// "Décoder...": the dialog, with the decoders of the last run.
  void Dcoder1Click();
  /// "Mesures entre les marqueurs": the markers shown and their window.
  void Mesuresentrelesmarqueurs1Click();
  /// Keeps Specs in the settings file and runs them over the whole memory
  /// (fetched first when live and not held yet), then shows what they found.
  void RunDecoders(const std::vector<TDecoderSpec>& Specs);
  /// Row Row of the table: the view moved to it, its span marked.
  void ChooseAnnotation(int Row);
  /// The table to a CSV file chosen by the user.
  void ExportAnnotations();
  const TAnnotations& Annotations() const { return Found; }

  /// The analyser's memory fetched for this acquisition, kept until the
  /// next one: decoding and export share it.
  void KeepMemory(std::vector<TSample> Fetched);
  /// The memory fetched for this acquisition, if any.
  const std::vector<TSample>* HeldMemory() const;

  /// The figures of the input under picture point (X, Y) beside the pointer,
  /// or none when the picture moves or the point is off the samples.
  void PointerMoved(int X, int Y);
  /// The layer and the markers' window brought up to date with the picture.
  void Sync();

  /// The decoders' settings file beside "parametres.inf".
  QString SettingsPath() const;
  std::vector<TDecoderSpec> LoadSpecs() const;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  // What the samples analysed come from; annotations and memory of another
  // source are stale.
  struct TSource {
    const void* Capture = nullptr;
    int TimeBaseIndex = 0;
    int Acquisition = 0;
    bool operator==(const TSource&) const = default;
  };
  struct TViewAt {
    TSampleView View;
    std::size_t WindowStart = 0;  ///< position of window cell 1 in View
  };
  TSource CurrentSource() const;
  TViewAt CurrentView();
  void SaveSpecs(const std::vector<TDecoderSpec>& Specs);
  void ShowDecoded(const std::vector<TDecoderSpec>& Specs);
  void UpdateMarkerFigures(const TViewAt& At);
  void QueueSync();

  TForm1& Form;
  std::vector<TSample> Memory;
  std::optional<TSource> MemorySource;
  std::array<TSample, SamplesPerWindow> HeldWindow{};
  TAnnotations Found;
  TSource FoundSource;
  int ChosenRow = -1;
  int Acquisitions = 0;
  bool SyncQueued = false;
};
