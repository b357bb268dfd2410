// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/AnalyserProtocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<std::uint8_t> Head(const TCommandReport& Report) {
  return {Report.Bytes().begin(), Report.Bytes().begin() + 4};
}
}  // namespace

TEST(CommandReport, BytesTwoAndThreeCarryOverToTheNextCommand) {
  TCommandReport Report;
  EXPECT_EQ(Head(Report), (std::vector<std::uint8_t>{0, 0, 0, 0}));
  Report.SetCommand16(cmdPcSpeed, 300);
  EXPECT_EQ(Head(Report), (std::vector<std::uint8_t>{0x00, 0x0B, 0x01, 0x2C}));
  Report.SetCommand(cmdTimeBase, TimeBaseCode(3, 0));
  EXPECT_EQ(Head(Report), (std::vector<std::uint8_t>{0x00, 0x01, 0x03, 0x2C}));
  Report.SetCommand(cmdLoop);
  EXPECT_EQ(Head(Report), (std::vector<std::uint8_t>{0x00, 0x02, 0x03, 0x2C}));
  Report.SetCommand16(cmdViewPosition, 1597);
  EXPECT_EQ(Head(Report), (std::vector<std::uint8_t>{0x00, 0x07, 0x06, 0x3D}));
  Report.SetCommand16(cmdPcSpeed, 1000);
  EXPECT_EQ(Head(Report), (std::vector<std::uint8_t>{0x00, 0x0B, 0x03, 0xE8}));
}

TEST(CommandReport, OutputReportFollowsTheDeclaredLength) {
  TCommandReport Report;
  Report.SetCommand(cmdPull, 1);
  const auto Usual = Report.OutputReport(65);
  ASSERT_EQ(Usual.size(), 65U);
  EXPECT_EQ(Usual[1], cmdPull);
  EXPECT_EQ(Usual[2], 1);
  const auto Long = Report.OutputReport(200);
  ASSERT_EQ(Long.size(), 200U);
  EXPECT_EQ(Long[1], cmdPull);
  for (std::size_t I = 4; I < Long.size(); ++I) {
    ASSERT_EQ(Long[I], 0) << I;
  }
  EXPECT_EQ(Report.OutputReport(2).size(), 2U);
  EXPECT_TRUE(Report.OutputReport(0).empty());
}
