// SPDX-License-Identifier: GPL-3.0-or-later
// Any sequence of input reports of any length through the main window's
// report handler, as the reader hands them over once the analyser is
// attached (offscreen, on the simulated HID platform). Nothing is read past
// a report and nothing crashes while drawing; each report stores exactly the
// samples it carries, a block 1 counts a restitution and moves the lit lamp,
// and in a single acquisition every report shows the end of the restitution.
//
// Input: one byte whose bit 0 sets SingleShot, then records of one byte (the
// report's length after its id) followed by the report's bytes.
#include <QByteArray>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <type_traits>

#include "app/Application.h"
#include "app/PictureControl.h"
#include "app/StatusBar.h"
#include "link/JvHidControllerClass.h"
#include "tests/support/AnalyserRig.h"

namespace {

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "form_reception_fuzzer: %s\n", What);
    std::abort();
  }
}

// One window for the whole run: starting one costs far more than a report.
struct TFuzzedWindow {
  TFuzzedWindow() {
    Rig.Start("100", "");
    Analyser = Rig.Plug(AnalyserInterface());
    Check(Rig.Form->AnalyserDevice != nullptr && Rig.Form->AnalyserDevice->OnReport() != nullptr,
          "the analyser was not attached");
  }
  TAnalyserRig Rig;
  std::shared_ptr<TSimulatedHidInterface> Analyser;
};

TFuzzedWindow* Window = nullptr;

void CheckLamps(const TForm1& Form) {
  const bool UpperLit = Form.State.RestitutionCount % 2 != 0;
  Check(Form.Image9->isHidden() != UpperLit && Form.Image10->isHidden() != UpperLit &&
            Form.Image8->isHidden() == UpperLit && Form.Image7->isHidden() == UpperLit,
        "lit lamp in the wrong spot");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* Argc, char*** Argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window's folders, and the snapshot written after a single
  // acquisition, in memory where there is a tmpfs.
  if (QDir(QStringLiteral("/dev/shm")).exists()) {
    qputenv("TMPDIR", "/dev/shm");
  }
  static TApplication Application(*Argc, *Argv);
  static TFuzzedWindow Started;
  Window = &Started;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static_assert(std::is_trivially_copyable_v<TSampleBuffer>);
  TForm1& Form = *Window->Rig.Form;
  TJvHidDevice& Device = *Form.AnalyserDevice;
  const TJvHidDataEvent Handler = Device.OnReport();
  Form.State.SingleShot = Size > 0 && (Data[0] & 1) != 0 ? 1 : 0;
  std::size_t At = Size > 0 ? 1 : 0;
  Form.StatusBar1->SetPanelText(1, QString());

  while (At < Size) {
    const std::uint8_t Record = Data[At++];
    const std::size_t Length = std::min<std::size_t>(Record, Size - At);
    // Each report in a buffer of exactly its length, so a read past it is caught.
    const auto Report = std::make_unique<std::uint8_t[]>(Length);
    std::memcpy(Report.get(), Data + At, Length);
    At += Length;

    const std::optional<TBlockPlacement> Place = Length == 0 ? std::nullopt : PlaceBlock(Report[0]);
    TSampleBuffer Expected = Form.State.SampleBuffer;
    if (Place) {
      const int Carried = std::min(Place->Count, static_cast<int>(Length) - 1);
      for (int I = 0; I < Carried; ++I) {
        Expected.Cell(Place->Group, Place->FirstCell + I) = Report[static_cast<std::size_t>(I + 1)];
      }
    }
    const std::int32_t Count = Form.State.RestitutionCount;

    Handler(Device, 0, Report.get(), static_cast<std::uint16_t>(Length));

    Check(std::memcmp(&Expected, &Form.State.SampleBuffer, sizeof Expected) == 0,
          "cells changed otherwise than the report carries");
    const bool Counted = Length > 0 && Report[0] == 1;
    Check(Form.State.RestitutionCount == Count + (Counted ? 1 : 0),
          "restitution counted otherwise than by block 1");
    if (Counted) {
      CheckLamps(Form);
    }
    // ...unless the restitution ended with blocks missing, which is said instead.
    const QString Shown = Form.StatusBar1->PanelText(1);
    Check(Form.State.SingleShot == 0 ||
              Shown == QStringLiteral("Restitution des données terminée.") ||
              Shown == QStringLiteral(
                           "Restitution incomplète : des données de l'analyseur ont été perdues."),
          "single acquisition's end not shown");
  }
  return 0;
}
