// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/MemoryFetch.h"

#include <algorithm>
#include <utility>
#include <variant>

namespace {

using std::chrono::milliseconds;

milliseconds Left(std::chrono::steady_clock::time_point Deadline,
                  std::chrono::steady_clock::time_point Now) {
  return std::max(milliseconds::zero(), std::chrono::ceil<milliseconds>(Deadline - Now));
}

}  // namespace

TMemoryFetch::TMemoryFetch(const TFetchPolicy& Policy, std::vector<int> Offsets,
                           std::optional<int> ReturnOffset)
    : Policy(Policy), Offsets(std::move(Offsets)), ReturnOffset(ReturnOffset) {}

TFetchActions TMemoryFetch::Start(TTime Now) {
  if (Policy.QuietTime <= milliseconds::zero()) {
    return BeginRequests(Now);
  }
  Current = TPhase::Quieting;
  Asked = Now;
  LastReport = Now;
  TFetchActions Actions;
  Actions.WakeIn = WakeAfter(Now);
  return Actions;
}

TFetchActions TMemoryFetch::BeginRequests(TTime Now) {
  if (Offsets.empty()) {
    return Finish();
  }
  Current = TPhase::Fetching;
  Index = 0;
  Attempts = 1;
  return Request(Offsets.front(), Now);
}

TFetchActions TMemoryFetch::Request(int Offset, TTime Now) {
  // Whatever began before the request cannot be its answer.
  Receiver.Abandon();
  Asked = Now;
  TFetchActions Actions;
  Actions.SendViewPosition = Offset;
  Actions.WakeIn = WakeAfter(Now);
  return Actions;
}

std::chrono::milliseconds TMemoryFetch::WakeAfter(TTime Now) const {
  if (Current == TPhase::Quieting) {
    return std::min(Left(LastReport + Policy.QuietTime, Now),
                    Left(Asked + Policy.WindowTimeout, Now));
  }
  milliseconds Wake = Left(Asked + Policy.WindowTimeout, Now);
  if (Policy.StallLimit > milliseconds::zero() && Receiver.InProgress()) {
    Wake = std::min(Wake, Left(LastReport + Policy.StallLimit, Now));
  }
  return Wake;
}

TFetchActions TMemoryFetch::Answer(const std::uint8_t* Data, std::size_t Size, TTime Now) {
  LastReport = Now;
  TFetchActions Actions;
  switch (Current) {
    case TPhase::Quieting:
      // Drawn by the caller; followed only to know whether a restitution
      // is under way.
      Receiver.Take(Data, Size);
      return Actions;
    case TPhase::Fetching:
    case TPhase::Returning: {
      const TRestitutionReceiver::TOutcome Outcome = Receiver.Take(Data, Size);
      if (Outcome != TRestitutionReceiver::TOutcome::Pending) {
        Actions = WindowEnded(Outcome, Now);
      } else if (Policy.StallLimit > milliseconds::zero()) {
        Actions.WakeIn = WakeAfter(Now);
      }
      Actions.ReportTaken = true;
      return Actions;
    }
    default:
      return Actions;
  }
}

TFetchActions TMemoryFetch::WindowEnded(TRestitutionReceiver::TOutcome Outcome, TTime Now) {
  if (Current == TPhase::Returning) {
    return Finish();  // the analyser shows the window again, whole or not
  }
  if (Outcome == TRestitutionReceiver::TOutcome::Complete) {
    Windows.push_back({Offsets[static_cast<std::size_t>(Index)], Receiver.Window()});
    if (++Index < static_cast<int>(Offsets.size())) {
      Attempts = 1;
      return Request(Offsets[static_cast<std::size_t>(Index)], Now);
    }
    return GoBack(Now);
  }
  if (Attempts < Policy.WindowAttempts) {
    ++Attempts;
    return Request(Offsets[static_cast<std::size_t>(Index)], Now);
  }
  return Fail(TFetchProblem::Incomplete, Now);
}

TFetchActions TMemoryFetch::TimeoutPassed(TTime Now, bool ReportsWaiting) {
  TFetchActions Actions;
  if (Current == TPhase::Quieting) {
    if (Now - Asked >= Policy.WindowTimeout) {
      // An analyser that keeps sending is left to the requests' own checks.
      return BeginRequests(Now);
    }
    if (ReportsWaiting || Receiver.InProgress()) {
      LastReport = Now;
    } else if (Now - LastReport >= Policy.QuietTime) {
      return BeginRequests(Now);
    }
    Actions.WakeIn = WakeAfter(Now);
    return Actions;
  }
  if (Current != TPhase::Fetching && Current != TPhase::Returning) {
    return Actions;
  }
  if (Policy.StallLimit > milliseconds::zero() && Receiver.InProgress() &&
      Now - LastReport >= Policy.StallLimit) {
    // Its end block will not come now.
    Receiver.Abandon();
    return WindowEnded(TRestitutionReceiver::TOutcome::Incomplete, Now);
  }
  if (Now - Asked >= Policy.WindowTimeout) {
    return Current == TPhase::Returning ? Finish() : Fail(TFetchProblem::TimedOut, Now);
  }
  Actions.WakeIn = WakeAfter(Now);
  return Actions;
}

TFetchActions TMemoryFetch::Fail(TFetchProblem Kind, TTime Now) {
  const std::size_t At = std::min(static_cast<std::size_t>(Index), Offsets.size() - 1);
  Problem = TFetchFailure{Kind, Index, Offsets.empty() ? 0 : Offsets[At], {}};
  return Kind == TFetchProblem::Lost ? Finish() : GoBack(Now);
}

TFetchActions TMemoryFetch::GoBack(TTime Now) {
  if (!ReturnOffset) {
    return Finish();
  }
  Current = TPhase::Returning;
  return Request(*ReturnOffset, Now);
}

TFetchActions TMemoryFetch::Lost() {
  if (Current == TPhase::Quieting || Current == TPhase::Fetching) {
    if (!CancelAsked) {
      return Fail(TFetchProblem::Lost, {});
    }
    return Finish();
  }
  if (Current == TPhase::Returning) {
    return Finish();
  }
  return {};
}

TFetchActions TMemoryFetch::Cancelled(TTime Now) {
  const bool Asking = Current == TPhase::Quieting || Current == TPhase::Fetching;
  if (Asking || Current == TPhase::Returning) {
    CancelAsked = true;
  }
  return Asking ? GoBack(Now) : TFetchActions{};
}

TFetchActions TMemoryFetch::Finish() {
  TFetchActions Actions;
  Actions.Ended = true;
  Receiver.Abandon();
  if (Problem) {
    Current = TPhase::Failed;
  } else if (CancelAsked) {
    Current = TPhase::Cancelled;
  } else if (Windows.size() == 1) {
    Result.assign(Windows.front().Samples.begin(), Windows.front().Samples.end());
    Current = TPhase::Done;
  } else {
    auto Stitched = StitchWindows(Windows);
    if (auto* Mismatch = std::get_if<TStitchFailure>(&Stitched)) {
      Problem = TFetchFailure{TFetchProblem::Inconsistent, 0, 0, std::move(Mismatch->Message)};
      Current = TPhase::Failed;
    } else {
      Result = std::move(std::get<std::vector<TSample>>(Stitched));
      Current = TPhase::Done;
    }
  }
  return Actions;
}
