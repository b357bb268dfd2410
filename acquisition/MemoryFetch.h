// SPDX-License-Identifier: GPL-3.0-or-later
// The analyser's memory fetched window by window with view position
// requests, as one machine driven by events: the driver hands it the
// reports, the passing of the time it asked for, the loss of the analyser
// and the user's cancel, and carries out what it answers (a request to
// send, a timer to arm). la16-capture and the window drive the same
// machine, each with its policy below. Qt-free, no clock of its own.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/RestitutionReceiver.h"
#include "acquisition/SampleView.h"
#include "acquisition/WindowPlan.h"

/// How a fetch waits and insists.
struct TFetchPolicy {
  /// Requests of one window before an incomplete restitution is given up on.
  int WindowAttempts;
  /// Longest wait for the answer to one request.
  std::chrono::milliseconds WindowTimeout;
  /// A restitution that has begun and sends nothing this long has lost its
  /// end and counts as incomplete; zero: it is waited for until the time-out.
  std::chrono::milliseconds StallLimit;
  /// How long the analyser must have sent nothing before the first request:
  /// a restitution already on its way would pass for the answer and shift
  /// every window by one. Zero: the first request goes at once.
  std::chrono::milliseconds QuietTime;
};

/// la16-capture's fetch: it starts once the acquisition's own restitution
/// has ended, so it does not wait for quiet. A window takes 18 reports of at
/// most 10 ms each; an analyser silent for 10 s will not answer.
inline constexpr TFetchPolicy CaptureToolFetch{3, std::chrono::milliseconds{10000},
                                               std::chrono::milliseconds{5000},
                                               std::chrono::milliseconds{0}};

/// The window's export: the loop just halted or a scroll just made may
/// still be sending when it starts.
inline constexpr TFetchPolicy WindowFetch{3, std::chrono::milliseconds{10000},
                                          std::chrono::milliseconds{0},
                                          std::chrono::milliseconds{250}};

/// Why a fetch failed.
enum class TFetchProblem {
  Incomplete,    ///< a window came incomplete WindowAttempts times
  TimedOut,      ///< no answer to a request within WindowTimeout
  Lost,          ///< the analyser went away
  Inconsistent,  ///< the windows disagree where they overlap
};

struct TFetchFailure {
  TFetchProblem Problem;
  int Window = 0;      ///< index of the window in the offsets
  int Offset = 0;      ///< its view offset
  std::string Detail;  ///< Inconsistent: the stitching's French message
};

/// What the driver must do after an event.
struct TFetchActions {
  /// Send cmdViewPosition for this view offset.
  std::optional<int> SendViewPosition;
  /// (Re)arm the timer: TimeoutPassed is due after this long.
  std::optional<std::chrono::milliseconds> WakeIn;
  /// The report handed in belongs to the fetch and is not to be drawn.
  bool ReportTaken = false;
  /// The fetch has ended (done, failed or cancelled): stop the timer.
  bool Ended = false;
};

class TMemoryFetch {
 public:
  using TTime = std::chrono::steady_clock::time_point;
  enum class TPhase { Idle, Quieting, Fetching, Returning, Done, Failed, Cancelled };

  /// Fetches the windows at Offsets in order (PlanWholeMemory() for the
  /// whole memory), then, if ReturnOffset is given, asks for that window
  /// again without keeping it: the analyser shows what it showed before.
  TMemoryFetch(const TFetchPolicy& Policy, std::vector<int> Offsets,
               std::optional<int> ReturnOffset = std::nullopt);

  /// Begins: waits for quiet, or sends the first request.
  TFetchActions Start(TTime Now);
  /// One input report, the bytes after the report id. While the fetch waits
  /// for quiet the report is not its own (ReportTaken stays false).
  TFetchActions Answer(const std::uint8_t* Data, std::size_t Size, TTime Now);
  /// The armed time has come (an early call changes nothing).
  /// ReportsWaiting: reports are received but not yet handed in.
  TFetchActions TimeoutPassed(TTime Now, bool ReportsWaiting = false);
  /// The analyser went away: nothing more can come.
  TFetchActions Lost();
  /// The user gave up: the analyser is still sent back to ReturnOffset.
  TFetchActions Cancelled(TTime Now);

  const TFetchPolicy& Limits() const { return Policy; }
  TPhase Phase() const { return Current; }
  bool Ended() const {
    return Current == TPhase::Done || Current == TPhase::Failed || Current == TPhase::Cancelled;
  }
  /// The window being asked for (0-based) and the request's attempt (1-based).
  int Window() const { return Index; }
  int Attempt() const { return Attempts; }
  /// Windows received whole so far.
  int WindowsFetched() const { return static_cast<int>(Windows.size()); }
  /// Done: the samples, from the first offset's first sample on (2047 for
  /// the whole memory, 450 for one window).
  const std::vector<TSample>& Samples() const { return Result; }
  /// Failed: why.
  const TFetchFailure& Failure() const { return *Problem; }

 private:
  TFetchActions Request(int Offset, TTime Now);
  TFetchActions BeginRequests(TTime Now);
  TFetchActions WindowEnded(TRestitutionReceiver::TOutcome Outcome, TTime Now);
  TFetchActions Fail(TFetchProblem Kind, TTime Now);
  TFetchActions GoBack(TTime Now);
  TFetchActions Finish();
  std::chrono::milliseconds WakeAfter(TTime Now) const;

  TFetchPolicy Policy;
  std::vector<int> Offsets;
  std::optional<int> ReturnOffset;
  TPhase Current = TPhase::Idle;
  TRestitutionReceiver Receiver;
  int Index = 0;
  int Attempts = 0;
  TTime Asked{};       // when the current request went, or the quiet wait began
  TTime LastReport{};  // the last report handed in
  bool CancelAsked = false;
  std::optional<TFetchFailure> Problem;
  std::vector<TCapturedWindow> Windows;
  std::vector<TSample> Result;
};
