// SPDX-License-Identifier: GPL-3.0-or-later
// Any argument list for la16-capture: the parser answers with options in
// their ranges, which written back as arguments parse to the same options, or
// with an argument failure whose message is one printable line (and valid
// UTF-8 when the arguments are).
//
// Input: the arguments, separated by NUL bytes.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/CaptureOptions.h"

namespace {

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "capture_arguments_fuzzer: %s\n", What);
    std::abort();
  }
}

bool ValidUtf8(std::string_view Text) {
  std::size_t I = 0;
  while (I < Text.size()) {
    const auto Lead = static_cast<unsigned char>(Text[I]);
    std::size_t Length = 0;
    std::uint32_t Code = 0;
    if (Lead < 0x80U) {
      ++I;
      continue;
    } else if ((Lead & 0xE0U) == 0xC0U) {
      Length = 2;
      Code = Lead & 0x1FU;
    } else if ((Lead & 0xF0U) == 0xE0U) {
      Length = 3;
      Code = Lead & 0x0FU;
    } else if ((Lead & 0xF8U) == 0xF0U) {
      Length = 4;
      Code = Lead & 0x07U;
    } else {
      return false;
    }
    if (Text.size() - I < Length) {
      return false;
    }
    for (std::size_t K = 1; K < Length; ++K) {
      const auto Next = static_cast<unsigned char>(Text[I + K]);
      if ((Next & 0xC0U) != 0x80U) {
        return false;
      }
      Code = (Code << 6) | (Next & 0x3FU);
    }
    static constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (Code < Smallest[Length] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) {
      return false;
    }
    I += Length;
  }
  return true;
}

std::string TriggerArgument(const TCaptureOptions& Options) {
  switch (Options.Trigger) {
    case TCaptureTriggerMode::Off:
      return "--trigger=off";
    case TCaptureTriggerMode::PatternEqual: {
      char Hex[8];
      std::snprintf(Hex, sizeof Hex, "0x%02X", Options.TriggerPattern);
      return std::string("--trigger=pattern=") + Hex;
    }
    case TCaptureTriggerMode::ExternalHigh:
      return "--trigger=ext-high";
    case TCaptureTriggerMode::ExternalLow:
      return "--trigger=ext-low";
  }
  return {};
}

const char* FormatArgument(TExportFormat Format) {
  switch (Format) {
    case TExportFormat::Vcd:
      return "--format=vcd";
    case TExportFormat::Csv:
      return "--format=csv";
    case TExportFormat::Sigrok:
      return "--format=sr";
  }
  return "";
}

// Options written as the arguments that should give them.
std::vector<std::string> AsArguments(const TCaptureOptions& Options) {
  std::vector<std::string> Arguments;
  if (Options.Simulate) {
    Arguments.emplace_back("--simulate");
  }
  if (Options.List) {
    Arguments.emplace_back("--list");
    return Arguments;
  }
  Arguments.push_back(std::string("--time-base=") + Options.TimeBase->Caption);
  Arguments.push_back(TriggerArgument(Options));
  if (Options.Pull != TCapturePull::Unchanged) {
    Arguments.emplace_back(Options.Pull == TCapturePull::Up ? "--pull=up" : "--pull=down");
  }
  Arguments.push_back("--pc-speed=" + std::to_string(Options.PcSpeed));
  Arguments.push_back(Options.WindowOffset ? "--window=" + std::to_string(*Options.WindowOffset)
                                           : "--whole");
  Arguments.emplace_back(FormatArgument(Options.Format));
  if (!Options.OutputPath.empty()) {
    Arguments.push_back("--output=" + Options.OutputPath);
  }
  if (Options.Timeout) {
    const auto Millis = Options.Timeout->count();
    char Seconds[32];
    std::snprintf(Seconds, sizeof Seconds, "%lld.%03lld", static_cast<long long>(Millis / 1000),
                  static_cast<long long>(Millis % 1000));
    Arguments.push_back(std::string("--timeout=") + Seconds);
  }
  return Arguments;
}

bool SameOptions(const TCaptureOptions& A, const TCaptureOptions& B) {
  return A.Help == B.Help && A.List == B.List && A.Simulate == B.Simulate &&
         A.TimeBase == B.TimeBase && A.Trigger == B.Trigger &&
         A.TriggerPattern == B.TriggerPattern && A.Pull == B.Pull && A.PcSpeed == B.PcSpeed &&
         A.WindowOffset == B.WindowOffset && A.Format == B.Format && A.OutputPath == B.OutputPath &&
         A.Timeout == B.Timeout;
}

void CheckOptions(const TCaptureOptions& Options) {
  Check(Options.TimeBase != nullptr, "no time base");
  Check(Options.PcSpeed >= MinPcSpeed && Options.PcSpeed <= MaxPcSpeed, "PC speed out of range");
  Check(!Options.WindowOffset ||
            (*Options.WindowOffset >= 0 && *Options.WindowOffset <= LastViewOffset),
        "window out of the memory");
  Check(!Options.Timeout || (Options.Timeout->count() > 0 &&
                             Options.Timeout->count() <= MaxTimeoutSeconds * 1000LL),
        "timeout out of range");
  Check(Options.Trigger == TCaptureTriggerMode::PatternEqual || Options.TriggerPattern == 0,
        "pattern without a pattern trigger");
  Check(Options.OutputPath != "-", "standard output kept as a file name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  std::vector<std::string> Arguments;
  const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
  bool AllUtf8 = true;
  if (!Text.empty()) {
    std::size_t Start = 0;
    while (true) {
      const std::size_t End = Text.find('\0', Start);
      Arguments.emplace_back(Text.substr(Start, End == std::string_view::npos ? End : End - Start));
      AllUtf8 = AllUtf8 && ValidUtf8(Arguments.back());
      if (End == std::string_view::npos) {
        break;
      }
      Start = End + 1;
    }
  }

  const auto Result = ParseCaptureArguments(Arguments);
  if (const auto* Failure = std::get_if<TCaptureFailure>(&Result)) {
    Check(Failure->Status == CaptureBadArguments, "failure with another status");
    Check(!Failure->Message.empty(), "failure without a message");
    for (const char C : Failure->Message) {
      const auto Byte = static_cast<unsigned char>(C);
      Check(Byte >= 0x20U && Byte != 0x7FU, "control byte in a message");
    }
    Check(!AllUtf8 || ValidUtf8(Failure->Message), "message is not UTF-8");
    return 0;
  }
  const TCaptureOptions& Options = std::get<TCaptureOptions>(Result);
  if (Options.Help) {
    return 0;
  }
  CheckOptions(Options);
  const auto Again = ParseCaptureArguments(AsArguments(Options));
  Check(std::holds_alternative<TCaptureOptions>(Again), "options written back are refused");
  Check(SameOptions(std::get<TCaptureOptions>(Again), Options),
        "options written back parse otherwise");
  return 0;
}
