// SPDX-License-Identifier: GPL-3.0-or-later
// The HID platform on Linux: hidraw device nodes, listed and watched through
// udev, or through the kernel's own events where udevd does not run. Qt-free.
#pragma once

#include "link/HidPlatform.h"
#include "link/InstanceNumbers.h"

#include <memory>
#include <string>
#include <vector>

struct udev;
struct udev_monitor;

class TLinuxHidPlatform : public THidPlatform {
 public:
  /// Sets up the hot-plug monitor first, so that nothing plugged in before
  /// the first enumeration goes unnoticed. Without udev the platform still
  /// works but finds nothing and gives no change notice.
  TLinuxHidPlatform();
  ~TLinuxHidPlatform() override;
  TLinuxHidPlatform(const TLinuxHidPlatform&) = delete;
  TLinuxHidPlatform& operator=(const TLinuxHidPlatform&) = delete;

  /// The hidraw interfaces present now, in the system's order. An interface
  /// without a device node is left out.
  std::optional<std::vector<THidInterface>> Enumerate() override;
  /// Opens /dev/hidrawN read-write; when refused, a query-only handle that
  /// reads the identity and the report descriptor from sysfs.
  std::unique_ptr<THidHandle> OpenMain(const std::string& Path, THidError& Error) override;
  /// Opens /dev/hidrawN for reading; reports of an interface without report
  /// ids come with report id 0 in front, as the platform contract wants.
  std::unique_ptr<THidHandle> OpenReader(const std::string& Path, THidError& Error) override;
  /// The monitor's descriptor: udevd's events, or the kernel's when udevd
  /// was not running at construction.
  TWaitable ChangeNotice() const override;
  /// Takes the pending udev events; a removed interface loses its number.
  void DrainChangeNotice() override;

 private:
  udev* Context = nullptr;
  udev_monitor* Monitor = nullptr;
  TInstanceNumbers Numbers;
};
