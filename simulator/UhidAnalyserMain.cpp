// SPDX-License-Identifier: GPL-3.0-or-later
// la16-uhid-analyser: the simulated analyser as a real kernel HID device,
// through /dev/uhid.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <iostream>

#include "simulator/UhidAnalyser.h"

int main(int Argc, char** Argv) {
  // Blocked before any thread starts, so that they all leave these signals
  // to the signalfd the main loop watches.
  sigset_t Unplug;
  sigemptyset(&Unplug);
  sigaddset(&Unplug, SIGUSR1);
  sigaddset(&Unplug, SIGTERM);
  sigaddset(&Unplug, SIGINT);
  pthread_sigmask(SIG_BLOCK, &Unplug, nullptr);
  const int Signals = ::signalfd(-1, &Unplug, SFD_CLOEXEC | SFD_NONBLOCK);
  if (Signals < 0) {
    // Then the signals end the process, and the kernel unplugs the device
    // when /dev/uhid closes with it.
    pthread_sigmask(SIG_UNBLOCK, &Unplug, nullptr);
  }

  TUhidAnalyserEnvironment Env(std::cout, std::cerr);
  Env.OpenUhid = [] { return ::open("/dev/uhid", O_RDWR | O_CLOEXEC); };
  Env.StopFd = Signals;
  const int Status = RunUhidAnalyser({Argv + 1, Argv + Argc}, Env);
  if (Signals >= 0) {
    ::close(Signals);
  }
  return Status;
}
