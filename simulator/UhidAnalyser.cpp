// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/UhidAnalyser.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "link/UniqueFd.h"
#include "simulator/SampleMemoryFile.h"
#include "simulator/SimulatedAnalyser.h"
#include "simulator/SimulatedAnalyserDevice.h"
#include "simulator/UhidAnalyserOptions.h"
#include "simulator/UhidEvents.h"

namespace {

constexpr const char* Prefix = "la16-uhid-analyser : ";

std::string Reason(int Code) {
  return std::strerror(Code);
}

// Where the kernel puts the HID devices that uhid creates, each named
// BUS:VENDOR:PRODUCT.NUMBER with its hidraw node below it.
const std::filesystem::path UhidDevices = "/sys/devices/virtual/misc/uhid";

// The names of the uhid HID devices with these ids present now.
std::set<std::string> UhidDevicesWithIds(std::uint16_t Vendor, std::uint16_t Product) {
  char Prefix[32];
  std::snprintf(Prefix, sizeof Prefix, "%04X:%04X:%04X.", BUS_USB, static_cast<unsigned>(Vendor),
                static_cast<unsigned>(Product));
  std::set<std::string> Names;
  std::error_code Error;
  for (const auto& Entry : std::filesystem::directory_iterator(UhidDevices, Error)) {
    const std::string Name = Entry.path().filename().string();
    if (Name.starts_with(Prefix)) {
      Names.insert(Name);
    }
  }
  return Names;
}

// Whether a device not in Before has its hidraw node in /dev.
bool NewHidrawNodeExists(const std::set<std::string>& Before, std::uint16_t Vendor,
                         std::uint16_t Product) {
  for (const std::string& Name : UhidDevicesWithIds(Vendor, Product)) {
    if (Before.contains(Name)) {
      continue;
    }
    std::error_code Error;
    for (const auto& Node :
         std::filesystem::directory_iterator(UhidDevices / Name / "hidraw", Error)) {
      if (std::filesystem::exists("/dev" / Node.path().filename(), Error)) {
        return true;
      }
    }
  }
  return false;
}

/// Messages from the main thread and the firmware's, one whole line at a time.
class TMessages {
 public:
  explicit TMessages(std::ostream& Err) : Err(Err) {}
  void Say(const std::string& Text) {
    const std::lock_guard<std::mutex> Guard(Lock);
    Err << Prefix << Text << "\n";
    Err.flush();
  }

 private:
  std::ostream& Err;
  std::mutex Lock;
};

/// Writes of whole events to the uhid node, from either thread.
class TUhidWriter {
 public:
  explicit TUhidWriter(int Fd) : Fd(Fd) {}
  /// 0, or the errno of a failed write.
  int Write(const uhid_event& Event) {
    const std::lock_guard<std::mutex> Guard(Lock);
    ssize_t Count;
    do {
      Count = ::write(Fd, &Event, sizeof Event);
    } while (Count < 0 && errno == EINTR);
    if (Count < 0) {
      return errno;
    }
    return static_cast<std::size_t>(Count) == sizeof Event ? 0 : EIO;
  }

 private:
  int Fd;
  std::mutex Lock;
};

class TUhidAnalyserRun {
 public:
  TUhidAnalyserRun(const TUhidAnalyserOptions& Options, std::optional<TSampleMemory> Fixed,
                   std::ofstream* Log, int UhidFd, int StopFd, TMessages& Messages)
      : Options(Options),
        Log(Log),
        UhidFd(UhidFd),
        StopFd(StopFd),
        Messages(Messages),
        Writer(UhidFd),
        Wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    TSimulatorOptions Simulation;
    Simulation.TimeScale = Options.TimeScale;
    Simulation.Seed = Options.Seed;
    Simulation.FixedMemory = std::move(Fixed);
    Analyser = std::make_unique<TSimulatedAnalyser>(
        [this](const std::uint8_t* Report, std::size_t Size) { OnReport(Report, Size); },
        Simulation);
  }

  int Run() {
    if (!Wake.Valid()) {
      Messages.Say("eventfd : " + Reason(errno));
      return UhidAnalyserSystemError;
    }
    TUhidDeviceInfo Info;
    Info.Name = UhidAnalyserName;
    Info.Phys = "la16-uhid-analyser";
    Info.Bus = BUS_USB;
    Info.Vendor = Options.Vendor;
    Info.Product = Options.Product;
    Info.Version = SimulatedAnalyserVersion;
    Info.Descriptor = AnalyserReportDescriptor();
    Present = UhidDevicesWithIds(Options.Vendor, Options.Product);
    if (const int Code = Writer.Write(*BuildCreate2(Info)); Code != 0) {
      Messages.Say("le noyau refuse de créer l'analyseur (UHID_CREATE2) : " + Reason(Code));
      return UhidAnalyserSystemError;
    }
    const int Status = Serve();
    // The firmware ends first, so no input report follows the unplugging;
    // its thread still reads Analyser until Stop() has joined it.
    Analyser->Stop();
    Analyser.reset();
    if (const int Code = Writer.Write(BuildDestroy()); Code != 0) {
      Messages.Say("UHID_DESTROY : " + Reason(Code));
      return UhidAnalyserSystemError;
    }
    if (Status == UhidAnalyserUnplugged) {
      Messages.Say("analyseur débranché");
    }
    return Status;
  }

 private:
  // Takes the kernel's events until an unplug is asked for.
  int Serve() {
    for (;;) {
      pollfd Fds[3] = {{UhidFd, POLLIN, 0}, {Wake.Get(), POLLIN, 0}, {StopFd, POLLIN, 0}};
      const nfds_t Count = StopFd >= 0 ? 3 : 2;
      if (::poll(Fds, Count, -1) < 0) {
        if (errno == EINTR) {
          continue;
        }
        Messages.Say("poll : " + Reason(errno));
        return UhidAnalyserSystemError;
      }
      if ((Fds[1].revents & POLLIN) || (Count == 3 && (Fds[2].revents & POLLIN))) {
        return UhidAnalyserUnplugged;
      }
      if (Fds[0].revents & POLLIN) {
        if (const std::optional<int> Status = TakeEvent()) {
          return *Status;
        }
      } else if (Fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
        Messages.Say("/dev/uhid ne répond plus");
        return UhidAnalyserSystemError;
      }
    }
  }

  // One event read whole and handled; a status when the run must end.
  std::optional<int> TakeEvent() {
    uhid_event Buffer;
    std::memset(&Buffer, 0, sizeof Buffer);
    const ssize_t Count = ::read(UhidFd, &Buffer, sizeof Buffer);
    if (Count < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        return std::nullopt;
      }
      Messages.Say("lecture de /dev/uhid : " + Reason(errno));
      return UhidAnalyserSystemError;
    }
    if (Count == 0) {
      Messages.Say("/dev/uhid a été fermé");
      return UhidAnalyserSystemError;
    }
    const std::optional<TUhidReceived> Event = DecodeUhidEvent(
        reinterpret_cast<const std::uint8_t*>(&Buffer), static_cast<std::size_t>(Count));
    if (!Event) {
      return std::nullopt;
    }
    switch (Event->Type) {
      case UHID_START:
        return Started();
      case UHID_OUTPUT:
        // Only reports written to the device are commands; the data are the
        // bytes handed to hidraw's write(), report id byte first.
        if (Event->ReportType == UHID_OUTPUT_REPORT) {
          Command(Event->Data);
        }
        return std::nullopt;
      case UHID_GET_REPORT:
        // The analyser has no report to give on request.
        return Answered(Writer.Write(BuildGetReportReply(Event->RequestId, EIO)));
      case UHID_SET_REPORT:
        return Answered(Writer.Write(BuildSetReportReply(Event->RequestId, EIO)));
      default:
        // UHID_STOP, UHID_OPEN, UHID_CLOSE: nothing to do; a device that is
        // not open has nobody to read what it sends, as on a USB port.
        return std::nullopt;
    }
  }

  std::optional<int> Started() {
    if (HasStarted) {
      return std::nullopt;
    }
    HasStarted = true;
    if (Options.ReadyFile) {
      // UHID_START comes as the kernel starts the device, just before it
      // makes the hidraw node: wait a little for the node, so that whoever
      // waits for the file finds the device complete.
      if (std::filesystem::exists(UhidDevices)) {
        for (int Round = 0;
             Round < 200 && !NewHidrawNodeExists(Present, Options.Vendor, Options.Product);
             ++Round) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
      }
      TUniqueFd File(
          ::open(Options.ReadyFile->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
      if (!File.Valid()) {
        Messages.Say("impossible de créer " + *Options.ReadyFile + " : " + Reason(errno));
        return UhidAnalyserSystemError;
      }
    }
    char Ids[16];
    std::snprintf(Ids, sizeof Ids, "%04X:%04X", static_cast<unsigned>(Options.Vendor),
                  static_cast<unsigned>(Options.Product));
    Messages.Say(std::string("analyseur ") + Ids + " branché" + (Options.Silent ? " (muet)" : "") +
                 " ; Ctrl+C pour le débrancher");
    return std::nullopt;
  }

  void Command(const std::vector<std::uint8_t>& Report) {
    if (Log != nullptr && !LogFailed) {
      *Log << HexLine(Report) << '\n';
      Log->flush();
      if (!*Log) {
        LogFailed = true;
        Messages.Say("le journal des commandes ne peut plus être écrit");
      }
    }
    Analyser->ReceiveOutputReport(Report.data(), Report.size());
  }

  std::optional<int> Answered(int Code) {
    if (Code == 0) {
      return std::nullopt;
    }
    Messages.Say("réponse au noyau : " + Reason(Code));
    return UhidAnalyserSystemError;
  }

  // On the firmware's thread, once per report it sends (report id byte first).
  void OnReport(const std::uint8_t* Report, std::size_t Size) {
    if (Options.RecordFile) {
      // The first block of a restitution follows its acquisition: the file
      // is there before the host can have the samples.
      const std::int64_t Acquisitions = Analyser->State().AcquisitionCount;
      if (Acquisitions != Recorded) {
        Recorded = Acquisitions;
        std::string Error;
        if (!WriteSampleMemoryFile(*Options.RecordFile, Analyser->Memory(), Error)) {
          Messages.Say(Error);
        }
      }
    }
    if (Options.Silent || Unplugging || Size < 2) {
      return;
    }
    // The descriptor numbers no report: the kernel takes the data alone.
    const int Code = Writer.Write(*BuildInput2(Report + 1, Size - 1));
    if (Code != 0) {
      if (!InputFailed) {
        InputFailed = true;
        Messages.Say("UHID_INPUT2 : " + Reason(Code));
      }
      return;
    }
    ++Sent;
    if (Options.UnplugAfter && Sent >= *Options.UnplugAfter) {
      Unplugging = true;
      const std::uint64_t One = 1;
      [[maybe_unused]] auto Ignored = ::write(Wake.Get(), &One, sizeof One);
    }
  }

  const TUhidAnalyserOptions& Options;
  std::ofstream* Log;
  const int UhidFd;
  const int StopFd;
  TMessages& Messages;
  TUhidWriter Writer;
  TUniqueFd Wake;                 // the firmware's thread asks for the unplugging
  std::set<std::string> Present;  // uhid devices with our ids before ours
  bool HasStarted = false;
  bool LogFailed = false;
  // The firmware's thread only.
  std::int64_t Recorded = 0;
  std::uint64_t Sent = 0;
  bool InputFailed = false;
  std::atomic<bool> Unplugging{false};
  std::unique_ptr<TSimulatedAnalyser> Analyser;
};

int Run(const std::vector<std::string>& Arguments, TUhidAnalyserEnvironment& Env,
        TMessages& Messages) {
  std::variant<TUhidAnalyserOptions, std::string> Parsed = ParseUhidAnalyserArguments(Arguments);
  if (auto* Problem = std::get_if<std::string>(&Parsed)) {
    Env.Err << UhidAnalyserUsageLine(*Problem) << "\n";
    Env.Err.flush();
    return UhidAnalyserBadArguments;
  }
  const TUhidAnalyserOptions& Options = std::get<TUhidAnalyserOptions>(Parsed);
  if (Options.Help) {
    Env.Out << UhidAnalyserHelpText();
    Env.Out.flush();
    return UhidAnalyserUnplugged;
  }

  // Files first: nothing is plugged in for a run that cannot do what it was asked.
  std::optional<TSampleMemory> Fixed;
  if (Options.MemoryFile) {
    std::variant<TSampleMemory, std::string> Read = ReadSampleMemoryFile(*Options.MemoryFile);
    if (auto* Problem = std::get_if<std::string>(&Read)) {
      Messages.Say(*Problem);
      return UhidAnalyserBadArguments;
    }
    Fixed = std::get<TSampleMemory>(Read);
  }
  std::ofstream Log;
  if (Options.LogFile) {
    Log.open(*Options.LogFile, std::ios::app | std::ios::binary);
    if (!Log) {
      Messages.Say("impossible d'ouvrir le journal " + *Options.LogFile + " : " + Reason(errno));
      return UhidAnalyserBadArguments;
    }
  }

  TUniqueFd Uhid(Env.OpenUhid ? Env.OpenUhid() : (errno = ENOENT, -1));
  if (!Uhid.Valid()) {
    const int Code = errno;
    Messages.Say("impossible d'ouvrir /dev/uhid : " + Reason(Code) +
                 (Code == ENOENT || Code == ENODEV ? " (charger le module : sudo modprobe uhid)"
                  : Code == EACCES || Code == EPERM
                      ? " (il faut les droits root : sudo la16-uhid-analyser)"
                      : ""));
    return UhidAnalyserSystemError;
  }
  TUhidAnalyserRun Analyser(Options, std::move(Fixed), Options.LogFile ? &Log : nullptr, Uhid.Get(),
                            Env.StopFd, Messages);
  return Analyser.Run();
}

}  // namespace

int RunUhidAnalyser(const std::vector<std::string>& Arguments, TUhidAnalyserEnvironment& Env) {
  TMessages Messages(Env.Err);
  try {
    return Run(Arguments, Env, Messages);
  } catch (const std::exception& Error) {
    Messages.Say(std::string("erreur interne : ") + Error.what());
    return UhidAnalyserSystemError;
  }
}
