// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinuxHidPlatform.h"

#include "link/LinuxHidHandle.h"
#include "link/SystemHidPlatform.h"
#include "link/UniqueFd.h"

#include <libudev.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>
#include <set>

namespace {
// Whether udevd listens on its control socket. Its events come once its
// rules have given a node its owner and mode; without it (containers,
// minimal systems) none ever come. A socket left behind by a udevd that
// ended refuses connections; one we may not connect to is a running udevd's.
bool UdevdRunning() {
  const TUniqueFd Socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!Socket.Valid()) {
    return true;  // cannot tell: keep to udevd's events
  }
  sockaddr_un Address{};
  Address.sun_family = AF_UNIX;
  std::strncpy(Address.sun_path, "/run/udev/control", sizeof Address.sun_path - 1);
  if (::connect(Socket.Get(), reinterpret_cast<const sockaddr*>(&Address), sizeof Address) == 0) {
    return true;
  }
  return errno == EACCES || errno == EPERM;
}
}  // namespace

TLinuxHidPlatform::TLinuxHidPlatform() : Context(udev_new()) {
  if (Context == nullptr) {
    return;
  }
  // The monitor exists before anyone enumerates: whatever is plugged in
  // after this point leaves an event behind. Without udevd, the kernel's own
  // events say the same, with nodes devtmpfs has already made.
  Monitor = udev_monitor_new_from_netlink(Context, UdevdRunning() ? "udev" : "kernel");
  if (Monitor != nullptr &&
      (udev_monitor_filter_add_match_subsystem_devtype(Monitor, "hidraw", nullptr) < 0 ||
       udev_monitor_enable_receiving(Monitor) < 0)) {
    udev_monitor_unref(Monitor);
    Monitor = nullptr;
  }
}

TLinuxHidPlatform::~TLinuxHidPlatform() {
  if (Monitor != nullptr) {
    udev_monitor_unref(Monitor);
  }
  if (Context != nullptr) {
    udev_unref(Context);
  }
}

std::optional<std::vector<THidInterface>> TLinuxHidPlatform::Enumerate() {
  if (Context == nullptr) {
    return std::vector<THidInterface>{};  // no udev at all: nothing to find
  }
  udev_enumerate* Scan = udev_enumerate_new(Context);
  if (Scan == nullptr) {
    return std::nullopt;
  }
  std::vector<THidInterface> Present;
  std::set<std::string> SysPaths;
  const bool Listed = udev_enumerate_add_match_subsystem(Scan, "hidraw") >= 0 &&
                      udev_enumerate_scan_devices(Scan) >= 0;
  if (Listed) {
    udev_list_entry* Entry;
    udev_list_entry_foreach(Entry, udev_enumerate_get_list_entry(Scan)) {
      const char* SysPath = udev_list_entry_get_name(Entry);
      if (SysPath == nullptr) {
        continue;
      }
      udev_device* Device = udev_device_new_from_syspath(Context, SysPath);
      if (Device == nullptr) {
        continue;  // gone already, or unreadable: the next one may do
      }
      if (const char* Node = udev_device_get_devnode(Device)) {
        SysPaths.insert(SysPath);
        Present.push_back({Numbers.NumberOf(SysPath), Node});
      }
      udev_device_unref(Device);
    }
  }
  udev_enumerate_unref(Scan);
  if (!Listed) {
    return std::nullopt;  // the numbers known stay as they are
  }
  Numbers.KeepOnly(SysPaths);
  return Present;
}

std::unique_ptr<THidHandle> TLinuxHidPlatform::OpenMain(const std::string& Path, THidError& Error) {
  if (auto Handle = OpenHidrawReadWrite(Path, Error)) {
    return Handle;
  }
  // Keep the reason the read-write open failed, not the fallback's.
  THidError Ignored;
  return OpenHidrawQueryOnly(Path, Ignored);
}

std::unique_ptr<THidHandle> TLinuxHidPlatform::OpenReader(const std::string& Path,
                                                          THidError& Error) {
  return OpenHidrawReader(Path, Error);
}

TWaitable TLinuxHidPlatform::ChangeNotice() const {
  return Monitor != nullptr ? udev_monitor_get_fd(Monitor) : NoWaitable;
}

void TLinuxHidPlatform::DrainChangeNotice() {
  if (Monitor == nullptr) {
    return;
  }
  while (udev_device* Device = udev_monitor_receive_device(Monitor)) {
    const char* Action = udev_device_get_action(Device);
    const char* SysPath = udev_device_get_syspath(Device);
    if (Action != nullptr && SysPath != nullptr && std::strcmp(Action, "remove") == 0) {
      Numbers.Forget(SysPath);
    }
    udev_device_unref(Device);
  }
}

std::unique_ptr<THidPlatform> MakeSystemHidPlatform() {
  return std::make_unique<TLinuxHidPlatform>();
}
