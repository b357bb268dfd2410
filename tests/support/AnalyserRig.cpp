// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/AnalyserRig.h"

#include <QCoreApplication>
#include <algorithm>
#include <stdexcept>

#include "link/JvHidControllerClass.h"

TForm1& TAnalyserRig::Start(const std::string& PcSpeed, const std::string& Pull) {
  Harness.WriteSettingsFile(SettingsBytes({"", "", "", "", "", Pull, "", PcSpeed}));
  Form = &Harness.Start();
  // The controller's first look at the machine, posted at its construction.
  Idle(std::chrono::milliseconds(20));
  return *Form;
}

bool TAnalyserRig::Listed(const TSimulatedHidInterface& Interface) const {
  for (const TJvHidDevice* Device : Form->JvHidDeviceController1->Devices()) {
    if (Device->PnPInfo().InstanceNumber == Interface.InstanceNumber() && Device->Plugged()) {
      return true;
    }
  }
  return false;
}

std::shared_ptr<TSimulatedHidInterface> TAnalyserRig::Plug(
    const TSimulatedInterfaceOptions& Options) {
  auto Interface = Harness.Environment.Hid.PlugNew(Options);
  if (!RunUntil([&] { return Listed(*Interface); })) {
    throw std::runtime_error("the window never saw the interface arrive");
  }
  return Interface;
}

TSimulatedAnalyserDevice& TAnalyserRig::PlugAnswering() {
  TSimulatorOptions Options;
  Options.TimeScale = 0;
  Analysers.push_back(std::make_unique<TSimulatedAnalyserDevice>(Harness.Environment.Hid, Options));
  TSimulatedAnalyserDevice& Device = *Analysers.back();
  Device.Plug();
  if (!RunUntil([&] { return Listed(Device.HidInterface()); })) {
    throw std::runtime_error("the window never saw the analyser arrive");
  }
  // Reports the analyser sends before the reader has opened the interface are
  // lost, as on hidraw; an answering analyser is ready only once it is read.
  if (!Device.HidInterface().WaitForReaders(1, std::chrono::seconds(5))) {
    throw std::runtime_error("nobody reads the analyser");
  }
  return Device;
}

void TAnalyserRig::Unplug(TSimulatedHidInterface& Interface) {
  Harness.Environment.Hid.Unplug(Interface);
  if (!RunUntil([&] { return !Listed(Interface); })) {
    throw std::runtime_error("the window never saw the interface go");
  }
}

void TAnalyserRig::CountReports(std::function<void()> After) {
  TJvHidDevice* Device = Form->AnalyserDevice;
  if (Device == nullptr || !Device->OnReport()) {
    throw std::runtime_error("no analyser receiving reports");
  }
  Device->SetOnReport([Inner = Device->OnReport(), Count = Handled, After = std::move(After)](
                          TJvHidDevice& HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size) {
    Inner(HidDev, ReportID, Data, Size);
    ++*Count;
    if (After) {
      After();
    }
  });
}

void TAnalyserRig::Deliver(TSimulatedHidInterface& Interface,
                           const std::vector<std::uint8_t>& Report) {
  // A report sent before the reader has opened the interface is lost.
  if (!Interface.WaitForReaders(1, std::chrono::seconds(5))) {
    throw std::runtime_error("nobody reads the interface");
  }
  const int Before = *Handled;
  Interface.InjectReport(Report);
  if (!RunUntil([&] { return *Handled > Before; })) {
    throw std::runtime_error("the report never reached the window");
  }
}

void TAnalyserRig::DeliverRestitution(TSimulatedHidInterface& Interface, const TWindow& Window) {
  for (const auto& Block : BuildRestitution(Window)) {
    Deliver(Interface, BlockReport(Block));
  }
}

bool TAnalyserRig::RunUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
  const auto Deadline = std::chrono::steady_clock::now() + Timeout;
  while (!Done() && std::chrono::steady_clock::now() < Deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  }
  return Done();
}

void TAnalyserRig::Idle(std::chrono::milliseconds Duration) {
  const auto Deadline = std::chrono::steady_clock::now() + Duration;
  while (std::chrono::steady_clock::now() < Deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  }
}

std::vector<TReportHead> TAnalyserRig::Heads(const TSimulatedHidInterface& Interface) {
  std::vector<TReportHead> Heads;
  for (const auto& Report : Interface.WrittenReports()) {
    TReportHead Head{};
    for (std::size_t I = 0; I < Head.size() && I < Report.size(); ++I) {
      Head[I] = Report[I];
    }
    Heads.push_back(Head);
  }
  return Heads;
}

std::vector<std::uint8_t> BlockReport(const std::array<std::uint8_t, BlockSize>& Block) {
  // Sized at once: growing a one-byte vector by the block's bytes is an
  // overrun to GCC 12's optimiser.
  std::vector<std::uint8_t> Report(Block.size() + 1, 0);
  std::copy(Block.begin(), Block.end(), Report.begin() + 1);
  return Report;
}

std::vector<std::uint8_t> BlockReport(std::uint8_t Code, const std::vector<std::uint8_t>& Bytes) {
  // Filled in place: GCC 12 wrongly sees the insert into a two-byte vector
  // overrun when optimising.
  std::vector<std::uint8_t> Report(InputReportSize, 0);
  Report[1] = Code;
  std::copy_n(Bytes.begin(), std::min(Bytes.size(), InputReportSize - 2), Report.begin() + 2);
  return Report;
}
