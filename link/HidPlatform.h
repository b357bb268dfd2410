// SPDX-License-Identifier: GPL-3.0-or-later
// The HID platform: the few operations the device controller and its devices
// need from the system, behind one interface with a Linux (hidraw + udev), a
// Windows (hid.dll + setupapi.dll) and a simulated implementation. Qt-free.
//
// Contract shared by every implementation:
// - Enumerate() lists the HID interfaces present now, or nothing at all when
//   the list cannot be had (which says nothing of what is plugged in). Each
//   has an instance
//   number that stays the same for as long as the interface stays plugged in
//   (a replugged interface gets a new one) and a path that opens it.
// - OpenMain() opens an interface for reading and writing or, when that is
//   refused, for querying only; the handle's Access() says which.
//   OpenReader() opens it for reading input reports only.
// - A handle is closed when it is destroyed. Write() is synchronous and sends
//   one whole output report, report id byte first. Read() returns one input
//   report or gives up after a timeout; Cancel(), from any thread, makes the
//   pending Read() return, or the next one when none is pending. Reads and
//   writes on an interface that was unplugged fail with ENODEV; a read of zero
//   bytes asked for fails with EINVAL.
// - Report ids: every report, both ways, has its report id byte first, also
//   on an interface that does not number its reports, where the id is 0 and
//   is not sent on the wire. Read() puts at most Length bytes in the buffer
//   and Bytes counts the id byte: a 64-byte unnumbered report read into 65
//   bytes gives 65 bytes, 0 first. This is how Windows' HID class delivers
//   reports; Linux hidraw differs on reads only (link/HidrawReports.h):
//   its read() leaves the id byte out of unnumbered reports, and the Linux
//   reader puts 0 back in front, so no caller sees the difference. Its
//   write() takes the id byte first, 0 for unnumbered, as here, and the
//   kernel drops that 0 before the report reaches a USB device: writes pass
//   unchanged.
// - ChangeNotice() is signalled when an interface was added or removed;
//   DrainChangeNotice() lowers it. Whoever runs the main thread watches it.
// - Every call is made on the main thread, except OpenReader(), Read(),
//   Cancel() and destroying a reading handle, which a reader thread may do;
//   a reading handle is used by one reader thread at a time.
#pragma once

#include "link/Waitable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/// What a system call failed with: its error number (errno; platforms
/// whose system has codes of its own map them onto these) and the system's
/// message for it.
struct THidError {
  int Code = 0;
  std::string Message;

  /// The error for Code with the C library's message for it.
  static THidError FromCode(int Code);
  /// The error for the current errno.
  static THidError FromErrno();
};

/// One present HID interface.
struct THidInterface {
  std::uint32_t InstanceNumber = 0;
  std::string InterfacePath;
  friend bool operator==(const THidInterface&, const THidInterface&) = default;
};

/// Identity of an interface.
struct THidAttributes {
  std::uint16_t VendorID = 0;
  std::uint16_t ProductID = 0;
  std::uint16_t VersionNumber = 0;
};

/// Largest report lengths of an interface in bytes, report id byte included;
/// 0 when the interface has no report of that direction.
struct THidCaps {
  std::uint16_t InputReportByteLength = 0;
  std::uint16_t OutputReportByteLength = 0;
};

/// How a handle was opened.
enum class THidAccess {
  ReadWrite,  ///< queries, writes
  QueryOnly,  ///< queries only; writes fail
  ReadOnly,   ///< reads of input reports only
};

/// How one Read() ended.
struct THidReadResult {
  enum TStatus {
    Report,     ///< Bytes bytes of one input report are in the buffer
    TimedOut,   ///< nothing came within the timeout
    Cancelled,  ///< Cancel() was called
    Failed,     ///< the read could not be done; see Error
  };
  TStatus Status = TimedOut;
  std::size_t Bytes = 0;
  THidError Error;
};

/// An open interface. Closed on destruction.
class THidHandle {
 public:
  virtual ~THidHandle() = default;
  THidHandle(const THidHandle&) = delete;
  THidHandle& operator=(const THidHandle&) = delete;

  virtual THidAccess Access() const = 0;

  /// Vendor, product and version of the interface.
  virtual bool GetAttributes(THidAttributes& Attributes, THidError& Error) = 0;
  /// Report lengths of the interface.
  virtual bool GetCaps(THidCaps& Caps, THidError& Error) = 0;

  /// Input buffer count of the handle. Systems with a fixed input queue
  /// report its size and refuse to change it (harmlessly).
  virtual bool GetNumInputBuffers(std::uint32_t& Count) = 0;
  virtual bool SetNumInputBuffers(std::uint32_t Count) = 0;

  /// Sends one output report of Length bytes, report id first. Blocks until
  /// it has gone out. Written is the number of bytes taken.
  virtual bool Write(const std::uint8_t* Report, std::size_t Length, std::size_t& Written,
                     THidError& Error) = 0;

  /// Waits up to TimeoutMs for one input report and copies up to Length of
  /// its bytes, report id byte first (0 when the interface does not number
  /// its reports), into Buffer; the rest of a longer report is lost.
  virtual THidReadResult Read(std::uint8_t* Buffer, std::size_t Length, int TimeoutMs) = 0;

  /// Ends the pending Read() (or the next one) with Cancelled. Any thread.
  virtual void Cancel() = 0;

 protected:
  THidHandle() = default;
};

/// The system's HID interfaces.
class THidPlatform {
 public:
  virtual ~THidPlatform() = default;

  /// The interfaces present now; nullopt when they cannot be listed.
  virtual std::optional<std::vector<THidInterface>> Enumerate() = 0;

  /// Opens Path for reading and writing or, if refused, for queries only.
  /// Null with Error when neither works.
  virtual std::unique_ptr<THidHandle> OpenMain(const std::string& Path, THidError& Error) = 0;
  /// Opens Path for reading input reports. Null with Error on failure.
  virtual std::unique_ptr<THidHandle> OpenReader(const std::string& Path, THidError& Error) = 0;

  /// Signalled when interfaces were added or removed; NoWaitable if the
  /// system gives no such notice.
  virtual TWaitable ChangeNotice() const = 0;
  /// Consumes what signalled ChangeNotice().
  virtual void DrainChangeNotice() = 0;
};
