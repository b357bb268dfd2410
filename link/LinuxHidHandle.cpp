// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinuxHidHandle.h"

#include "link/HidrawReports.h"
#include "link/ReportDescriptor.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// hidraw queues this many input reports per open node and cannot change it.
constexpr std::uint32_t HidrawQueueLength = 64;

struct TUdevDeleter {
  void operator()(udev* Context) const { udev_unref(Context); }
  void operator()(udev_device* Device) const { udev_device_unref(Device); }
};
using TUdevPtr = std::unique_ptr<udev, TUdevDeleter>;
using TUdevDevicePtr = std::unique_ptr<udev_device, TUdevDeleter>;

bool ParseHex(std::string_view Text, std::uint32_t& Value) {
  const auto [End, Code] = std::from_chars(Text.data(), Text.data() + Text.size(), Value, 16);
  return Code == std::errc() && End == Text.data() + Text.size() && !Text.empty();
}

// What sysfs tells about the hidraw node with device number Node.
struct TSysfsInfo {
  bool Identified = false;
  THidAttributes Attributes;
  std::string DescriptorFile;
};

TSysfsInfo ReadSysfs(dev_t Node) {
  TSysfsInfo Info;
  TUdevPtr Context(udev_new());
  if (!Context) {
    return Info;
  }
  TUdevDevicePtr Device(udev_device_new_from_devnum(Context.get(), 'c', Node));
  if (!Device) {
    return Info;
  }
  // Parents belong to their child and are not released separately.
  if (udev_device* Hid =
          udev_device_get_parent_with_subsystem_devtype(Device.get(), "hid", nullptr)) {
    if (const char* HidId = udev_device_get_property_value(Hid, "HID_ID")) {
      Info.Identified = ParseHidId(HidId, Info.Attributes.VendorID, Info.Attributes.ProductID);
    }
    if (const char* Path = udev_device_get_syspath(Hid)) {
      Info.DescriptorFile = std::string(Path) + "/report_descriptor";
    }
  }
  if (udev_device* Usb =
          udev_device_get_parent_with_subsystem_devtype(Device.get(), "usb", "usb_device")) {
    std::uint32_t Version = 0;
    const char* Text = udev_device_get_sysattr_value(Usb, "bcdDevice");
    if (Text != nullptr && ParseHex(Text, Version) && Version <= 0xFFFF) {
      Info.Attributes.VersionNumber = static_cast<std::uint16_t>(Version);
    }
  }
  return Info;
}

bool DescribeReports(const std::uint8_t* Bytes, std::size_t Size, TReportLengths& Lengths,
                     TReportNumbering& Numbering, THidError& Error) {
  std::string Problem;
  if (!ParseReportDescriptor(Bytes, Size, Lengths, Numbering, Problem)) {
    Error = {EINVAL, "report descriptor: " + Problem};
    return false;
  }
  return true;
}

bool CapsFromDescriptor(const std::uint8_t* Bytes, std::size_t Size, THidCaps& Caps,
                        THidError& Error) {
  TReportLengths Lengths;
  TReportNumbering Numbering;
  if (!DescribeReports(Bytes, Size, Lengths, Numbering, Error)) {
    return false;
  }
  Caps = {Lengths.Input, Lengths.Output};
  return true;
}

// The report descriptor of the open hidraw node Fd.
bool ReadDescriptor(int Fd, hidraw_report_descriptor& Descriptor, THidError& Error) {
  int Size = 0;
  if (::ioctl(Fd, HIDIOCGRDESCSIZE, &Size) < 0) {
    Error = THidError::FromErrno();
    return false;
  }
  Descriptor = {};
  Descriptor.size = static_cast<std::uint32_t>(std::clamp(Size, 0, HID_MAX_DESCRIPTOR_SIZE));
  if (::ioctl(Fd, HIDIOCGRDESC, &Descriptor) < 0) {
    Error = THidError::FromErrno();
    return false;
  }
  return true;
}

THidReadResult FailedRead(THidError Error) {
  THidReadResult Result;
  Result.Status = THidReadResult::Failed;
  Result.Error = std::move(Error);
  return Result;
}

/// A hidraw node open read-write (main handle) or read-only (reader). A
/// reader knows whether the interface numbers its input reports, and puts the
/// id byte that hidraw leaves out of unnumbered ones back in front.
class TFdHandle : public THidHandle {
 public:
  TFdHandle(TUniqueFd Node, THidAccess Mode, TUniqueFd CancelEvent, bool InputNumbered = false)
      : Fd(std::move(Node)),
        Mode(Mode),
        CancelFd(std::move(CancelEvent)),
        InputNumbered(InputNumbered) {}

  THidAccess Access() const override { return Mode; }

  bool GetAttributes(THidAttributes& Attributes, THidError& Error) override {
    hidraw_devinfo Info{};
    if (::ioctl(Fd.Get(), HIDIOCGRAWINFO, &Info) < 0) {
      Error = THidError::FromErrno();
      return false;
    }
    Attributes.VendorID = static_cast<std::uint16_t>(Info.vendor);
    Attributes.ProductID = static_cast<std::uint16_t>(Info.product);
    Attributes.VersionNumber = 0;
    struct stat Status {};
    if (::fstat(Fd.Get(), &Status) == 0) {
      Attributes.VersionNumber = ReadSysfs(Status.st_rdev).Attributes.VersionNumber;
    }
    return true;
  }

  bool GetCaps(THidCaps& Caps, THidError& Error) override {
    hidraw_report_descriptor Descriptor;
    return ReadDescriptor(Fd.Get(), Descriptor, Error) &&
           CapsFromDescriptor(Descriptor.value, Descriptor.size, Caps, Error);
  }

  bool GetNumInputBuffers(std::uint32_t& Count) override {
    Count = HidrawQueueLength;
    return true;
  }
  bool SetNumInputBuffers(std::uint32_t) override { return false; }

  bool Write(const std::uint8_t* Report, std::size_t Length, std::size_t& Written,
             THidError& Error) override {
    Written = 0;
    if (Mode != THidAccess::ReadWrite) {
      Error = THidError::FromCode(EBADF);
      return false;
    }
    if (Length == 0) {
      Error = THidError::FromCode(EINVAL);
      return false;
    }
    // hidraw takes the report as the platform gives it: report id first, 0
    // when the interface does not number its output reports.
    ssize_t Count;
    do {
      Count = ::write(Fd.Get(), Report, Length);
    } while (Count < 0 && errno == EINTR);
    if (Count < 0) {
      Error = THidError::FromErrno();
      return false;
    }
    Written = static_cast<std::size_t>(Count);
    return true;
  }

  THidReadResult Read(std::uint8_t* Buffer, std::size_t Length, int TimeoutMs) override {
    if (Mode != THidAccess::ReadOnly) {
      return FailedRead(THidError::FromCode(EBADF));
    }
    if (Length == 0) {
      return FailedRead(THidError::FromCode(EINVAL));
    }
    pollfd Fds[2] = {{Fd.Get(), POLLIN, 0}, {CancelFd.Get(), POLLIN, 0}};
    const int Ready = ::poll(Fds, 2, std::max(TimeoutMs, 0));
    THidReadResult Result;
    if (Ready < 0) {
      // A signal only shortens the wait.
      return errno == EINTR ? Result : FailedRead(THidError::FromErrno());
    }
    if (Fds[1].revents & POLLIN) {
      std::uint64_t Count = 0;
      [[maybe_unused]] auto Ignored = ::read(CancelFd.Get(), &Count, sizeof Count);
      Result.Status = THidReadResult::Cancelled;
      return Result;
    }
    if (Fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
      // The node reports the device gone.
      return FailedRead(THidError::FromCode(ENODEV));
    }
    if (Fds[0].revents & POLLIN) {
      // Read as the kernel gives it, then restore the id byte: Length bytes
      // always hold what the caller can take, whichever the numbering.
      Raw.resize(Length);
      const ssize_t Count = ::read(Fd.Get(), Raw.data(), Length);
      if (Count < 0) {
        if (errno == EAGAIN || errno == EINTR) {
          return Result;
        }
        return FailedRead(THidError::FromErrno());
      }
      Result.Status = THidReadResult::Report;
      Result.Bytes = RestoreReportId(Raw.data(), static_cast<std::size_t>(Count), InputNumbered,
                                     Buffer, Length);
    }
    return Result;
  }

  void Cancel() override {
    if (CancelFd.Valid()) {
      const std::uint64_t One = 1;
      [[maybe_unused]] auto Ignored = ::write(CancelFd.Get(), &One, sizeof One);
    }
  }

 private:
  TUniqueFd Fd;
  const THidAccess Mode;
  TUniqueFd CancelFd;
  const bool InputNumbered;
  std::vector<std::uint8_t> Raw;  // the last report as read, used by one reader at a time
};

// A reader on an open node, for an interface whose input reports are
// numbered or not.
std::unique_ptr<THidHandle> MakeReader(TUniqueFd Fd, bool InputNumbered, THidError& Error) {
  TUniqueFd Cancel(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!Cancel.Valid()) {
    Error = THidError::FromErrno();
    return nullptr;
  }
  return std::make_unique<TFdHandle>(std::move(Fd), THidAccess::ReadOnly, std::move(Cancel),
                                     InputNumbered);
}

TUniqueFd OpenForReading(const std::string& Path, THidError& Error) {
  TUniqueFd Fd(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!Fd.Valid()) {
    Error = THidError::FromErrno();
  }
  return Fd;
}

/// Queries without an open node, for a node we may not open.
class TQueryHandle : public THidHandle {
 public:
  explicit TQueryHandle(TSysfsInfo Info) : Info(std::move(Info)) {}

  THidAccess Access() const override { return THidAccess::QueryOnly; }

  bool GetAttributes(THidAttributes& Attributes, THidError& Error) override {
    if (!Info.Identified) {
      Error = THidError::FromCode(ENODEV);
      return false;
    }
    Attributes = Info.Attributes;
    return true;
  }

  bool GetCaps(THidCaps& Caps, THidError& Error) override {
    std::ifstream File(Info.DescriptorFile, std::ios::binary);
    if (!File) {
      Error = THidError::FromCode(ENODEV);
      return false;
    }
    std::vector<std::uint8_t> Bytes;
    char Byte;
    while (Bytes.size() < HID_MAX_DESCRIPTOR_SIZE && File.get(Byte)) {
      Bytes.push_back(static_cast<std::uint8_t>(Byte));
    }
    return CapsFromDescriptor(Bytes.data(), Bytes.size(), Caps, Error);
  }

  bool GetNumInputBuffers(std::uint32_t&) override { return false; }
  bool SetNumInputBuffers(std::uint32_t) override { return false; }

  bool Write(const std::uint8_t*, std::size_t, std::size_t& Written, THidError& Error) override {
    Written = 0;
    Error = THidError::FromCode(EBADF);
    return false;
  }
  THidReadResult Read(std::uint8_t*, std::size_t, int) override {
    return FailedRead(THidError::FromCode(EBADF));
  }
  void Cancel() override {}

 private:
  TSysfsInfo Info;
};

}  // namespace

bool ParseHidId(const std::string& HidId, std::uint16_t& VendorID, std::uint16_t& ProductID) {
  // bus:vendor:product, each in hexadecimal.
  const auto First = HidId.find(':');
  const auto Second = First == std::string::npos ? First : HidId.find(':', First + 1);
  if (Second == std::string::npos) {
    return false;
  }
  const std::string_view Text(HidId);
  std::uint32_t Bus = 0, Vendor = 0, Product = 0;
  if (!ParseHex(Text.substr(0, First), Bus) ||
      !ParseHex(Text.substr(First + 1, Second - First - 1), Vendor) ||
      !ParseHex(Text.substr(Second + 1), Product) || Vendor > 0xFFFF || Product > 0xFFFF) {
    return false;
  }
  VendorID = static_cast<std::uint16_t>(Vendor);
  ProductID = static_cast<std::uint16_t>(Product);
  return true;
}

std::unique_ptr<THidHandle> OpenHidrawReadWrite(const std::string& Path, THidError& Error) {
  TUniqueFd Fd(::open(Path.c_str(), O_RDWR | O_CLOEXEC));
  if (!Fd.Valid()) {
    Error = THidError::FromErrno();
    return nullptr;
  }
  return std::make_unique<TFdHandle>(std::move(Fd), THidAccess::ReadWrite, TUniqueFd());
}

std::unique_ptr<THidHandle> OpenHidrawReader(const std::string& Path, THidError& Error) {
  TUniqueFd Fd = OpenForReading(Path, Error);
  if (!Fd.Valid()) {
    return nullptr;
  }
  // Whether the id byte comes with each report is the descriptor's to say;
  // without it the reports could not be told apart from their data.
  hidraw_report_descriptor Descriptor;
  TReportLengths Lengths;
  TReportNumbering Numbering;
  if (!ReadDescriptor(Fd.Get(), Descriptor, Error) ||
      !DescribeReports(Descriptor.value, Descriptor.size, Lengths, Numbering, Error)) {
    return nullptr;
  }
  return MakeReader(std::move(Fd), Numbering.Input, Error);
}

std::unique_ptr<THidHandle> OpenHidrawReader(const std::string& Path, bool InputNumbered,
                                             THidError& Error) {
  TUniqueFd Fd = OpenForReading(Path, Error);
  return Fd.Valid() ? MakeReader(std::move(Fd), InputNumbered, Error) : nullptr;
}

std::unique_ptr<THidHandle> OpenHidrawQueryOnly(const std::string& Path, THidError& Error) {
  struct stat Status {};
  if (::stat(Path.c_str(), &Status) < 0) {
    Error = THidError::FromErrno();
    return nullptr;
  }
  if (!S_ISCHR(Status.st_mode)) {
    Error = THidError::FromCode(ENODEV);
    return nullptr;
  }
  TSysfsInfo Info = ReadSysfs(Status.st_rdev);
  if (!Info.Identified) {
    Error = THidError::FromCode(ENODEV);
    return nullptr;
  }
  return std::make_unique<TQueryHandle>(std::move(Info));
}
