// Attach and detach of the analyser: the controller announces every HID
// interface of the machine; the analyser is picked out by its ids.
#include <QGroupBox>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <optional>
#include <utility>

#include "acquisition/PcSpeedSetting.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "app/StatusBar.h"
#include "link/JvHidControllerClass.h"
#include "link/QtMainThreadLoop.h"

namespace {
bool IsAnalyser(const TJvHidDevice& HidDev) {
  return HidDev.VendorID() == AnalyserVendorId && HidDev.ProductID() == AnalyserProductId;
}
}  // namespace

void TForm1::CreateAnalyserLink() {
  HidLoop = std::make_unique<TQtMainThreadLoop>();
  JvHidDeviceController1 =
      std::make_unique<TJvHidDeviceController>(Environment.HidPlatform(), *HidLoop);
  JvHidDeviceController1->SetOnArrival(
      [this](TJvHidDevice& HidDev) { JvHidDeviceController1Arrival(HidDev); });
  JvHidDeviceController1->SetOnRemoval(
      [this](TJvHidDevice& HidDev) { JvHidDeviceController1Removal(HidDev); });
}

void TForm1::ReleaseAnalyserLink() {
  // The readers hand reports to this window: they end before it goes, and
  // the devices go before the controller and the loop they use.
  AnalyserDevice = nullptr;
  for (TJvHidDevice* Device : std::exchange(CheckedOutAnalysers, {})) {
    delete Device;
  }
  JvHidDeviceController1.reset();
  HidLoop.reset();
}

void TForm1::JvHidDeviceController1Arrival(TJvHidDevice& HidDev) {
  if (!IsAnalyser(HidDev)) {  // 1
    return;
  }
  AnalyserDevice = &HidDev;        // 2
  if (HidDev.ReadWriteAccess()) {  // 3
    // The first analyser of the list not taken yet: HidDev unless another
    // one precedes it.
    if (JvHidDeviceController1->CheckOutMatching(AnalyserDevice, AnalyserVendorId,
                                                 AnalyserProductId)) {
      CheckedOutAnalysers.push_back(AnalyserDevice);
      AnalyserDevice->SetOnReport(
          [this](TJvHidDevice& Device, std::uint8_t ReportID, const std::uint8_t* Data,
                 std::uint16_t Size) { AnalyserDeviceData(Device, ReportID, Data, Size); });
    }
  } else {
    HidDev.SetOnReport(nullptr);  // stays with the controller; no reader runs
  }
  Panel6->show();          // 4
  SendCommand(cmdAttach);  // 5

  // 6: an empty or non-numeric setting leaves the slider where it is.
  if (const std::optional<int> PcSpeed = ParsePcSpeedSetting(Settings.PcSpeedSetting())) {
    TrackBar1->setValue(ClampPcSpeed(*PcSpeed));  // runs TrackBar1Change only on a change
  }
  const int Position = TrackBar1->value();  // 7
  SendCommand(cmdPcSpeed, static_cast<std::uint8_t>((Position >> 8) & 0xFF),
              static_cast<std::uint8_t>(Position & 0xFF));
  // 8
  StatusBar1->SetPanelText(0, QStringLiteral("Analyseur logique USB connecté et opérationnel..."));
  GroupBox2->setEnabled(true);  // 9
  GroupBox5->setEnabled(true);
  // 10: checking a button that was not checked runs its pull handler.
  if (Settings.PullSetting() == "0") {
    RadioButton6->setChecked(true);
  } else if (Settings.PullSetting() == "1") {
    RadioButton5->setChecked(true);
  }
  GroupBox5->setEnabled(false);  // 11
  Panel3->hide();                // 12
}

void TForm1::JvHidDeviceController1Removal(TJvHidDevice& HidDev) {
  if (!IsAnalyser(HidDev)) {  // 1
    return;
  }
  StatusBar1->SetPanelText(0, QStringLiteral("Analyseur logique USB déconnecté"));  // 2
  // 3: the reference goes first, so nothing is sent to a device being
  // released while its reader hands over its last reports.
  if (TJvHidDevice* Releasing = std::exchange(AnalyserDevice, nullptr)) {
    std::erase(CheckedOutAnalysers, Releasing);
    delete Releasing;
  }
  Environment.Terminate();  // 4: no close query, so no cmdClose
}
