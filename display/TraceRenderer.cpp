// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/TraceRenderer.h"

#include <algorithm>
#include <cstring>

#include "display/PixelCanvas.h"
#include "display/TraceGeometry.h"

namespace {

// Returns the area written.
QRect WriteClockStamp(QImage& Image, const QString& Time, const QString& Date) {
  TPixelCanvas Canvas(Image);
  Canvas.SetFontColour(ColourBlack);
  return Canvas.TextOut(ClockTimePosition, Time) | Canvas.TextOut(ClockDatePosition, Date);
}

}  // namespace

TTraceRenderer::TTraceRenderer() : Back(PictureWidth, PictureHeight, QImage::Format_RGB32) {
  Back.fill(ColourWhite);
}

void TTraceRenderer::RedrawScreen(const TScreenState& State, QImage& Visible,
                                  const QDateTime& Now) {
  if (!EraseToEmptyScreen(State)) {
    DrawGrid();
    DrawTimeBaseLabel(State.TimeBaseIndex);
    DrawTriggerStatus(State.TriggerMode, State.PatternBoxes);
    DrawChannelLabels(State.NumberLabels, State.TriggerMode == TTriggerMode::InternalEqual);
    DrawPullLabel(State.Pull);
    if (Empty.isNull() || !(EmptyState == State) || Empty.size() != Back.size()) {
      Empty = Back.copy();
      EmptyState = State;
    }
    BackRecord = EmptyRecord(State, Back);
  }
  DrawClockStamp(Visible, Now);
}

TTraceRenderer::TRecord TTraceRenderer::EmptyRecord(const TScreenState& State,
                                                    const QImage& Image) {
  TRecord Record;
  Record.Known = true;
  Record.State = State;
  Record.Key = Image.cacheKey();
  Record.EdgeLeft.fill(PictureWidth);
  Record.EdgeRight.fill(-1);
  return Record;
}

QRegion TTraceRenderer::DrawnArea(const TRecord& Record) {
  // A sample sets pixels on the high and low rows of its inputs, and on the
  // rows between them where it draws an edge.
  const int Left = SampleX(1);
  const int Width = SampleX(SamplesPerWindow) + 2 - Left;
  QRegion Area(Record.Stamps);
  for (int Group = 1; Group <= 2; ++Group) {
    for (int J = 0; J < InputsPerGroup; ++J) {
      const int HighY = GroupRowBase(Group) + 30 * J - 20;
      const int LowY = GroupRowBase(Group) + 30 * J - 1;
      const auto Trace = static_cast<std::size_t>((Group - 1) * InputsPerGroup + J);
      if (Record.EdgeLeft[Trace] <= Record.EdgeRight[Trace]) {
        Area += QRect(Left, HighY, Width, LowY - HighY + 1);
      } else {
        Area += QRect(Left, HighY, Width, 1);
        Area += QRect(Left, LowY, Width, 1);
      }
    }
  }
  return Area & QRect(0, 0, PictureWidth, PictureHeight);
}

bool TTraceRenderer::EraseToEmptyScreen(const TScreenState& State) {
  const auto Fits = [](const QImage& Image) {
    return Image.size() == QSize(PictureWidth, PictureHeight) &&
           Image.format() == QImage::Format_RGB32 && Image.isDetached();
  };
  // The back buffer when no one else holds it, else the picture the last
  // present replaced, as DrawGrid takes them.
  QImage* Target = Fits(Back) ? &Back : Fits(Spare) ? &Spare : nullptr;
  const TRecord& Record = Target == &Back ? BackRecord : SpareRecord;
  if (Target == nullptr || !Holds(Record, *Target) || !(Record.State == State) ||
      !(EmptyState == State) || Empty.size() != Target->size() ||
      Empty.format() != Target->format()) {
    return false;
  }
  auto* const Pixels = Target->bits();
  const qsizetype Stride = Target->bytesPerLine();
  for (const QRect& Area : DrawnArea(Record)) {
    for (int Y = Area.top(); Y <= Area.bottom(); ++Y) {
      std::memcpy(Pixels + Y * Stride + Area.left() * 4,
                  Empty.constBits() + Y * Stride + Area.left() * 4,
                  static_cast<std::size_t>(Area.width()) * 4);
    }
  }
  if (Target != &Back) {
    Back = std::move(Spare);
    Spare = QImage();
  }
  BackRecord = EmptyRecord(State, Back);
  return true;
}

void TTraceRenderer::DrawGrid() {
  BackRecord.Known = false;  // as for every drawing but the renderer's own redraw
  // A back buffer still shared with the visible picture is left to it: the
  // picture it replaced takes its place when nothing else holds it, so a
  // loop of restitutions goes back and forth between two buffers instead of
  // copying one, or allocating one, at every restitution.
  const auto Fits = [](const QImage& Image) {
    return Image.size() == QSize(PictureWidth, PictureHeight) &&
           Image.format() == QImage::Format_RGB32 && Image.isDetached();
  };
  if (!Fits(Back)) {
    Back =
        Fits(Spare) ? std::move(Spare) : QImage(PictureWidth, PictureHeight, QImage::Format_RGB32);
    Spare = QImage();
  }
  Back.fill(ColourWhite);
  TPixelCanvas Canvas(Back);
  Canvas.SetPen(ColourBlack);
  for (int K = 0; K < VerticalGridLines; ++K) {
    Canvas.Line({{VerticalGridX(K), GridTop}, {VerticalGridX(K), GridBottom}});
  }
  for (int K = 0; K < HorizontalGridLines; ++K) {
    Canvas.Line({{GridLeft, HorizontalGridY(K)}, {GridRight, HorizontalGridY(K)}});
  }
  for (const TPixelLine& Line : FrameLines) {
    Canvas.Line(Line);
  }
}

void TTraceRenderer::DrawTimeBaseLabel(int TimeBaseIndex) {
  BackRecord.Known = false;
  const TTimeBase* Base = FindTimeBase(TimeBaseIndex);
  if (Base == nullptr) {
    return;
  }
  TPixelCanvas Canvas(Back);
  Canvas.SetFontColour(ColourBlack);
  Canvas.TextOut(TimeBaseTextPosition, QString::fromUtf8(Base->Label));
}

void TTraceRenderer::DrawTriggerStatus(TTriggerMode Mode, const std::array<bool, 8>& PatternBoxes) {
  BackRecord.Known = false;
  TPixelCanvas Canvas(Back);
  Canvas.SetFontColour(ColourBlack);
  Canvas.SetPen(ColourBlack);
  if (const char* Text = TriggerPictureText(Mode)) {
    Canvas.TextOut(TriggerTextPosition, QString::fromUtf8(Text));
  }
  if (Mode != TTriggerMode::InternalEqual) {
    return;
  }
  Canvas.SetPen(ColourRed);
  for (int Input = 1; Input <= InputsPerGroup; ++Input) {
    const bool Rising = PatternBoxes[static_cast<std::size_t>(Input - 1)];
    for (const TPixelLine& Line : TriggerSymbolLines(Input, Rising)) {
      Canvas.Line(Line);
    }
  }
}

void TTraceRenderer::DrawChannelLabels(bool NumberLabels, bool InternalEqual) {
  BackRecord.Known = false;
  TPixelCanvas Canvas(Back);
  for (int Input = 1; Input <= InputCount; ++Input) {
    Canvas.SetFontColour(InputColour(Input));
    Canvas.TextOut(ChannelLabelPosition(Input, NumberLabels, InternalEqual),
                   QString::fromUtf8(ChannelLabelText(Input, NumberLabels)));
  }
}

void TTraceRenderer::DrawPullLabel(TPull Pull) {
  BackRecord.Known = false;
  const char* Text = PullPictureText(Pull);
  if (Text == nullptr) {
    return;
  }
  TPixelCanvas Canvas(Back);
  Canvas.SetFontColour(ColourBlack);
  Canvas.TextOut(PullTextPosition, QString::fromUtf8(Text));
}

const TClockStamp& TTraceRenderer::DrawClockStamp(QImage& Visible, const QDateTime& Now) {
  Stamp = MakeClockStamp(Now);
  const QString Time = ClockTimeText(Stamp);
  const QString Date = ClockDateText(Stamp);
  // The records of both pictures go on holding, the stamp's area added.
  const bool BackRecorded = Holds(BackRecord, Back);
  const bool ShownRecorded = Holds(ShownRecord, Visible);
  const auto Note = [](TRecord& Record, bool Held, const QImage& Image, const QRect& Area) {
    Record.Known = Held;
    Record.Key = Image.cacheKey();
    Record.Stamps |= Area;
  };
  if (!Back.isNull() && Back.constBits() == Visible.constBits()) {
    // The picture shown is the back buffer, presented since the last redraw
    // (the stamp's timer): one write serves both without parting them,
    // which would copy the whole picture.
    Back = QImage();
    StampArea = WriteClockStamp(Visible, Time, Date);
    Back = Visible;
    Note(BackRecord, BackRecorded, Back, StampArea);
    Note(ShownRecord, ShownRecorded, Visible, StampArea);
    return Stamp;
  }
  // On pictures of one size the stamp lands in the same area.
  const QRect BackArea = WriteClockStamp(Back, Time, Date);
  Note(BackRecord, BackRecorded, Back, BackArea);
  const QImage Before = Visible.size() == Back.size() ? Visible.copy(BackArea) : QImage();
  const QRect Area = WriteClockStamp(Visible, Time, Date);
  Note(ShownRecord, ShownRecorded, Visible, Area);
  // The same seconds again over the same pixels need no repaint: most
  // restitutions of a loop start within the second of the one before.
  const bool Unchanged = !Before.isNull() && Area == BackArea && Visible.copy(Area) == Before;
  StampArea = Unchanged ? QRect() : Area;
  return Stamp;
}

void TTraceRenderer::DrawSample(int Group, int N, std::uint8_t Value, bool ShowEdges,
                                std::uint8_t Drawn) {
  if ((Group != 1 && Group != 2) || N < 1 || N > SamplesPerWindow) {
    return;
  }
  // A restitution draws 900 of these: pixels are set straight, as the
  // canvas's lines would set them (end points excluded, clipped).
  const bool Recorded = Holds(BackRecord, Back);
  if (Back.isNull()) {
    return;
  }
  // As for any drawing, a picture of another format becomes RGB32 first.
  if (Back.format() != QImage::Format_RGB32 && Back.format() != QImage::Format_ARGB32) {
    Back.convertTo(QImage::Format_RGB32);
  }
  auto* const Pixels = reinterpret_cast<TRgb*>(Back.bits());
  const qsizetype Stride = Back.bytesPerLine() / static_cast<qsizetype>(sizeof(TRgb));
  const int Height = Back.height();
  const TRgb Colour = GroupColour(Group);
  const int X0 = SampleX(N);
  const bool Left = X0 < Back.width();  // X0 is never negative
  const bool Right = X0 + 1 < Back.width();
  // Rows Top to Bottom of column X, clipped.
  const auto Run = [&](bool Inside, int X, int Top, int Bottom) {
    if (Inside) {
      for (int Y = std::max(Top, 0); Y <= std::min(Bottom, Height - 1); ++Y) {
        Pixels[Stride * Y + X] = Colour;
      }
    }
  };
  const int Base = GroupRowBase(Group);
  for (int J = 0; J < InputsPerGroup; ++J) {
    if (((Drawn >> J) & 1) == 0) {
      continue;
    }
    const bool High = ((Value >> J) & 1) != 0;
    const int HighY = Base + 30 * J - 20;
    const int LowY = Base + 30 * J - 1;
    const int NewY = High ? HighY : LowY;
    bool& Previous = Levels[static_cast<std::size_t>(J)];
    if (!ShowEdges || N == 1 || High == Previous) {
      Run(Left, X0, NewY, NewY);
      Run(Right, X0 + 1, NewY, NewY);
    } else {
      const int OldY = Previous ? HighY : LowY;
      const auto Trace = static_cast<std::size_t>((Group - 1) * InputsPerGroup + J);
      BackRecord.EdgeLeft[Trace] = std::min(BackRecord.EdgeLeft[Trace], X0 + 1);
      BackRecord.EdgeRight[Trace] = std::max(BackRecord.EdgeRight[Trace], X0 + 1);
      Run(Left, X0, OldY, OldY);
      // The edge from the old level to the new one, the new row left out.
      Run(Right, X0 + 1, High ? NewY + 1 : OldY, High ? OldY : NewY - 1);
    }
    if (ShowEdges) {
      Previous = High;
    }
  }
  BackRecord.Known = Recorded;
  BackRecord.Key = Back.cacheKey();
}

QRegion TTraceRenderer::PresentScreen(QImage& Visible) {
  QRegion Changed = QRect(QPoint(), Back.size()) | QRect(QPoint(), Visible.size());
  // Two pictures of one empty screen differ only where either has samples
  // or a stamp: the rest of the picture shown stays as it is.
  if (Holds(ShownRecord, Visible) && Holds(BackRecord, Back) &&
      ShownRecord.State == BackRecord.State && Visible.size() == Back.size()) {
    Changed = DrawnArea(ShownRecord) | DrawnArea(BackRecord);
  }
  // The picture shares the back buffer's pixels: the first write to either
  // side parts them (QImage copies on write), and a restitution that starts
  // with DrawGrid parts them for free. A loop of restitutions copies nothing.
  Spare = std::move(Visible);
  SpareRecord = ShownRecord;
  Visible = Back;
  ShownRecord = BackRecord;
  return Changed;
}
