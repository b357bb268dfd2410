// SPDX-License-Identifier: GPL-3.0-or-later
// The two windows of the "Analyse" menu: the table of what the decoders
// found, and the figures of each input between the markers.
#pragma once

#include <QDialog>
#include <QStringList>
#include <string>

#include "analysis/Annotation.h"

class QLabel;
class QPushButton;
class QTableWidget;
struct TSampleView;

/// The annotations as CSV, as la16-capture reports them: a header line,
/// then one line per annotation.
std::string AnnotationsCsv(const TAnnotations& Annotations);

class TDecodeWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TDecodeWindow(QWidget* Parent);
  /// One row per annotation: time from the view's first sample, decoder,
  /// event, value in hex and as text.
  void SetAnnotations(const TAnnotations& Annotations, const TSampleView& View);

  QTableWidget* Table = nullptr;
  QPushButton* ExportButton = nullptr;

 Q_SIGNALS:
  /// The user chose row Row of the table.
  void AnnotationChosen(int Row);
  /// "Exporter en CSV..." was pressed.
  void ExportRequested();
};

class TMarkerFiguresWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TMarkerFiguresWindow(QWidget* Parent);
  /// The range measured, said above the table.
  void SetRange(const QString& Text);
  /// The cells of input Input (1..16), in the columns' order.
  void SetRow(int Input, const QStringList& Cells);
  /// Every cell empty: nothing is measured (markers hidden, acquisition running).
  void Clear(const QString& Why);

  QLabel* RangeLabel = nullptr;
  QTableWidget* Table = nullptr;
};
