// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/HidrawReports.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/CaseNames.h"

namespace {

using CaseNames::PrintTo;

// The analyser's 64-byte block as hidraw reads it on an interface without
// report ids: the block code first, no id byte.
std::vector<std::uint8_t> UnnumberedBlock() {
  std::vector<std::uint8_t> Block(64);
  Block[0] = 20;
  for (std::size_t I = 1; I < Block.size(); ++I) {
    Block[I] = static_cast<std::uint8_t>(I);
  }
  return Block;
}

struct TRestoreCase {
  std::string Name;
  std::vector<std::uint8_t> Raw;  // as read() gave it
  bool Numbered;
  std::size_t Length;                  // the caller's buffer
  std::vector<std::uint8_t> Expected;  // what lands in the buffer, id byte first
};

std::vector<std::uint8_t> WithIdZero(std::vector<std::uint8_t> Data, std::size_t Keep) {
  Data.resize(Keep);
  Data.insert(Data.begin(), 0);
  return Data;
}

class RestoreReportIdCases : public testing::TestWithParam<TRestoreCase> {};

TEST_P(RestoreReportIdCases, GivesTheIdByteFirstAndNeverWritesPastTheBuffer) {
  const TRestoreCase& Case = GetParam();
  // Guard bytes after the caller's Length show any write past it.
  constexpr std::uint8_t Guard = 0xEE;
  std::vector<std::uint8_t> Buffer(Case.Length + 8, Guard);
  const std::size_t Bytes =
      RestoreReportId(Case.Raw.data(), Case.Raw.size(), Case.Numbered, Buffer.data(), Case.Length);
  ASSERT_EQ(Bytes, Case.Expected.size());
  EXPECT_EQ(std::vector<std::uint8_t>(Buffer.begin(), Buffer.begin() + Bytes), Case.Expected);
  for (std::size_t I = Bytes; I < Buffer.size(); ++I) {
    EXPECT_EQ(Buffer[I], Guard) << "byte " << I << " written";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reads, RestoreReportIdCases,
    testing::Values(
        // 64 bytes read give the 65 the link expects, id 0 first.
        TRestoreCase{"UnnumberedFullBlock", UnnumberedBlock(), false, 65,
                     WithIdZero(UnnumberedBlock(), 64)},
        TRestoreCase{"UnnumberedIntoLargerBuffer", {20, 1, 2}, false, 65, {0, 20, 1, 2}},
        TRestoreCase{"UnnumberedIntoShortBuffer", UnnumberedBlock(), false, 10,
                     WithIdZero(UnnumberedBlock(), 9)},
        TRestoreCase{"UnnumberedIntoOneByte", UnnumberedBlock(), false, 1, {0}},
        TRestoreCase{"NumberedPassesAsRead", {2, 20, 7}, true, 65, {2, 20, 7}},
        TRestoreCase{"NumberedIntoShortBuffer", {1, 20, 7, 9}, true, 2, {1, 20}},
        TRestoreCase{"NothingRead", {}, false, 65, {}},
        TRestoreCase{"NoRoom", {20, 1}, false, 0, {}}),
    [](const auto& Info) { return Info.param.Name; });

}  // namespace
