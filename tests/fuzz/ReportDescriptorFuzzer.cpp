// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a device's report descriptor: the parser reads only those
// bytes, and either gives lengths with no error or refuses with an error and
// no lengths.
//
// Input: the descriptor's bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "link/ReportDescriptor.h"

namespace {

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "report_descriptor_fuzzer: %s\n", What);
    std::abort();
  }
}

// A length is 0 (no report) or at least the id byte and one data byte.
bool Plausible(std::uint16_t Length) {
  return Length == 0 || Length >= 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // A buffer of exactly the descriptor's size, so a read past it is caught.
  auto Descriptor = std::make_unique<std::uint8_t[]>(Size);
  if (Size != 0) {
    std::memcpy(Descriptor.get(), Data, Size);
  }
  TReportLengths Lengths{7, 7, 7};
  TReportNumbering Numbering{true, true, true};
  std::string Error = "stale";
  if (ParseReportDescriptor(Descriptor.get(), Size, Lengths, Numbering, Error)) {
    Check(Error.empty(), "success with an error message");
    Check(Plausible(Lengths.Input) && Plausible(Lengths.Output) && Plausible(Lengths.Feature),
          "report length of one byte");
  } else {
    Check(!Error.empty(), "refusal without a message");
    Check(Lengths.Input == 0 && Lengths.Output == 0 && Lengths.Feature == 0,
          "refusal with lengths");
    Check(!Numbering.Input && !Numbering.Output && !Numbering.Feature, "refusal with numbering");
  }

  // A long item appended to a good descriptor (skipped whole) changes nothing.
  if (Error.empty()) {
    auto Longer = std::make_unique<std::uint8_t[]>(Size + 4);
    if (Size != 0) {
      std::memcpy(Longer.get(), Data, Size);
    }
    const std::uint8_t LongItem[] = {0xFE, 0x01, 0x10, 0x55};
    std::memcpy(Longer.get() + Size, LongItem, sizeof LongItem);
    TReportLengths Again;
    std::string AgainError;
    Check(ParseReportDescriptor(Longer.get(), Size + 4, Again, AgainError),
          "a trailing long item made a good descriptor bad");
    Check(Again.Input == Lengths.Input && Again.Output == Lengths.Output &&
              Again.Feature == Lengths.Feature,
          "a trailing long item changed the lengths");
  }
  return 0;
}
