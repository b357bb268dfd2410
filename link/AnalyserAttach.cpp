// SPDX-License-Identifier: GPL-3.0-or-later
// Attach and detach of the analyser: the controller announces every HID
// interface of the machine; the analyser is picked out by its ids. Losing it
// puts the window back to waiting for it, keeping what it shows.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <optional>
#include <utility>

#include "acquisition/PcSpeedSetting.h"
#include "app/CaptureFiles.h"
#include "app/ControlSemantics.h"
#include "app/Environment.h"
#include "app/Form1.h"
#include "app/PictureControl.h"
#include "app/StatusBar.h"
#include "display/SnapshotFile.h"
#include "link/JvHidControllerClass.h"
#include "link/QtMainThreadLoop.h"

namespace {
// Well under the 18 ms of a restitution: its picture is late by a fraction of
// a frame at most.
constexpr int AnalyserHandOverPeriodMs = 15;

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
      // A restitution streams 18 reports a millisecond apart and nothing
      // is shown before its last: waking the main thread for each one cost
      // more than drawing them.
      AnalyserDevice->SetHandOverPeriodMs(AnalyserHandOverPeriodMs);
      AnalyserDevice->SetOnReport(
          [this](TJvHidDevice& Device, std::uint8_t ReportID, const std::uint8_t* Data,
                 std::uint16_t Size) { AnalyserDeviceData(Device, ReportID, Data, Size); });
    }
  } else {
    HidDev.SetOnReport(nullptr);  // stays with the controller; no reader runs
  }
  CaptureFiles->OweStartPrompt(true);  // 4
  SendCommand(cmdAttach);              // 5

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
  // 10: checking a button that was not checked runs its pull handler. An
  // analyser plugged in again after a loss gets its pull all the same,
  // without the redraw that would wipe the picture kept meanwhile. A capture
  // on screen shows its own pull: the buttons are the analyser's meanwhile.
  const bool Reattach = std::exchange(PullOwedOnAttach, false);
  CaptureFiles->ForAnalyser([&] {
    if (Settings.PullSetting() == "0") {
      if (Reattach && RadioButton6->isChecked()) {
        SendCommand(cmdPull, 0);
      }
      RadioButton6->setChecked(true);
    } else if (Settings.PullSetting() == "1") {
      if (Reattach && RadioButton5->isChecked()) {
        SendCommand(cmdPull, 1);
      }
      RadioButton5->setChecked(true);
    }
  });
  GroupBox5->setEnabled(false);  // 11
  Panel3->hide();                // 12
  CaptureFiles->AnalyserChanged();
}

void TForm1::JvHidDeviceController1Removal(TJvHidDevice& HidDev) {
  if (!IsAnalyser(HidDev)) {
    return;
  }
  // The reference goes first, so nothing is sent to a device being released
  // while its reader hands over its last reports. Only the device that went
  // is released; another analyser still checked out carries on.
  if (AnalyserDevice == &HidDev) {
    AnalyserDevice = nullptr;
  }
  if (std::erase(CheckedOutAnalysers, &HidDev) > 0) {
    delete &HidDev;  // ends its reader; the controller drops it
  }
  if (AnalyserDevice == nullptr && !CheckedOutAnalysers.empty()) {
    AnalyserDevice = CheckedOutAnalysers.back();
  }
  if (AnalyserDevice == nullptr) {
    WaitForAnalyserAgain();
  }
}

void TForm1::WaitForAnalyserAgain() {
  // The window stays, and so does what it shows: the picture, SampleBuffer,
  // the readout and the markers. A loop cut short is frozen as a halt would
  // freeze it, so that its last picture can still be saved, printed, copied
  // and measured.
  StatusBar1->SetPanelText(0, QStringLiteral("Analyseur logique USB déconnecté"));
  if (State.AcquisitionStopped == 0 && !SpeedButton23->isChecked()) {
    StatusBar1->SetPanelText(1, QString());
    for (QAction* Item : {Sauvegarder1, Imprimer1, Copier1}) {
      Item->setEnabled(true);
    }
    for (QToolButton* Button : {ToolButton3, ToolButton2, ToolButton5}) {
      Button->setEnabled(true);
    }
    State.AcquisitionStopped = 1;
    SpeedButton26->setEnabled(true);
    // What printing prints, written once the window shows the loss (and
    // outside the controller's change, where no box may open).
    QTimer::singleShot(0, this, [this] {
      try {
        WriteSnapshotFile();
      } catch (const TFileWriteError& Error) {
        Environment.ShowError(QString::fromUtf8(Error.what()));
      }
    });
  }
  // The acquisition controls as start-up leaves them.
  for (QGroupBox* Group : {GroupBox1, GroupBox2, GroupBox3, GroupBox5}) {
    Group->setEnabled(false);
  }
  ControlSemantics::PutDown(SpeedButton23);  // down without its handler: nothing to halt
  for (QAction* Item : {Afficherfrontsmontantsetdescendants1, Indicateurs116ouD0D151,
                        RglagedelavitessedevotrePC1}) {
    Item->setEnabled(false);
  }
  ToolButton1->setEnabled(false);
  ScrollBar1->setEnabled(false);
  for (QToolButton* Button : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4}) {
    Button->setEnabled(false);
  }
  Panel5->hide();
  Image9->hide();
  Image8->hide();
  CaptureFiles->OweStartPrompt(false);
  Panel3->show();
  PullOwedOnAttach = true;
  CaptureFiles->AnalyserChanged();  // nothing left to fetch from, unless a capture is open
}
