// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/JvHidControllerClass.h"

#include <algorithm>

TJvHidDeviceController::TJvHidDeviceController(THidPlatform& Platform, TMainThreadLoop& Loop)
    : Platform(Platform), Loop(Loop), AliveToken(std::make_shared<int>(0)) {
  const TWaitable Notice = Platform.ChangeNotice();
  if (Notice != NoWaitable) {
    NoticeWatch = Loop.WatchSignalled(Notice, [this] {
      this->Platform.DrainChangeNotice();
      DeviceChangeNotice(0);
    });
  }
  // The list stays empty until the loop runs this, so that interfaces
  // present at start are announced like those plugged in later.
  std::weak_ptr<int> Alive = AliveToken;
  Loop.Post([this, Alive] {
    if (!Alive.expired()) {
      DeviceChangeNotice(-1);
    }
  });
}

TJvHidDeviceController::~TJvHidDeviceController() {
  DeviceChangeHandler = nullptr;
  SetOnDeviceUnplug(nullptr);
  EnumerateHandler = nullptr;
  NoticeWatch.reset();
  AliveToken.reset();
  auto Listed = std::move(List);
  List.clear();
  for (TJvHidDevice* Device : Listed) {
    Device->Owner = nullptr;
    if (Device->CheckedOut()) {
      // Its holder still releases it. Nothing can be read from it any more,
      // and its reader must not outlive the loop it hands reports to.
      Device->MarkUnplugged();
      Device->StopReader();
    } else {
      delete Device;
    }
  }
}

void TJvHidDeviceController::SetOnDeviceData(TJvHidDataEvent Handler) {
  const bool PreviousEmpty = !DeviceDataHandler;
  for (TJvHidDevice* Device : List) {
    if (Device->ReportFromController || (PreviousEmpty && !Device->ReportHandler)) {
      Device->SetOnReport(Handler);
      Device->ReportFromController = true;
    }
  }
  DeviceDataHandler = std::move(Handler);
}

void TJvHidDeviceController::SetOnDeviceDataError(TJvHidDataErrorEvent Handler) {
  const bool PreviousEmpty = !DeviceDataErrorHandler;
  for (TJvHidDevice* Device : List) {
    if (Device->ReportErrorFromController || (PreviousEmpty && !Device->ReportErrorHandler)) {
      Device->ReportErrorHandler = Handler;
      Device->ReportErrorFromController = true;
    }
  }
  DeviceDataErrorHandler = std::move(Handler);
}

void TJvHidDeviceController::SetOnDeviceUnplug(TJvHidPlugEvent Handler) {
  const bool PreviousEmpty = !DeviceUnplugHandler;
  for (TJvHidDevice* Device : List) {
    if (Device->UnpluggedFromController || (PreviousEmpty && !Device->UnpluggedHandler)) {
      Device->UnpluggedHandler = Handler;
      Device->UnpluggedFromController = true;
    }
  }
  DeviceUnplugHandler = std::move(Handler);
}

void TJvHidDeviceController::SetDevThreadSleepTime(int Value) {
  for (TJvHidDevice* Device : List) {
    if (Device->ReaderWaitMs() == SleepTime) {
      Device->SetReaderWaitMs(Value);
    }
  }
  SleepTime = Value;
}

void TJvHidDeviceController::DeviceChangeNotice(std::int32_t LParam) {
  if (InChange) {
    // A handler runs a nested loop: do this change once the current one is
    // over, rather than lose it.
    ChangePending = true;
    return;
  }
  ChangeLParam = LParam;
  InChange = true;
  std::exception_ptr FirstError;
  do {
    ChangePending = false;
    try {
      DeviceChange();
    } catch (...) {
      if (!FirstError) {
        FirstError = std::current_exception();
      }
    }
    ChangeLParam = 0;
  } while (ChangePending);
  InChange = false;
  if (FirstError) {
    std::rethrow_exception(FirstError);
  }
}

std::optional<std::vector<std::unique_ptr<TJvHidDevice>>> TJvHidDeviceController::ScanInterfaces() {
  const auto Present = Platform.Enumerate();
  if (!Present) {
    return std::nullopt;
  }
  std::vector<std::unique_ptr<TJvHidDevice>> Fresh;
  for (const THidInterface& Interface : *Present) {
    try {
      auto Info = std::make_unique<TJvHidPnPInfo>(
          TJvHidPnPInfo{Interface.InstanceNumber, Interface.InterfacePath});
      Fresh.emplace_back(new TJvHidDevice(std::move(Info), *this));
      // Not listed yet: destroying it must not touch the list.
      Fresh.back()->Owner = nullptr;
    } catch (const EControllerError&) {
      // Looked at again at the next change.
    }
  }
  return Fresh;
}

TJvHidDevice* TJvHidDeviceController::FindBySerial(std::uint64_t Serial) const {
  const auto Where = std::find_if(List.begin(), List.end(),
                                  [Serial](const TJvHidDevice* D) { return D->Serial == Serial; });
  return Where == List.end() ? nullptr : *Where;
}

bool TJvHidDeviceController::Announce(std::uint64_t Serial, const TJvHidPlugEvent& Event,
                                      std::exception_ptr& FirstError) {
  TJvHidDevice* Device = FindBySerial(Serial);
  if (Device == nullptr) {
    return false;  // released before its turn (by an unplug handler)
  }
  Device->IsAnnouncing = true;
  try {
    if (Event) {
      auto Handler = Event;  // the handler may replace the controller's event
      Handler(*Device);
    }
  } catch (...) {
    if (!FirstError) {
      FirstError = std::current_exception();
    }
  }
  // The handler may have released the device, or a nested change dropped it.
  Device = FindBySerial(Serial);
  if (Device != nullptr) {
    Device->IsAnnouncing = false;
  }
  return Device != nullptr;
}

void TJvHidDeviceController::Drop(TJvHidDevice& Device) {
  std::erase(List, &Device);
  Device.Owner = nullptr;
  delete &Device;
}

void TJvHidDeviceController::DeviceChange() {
  auto Scanned = ScanInterfaces();
  if (!Scanned) {
    // A list that cannot be had says nothing of what went: every device
    // stays as it is until a later notice lists them again.
    return;
  }
  auto& Fresh = *Scanned;
  bool Changed = ChangeLParam == -1;
  std::exception_ptr FirstError;

  // Removals, from the last listed to the first. Handlers may change the
  // list, so go by serial rather than by position.
  std::vector<std::uint64_t> Serials;
  for (auto It = List.rbegin(); It != List.rend(); ++It) {
    Serials.push_back((*It)->Serial);
  }
  for (const std::uint64_t Serial : Serials) {
    TJvHidDevice* Device = FindBySerial(Serial);
    if (Device == nullptr) {
      continue;
    }
    const bool StillPresent =
        Device->Plugged() && std::any_of(Fresh.begin(), Fresh.end(), [&](const auto& F) {
          return F->Info->InstanceNumber == Device->Info->InstanceNumber;
        });
    if (StillPresent) {
      continue;
    }
    Device->MarkUnplugged();
    if (Announce(Serial, RemovalHandler, FirstError)) {
      Device = FindBySerial(Serial);
      if (!Device->CheckedOut()) {
        Drop(*Device);
      }
    }
    Changed = true;
  }

  // Arrivals: drop what is listed already, then announce the rest.
  std::erase_if(Fresh, [&](const auto& F) {
    return std::any_of(List.begin(), List.end(), [&](const TJvHidDevice* D) {
      return D->Info->InstanceNumber == F->Info->InstanceNumber && D->Plugged();
    });
  });
  for (auto& F : Fresh) {
    TJvHidDevice* Device = F.release();
    Device->Owner = this;
    List.push_back(Device);
    Announce(Device->Serial, ArrivalHandler, FirstError);
    Changed = true;
  }

  if (Changed && DeviceChangeHandler) {
    try {
      auto Handler = DeviceChangeHandler;
      Handler(*this);
    } catch (...) {
      if (!FirstError) {
        FirstError = std::current_exception();
      }
    }
  }
  if (FirstError) {
    std::rethrow_exception(FirstError);
  }
}

bool TJvHidDeviceController::CheckOutMatching(TJvHidDevice*& HidDev, int VendorID, int ProductID) {
  HidDev = nullptr;
  for (TJvHidDevice* Device : List) {
    if (Device->VendorID() == VendorID && (ProductID == -1 || Device->ProductID() == ProductID) &&
        !Device->CheckedOut()) {
      Device->IsCheckedOut = true;
      Device->StartReader();
      HidDev = Device;
      return true;
    }
  }
  return false;
}

void TJvHidDeviceController::CheckIn(TJvHidDevice& Device, TJvHidDataEvent Report,
                                     bool ReportFromController, TJvHidPlugEvent Unplugged,
                                     bool UnpluggedFromController) {
  const auto Where = std::find(List.begin(), List.end(), &Device);
  if (Where == List.end()) {
    return;
  }
  if (!Device.Plugged()) {
    List.erase(Where);
    return;
  }
  try {
    auto Fresh = std::unique_ptr<TJvHidDevice>(new TJvHidDevice(std::move(Device.Info), *this));
    Fresh->SetOnReport(std::move(Report));
    Fresh->ReportFromController = ReportFromController;
    Fresh->UnpluggedHandler = std::move(Unplugged);
    Fresh->UnpluggedFromController = UnpluggedFromController;
    Fresh->SetReaderWaitMs(Device.ReaderWaitMs());
    Fresh->SetHandOverPeriodMs(Device.HandOverPeriodMs());
    *std::find(List.begin(), List.end(), &Device) = Fresh.release();
  } catch (...) {
    // The interface cannot be reopened now: leave the list; the next change
    // finds the interface again and announces it as an arrival.
    std::erase(List, &Device);
  }
}
