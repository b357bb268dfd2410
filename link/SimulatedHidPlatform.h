// SPDX-License-Identifier: GPL-3.0-or-later
// An in-process HID platform for tests and the simulated analyser. Its
// interfaces are objects that the caller creates, plugs and unplugs, feeds
// with input reports and whose output reports it collects; they keep the
// platform contract of HidPlatform.h as the hidraw backend does (per-reader
// input queues of 64 reports, ENODEV once unplugged, reads bounded by their
// timeout). Qt-free.
//
// Reports are queued and collected in the platform's form, report id byte
// first (0 for an interface that does not number its reports), which is what
// the Linux handles give their callers, not what the kernel's hidraw node
// gives them: for an unnumbered interface, hidraw's read() returns the report
// without its id byte and the Linux reader puts the 0 back in front; hidraw's
// write() takes the id byte first, as here, and is not converted. So an
// injected report stands for what the Linux reader returns after its
// conversion, and a written report for exactly the bytes hidraw's write()
// receives (and the uhid driver hands on to the program behind a device).
#pragma once

#include "link/HidPlatform.h"
#include "link/Waitable.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

/// What a simulated interface says about itself.
struct TSimulatedInterfaceOptions {
  std::uint16_t VendorID = 0;
  std::uint16_t ProductID = 0;
  std::uint16_t VersionNumber = 0;
  std::uint16_t InputReportByteLength = 65;
  std::uint16_t OutputReportByteLength = 65;
};

/// One simulated HID interface. Thread-safe.
class TSimulatedHidInterface {
 public:
  /// Called with every output report written to the interface, on the
  /// writer's thread, after the write has been recorded. It must not block;
  /// it may inject reports.
  using TWriteHook = std::function<void(const std::uint8_t* Report, std::size_t Size)>;

  /// Input reports queued per reader beyond which new ones are lost.
  static constexpr std::size_t ReaderQueueLength = 64;

  explicit TSimulatedHidInterface(TSimulatedInterfaceOptions Options);
  TSimulatedHidInterface(const TSimulatedHidInterface&) = delete;
  TSimulatedHidInterface& operator=(const TSimulatedHidInterface&) = delete;

  const TSimulatedInterfaceOptions& Options() const { return Settings; }

  bool Plugged() const;
  /// Instance number and path of the current plug-in; those of the last one
  /// after unplugging.
  std::uint32_t InstanceNumber() const;
  std::string InterfacePath() const;

  /// Opens for reading and writing are refused (main handles open query-only).
  void RefuseWriteAccess(bool Refuse);
  /// Every open fails with Code (0: opens work again).
  void RefuseOpen(int Code);
  /// Reading the attributes fails with Code (0: works again).
  void FailIdentify(int Code);
  /// Every read fails with Code (0: reads work again).
  void FailReads(int Code);
  /// Every write fails with Code (0: writes work again).
  void FailWrites(int Code);
  void SetWriteHook(TWriteHook Hook);

  /// Queues one input report, report id byte first (0 when unnumbered: the
  /// form the Linux reader returns), for every open reader; with no reader
  /// open, it is lost, as on a device node nobody reads. A read into a
  /// shorter buffer takes the first bytes and drops the rest, as hidraw does.
  void InjectReport(const std::uint8_t* Report, std::size_t Size);
  void InjectReport(const std::vector<std::uint8_t>& Report);

  /// Output reports written so far, oldest first, report id byte first: the
  /// bytes a hidraw node's write() would receive.
  std::vector<std::vector<std::uint8_t>> WrittenReports() const;
  /// Readers open now, and a wait until at least Count are.
  std::size_t ReaderCount() const;
  bool WaitForReaders(std::size_t Count, std::chrono::milliseconds Timeout) const;
  /// Reads started so far (successful or not) and input reports lost to
  /// full reader queues.
  std::size_t ReadAttempts() const;
  std::size_t DroppedReports() const;

 private:
  friend class TSimulatedHidPlatform;
  friend class TSimulatedHidHandle;
  struct TReader;

  const TSimulatedInterfaceOptions Settings;
  mutable std::mutex Lock;
  mutable std::condition_variable Changed;
  bool IsPlugged = false;
  std::uint64_t Generation = 0;  // one per plug-in
  std::uint32_t Instance = 0;
  std::string Path;
  bool WriteRefused = false;
  int OpenError = 0;
  int IdentifyError = 0;
  int ReadError = 0;
  int WriteError = 0;
  TWriteHook Hook;
  std::vector<TReader*> Readers;
  std::vector<std::vector<std::uint8_t>> Written;
  std::size_t Attempts = 0;
  std::size_t Dropped = 0;
};

/// The simulated platform. Plug, unplug and the enumeration failure are
/// meant for the main thread.
class TSimulatedHidPlatform : public THidPlatform {
 public:
  TSimulatedHidPlatform();
  ~TSimulatedHidPlatform() override;

  /// Plugs Interface in (again) with a new instance number and signals the
  /// change notice. Plugging an interface that is plugged does nothing.
  void Plug(const std::shared_ptr<TSimulatedHidInterface>& Interface);
  /// Unplugs it: its handles fail from now on; signals the change notice.
  void Unplug(TSimulatedHidInterface& Interface);
  /// Creates an interface with Options and plugs it in.
  std::shared_ptr<TSimulatedHidInterface> PlugNew(const TSimulatedInterfaceOptions& Options);
  /// Makes Enumerate() fail, as when the system cannot list devices.
  void FailEnumeration(bool Fail);

  std::optional<std::vector<THidInterface>> Enumerate() override;
  std::unique_ptr<THidHandle> OpenMain(const std::string& Path, THidError& Error) override;
  std::unique_ptr<THidHandle> OpenReader(const std::string& Path, THidError& Error) override;
  TWaitable ChangeNotice() const override { return NoticeEvent.Waitable(); }
  void DrainChangeNotice() override;

 private:
  std::shared_ptr<TSimulatedHidInterface> Find(const std::string& Path);
  // The main handle (read and write, or query only when writing is refused)
  // or the reader's (read only).
  std::unique_ptr<THidHandle> Open(const std::string& Path, bool ForReader, THidError& Error);
  void Notify();

  std::mutex Lock;
  std::vector<std::shared_ptr<TSimulatedHidInterface>> PluggedIn;  // in plug order
  std::uint32_t NextInstance = 1;
  bool EnumerationFails = false;
  TWakeEvent NoticeEvent;
};
