// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AnalysisComponent.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <cstdio>

#include "acquisition/TimeBase.h"
#include "analysis/PulseFigures.h"
#include "app/AnalysisWindows.h"
#include "app/CaptureFiles.h"
#include "app/Form1.h"
#include "display/AnalysisOverlay.h"
#include "display/PictureBox.h"
#include "display/TraceGeometry.h"

namespace {
QString Text(const std::string& Utf8) {
  return QString::fromStdString(Utf8);
}

QString Percent(double Value) {
  char Buffer[16];
  std::snprintf(Buffer, sizeof Buffer, "%.1f%%", Value);
  return QString::fromLatin1(Buffer);
}

QString TimeOrDash(const std::optional<double>& Seconds, const TSampleView& View) {
  return Seconds ? Text(TimeText(*Seconds, View)) : QStringLiteral("—");
}
}  // namespace

TAnalysisComponent::TAnalysisComponent(TForm1& Form) : QObject(&Form), Form(Form) {
  setObjectName(QStringLiteral("Analysis"));
  Analyse1 = Form.menuBar()->addMenu(QStringLiteral("Analyse"));
  Analyse1->setObjectName(QStringLiteral("Analyse1"));
  Dcoder1 = Analyse1->addAction(QStringLiteral("Décoder..."));
  Dcoder1->setObjectName(QStringLiteral("Dcoder1"));
  Mesuresentrelesmarqueurs1 = Analyse1->addAction(QStringLiteral("Mesures entre les marqueurs"));
  Mesuresentrelesmarqueurs1->setObjectName(QStringLiteral("Mesuresentrelesmarqueurs1"));
  // Both read a picture that stands still.
  connect(Analyse1, &QMenu::aboutToShow, this, [this] {
    const bool Stopped = this->Form.State.AcquisitionStopped == 1;
    Dcoder1->setEnabled(Stopped);
    Mesuresentrelesmarqueurs1->setEnabled(Stopped);
  });
  connect(Dcoder1, &QAction::triggered, this, &TAnalysisComponent::Dcoder1Click);
  connect(Mesuresentrelesmarqueurs1, &QAction::triggered, this,
          &TAnalysisComponent::Mesuresentrelesmarqueurs1Click);

  Overlay = new TAnalysisOverlay(*Form.Image2);
  Form.Image2->installEventFilter(this);
  connect(Form.Image2, &TPictureBox::MouseMoved, this, &TAnalysisComponent::PointerMoved);
  connect(Form.Image2, &TPictureBox::MouseReleased, this, &TAnalysisComponent::QueueSync);
  // A new acquisition: the memory fetched and what was decoded from it go.
  for (QToolButton* Start : {Form.SpeedButton24, Form.SpeedButton25}) {
    connect(Start, &QToolButton::clicked, this, [this] {
      ++Acquisitions;
      QueueSync();
    });
  }
  connect(Form.SpeedButton26, &QToolButton::toggled, this, &TAnalysisComponent::QueueSync);
  connect(Form.ScrollBar1, &QScrollBar::valueChanged, this, &TAnalysisComponent::QueueSync);
}

TAnalysisComponent::TSource TAnalysisComponent::CurrentSource() const {
  return {Form.CaptureFiles->Shown()
              ? static_cast<const void*>(Form.CaptureFiles->Shown()->Samples.data())
              : nullptr,
          Form.State.TimeBaseIndex, Acquisitions};
}

const std::vector<TSample>* TAnalysisComponent::HeldMemory() const {
  return !Form.CaptureFiles->Shown() && MemorySource == CurrentSource() ? &Memory : nullptr;
}

void TAnalysisComponent::KeepMemory(std::vector<TSample> Fetched) {
  Memory = std::move(Fetched);
  MemorySource = CurrentSource();
}

TAnalysisComponent::TViewAt TAnalysisComponent::CurrentView() {
  TViewAt At;
  const int Offset = Form.ScrollBar1->value();
  At.View.TimeBase = Form.CaptureFiles->Shown() ? Form.CaptureFiles->Shown()->TimeBase
                                                : FindTimeBase(Form.State.TimeBaseIndex);
  At.View.SecondsPerSample = At.View.TimeBase ? SecondsPerSample(*At.View.TimeBase) : 0.0;
  if (Form.CaptureFiles->Shown()) {
    At.View.Samples = Form.CaptureFiles->Shown()->Samples;
    At.View.FirstIndex = Form.CaptureFiles->Shown()->FirstIndex;
    At.WindowStart = static_cast<std::size_t>(Offset);
  } else if (const std::vector<TSample>* Held = HeldMemory()) {
    At.View.Samples = *Held;
    At.WindowStart = static_cast<std::size_t>(Offset);
  } else {  // the window held: its first sample is at the view offset
    for (int N = 1; N <= SamplesPerWindow; ++N) {
      HeldWindow[static_cast<std::size_t>(N - 1)] =
          static_cast<TSample>((Form.State.SampleBuffer.Cell(1, N) & 0xFF) |
                               (Form.State.SampleBuffer.Cell(2, N) & 0xFF) << 8);
    }
    At.View.Samples = HeldWindow;
    At.View.FirstIndex = Offset;
  }
  return At;
}

void TAnalysisComponent::PointerMoved(int X, int Y) {
  const int Cell = SampleAtX(X);
  QStringList Lines;
  if (Form.State.AcquisitionStopped == 1 && Form.State.MouseHeld != 1 && Y >= GridTop &&
      Y < GridBottom && Cell >= 1 && Cell <= SamplesPerWindow) {
    const int Input = (Y - GridTop) / TileHeight + 1;
    const TViewAt At = CurrentView();
    const std::size_t Position = At.WindowStart + static_cast<std::size_t>(Cell - 1);
    const TOpenedCapture* Capture = Form.CaptureFiles->Shown();
    const bool Carried = Capture == nullptr || ((Capture->CarriedInputs >> (Input - 1)) & 1U) != 0;
    if (Position < At.View.Size() && Carried) {  // an input a file does not carry has no figures
      const TPulseFigures F = MeasurePulse(At.View, Input, Position);
      Lines << QStringLiteral("Entrée %1 : %2").arg(Input).arg(F.High ? "haut" : "bas");
      if (F.Width) {
        Lines << QStringLiteral("Largeur : ") + Text(BoundedTimeText(*F.Width, At.View));
      }
      if (F.Period) {
        Lines << QStringLiteral("Période : ") + Text(TimeText(*F.Period, At.View));
      }
      if (F.Frequency) {
        Lines << QStringLiteral("Fréquence : ") + Text(FrequencyText(*F.Frequency, At.View));
      }
      if (F.DutyPercent) {
        Lines << QStringLiteral("Rapport cyclique : ") + Percent(*F.DutyPercent);
      }
    }
  }
  Overlay->SetPointerFigures({X, Y}, Lines);
}

bool TAnalysisComponent::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Form.Image2) {
    if (Event->type() == QEvent::Leave) {
      Overlay->SetPointerFigures({0, 0}, {});
    } else if (Event->type() == QEvent::Paint) {
      QueueSync();  // the picture changed: the view may have moved
    }
  }
  return QObject::eventFilter(Watched, Event);
}

void TAnalysisComponent::QueueSync() {
  if (!SyncQueued) {
    SyncQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          SyncQueued = false;
          Sync();
        },
        Qt::QueuedConnection);
  }
}

void TAnalysisComponent::Sync() {
  if (!(FoundSource == CurrentSource()) && (!Found.empty() || ChosenRow >= 0)) {
    Found.clear();
    ChosenRow = -1;
    if (DecodeWindow != nullptr) {
      DecodeWindow->SetAnnotations(Found, {});
    }
  }
  const TViewAt At = CurrentView();
  std::vector<TOverlaySpan> Spans;
  std::optional<TOverlaySpan> Mark;
  const bool Still = Form.State.AcquisitionStopped == 1;
  const auto SpanOf = [&](const TAnnotation& A) {
    const std::int64_t First =
        A.FirstSample - At.View.FirstIndex - static_cast<std::int64_t>(At.WindowStart) + 1;
    const std::int64_t Last = First + (A.LastSample - A.FirstSample);
    return TOverlaySpan{A.Input, static_cast<int>(std::clamp<std::int64_t>(First, -1, 1 << 24)),
                        static_cast<int>(std::clamp<std::int64_t>(Last, -1, 1 << 24)),
                        Text(A.Text.empty() ? A.Event : A.Text)};
  };
  for (std::size_t Row = 0; Still && Row < Found.size(); ++Row) {
    TOverlaySpan Span = SpanOf(Found[Row]);
    if (Span.LastCell >= 1 && Span.FirstCell <= SamplesPerWindow) {
      Spans.push_back(std::move(Span));
    }
  }
  if (Still && ChosenRow >= 0 && static_cast<std::size_t>(ChosenRow) < Found.size()) {
    Mark = SpanOf(Found[static_cast<std::size_t>(ChosenRow)]);
  }
  Overlay->SetSpans(std::move(Spans));
  Overlay->SetMark(std::move(Mark));
  if (!Still) {
    Overlay->SetPointerFigures({0, 0}, {});
  }
  UpdateMarkerFigures(At);
}

void TAnalysisComponent::UpdateMarkerFigures(const TViewAt& At) {
  if (MarkerWindow == nullptr || !MarkerWindow->isVisible()) {
    return;
  }
  if (Form.State.AcquisitionStopped != 1 || !Form.SpeedButton26->isChecked()) {
    MarkerWindow->Clear(QStringLiteral("Arrêtez l'acquisition et affichez les marqueurs."));
    return;
  }
  const auto CellAt = [](int X) { return std::clamp(SampleAtX(X), 1, SamplesPerWindow); };
  const int Left = std::min(CellAt(Form.MarkerLeft), CellAt(Form.MarkerRight));
  const int Right = std::max(CellAt(Form.MarkerLeft), CellAt(Form.MarkerRight));
  const std::size_t First = At.WindowStart + static_cast<std::size_t>(Left - 1);
  const std::size_t Last =
      std::min(At.WindowStart + static_cast<std::size_t>(Right - 1), At.View.Size() - 1);
  if (At.View.Empty() || First > Last) {
    MarkerWindow->Clear(QString());
    return;
  }
  MarkerWindow->SetRange(QStringLiteral("Échantillons %1 à %2 (%3)")
                             .arg(At.View.IndexOf(First))
                             .arg(At.View.IndexOf(Last))
                             .arg(Text(TimeText(At.View.TimeOf(Last - First), At.View))));
  for (int Input = 1; Input <= 16; ++Input) {
    const TRangeFigures F = MeasureRange(At.View, Input, First, Last);
    MarkerWindow->SetRow(
        Input,
        {QString::number(F.RisingEdges), QString::number(F.FallingEdges),
         TimeOrDash(F.ShortestHigh, At.View), TimeOrDash(F.LongestHigh, At.View),
         TimeOrDash(F.ShortestLow, At.View), TimeOrDash(F.LongestLow, At.View),
         F.MeanFrequency ? Text(FrequencyText(*F.MeanFrequency, At.View)) : QStringLiteral("—"),
         F.DutyPercent ? Percent(*F.DutyPercent) : QStringLiteral("—")});
  }
}

void TAnalysisComponent::Mesuresentrelesmarqueurs1Click() {
  if (MarkerWindow == nullptr) {
    MarkerWindow = new TMarkerFiguresWindow(&Form);
  }
  // The figures are the markers': they are shown for them.
  if (Form.State.AcquisitionStopped == 1 && Form.SpeedButton26->isEnabled() &&
      !Form.SpeedButton26->isChecked()) {
    Form.SpeedButton26->click();
  }
  MarkerWindow->show();
  MarkerWindow->raise();
  Sync();
}
