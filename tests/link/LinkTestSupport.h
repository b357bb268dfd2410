// SPDX-License-Identifier: GPL-3.0-or-later
// A controller on the simulated platform and the poll loop, recording what
// it announces.
#pragma once

#include "link/JvHidControllerClass.h"
#include "link/PollMainThreadLoop.h"
#include "link/SimulatedHidPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline const TSimulatedInterfaceOptions AnalyserOptions{0x04D8, 0x0005, 0x0100, 65, 65};
inline const TSimulatedInterfaceOptions MouseOptions{0x046D, 0xC077, 0x7200, 5, 0};

class LinkTest : public testing::Test {
 protected:
  void MakeController() {
    Controller = std::make_unique<TJvHidDeviceController>(Platform, Loop);
    Controller->SetOnArrival([this](TJvHidDevice& Dev) {
      Events.push_back("arrival " + std::to_string(Dev.PnPInfo().InstanceNumber));
      if (OnArrival) {
        OnArrival(Dev);
      }
    });
    Controller->SetOnRemoval([this](TJvHidDevice& Dev) {
      Events.push_back("removal " + std::to_string(Dev.PnPInfo().InstanceNumber));
      if (OnRemoval) {
        OnRemoval(Dev);
      }
    });
    Controller->SetOnDeviceChange([this](TJvHidDeviceController&) { Events.push_back("change"); });
  }

  /// Runs the loop until it has nothing more to do right now.
  void Settle() {
    for (int Round = 0; Round < 100 && Loop.RunOnce(std::chrono::milliseconds(0)); ++Round) {
    }
  }

  bool RunUntil(const std::function<bool()>& Done,
                std::chrono::milliseconds Timeout = std::chrono::seconds(5)) {
    return Loop.RunUntil(Done, Timeout);
  }

  static std::string Arrival(const TSimulatedHidInterface& I) {
    return "arrival " + std::to_string(I.InstanceNumber());
  }
  static std::string Removal(std::uint32_t Number) { return "removal " + std::to_string(Number); }

  /// The listed device of Interface's current plug-in, or null.
  TJvHidDevice* Listed(const TSimulatedHidInterface& Interface) const {
    for (TJvHidDevice* Device : Controller->Devices()) {
      if (Device->PnPInfo().InstanceNumber == Interface.InstanceNumber() && Device->Plugged()) {
        return Device;
      }
    }
    return nullptr;
  }

  TSimulatedHidPlatform Platform;
  TPollMainThreadLoop Loop;
  std::unique_ptr<TJvHidDeviceController> Controller;
  std::vector<std::string> Events;
  std::function<void(TJvHidDevice&)> OnArrival;
  std::function<void(TJvHidDevice&)> OnRemoval;
};
