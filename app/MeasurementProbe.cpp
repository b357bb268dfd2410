// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MeasurementProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/TimeBase.h"
#include "app/CaptureFiles.h"
#include "app/Form1.h"
#include "app/ProcessTimes.h"
#include "app/StatusBar.h"
#include "link/JvHidControllerClass.h"

namespace {

// The thread of the simulated analyser, named so by the simulator: it stands
// for the device, not for the program.
constexpr std::string_view SimulatorThread = "la16-simulator";

void PrintProbeLine(const std::string& Line) {
  std::fputs(("la16-probe " + Line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string PeakResidentText() {
  const std::optional<std::uint64_t> Peak = PeakResidentKilobytes();
  return Peak ? std::to_string(*Peak) : std::string("unknown");
}

std::string Seconds(double Value) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.6f", Value);
  return Text;
}

// Stamps the first paint of any widget of the main window, once the paint
// pass it belongs to is over.
class TFirstPaintProbe : public QObject {
 public:
  explicit TFirstPaintProbe(TForm1& Form) : QObject(&Form), Form(Form) {
    QCoreApplication::instance()->installEventFilter(this);
  }

  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (!Seen && Event->type() == QEvent::Paint && Watched->isWidgetType() &&
        static_cast<QWidget*>(Watched)->window() == &Form) {
      Seen = true;
      QTimer::singleShot(0, this, [this] { Report(); });
    }
    return false;
  }

 private:
  void Report() {
    // The steady clock is the system's monotonic clock (CLOCK_MONOTONIC on
    // Linux), the one the bench that started us reads too.
    const long long Nanoseconds =
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
    PrintProbeLine("first-paint monotonic-ns=" + std::to_string(Nanoseconds) +
                   " vm-hwm-kb=" + PeakResidentText());
    Form.Quitter2Click();
  }

  TForm1& Form;
  bool Seen = false;
};

// Loops at the fastest time base once the analyser is attached, then
// measures a stretch of the loop.
class TLoopProbe : public QObject {
 public:
  TLoopProbe(TForm1& Form, int MeasuredSeconds)
      : QObject(&Form), Form(Form), MeasuredSeconds(MeasuredSeconds) {
    Poll.setInterval(20);
    connect(&Poll, &QTimer::timeout, this, [this] { StartWhenAttached(); });
    Poll.start();
  }

 private:
  struct TSnapshot {
    std::chrono::steady_clock::time_point Wall;
    double ProcessCpu = 0;
    std::vector<TThreadTimes> Threads;
    std::int32_t Restitutions = 0;
  };

  TSnapshot Take() const {
    return {std::chrono::steady_clock::now(), ProcessCpuSeconds(), ReadThreadTimes(),
            Form.State.RestitutionCount};
  }

  void StartWhenAttached() {
    if (Form.AnalyserDevice == nullptr || !Form.GroupBox2->isEnabled()) {
      return;
    }
    Poll.stop();
    Form.SpeedButton24->click();
    Form.TimeBaseButton(TimeBaseTable.front().Index)->click();
    QTimer::singleShot(1000, this, [this] {
      Start = Take();
      QTimer::singleShot(MeasuredSeconds * 1000, Qt::PreciseTimer, this, [this] { Report(); });
    });
  }

  void Report() {
    const TSnapshot End = Take();
    std::map<int, double> StartSeconds;
    for (const TThreadTimes& Thread : Start.Threads) {
      StartSeconds[Thread.Id] = Thread.Seconds();
    }
    double Simulator = 0;
    std::string PerThread;
    for (const TThreadTimes& Thread : End.Threads) {
      const auto Before = StartSeconds.find(Thread.Id);
      const double UsedSeconds =
          Thread.Seconds() - (Before != StartSeconds.end() ? Before->second : 0);
      if (Thread.Name == SimulatorThread) {
        Simulator += UsedSeconds;
      }
      std::string Name = Thread.Name;
      for (char& Each : Name) {
        if (Each == ' ' || Each == ',' || Each == ':') {
          Each = '_';
        }
      }
      PerThread += (PerThread.empty() ? "" : ",") + Name + ":" + Seconds(UsedSeconds);
    }
    const double Wall = std::chrono::duration<double>(End.Wall - Start.Wall).count();
    PrintProbeLine("loop seconds=" + Seconds(Wall) +
                   " restitutions=" + std::to_string(End.Restitutions - Start.Restitutions) +
                   " process-cpu-s=" + Seconds(End.ProcessCpu - Start.ProcessCpu) +
                   " simulator-cpu-s=" + Seconds(Simulator) + " vm-hwm-kb=" + PeakResidentText() +
                   " threads=" + PerThread);
    // Halted as a user halts before quitting: the analyser stops and the
    // snapshot is written where the program keeps its files.
    Form.SpeedButton23->click();
    Form.Quitter2Click();
  }

  TForm1& Form;
  const int MeasuredSeconds;
  QTimer Poll;
  TSnapshot Start;
};

// Drives the window through a script of steps, polling its state: the
// scenarios that run la16 against a real kernel device read its lines.
class TStepsProbe : public QObject {
 public:
  TStepsProbe(TForm1& Form, std::vector<TProbeStep> Script)
      : QObject(&Form), Form(Form), Script(std::move(Script)) {
    Poll.setInterval(10);
    connect(&Poll, &QTimer::timeout, this, [this] { Run(); });
    Poll.start();
    PrintProbeLine("steps started");
  }

 private:
  // Whether the step is done; Begin is true at its first poll.
  bool Step(const TProbeStep& Current, bool Begin) {
    switch (Current.Kind) {
      case TProbeStep::Attached:
        if (Form.AnalyserDevice == nullptr || !Form.GroupBox2->isEnabled()) {
          return false;
        }
        PrintProbeLine(std::string("attached reader=") +
                       (Form.AnalyserDevice->ReaderRunning() ? "1" : "0"));
        return true;
      case TProbeStep::Loop:
        Form.SpeedButton24->click();
        PrintProbeLine("loop");
        return true;
      case TProbeStep::Shown:
        if (Begin) {
          Target = Form.RestitutionsShown + Current.Value;
        }
        if (Form.RestitutionsShown < Target) {
          return false;
        }
        PrintProbeLine("shown restitutions=" + std::to_string(Form.RestitutionsShown));
        return true;
      case TProbeStep::Halt:
        if (Begin) {
          Form.SpeedButton23->click();
        }
        if (!Quiet(Begin)) {
          return false;
        }
        PrintProbeLine("halt snapshot=" + Form.FileInProgramFolder("1.bmp").toStdString() +
                       " restitutions=" + std::to_string(Form.RestitutionsShown));
        return true;
      case TProbeStep::Scroll:
        if (Begin) {
          Target = Form.RestitutionsShown + 1;
          Form.ScrollBar1->setValue(Current.Value);
        }
        if (Form.RestitutionsShown < Target || !Quiet(Begin)) {
          return false;
        }
        PrintProbeLine("scroll position=" + std::to_string(Form.ScrollBar1->value()) +
                       " snapshot=" + Form.FileInProgramFolder("1.bmp").toStdString());
        return true;
      case TProbeStep::Export: {
        const QString Path = Form.FileInProgramFolder(
            QStringLiteral("export.") + QString::fromUtf8(ExportFormats[Current.Value]));
        if (Begin) {
          ExportStarted = Form.CaptureFiles->ExportTo(Path);
        }
        if (Form.CaptureFiles->Exporting()) {
          return false;
        }
        const bool Written = ExportStarted && Form.CaptureFiles->LastExportWritten();
        PrintProbeLine("export file=" + Path.toStdString() + " written=" + (Written ? "1" : "0") +
                       " position=" + std::to_string(Form.ScrollBar1->value()) +
                       " restitutions=" + std::to_string(Form.RestitutionsShown));
        return true;
      }
      case TProbeStep::Detached:
        if (Form.AnalyserDevice != nullptr || !Form.Panel3->isVisibleTo(&Form)) {
          return false;
        }
        {
          // What the user sees then, for whoever runs the probe to look at;
          // written once the line is out, so as not to delay it.
          const QString Window = Form.FileInProgramFolder(QStringLiteral("detached.png"));
          PrintProbeLine("detached restitutions=" + std::to_string(Form.RestitutionsShown) +
                         " window=" + Window.toStdString() +
                         " status=" + Form.StatusBar1->PanelText(0).toStdString());
          Form.grab().save(Window);
        }
        return true;
      case TProbeStep::Quit:
        PrintProbeLine("quit");
        Form.Quitter2Click();
        return true;
    }
    return true;
  }

  // True once every restitution begun has been shown (block 1 counted as
  // often as block 21, since the script began) and neither counter has moved
  // for half a second.
  bool Quiet(bool Begin) {
    const auto Now = std::chrono::steady_clock::now();
    const std::int64_t Begun = Form.State.RestitutionCount - FirstCount;
    const std::int64_t Shown = Form.RestitutionsShown - FirstShown;
    if (Begin || Begun != LastBegun || Shown != LastShown) {
      LastBegun = Begun;
      LastShown = Shown;
      LastChange = Now;
      return false;
    }
    return Begun <= Shown && Now - LastChange >= std::chrono::milliseconds(500);
  }

  void Run() {
    if (Index == 0 && !Started) {
      FirstShown = Form.RestitutionsShown;
      FirstCount = Form.State.RestitutionCount;
    }
    while (Index < Script.size()) {
      const bool Begin = !Started;
      Started = true;
      if (!Step(Script[Index], Begin)) {
        return;
      }
      ++Index;
      Started = false;
    }
    Poll.stop();
  }

  TForm1& Form;
  const std::vector<TProbeStep> Script;
  std::size_t Index = 0;
  bool Started = false;
  std::int64_t Target = 0;
  bool ExportStarted = false;
  std::int64_t FirstShown = 0;
  std::int32_t FirstCount = 0;
  std::int64_t LastBegun = 0;
  std::int64_t LastShown = 0;
  std::chrono::steady_clock::time_point LastChange;
  QTimer Poll;
};

}  // namespace

void InstallMeasurementProbe(TForm1& Form) {
  if (!qEnvironmentVariableIsSet("LA16_PROBE")) {
    return;
  }
  const QByteArray Value = qgetenv("LA16_PROBE");
  const std::optional<TProbeRequest> Request = ParseProbeRequest(
      std::string_view(Value.constData(), static_cast<std::size_t>(Value.size())));
  if (!Request) {
    std::fprintf(stderr,
                 "LA16_PROBE=%s not understood: first-paint, loop:SECONDS or steps:STEP,...\n",
                 Value.constData());
    return;
  }
  if (Request->Kind == TProbeRequest::FirstPaint) {
    new TFirstPaintProbe(Form);
  } else if (Request->Kind == TProbeRequest::Steps) {
    new TStepsProbe(Form, Request->Script);
  } else {
    new TLoopProbe(Form, Request->Seconds);
  }
}
