// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AnalysisWindows.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "analysis/PulseFigures.h"
#include "analysis/Report.h"

namespace {
QTableWidget* NewTable(QWidget* Parent, const QStringList& Columns, int Rows) {
  auto* Table = new QTableWidget(Rows, static_cast<int>(Columns.size()), Parent);
  Table->setHorizontalHeaderLabels(Columns);
  Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Table->setSelectionBehavior(QAbstractItemView::SelectRows);
  Table->setSelectionMode(QAbstractItemView::SingleSelection);
  Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  Table->horizontalHeader()->setStretchLastSection(true);
  Table->verticalHeader()->setDefaultSectionSize(20);
  return Table;
}

std::string HexValue(const TAnnotation& Annotation) {
  if (!Annotation.Value) {
    return {};
  }
  char Text[16];
  std::snprintf(Text, sizeof Text, "0x%02X", static_cast<unsigned>(*Annotation.Value));
  return Text;
}

}  // namespace

std::string AnnotationsCsv(const TAnnotations& Annotations) {
  std::string Csv = AnnotationCsvHeader() + '\n';
  for (const TAnnotation& A : Annotations) {
    Csv += AnnotationCsvLine(A) + '\n';
  }
  return Csv;
}

TDecodeWindow::TDecodeWindow(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("DecodeWindow"));
  setWindowTitle(QStringLiteral("Décodage"));
  resize(620, 420);
  auto* Layout = new QVBoxLayout(this);
  Table = NewTable(this,
                   {QStringLiteral("Temps"), QStringLiteral("Décodeur"),
                    QStringLiteral("Événement"), QStringLiteral("Hexa"), QStringLiteral("Texte")},
                   0);
  Layout->addWidget(Table);
  auto* Buttons = new QHBoxLayout;
  ExportButton = new QPushButton(QStringLiteral("Exporter en CSV..."), this);
  Buttons->addStretch();
  Buttons->addWidget(ExportButton);
  Layout->addLayout(Buttons);
  connect(ExportButton, &QPushButton::clicked, this, &TDecodeWindow::ExportRequested);
  connect(Table, &QTableWidget::currentCellChanged, this, [this](int Row, int, int, int) {
    if (Row >= 0) {
      Q_EMIT AnnotationChosen(Row);
    }
  });
}

void TDecodeWindow::SetAnnotations(const TAnnotations& Annotations, const TSampleView& View) {
  const QSignalBlocker Quiet(Table);
  Table->clearContents();
  Table->setRowCount(static_cast<int>(Annotations.size()));
  for (int Row = 0; Row < Table->rowCount(); ++Row) {
    const TAnnotation& A = Annotations[static_cast<std::size_t>(Row)];
    const std::string Cells[] = {TimeText(A.TimeSeconds, View), A.Decoder, A.Event, HexValue(A),
                                 A.Text};
    for (int Column = 0; Column < 5; ++Column) {
      Table->setItem(Row, Column, new QTableWidgetItem(QString::fromStdString(Cells[Column])));
    }
  }
}

TMarkerFiguresWindow::TMarkerFiguresWindow(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("MarkerFiguresWindow"));
  setWindowTitle(QStringLiteral("Mesures entre les marqueurs"));
  resize(940, 430);
  auto* Layout = new QVBoxLayout(this);
  RangeLabel = new QLabel(this);
  Layout->addWidget(RangeLabel);
  Table = NewTable(this,
                   {QStringLiteral("Fronts montants"), QStringLiteral("Fronts descendants"),
                    QStringLiteral("Haut min"), QStringLiteral("Haut max"),
                    QStringLiteral("Bas min"), QStringLiteral("Bas max"),
                    QStringLiteral("Fréquence moyenne"), QStringLiteral("Rapport cyclique")},
                   16);
  QStringList Inputs;
  for (int Input = 1; Input <= 16; ++Input) {
    Inputs << QString::number(Input);
  }
  Table->setVerticalHeaderLabels(Inputs);
  Layout->addWidget(Table);
}

void TMarkerFiguresWindow::SetRange(const QString& Text) {
  RangeLabel->setText(Text);
}

void TMarkerFiguresWindow::SetRow(int Input, const QStringList& Cells) {
  for (int Column = 0; Column < Table->columnCount(); ++Column) {
    const QString Text = Column < Cells.size() ? Cells[Column] : QString();
    QTableWidgetItem* Item = Table->item(Input - 1, Column);
    if (Item == nullptr) {
      Table->setItem(Input - 1, Column, new QTableWidgetItem(Text));
    } else if (Item->text() != Text) {
      Item->setText(Text);
    }
  }
}

void TMarkerFiguresWindow::Clear(const QString& Why) {
  SetRange(Why);
  for (int Input = 1; Input <= 16; ++Input) {
    SetRow(Input, {});
  }
}
