// SPDX-License-Identifier: GPL-3.0-or-later
// la16-capture's conversation with the analyser, through the same device
// controller, devices and reader threads as the program: find it by its ids,
// configure it, run one single acquisition, then fetch the windows of the
// recording one view position at a time. Qt-free.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "acquisition/RestitutionReceiver.h"
#include "acquisition/WindowPlan.h"
#include "link/AnalyserProtocol.h"
#include "link/JvHidControllerClass.h"
#include "link/PollMainThreadLoop.h"
#include "tools/CaptureCommands.h"
#include "tools/CaptureOptions.h"
#include "tools/CaptureStatus.h"

/// Longest wait for the restitution of one window when no --timeout is
/// given. A window takes 18 reports of at most 10 ms each; an analyser that
/// stays silent this long will not answer.
inline constexpr std::chrono::milliseconds DefaultWindowTimeout{10000};

/// A restitution that has begun and sends nothing for this long has lost
/// its end and is taken as incomplete.
inline constexpr std::chrono::milliseconds DefaultStallLimit{5000};

/// Requests of one window before an incomplete restitution is given up on.
inline constexpr int WindowAttempts = 3;

/// An analyser as --list shows it.
struct TFoundAnalyser {
  std::string Path;
  std::uint16_t VersionNumber = 0;
  bool ReadWriteAccess = false;  ///< can be opened for reading and writing
};

/// What a capture brings back.
struct TCaptureResult {
  std::vector<TSample> Samples;  ///< 2047 for the whole memory, 450 for a window
  int FirstIndex = 0;            ///< memory index of Samples[0]
};

/// A line telling the user what the capture is waiting for.
using TCaptureProgress = std::function<void(const std::string& Text)>;

/// One session with the analyser. Everything runs on the thread of Loop; the
/// platform and the loop must outlive the session. The session releases the
/// device it holds before its controller goes.
class TCaptureSession {
 public:
  TCaptureSession(THidPlatform& Platform, TPollMainThreadLoop& Loop);
  /// Shorter limits than DefaultWindowTimeout and DefaultStallLimit, for tests.
  void SetLimits(std::chrono::milliseconds WindowTimeout, std::chrono::milliseconds StallLimit);
  ~TCaptureSession();
  TCaptureSession(const TCaptureSession&) = delete;
  TCaptureSession& operator=(const TCaptureSession&) = delete;

  /// The analysers present, in the controller's order (runs the first
  /// enumeration if it has not run yet).
  std::vector<TFoundAnalyser> Analysers();

  /// Captures as Options say (time base, trigger, pull, PC speed, window or
  /// whole memory, timeout). Simulated only changes the no-analyser message.
  /// Sends cmdClose at the end unless the analyser was lost.
  std::variant<TCaptureResult, TCaptureFailure> Capture(const TCaptureOptions& Options,
                                                        const TCaptureProgress& Progress);

 private:
  enum class TWaitEnd { Ended, TimedOut, Lost };
  /// A restitution that ended, and its samples when it was complete.
  struct TEnded {
    TRestitutionReceiver::TOutcome Outcome;
    TWindowSamples Samples;
  };

  void EnsureEnumerated();
  std::optional<TCaptureFailure> Open(const TCaptureOptions& Options);
  std::optional<TCaptureFailure> Send(const TCaptureCommand& Command);
  std::variant<TCaptureResult, TCaptureFailure> Acquire(const TCaptureOptions& Options,
                                                        const TCaptureProgress& Progress);
  std::variant<TWindowSamples, TCaptureFailure> FetchWindow(
      int Offset, const std::string& What, std::optional<std::chrono::milliseconds> Timeout);
  TWaitEnd WaitForEnd(std::optional<std::chrono::milliseconds> Timeout, TEnded& Ended);
  void TakeReport(const std::uint8_t* Data, std::uint16_t Size);
  TCaptureFailure LostFailure() const;
  void Release();

  TPollMainThreadLoop& Loop;
  std::unique_ptr<TJvHidDeviceController> Controller;
  bool Enumerated = false;
  std::unique_ptr<TJvHidDevice> Device;  // checked out; released before the controller
  std::string DevicePath;
  TCommandReport CommandReport;
  TRestitutionReceiver Receiver;
  std::deque<TEnded> Ends;  // restitutions ended and not yet looked at, oldest first
  std::chrono::steady_clock::time_point LastReport;
  bool Attached = false;  // cmdAttach went out
  bool Lost = false;
  std::uint32_t ReadError = 0;
  std::chrono::milliseconds WindowTimeout = DefaultWindowTimeout;
  std::chrono::milliseconds StallLimit = DefaultStallLimit;
};
