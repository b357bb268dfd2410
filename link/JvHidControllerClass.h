// SPDX-License-Identifier: GPL-3.0-or-later
// The HID device controller, its devices and their reader threads. The
// controller keeps one device object per HID interface of the machine,
// announces arrivals and removals, and lends devices out; a device writes
// output reports and, while checked out with a report handler, has a reader
// thread hand each input report to the main thread. Qt-free.
//
// Everything here runs on the main thread (the thread of the TMainThreadLoop)
// except the reader threads, which only read and hand reports over. The
// platform and the loop must outlive the controller and every device.
#pragma once

#include "link/HidPlatform.h"
#include "link/MainThreadLoop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class TJvHidDevice;
class TJvHidDeviceController;

/// A device that cannot be opened ("device cannot be opened") or identified
/// ("device cannot be identified").
class EControllerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// An input report: ReportID is its first byte, Data the bytes after it,
/// Size their number.
using TJvHidDataEvent = std::function<void(TJvHidDevice& HidDev, std::uint8_t ReportID,
                                           const std::uint8_t* Data, std::uint16_t Size)>;
/// A read that could not be done, with the system's error number.
using TJvHidDataErrorEvent = std::function<void(TJvHidDevice& HidDev, std::uint32_t Error)>;
using TJvHidPlugEvent = std::function<void(TJvHidDevice& HidDev)>;
using TJvHidEnumerateEvent = std::function<bool(TJvHidDevice& HidDev, int Idx)>;
using TJvHidNotifyEvent = std::function<void(TJvHidDeviceController& Sender)>;

/// Where a device was found: the interface's instance number (the same for
/// as long as it stays plugged in) and the path its handles are opened with.
struct TJvHidPnPInfo {
  std::uint32_t InstanceNumber = 0;
  std::string InterfacePath;
};

/// The reader of one device: reads input reports one at a time into a
/// bounded queue of its own and goes on reading while the main thread takes
/// them, in order, in batches: a main thread busy for a moment loses
/// nothing the system's own small buffer would have dropped.
class TJvHidDeviceReadThread {
 public:
  /// Created suspended; the buffer takes the device's input report length.
  explicit TJvHidDeviceReadThread(TJvHidDevice& Device);
  /// Must be terminated and ended first (TJvHidDevice::StopReader does it).
  ~TJvHidDeviceReadThread();
  TJvHidDeviceReadThread(const TJvHidDeviceReadThread&) = delete;
  TJvHidDeviceReadThread& operator=(const TJvHidDeviceReadThread&) = delete;

  /// Reports (and read errors) the queue holds at most: 4 s at one report
  /// per millisecond. A full queue holds the reader until the main thread
  /// takes some.
  static constexpr std::size_t QueueCapacity = 4096;

  void Start();
  /// Asks the thread to end; it stops waiting at once. Any thread.
  void Terminate();
  bool Terminated() const { return TerminateRequested.load(); }
  bool Finished() const { return HasFinished.load(); }
  /// Joins the thread once it has finished.
  void WaitFor();
  /// Main thread: hands what is queued now to the device's handlers, in
  /// order; once the thread has ended, everything it read.
  void HandOverQueued();
  /// Any thread: whether reports read still wait for the main thread.
  bool HasQueued();

 private:
  /// A report read, or a read that failed with Error.
  struct TQueued {
    std::vector<std::uint8_t> Bytes;
    bool Failed = false;
    std::uint32_t Error = 0;
  };

  void Execute();
  void Pause();
  /// Reader thread: queues Item, waiting while the queue is full, and asks
  /// the main thread to take the queue unless it was asked already or the
  /// device's handover period defers it.
  void Queue(TQueued Item);
  /// Reader thread: asks the main thread for a deferred queue once its time
  /// has come.
  void HandOverIfDue();
  /// Reader thread: how long the next read may wait, in ms.
  int ReadWaitMs();
  /// Reader thread, QueueLock held by Guard (released here).
  void AskHandOver(std::unique_lock<std::mutex>& Guard, std::chrono::steady_clock::time_point Now);

  TJvHidDevice& Device;
  std::vector<std::uint8_t> Report;
  std::mutex QueueLock;
  std::condition_variable QueueRoom;
  std::deque<TQueued> Queued;
  bool HandOverAsked = false;  // under QueueLock
  bool HandingOver = false;    // main thread only
  // Under QueueLock: when reports held back are to be handed over, and the
  // earliest time the next handover may be asked for.
  std::optional<std::chrono::steady_clock::time_point> DeferredUntil;
  std::chrono::steady_clock::time_point NextHandOver{};
  std::shared_ptr<int> AliveToken = std::make_shared<int>(0);
  std::atomic<bool> TerminateRequested{false};
  std::atomic<bool> HasFinished{false};
  std::mutex PauseLock;
  std::condition_variable PauseWake;
  std::thread Thread;
};

/// One HID interface. Made by the controller; the application gets one by
/// check-out and gives it back by destroying it (the release).
class TJvHidDevice {
 public:
  /// Opens the interface to identify it, then closes it again. Throws
  /// EControllerError when it cannot be opened or identified. The controller
  /// makes its devices so; one made otherwise is not in its list.
  TJvHidDevice(std::unique_ptr<TJvHidPnPInfo> PnPInfo, TJvHidDeviceController& Controller);
  /// The release: stops the reader, closes the handles and, if the device
  /// still belongs to a controller, checks a fresh object for the same
  /// interface back into its list (still plugged in) or leaves the list.
  ~TJvHidDevice();
  TJvHidDevice(const TJvHidDevice&) = delete;
  TJvHidDevice& operator=(const TJvHidDevice&) = delete;

  const TJvHidPnPInfo& PnPInfo() const { return *Info; }
  /// The owning controller; null once detached from it.
  TJvHidDeviceController* Controller() const { return Owner; }

  bool Plugged() const { return IsPlugged.load(); }
  bool CheckedOut() const { return IsCheckedOut.load(); }
  /// True only while the controller raises OnArrival or OnRemoval for it.
  bool Announcing() const { return IsAnnouncing.load(); }
  /// Plugged and either checked out or being announced: only then are
  /// handles opened.
  bool Accessible() const;
  /// Whether the last open of the main handle got read and write access.
  bool ReadWriteAccess() const { return HasReadWriteAccess; }

  std::uint16_t VendorID() const { return Attributes.VendorID; }
  std::uint16_t ProductID() const { return Attributes.ProductID; }
  std::uint16_t VersionNumber() const { return Attributes.VersionNumber; }

  /// How long a reader waits for a report before it looks for a stop
  /// request, in ms; 100 at first; values outside 10..10000 are ignored.
  int ReaderWaitMs() const { return WaitMs.load(); }
  void SetReaderWaitMs(int Value);

  /// The least time between two handovers of reports to the main thread,
  /// in ms; 0 at first: every report is handed over at once. Otherwise a
  /// report after a quiet spell still goes at once, and reports that follow
  /// it closely wait, up to that long, to go together: a steady stream
  /// wakes the main thread once a period instead of once a report. Values
  /// outside 0..1000 are ignored.
  int HandOverPeriodMs() const { return PeriodMs.load(); }
  void SetHandOverPeriodMs(int Value);

  /// Input buffer counts of the main and the read handle: applied at the
  /// next open unless 0 (the system's default), read back after each open,
  /// 0 again once the handle closes.
  std::uint32_t NumInputBuffers() const { return MainBuffers.load(); }
  void SetNumInputBuffers(std::uint32_t Count) { MainBuffers = Count; }
  std::uint32_t NumOverlappedBuffers() const { return ReadBuffers.load(); }
  void SetNumOverlappedBuffers(std::uint32_t Count) { ReadBuffers = Count; }

  const TJvHidDataEvent& OnReport() const { return ReportHandler; }
  /// An empty handler stops the reader before it is stored; then the reader
  /// starts if the device qualifies (see StartReader).
  void SetOnReport(TJvHidDataEvent Handler);
  const TJvHidDataErrorEvent& OnReportError() const { return ReportErrorHandler; }
  void SetOnReportError(TJvHidDataErrorEvent Handler);
  const TJvHidPlugEvent& OnUnplugged() const { return UnpluggedHandler; }
  void SetOnUnplugged(TJvHidPlugEvent Handler);

  /// Opens the main handle (read-write, or query-only when refused) if the
  /// device is accessible; whether it is open.
  bool OpenMainHandle();
  /// Opens the read handle if the device is accessible; whether it is open.
  bool OpenReadHandle();
  void CloseMainHandle();
  void CloseReadHandle();
  bool MainHandleOpen() const { return MainHandle != nullptr; }
  bool ReadHandleOpen() const;

  /// Report lengths, report id byte included; zero when they cannot be had.
  /// Fetched once through the main handle, then kept.
  THidCaps QueryCaps();

  /// Writes one output report through the main handle, synchronously.
  bool WriteReport(const void* Report, std::uint32_t ToWrite, std::uint32_t& Written);
  /// Why the last write failed (write path only; reads keep their own).
  const THidError& LastWriteError() const { return WriteError; }

  /// Starts a reader if OnReport is set, the device is plugged, checked out
  /// and has read-write access, and none runs.
  void StartReader();
  /// Ends the reader, running the reports it hands over meanwhile. Not from
  /// within the device's own report handler.
  void StopReader();
  bool ReaderRunning() const { return Reader != nullptr; }
  /// Whether reports the reader has read still wait for the main thread.
  bool ReportsWaiting() const { return Reader != nullptr && Reader->HasQueued(); }

  /// The interface is gone: closes the handles, clears Plugged, raises
  /// OnUnplugged once and clears it. A reader keeps running until release.
  void MarkUnplugged();

 private:
  friend class TJvHidDeviceController;
  friend class TJvHidDeviceReadThread;

  // For the reader thread.
  std::shared_ptr<THidHandle> AcquireReadHandle(THidError& Error);
  std::uint16_t KnownInputLength() const;
  TMainThreadLoop& Loop() const { return MainLoop; }
  void DeliverReport(const std::uint8_t* Report, std::uint32_t Bytes);
  void DeliverReadError(std::uint32_t Error);

  std::uint64_t Serial = 0;  // tells objects apart for the controller
  std::unique_ptr<TJvHidPnPInfo> Info;
  TJvHidDeviceController* Owner = nullptr;
  THidPlatform& Platform;
  TMainThreadLoop& MainLoop;

  std::atomic<bool> IsPlugged{true};
  std::atomic<bool> IsCheckedOut{false};
  std::atomic<bool> IsAnnouncing{false};
  bool HasReadWriteAccess = false;
  THidAttributes Attributes;
  std::atomic<int> WaitMs{100};
  std::atomic<int> PeriodMs{0};
  std::atomic<std::uint32_t> MainBuffers{0};
  std::atomic<std::uint32_t> ReadBuffers{0};

  std::unique_ptr<THidHandle> MainHandle;
  mutable std::mutex ReadHandleLock;
  std::shared_ptr<THidHandle> ReadHandle;  // shared with a reader mid-read
  THidError WriteError;

  THidCaps Caps;
  std::atomic<bool> CapsFetched{false};

  TJvHidDataEvent ReportHandler;
  TJvHidDataErrorEvent ReportErrorHandler;
  TJvHidPlugEvent UnpluggedHandler;
  // Whether an event still holds the value the controller gave it.
  bool ReportFromController = false;
  bool ReportErrorFromController = false;
  bool UnpluggedFromController = false;

  std::unique_ptr<TJvHidDeviceReadThread> Reader;
};

/// Keeps one device per HID interface and reports changes. Construction
/// posts a first change notice, handled once the main loop runs, so that
/// interfaces present at start are announced like those plugged in later.
class TJvHidDeviceController {
 public:
  TJvHidDeviceController(THidPlatform& Platform, TMainThreadLoop& Loop);
  /// Checked-out devices are marked unplugged, their readers stopped, and
  /// left to their holders; the others are destroyed.
  ~TJvHidDeviceController();
  TJvHidDeviceController(const TJvHidDeviceController&) = delete;
  TJvHidDeviceController& operator=(const TJvHidDeviceController&) = delete;

  void SetOnArrival(TJvHidPlugEvent Handler) { ArrivalHandler = std::move(Handler); }
  void SetOnRemoval(TJvHidPlugEvent Handler) { RemovalHandler = std::move(Handler); }
  void SetOnDeviceChange(TJvHidNotifyEvent Handler) { DeviceChangeHandler = std::move(Handler); }
  void SetOnEnumerate(TJvHidEnumerateEvent Handler) { EnumerateHandler = std::move(Handler); }
  /// Defaults for the OnReport, OnReportError and OnUnplugged of devices;
  /// assigning one also replaces that event on every listed device that
  /// still holds the previous default.
  void SetOnDeviceData(TJvHidDataEvent Handler);
  void SetOnDeviceDataError(TJvHidDataErrorEvent Handler);
  void SetOnDeviceUnplug(TJvHidPlugEvent Handler);
  const TJvHidDataEvent& OnDeviceData() const { return DeviceDataHandler; }
  const TJvHidPlugEvent& OnDeviceUnplug() const { return DeviceUnplugHandler; }
  const TJvHidEnumerateEvent& OnEnumerate() const { return EnumerateHandler; }

  /// Default 100; changes ReaderWaitMs of every listed device that still
  /// waits the old value.
  int DevThreadSleepTime() const { return SleepTime; }
  void SetDevThreadSleepTime(int Value);

  /// A device-change notice. LParam -1 marks the one posted at construction,
  /// which always ends with OnDeviceChange. A notice during a change runs
  /// another change right after it.
  void DeviceChangeNotice(std::int32_t LParam);
  bool ChangeInProgress() const { return InChange; }

  /// Enumerates again and reports the differences: removals (last listed
  /// first), then arrivals, then OnDeviceChange if anything changed. When
  /// the interfaces cannot be listed, nothing changes and nothing is raised. An
  /// exception from a handler does not cut the change short; the first one
  /// is rethrown at its end.
  void DeviceChange();

  /// Checks out the first listed device of VendorID and ProductID (-1: any
  /// product) that is not checked out yet and starts its reader. HidDev is
  /// null when there is none. The holder releases it by destroying it.
  bool CheckOutMatching(TJvHidDevice*& HidDev, int VendorID, int ProductID);

  /// The listed devices, in list order.
  const std::vector<TJvHidDevice*>& Devices() const { return List; }

 private:
  friend class TJvHidDevice;

  /// The interfaces present, each a new device; nullopt when they cannot be listed.
  std::optional<std::vector<std::unique_ptr<TJvHidDevice>>> ScanInterfaces();
  TJvHidDevice* FindBySerial(std::uint64_t Serial) const;
  bool Announce(std::uint64_t Serial, const TJvHidPlugEvent& Event, std::exception_ptr& FirstError);
  void Drop(TJvHidDevice& Device);
  void CheckIn(TJvHidDevice& Device, TJvHidDataEvent Report, bool ReportFromController,
               TJvHidPlugEvent Unplugged, bool UnpluggedFromController);

  THidPlatform& Platform;
  TMainThreadLoop& Loop;
  std::vector<TJvHidDevice*> List;  // owns every device not checked out
  std::uint64_t NextSerial = 1;

  TJvHidPlugEvent ArrivalHandler;
  TJvHidPlugEvent RemovalHandler;
  TJvHidNotifyEvent DeviceChangeHandler;
  TJvHidEnumerateEvent EnumerateHandler;
  TJvHidDataEvent DeviceDataHandler;
  TJvHidDataErrorEvent DeviceDataErrorHandler;
  TJvHidPlugEvent DeviceUnplugHandler;
  int SleepTime = 100;

  bool InChange = false;
  bool ChangePending = false;
  std::int32_t ChangeLParam = 0;
  std::unique_ptr<TWaitableWatch> NoticeWatch;
  std::shared_ptr<int> AliveToken;  // lets the posted first notice see we are gone
};
