// SPDX-License-Identifier: GPL-3.0-or-later
// The process's figures on Windows: the thread list of a Toolhelp snapshot,
// GetThreadTimes and GetProcessTimes (100 ns units) and the peak working set.
#include "app/ProcessTimes.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

namespace {

constexpr double HundredNanosecondsPerSecond = 1e7;

std::uint64_t Units(const FILETIME& Time) {
  return (static_cast<std::uint64_t>(Time.dwHighDateTime) << 32) | Time.dwLowDateTime;
}

// The name a thread gave itself; empty on systems without thread names
// (GetThreadDescription came with Windows 10, so it is looked up by name).
std::string ThreadName(HANDLE Thread) {
  using TGetThreadDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  static const auto Get = reinterpret_cast<TGetThreadDescription>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetThreadDescription")));
  PWSTR Wide = nullptr;
  if (Get == nullptr || FAILED(Get(Thread, &Wide)) || Wide == nullptr) {
    return {};
  }
  std::string Name;
  const int Size = ::WideCharToMultiByte(CP_UTF8, 0, Wide, -1, nullptr, 0, nullptr, nullptr);
  if (Size > 1) {
    Name.resize(static_cast<std::size_t>(Size));
    ::WideCharToMultiByte(CP_UTF8, 0, Wide, -1, Name.data(), Size, nullptr, nullptr);
    Name.resize(static_cast<std::size_t>(Size - 1));
  }
  ::LocalFree(Wide);
  return Name;
}

}  // namespace

std::vector<TThreadTimes> ReadThreadTimes() {
  std::vector<TThreadTimes> Threads;
  const HANDLE Snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (Snapshot == INVALID_HANDLE_VALUE) {
    return Threads;
  }
  const DWORD Process = ::GetCurrentProcessId();
  THREADENTRY32 Entry{};
  Entry.dwSize = sizeof Entry;
  for (BOOL More = ::Thread32First(Snapshot, &Entry); More;
       More = ::Thread32Next(Snapshot, &Entry)) {
    if (Entry.th32OwnerProcessID != Process) {
      continue;
    }
    // A thread that ends meanwhile cannot be opened any more: skipped.
    const HANDLE Thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, Entry.th32ThreadID);
    if (Thread == nullptr) {
      continue;
    }
    FILETIME Creation{};
    FILETIME Exit{};
    FILETIME Kernel{};
    FILETIME User{};
    if (::GetThreadTimes(Thread, &Creation, &Exit, &Kernel, &User)) {
      TThreadTimes Times;
      Times.Id = static_cast<int>(Entry.th32ThreadID);
      Times.Name = ThreadName(Thread);
      Times.UserTicks = Units(User);
      Times.SystemTicks = Units(Kernel);
      Threads.push_back(std::move(Times));
    }
    ::CloseHandle(Thread);
  }
  ::CloseHandle(Snapshot);
  return Threads;
}

std::optional<std::uint64_t> PeakResidentKilobytes() {
  PROCESS_MEMORY_COUNTERS Counters{};
  Counters.cb = sizeof Counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &Counters, sizeof Counters)) {
    return std::nullopt;
  }
  return Counters.PeakWorkingSetSize / 1024;
}

double ProcessCpuSeconds() {
  FILETIME Creation{};
  FILETIME Exit{};
  FILETIME Kernel{};
  FILETIME User{};
  if (!::GetProcessTimes(::GetCurrentProcess(), &Creation, &Exit, &Kernel, &User)) {
    return 0;
  }
  return static_cast<double>(Units(Kernel) + Units(User)) / HundredNanosecondsPerSecond;
}

double TicksPerSecond() {
  return HundredNanosecondsPerSecond;
}
