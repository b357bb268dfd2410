// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {

// Item types and tags of the short items that decide report lengths.
constexpr unsigned TypeMain = 0;
constexpr unsigned TypeGlobal = 1;
constexpr unsigned TagInput = 8;
constexpr unsigned TagOutput = 9;
constexpr unsigned TagFeature = 11;
constexpr unsigned TagReportSize = 7;
constexpr unsigned TagReportId = 8;
constexpr unsigned TagReportCount = 9;
constexpr unsigned TagPush = 10;
constexpr unsigned TagPop = 11;
constexpr std::uint8_t LongItemPrefix = 0xFE;
constexpr std::size_t MaxPushDepth = 64;
constexpr std::uint64_t MaxReportBytes = 65534;  // 65535 with the id byte

struct TGlobals {
  std::uint32_t ReportSize = 0;
  std::uint32_t ReportCount = 0;
  std::uint32_t ReportId = 0;
};

std::uint64_t SaturatingAdd(std::uint64_t A, std::uint64_t B) {
  return A > std::numeric_limits<std::uint64_t>::max() - B
             ? std::numeric_limits<std::uint64_t>::max()
             : A + B;
}

std::uint16_t LengthOf(const std::array<std::uint64_t, 256>& Bits) {
  const std::uint64_t Most = *std::max_element(Bits.begin(), Bits.end());
  return Most == 0 ? 0 : static_cast<std::uint16_t>((Most + 7) / 8 + 1);
}

bool Fail(TReportLengths& Lengths, TReportNumbering& Numbering, std::string& Error,
          std::string Message) {
  Lengths = {};
  Numbering = {};
  Error = std::move(Message);
  return false;
}

}  // namespace

bool ParseReportDescriptor(const std::uint8_t* Descriptor, std::size_t Size,
                           TReportLengths& Lengths, TReportNumbering& Numbering,
                           std::string& Error) {
  Lengths = {};
  Numbering = {};
  Error.clear();
  // Bits per report id and direction (input, output, feature).
  std::array<std::array<std::uint64_t, 256>, 3> Bits{};
  // Whether a main item of the direction came under a report id. The kernel
  // registers a report for every main item, even one of no bits, and numbers
  // the direction's reports as soon as one of them has an id.
  std::array<bool, 3> Numbered{};
  TGlobals Globals;
  std::vector<TGlobals> Stack;

  std::size_t At = 0;
  while (At < Size) {
    const std::uint8_t Prefix = Descriptor[At];
    if (Prefix == LongItemPrefix) {
      // Long items carry nothing about lengths: skip them whole.
      if (Size - At < 3) {
        return Fail(Lengths, Numbering, Error, "long item cut short");
      }
      const std::size_t DataSize = Descriptor[At + 1];
      if (Size - At - 3 < DataSize) {
        return Fail(Lengths, Numbering, Error, "long item cut short");
      }
      At += 3 + DataSize;
      continue;
    }
    static constexpr std::size_t DataSizes[] = {0, 1, 2, 4};
    const std::size_t DataSize = DataSizes[Prefix & 3];
    if (Size - At - 1 < DataSize) {
      return Fail(Lengths, Numbering, Error, "item cut short");
    }
    std::uint32_t Value = 0;
    for (std::size_t I = 0; I < DataSize; ++I) {
      Value |= static_cast<std::uint32_t>(Descriptor[At + 1 + I]) << (8 * I);
    }
    const unsigned Type = (Prefix >> 2) & 3;
    const unsigned Tag = Prefix >> 4;
    At += 1 + DataSize;

    if (Type == TypeGlobal) {
      switch (Tag) {
        case TagReportSize:
          Globals.ReportSize = Value;
          break;
        case TagReportCount:
          Globals.ReportCount = Value;
          break;
        case TagReportId:
          if (Value == 0 || Value > 255) {
            return Fail(Lengths, Numbering, Error, "invalid report id");
          }
          Globals.ReportId = Value;
          break;
        case TagPush:
          if (Stack.size() == MaxPushDepth) {
            return Fail(Lengths, Numbering, Error, "too many pushes");
          }
          Stack.push_back(Globals);
          break;
        case TagPop:
          if (Stack.empty()) {
            return Fail(Lengths, Numbering, Error, "pop without push");
          }
          Globals = Stack.back();
          Stack.pop_back();
          break;
        default:
          break;
      }
    } else if (Type == TypeMain && (Tag == TagInput || Tag == TagOutput || Tag == TagFeature)) {
      const int Direction = Tag == TagInput ? 0 : Tag == TagOutput ? 1 : 2;
      // Both factors are below 2^32, so the product fits in 64 bits.
      const std::uint64_t ItemBits =
          static_cast<std::uint64_t>(Globals.ReportSize) * Globals.ReportCount;
      Numbered[Direction] = Numbered[Direction] || Globals.ReportId != 0;
      auto& Total = Bits[Direction][Globals.ReportId];
      Total = SaturatingAdd(Total, ItemBits);
      if (Total == std::numeric_limits<std::uint64_t>::max() || (Total + 7) / 8 > MaxReportBytes) {
        return Fail(Lengths, Numbering, Error, "report too long");
      }
    }
  }
  Lengths.Input = LengthOf(Bits[0]);
  Lengths.Output = LengthOf(Bits[1]);
  Lengths.Feature = LengthOf(Bits[2]);
  Numbering = {Numbered[0], Numbered[1], Numbered[2]};
  return true;
}

bool ParseReportDescriptor(const std::uint8_t* Descriptor, std::size_t Size,
                           TReportLengths& Lengths, std::string& Error) {
  TReportNumbering Ignored;
  return ParseReportDescriptor(Descriptor, Size, Lengths, Ignored, Error);
}
