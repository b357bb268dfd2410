// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureCommands.h"

#include <gtest/gtest.h>

namespace {

using TBytes = std::vector<std::uint8_t>;

// The first four bytes of every report the analyser receives, sent through
// one send buffer as the program does.
std::vector<TBytes> SentHeads(const std::vector<TCaptureCommand>& Commands) {
  TCommandReport Report;
  std::vector<TBytes> Heads;
  for (const TCaptureCommand& Command : Commands) {
    LoadCommand(Report, Command);
    Heads.push_back({Report.Bytes().begin(), Report.Bytes().begin() + 4});
  }
  return Heads;
}

}  // namespace

struct TStartCase {
  std::string Name;
  std::vector<std::string> Args;
  std::vector<TBytes> Heads;
};

void PrintTo(const TStartCase& Case, std::ostream* Os) {
  *Os << Case.Name;
}

class CaptureStart : public testing::TestWithParam<TStartCase> {};

// From the command line to the bytes on the wire.
TEST_P(CaptureStart, SendsTheProgramsBytesInOrder) {
  const TStartCase& Case = GetParam();
  const auto Parsed = ParseCaptureArguments(Case.Args);
  ASSERT_TRUE(std::holds_alternative<TCaptureOptions>(Parsed));
  EXPECT_EQ(SentHeads(CaptureStartCommands(std::get<TCaptureOptions>(Parsed))), Case.Heads);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CaptureStart,
    testing::Values(
        // Nothing chosen: attach, PC speed 100, no pull, 1 ms, trigger off, single.
        TStartCase{"Defaults",
                   {},
                   {{0, 6, 0, 0},
                    {0, 11, 0x00, 0x64},
                    {0, 1, 0x03, 0x64},
                    {0, 9, 0, 0x64},
                    {0, 4, 0, 0x64}}},
        // The pattern goes before the mode, and byte 3 keeps the PC speed's low byte.
        TStartCase{"PatternPullUp",
                   {"--pc-speed", "300", "--pull", "up", "--time-base", "2ms", "--trigger",
                    "pattern=10000001"},
                   {{0, 6, 0, 0},
                    {0, 11, 0x01, 0x2C},
                    {0, 10, 1, 0x2C},
                    {0, 1, 0x0B, 0x2C},
                    {0, 8, 0x81, 0x2C},
                    {0, 9, 1, 0x2C},
                    {0, 4, 1, 0x2C}}},
        TStartCase{
            "ExternalLowPullDown",
            {"--pc-speed", "1000", "--pull", "down", "--time-base", "5us", "--trigger", "ext-low"},
            {{0, 6, 0, 0},
             {0, 11, 0x03, 0xE8},
             {0, 10, 0, 0xE8},
             {0, 1, 0x10, 0xE8},
             {0, 9, 3, 0xE8},
             {0, 4, 3, 0xE8}}},
        TStartCase{"ExternalHighHex",
                   {"--trigger", "ext-high", "--time-base", "500ms"},
                   {{0, 6, 0, 0},
                    {0, 11, 0x00, 0x64},
                    {0, 1, 0x15, 0x64},
                    {0, 9, 2, 0x64},
                    {0, 4, 2, 0x64}}},
        TStartCase{"HexPattern",
                   {"--trigger", "pattern=0xA5"},
                   {{0, 6, 0, 0},
                    {0, 11, 0x00, 0x64},
                    {0, 1, 0x03, 0x64},
                    {0, 8, 0xA5, 0x64},
                    {0, 9, 1, 0x64},
                    {0, 4, 1, 0x64}}}),
    [](const testing::TestParamInfo<TStartCase>& Info) { return Info.param.Name; });

TEST(CaptureCommands, ViewPositionGoesHighByteFirst) {
  EXPECT_EQ(
      SentHeads({ViewPositionCommand(1597), ViewPositionCommand(300), ViewPositionCommand(0)}),
      (std::vector<TBytes>{{0, 7, 6, 61}, {0, 7, 1, 44}, {0, 7, 0, 0}}));
}
