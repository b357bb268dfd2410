// SPDX-License-Identifier: GPL-3.0-or-later
// A shown main window with a simulated analyser attached, for driving the
// acquisition controls by mouse clicks and reading what reached the analyser.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "display/PictureBox.h"
#include "tests/support/AnalyserRig.h"
#include "tests/support/CaseNames.h"

namespace AcquisitionTest {

using CaseNames::PrintTo;

template <typename TCase>
std::string CaseName(const testing::TestParamInfo<TCase>& Info) {
  return Info.param.Name;
}

/// A left click where the user would click: on the indicator of a radio
/// button or check box, in the middle of any other button.
inline void Click(QAbstractButton* Button) {
  const bool Indicator =
      qobject_cast<QCheckBox*>(Button) != nullptr || qobject_cast<QRadioButton*>(Button) != nullptr;
  const QPoint At = Indicator ? QPoint(6, Button->height() / 2) : Button->rect().center();
  QTest::mouseClick(Button, Qt::LeftButton, Qt::NoModifier, At);
}

/// The window started with PC speed 300 and pull-up saved, shown, and a
/// simulated analyser plugged in and attached. TimeScale 0 answers at once;
/// reports reach the window only while a test runs the event loop.
class TAcquisitionWindow {
 public:
  explicit TAcquisitionWindow(double TimeScale = 0) {
    Form = &Rig.Start("300", "1");
    Form->show();
    TSimulatorOptions Options;
    Options.TimeScale = TimeScale;
    Rig.Analysers.push_back(
        std::make_unique<TSimulatedAnalyserDevice>(Rig.Harness.Environment.Hid, Options));
    Device = Rig.Analysers.back().get();
    Device->Plug();
    // The attach ends by enabling the acquisition group, in one go.
    if (!TAnalyserRig::RunUntil(
            [&] { return Rig.Listed(Device->HidInterface()) && Form->GroupBox2->isEnabled(); })) {
      throw std::runtime_error("the window never attached the analyser");
    }
    // Reports sent before the reader has opened the interface are lost.
    if (!Device->HidInterface().WaitForReaders(1, std::chrono::seconds(5))) {
      throw std::runtime_error("nobody reads the analyser");
    }
    Attached = Device->HidInterface().WrittenReports().size();
    Rig.CountReports();
  }

  /// Bytes 0 to 3 of the reports written since the attach.
  std::vector<TReportHead> Sent() const {
    auto Heads = TAnalyserRig::Heads(Device->HidInterface());
    Heads.erase(Heads.begin(), Heads.begin() + static_cast<std::ptrdiff_t>(Attached));
    return Heads;
  }
  /// Command codes written since the attach.
  std::vector<int> Codes() const {
    std::vector<int> Codes;
    for (const TReportHead& Head : Sent()) {
      Codes.push_back(Head[1]);
    }
    return Codes;
  }
  /// Parameters of the commands of Code written since the attach.
  std::vector<int> ParametersOf(int Code) const {
    std::vector<int> Values;
    for (const TReportHead& Head : Sent()) {
      if (Head[1] == Code) {
        Values.push_back(Head[2]);
      }
    }
    return Values;
  }
  /// Forgets what was written so far.
  void ForgetSent() { Attached = Device->HidInterface().WrittenReports().size(); }

  TFirmwareState Firmware() const { return Device->Analyser()->State(); }
  /// Runs the event loop, so that reports reach the window, until Done.
  bool WaitFor(const std::function<bool()>& Done,
               std::chrono::milliseconds Timeout = std::chrono::seconds(10)) const {
    return TAnalyserRig::RunUntil(Done, Timeout);
  }
  /// Waits until the analyser's firmware has taken every command and stopped
  /// working, and the window has handled every report it sent.
  bool WaitAnalyserIdle() const {
    return WaitFor([&] {
      if (!Device->Analyser()->WaitIdle(std::chrono::milliseconds(0))) {
        return false;
      }
      const std::int64_t Arrived =
          static_cast<std::int64_t>(Rig.ReportsHandled()) +
          static_cast<std::int64_t>(Device->HidInterface().DroppedReports());
      return Arrived == Firmware().BlocksSent;
    });
  }

  QImage Visible() const { return std::as_const(*Form->Image2).Picture(); }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  TSimulatedAnalyserDevice* Device = nullptr;

 private:
  std::size_t Attached = 0;
};

}  // namespace AcquisitionTest
