// SPDX-License-Identifier: GPL-3.0-or-later
// The process's own figures read from /proc, and the request of the
// measurement probe.
#include "app/ProcessTimes.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/MeasurementProbe.h"

namespace {

struct TStatCase {
  const char* Name;
  const char* Line;
  bool Valid;
  int Id;
  const char* ThreadName;
  std::uint64_t User;
  std::uint64_t System;
};

void PrintTo(const TStatCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class TaskStat : public testing::TestWithParam<TStatCase> {};

TEST_P(TaskStat, NameAndTimesOrNothing) {
  const TStatCase& Case = GetParam();
  const std::optional<TThreadTimes> Times = ParseTaskStat(Case.Line);
  ASSERT_EQ(Times.has_value(), Case.Valid);
  if (Times) {
    EXPECT_EQ(Times->Id, Case.Id);
    EXPECT_EQ(Times->Name, Case.ThreadName);
    EXPECT_EQ(Times->UserTicks, Case.User);
    EXPECT_EQ(Times->SystemTicks, Case.System);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TaskStat,
    testing::Values(
        TStatCase{"Plain",
                  "4242 (la16) S 1 4242 4242 0 -1 4194560 1234 0 0 0 57 13 0 0 20 0 5 0 "
                  "99 0 0\n",
                  true, 4242, "la16", 57, 13},
        // A thread may call itself anything, blanks and parentheses included.
        TStatCase{"NameWithBlanksAndParentheses",
                  "17 (Thread (pooled) 1) R 1 17 17 0 -1 0 0 0 0 0 3 4 0 0 20 0 1 0 5", true, 17,
                  "Thread (pooled) 1", 3, 4},
        TStatCase{"NameLooksLikeFields",
                  "9 (a) S 1 2 3 4 5 6 7 8) S 1 9 9 0 -1 0 0 0 0 0 100 200 0 0", true, 9,
                  "a) S 1 2 3 4 5 6 7 8", 100, 200},
        TStatCase{"CutShortBeforeSystemTime", "9 (la16) S 1 9 9 0 -1 0 0 0 0 0 100", false, 0, "",
                  0, 0},
        TStatCase{"Empty", "", false, 0, "", 0, 0},
        TStatCase{"NoName", "9 la16 S 1 9 9 0 -1 0 0 0 0 0 100 200", false, 0, "", 0, 0},
        TStatCase{"IdNotANumber", "x9 (la16) S 1 9 9 0 -1 0 0 0 0 0 100 200", false, 0, "", 0, 0},
        TStatCase{"TimeNotANumber", "9 (la16) S 1 9 9 0 -1 0 0 0 0 0 1x0 200", false, 0, "", 0, 0},
        TStatCase{"NegativeTime", "9 (la16) S 1 9 9 0 -1 0 0 0 0 0 -100 200", false, 0, "", 0, 0}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TSchedCase {
  const char* Name;
  const char* Line;
  std::optional<std::uint64_t> Run;
};

void PrintTo(const TSchedCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class SchedStat : public testing::TestWithParam<TSchedCase> {};

TEST_P(SchedStat, RunTimeIsTheFirstField) {
  EXPECT_EQ(ParseSchedStat(GetParam().Line), GetParam().Run);
}

INSTANTIATE_TEST_SUITE_P(Lines, SchedStat,
                         testing::Values(TSchedCase{"Plain", "249365296 292627152 83\n",
                                                    249365296u},
                                         TSchedCase{"NeverRan", "0 1215485 1\n", 0u},
                                         TSchedCase{"Empty", "", std::nullopt},
                                         TSchedCase{"OneFieldOnly", "12", std::nullopt},
                                         TSchedCase{"NotANumber", "12x 1 2", std::nullopt},
                                         TSchedCase{"LeadingBlank", " 12 1 2", std::nullopt}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(StatusKilobytes, FindsTheKeyOnlyAsAWholeName) {
  const std::string Status =
      "Name:\tla16\nVmHWMX:\t  1 kB\nVmPeak:\t  200 kB\nVmHWM:\t   41200 kB\nVmRSS:\t 40000 kB\n";
  EXPECT_EQ(StatusKilobytes(Status, "VmHWM"), 41200u);
  EXPECT_EQ(StatusKilobytes(Status, "VmRSS"), 40000u);
  EXPECT_EQ(StatusKilobytes(Status, "VmSwap"), std::nullopt);
  EXPECT_EQ(StatusKilobytes("VmHWM:\t 12 MB\n", "VmHWM"), std::nullopt);
  EXPECT_EQ(StatusKilobytes("VmHWM:\n", "VmHWM"), std::nullopt);
  EXPECT_EQ(StatusKilobytes("VmHWM:\t 12 kB", "VmHWM"), 12u);
}

TEST(ThisProcess, ListsANamedThreadWithTheTimeItSpent) {
  std::mutex Lock;
  std::condition_variable Changed;
  bool Named = false;
  bool Done = false;
  int Id = 0;
  std::thread Worker([&] {
    ::pthread_setname_np(::pthread_self(), "la16-test-busy");
    // A tenth of a second of its own CPU, however busy the machine is.
    timespec Used{};
    std::atomic<std::uint64_t> Spin{0};
    do {
      ++Spin;
      ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &Used);
    } while (Used.tv_sec == 0 && Used.tv_nsec < 100'000'000);
    std::unique_lock Guard(Lock);
    Id = static_cast<int>(::syscall(SYS_gettid));
    Named = true;
    Changed.notify_all();
    Changed.wait(Guard, [&] { return Done; });
  });
  {
    std::unique_lock Guard(Lock);
    Changed.wait(Guard, [&] { return Named; });
  }
  const std::vector<TThreadTimes> Threads = ReadThreadTimes();
  {
    std::lock_guard Guard(Lock);
    Done = true;
  }
  Changed.notify_all();
  Worker.join();

  const auto Busy = std::find_if(Threads.begin(), Threads.end(),
                                 [&](const TThreadTimes& Each) { return Each.Id == Id; });
  ASSERT_NE(Busy, Threads.end());
  EXPECT_EQ(Busy->Name, "la16-test-busy");
  EXPECT_GE(static_cast<double>(Busy->UserTicks + Busy->SystemTicks) / TicksPerSecond(), 0.05);
  if (Busy->RunNanoseconds) {
    EXPECT_GE(*Busy->RunNanoseconds, 100'000'000u);
    EXPECT_EQ(Busy->Seconds(), static_cast<double>(*Busy->RunNanoseconds) * 1e-9);
  }
  EXPECT_TRUE(std::any_of(Threads.begin(), Threads.end(),
                          [](const TThreadTimes& Each) { return Each.Id == ::getpid(); }));
  EXPECT_GE(ProcessCpuSeconds(), 0.05);
  ASSERT_TRUE(PeakResidentKilobytes().has_value());
  EXPECT_GT(*PeakResidentKilobytes(), 100u);
}

struct TProbeCase {
  const char* Value;
  bool Valid;
  TProbeRequest::TKind Kind;
  int Seconds;
};

void PrintTo(const TProbeCase& Case, std::ostream* Out) {
  *Out << '"' << Case.Value << '"';
}

class ProbeRequest : public testing::TestWithParam<TProbeCase> {};

TEST_P(ProbeRequest, UnderstoodOrRefused) {
  const std::optional<TProbeRequest> Request = ParseProbeRequest(GetParam().Value);
  ASSERT_EQ(Request.has_value(), GetParam().Valid);
  if (Request) {
    EXPECT_EQ(Request->Kind, GetParam().Kind);
    EXPECT_EQ(Request->Seconds, GetParam().Seconds);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProbeRequest,
    testing::Values(TProbeCase{"first-paint", true, TProbeRequest::FirstPaint, 0},
                    TProbeCase{"loop:10", true, TProbeRequest::Loop, 10},
                    TProbeCase{"loop:1", true, TProbeRequest::Loop, 1},
                    TProbeCase{"loop:3600", true, TProbeRequest::Loop, 3600},
                    TProbeCase{"loop:3601", false, TProbeRequest::Loop, 0},
                    TProbeCase{"loop:0", false, TProbeRequest::Loop, 0},
                    TProbeCase{"loop:-5", false, TProbeRequest::Loop, 0},
                    TProbeCase{"loop:", false, TProbeRequest::Loop, 0},
                    TProbeCase{"loop:10s", false, TProbeRequest::Loop, 0},
                    TProbeCase{"loop:99999999999", false, TProbeRequest::Loop, 0},
                    TProbeCase{"loop", false, TProbeRequest::Loop, 0},
                    TProbeCase{"first-paint ", false, TProbeRequest::FirstPaint, 0},
                    TProbeCase{"", false, TProbeRequest::FirstPaint, 0}),
    [](const auto& Info) {
      std::string Name = Info.param.Value;
      std::replace_if(
          Name.begin(), Name.end(),
          [](char C) { return !std::isalnum(static_cast<unsigned char>(C)); }, '_');
      // Appended piece by piece: GCC 12 misreads a literal put in front of a
      // temporary string as an overlapping copy.
      std::string Label = "v";
      Label += std::to_string(Info.index);
      Label += '_';
      Label += Name;
      return Label;
    });

// The step scripts the real-kernel scenarios give la16: a script read wrong
// would drive the window through other steps than the scenario checks.
TEST(ProbeSteps, ScriptReadInOrderWithItsNumbers) {
  const std::optional<TProbeRequest> Request = ParseProbeRequest(
      "steps:attached,loop,shown:3,halt,scroll:1597,scroll:0,export:csv,detached,quit");
  ASSERT_TRUE(Request.has_value());
  EXPECT_EQ(Request->Kind, TProbeRequest::Steps);
  const std::vector<TProbeStep> Expected = {
      {TProbeStep::Attached, 0}, {TProbeStep::Loop, 0},      {TProbeStep::Shown, 3},
      {TProbeStep::Halt, 0},     {TProbeStep::Scroll, 1597}, {TProbeStep::Scroll, 0},
      {TProbeStep::Export, 2},   {TProbeStep::Detached, 0},  {TProbeStep::Quit, 0}};
  EXPECT_EQ(Request->Script, Expected);
  const std::optional<TProbeRequest> One = ParseProbeRequest("steps:quit");
  ASSERT_TRUE(One.has_value());
  const std::vector<TProbeStep> QuitOnly = {{TProbeStep::Quit, 0}};
  EXPECT_EQ(One->Script, QuitOnly);
}

TEST(ProbeSteps, AnyWrongStepRefusesTheWholeScript) {
  for (const char* Value :
       {"steps:", "steps:loop,", "steps:,loop", "steps:loop,,quit", "steps:shown",
        "steps:shown:", "steps:shown:0", "steps:shown:100001", "steps:shown:3x",
        "steps:scroll:1598", "steps:scroll:-1", "steps:halt:1", "steps:quit:", "steps:Loop",
        "steps:attached,wait", "steps: loop", "steps", "steps:export", "steps:export:bmp"}) {
    EXPECT_FALSE(ParseProbeRequest(Value).has_value()) << Value;
  }
}

}  // namespace
