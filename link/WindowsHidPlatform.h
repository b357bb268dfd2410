// SPDX-License-Identifier: GPL-3.0-or-later
// The HID platform on Windows: the system's HID library (hid.dll) and its
// device-installation library (setupapi.dll), both bound by name at run
// time, file handles on the interface paths, and a hidden window that hears
// the system's device-change broadcast. Qt-free.
#pragma once

#include "link/HidPlatform.h"
#include "link/Waitable.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// The HID interface class that the system's HID library names, and that is
/// used when that library cannot be bound.
inline constexpr const char* FixedHidInterfaceClass = "{4D1E55B2-F16F-11CF-88CB-001111000030}";

/// One library bound by name at run time: it is bound only when every entry
/// point asked for is there; otherwise it is unloaded again and every entry
/// is null.
class TLibraryBinding {
 public:
  using TEntry = void (*)();

  TLibraryBinding(const char* Library, const std::vector<const char*>& EntryNames);
  ~TLibraryBinding();
  TLibraryBinding(const TLibraryBinding&) = delete;
  TLibraryBinding& operator=(const TLibraryBinding&) = delete;

  bool Bound() const { return Module != nullptr; }
  /// Entry I of the names given, as the function type T; null when unbound.
  template <typename T>
  T Entry(std::size_t I) const {
    return reinterpret_cast<T>(Entries.at(I));
  }

 private:
  void* Module = nullptr;
  std::vector<TEntry> Entries;
};

struct TWindowsHidLibraries;
class TWindowsDeviceNotice;

class TWindowsHidPlatform : public THidPlatform {
 public:
  /// Binds the device-installation library and, only if that worked, the
  /// HID library; with the HID library bound, the hidden window starts
  /// listening for device changes. The names are those of the system's own
  /// libraries unless a test gives others.
  explicit TWindowsHidPlatform(const char* SetupLibrary = "setupapi.dll",
                               const char* HidLibrary = "hid.dll");
  ~TWindowsHidPlatform() override;
  TWindowsHidPlatform(const TWindowsHidPlatform&) = delete;
  TWindowsHidPlatform& operator=(const TWindowsHidPlatform&) = delete;

  bool SetupLibraryBound() const;
  bool HidLibraryBound() const;
  /// The interface class enumerated, in registry form ("{...}", upper case).
  std::string InterfaceClassGuid() const;

  /// The present interfaces of the class, with their device paths and the
  /// device instance (DevInst) as the number. Empty without the HID library.
  std::optional<std::vector<THidInterface>> Enumerate() override;
  /// CreateFileA read-write, or with no access rights (queries only) when refused.
  std::unique_ptr<THidHandle> OpenMain(const std::string& Path, THidError& Error) override;
  /// CreateFileA for overlapped reading.
  std::unique_ptr<THidHandle> OpenReader(const std::string& Path, THidError& Error) override;
  /// An event set by the hidden window at every device change; NoWaitable
  /// without the HID library or when the window could not be made.
  TWaitable ChangeNotice() const override;
  void DrainChangeNotice() override;

  /// The hidden window (an HWND), 0 when there is none. For tests.
  std::intptr_t NoticeWindow() const;

 private:
  std::unique_ptr<TWindowsHidLibraries> Libraries;
  std::array<std::uint8_t, 16> ClassGuid{};
  std::unique_ptr<TWindowsDeviceNotice> Notice;
};

/// A Windows error code as the platform's errors carry it: the errno that
/// means the same to the link (ENODEV for a device that went away, EACCES,
/// ENOENT, ...; EIO for the rest) and the system's own message.
THidError WindowsError(unsigned long Code);
