// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/UhidAnalyserOptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/CaseNames.h"

namespace {

using CaseNames::PrintTo;

struct TGoodCase {
  std::string Name;
  std::vector<std::string> Arguments;
  std::function<bool(const TUhidAnalyserOptions&)> Holds;
};

class GoodUhidArguments : public testing::TestWithParam<TGoodCase> {};

TEST_P(GoodUhidArguments, AreTaken) {
  const auto Parsed = ParseUhidAnalyserArguments(GetParam().Arguments);
  ASSERT_TRUE(std::holds_alternative<TUhidAnalyserOptions>(Parsed))
      << std::get<std::string>(Parsed);
  EXPECT_TRUE(GetParam().Holds(std::get<TUhidAnalyserOptions>(Parsed)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GoodUhidArguments,
    testing::Values(TGoodCase{"Defaults",
                              {},
                              [](const TUhidAnalyserOptions& O) {
                                return !O.Help && !O.Silent && !O.MemoryFile && !O.UnplugAfter &&
                                       O.Vendor == 0x04D8 && O.Product == 0x0005 &&
                                       O.TimeScale == 1.0 && O.Seed == 1;
                              }},
                    TGoodCase{"Files",
                              {"--memory", "m.txt", "--record=r.txt", "--log", "l.txt",
                               "--ready-file", "x"},
                              [](const TUhidAnalyserOptions& O) {
                                return O.MemoryFile == "m.txt" && O.RecordFile == "r.txt" &&
                                       O.LogFile == "l.txt" && O.ReadyFile == "x";
                              }},
                    TGoodCase{"OtherIds",
                              {"--vendor", "046d", "--product=0xC52B"},
                              [](const TUhidAnalyserOptions& O) {
                                return O.Vendor == 0x046D && O.Product == 0xC52B;
                              }},
                    TGoodCase{"Pacing",
                              {"--time-scale", "0.25", "--seed", "4294967295", "--silent"},
                              [](const TUhidAnalyserOptions& O) {
                                return O.TimeScale == 0.25 && O.Seed == 4294967295u && O.Silent;
                              }},
                    TGoodCase{"NoWaiting",
                              {"--time-scale=0", "--unplug-after", "18"},
                              [](const TUhidAnalyserOptions& O) {
                                return O.TimeScale == 0.0 && O.UnplugAfter == 18u;
                              }},
                    TGoodCase{"HelpEndsTheParse",
                              {"--seed", "3", "-h", "--bogus"},
                              [](const TUhidAnalyserOptions& O) { return O.Help; }}),
    [](const auto& Info) { return Info.param.Name; });

struct TBadCase {
  std::string Name;
  std::vector<std::string> Arguments;
  std::string Named;  // what the message must name
};

class BadUhidArguments : public testing::TestWithParam<TBadCase> {};

TEST_P(BadUhidArguments, AreRefusedWithAMessageNamingThem) {
  const auto Parsed = ParseUhidAnalyserArguments(GetParam().Arguments);
  ASSERT_TRUE(std::holds_alternative<std::string>(Parsed));
  const std::string& Message = std::get<std::string>(Parsed);
  EXPECT_NE(Message.find(GetParam().Named), std::string::npos) << Message;
  EXPECT_EQ(Message.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadUhidArguments,
    testing::Values(TBadCase{"Unknown", {"--bogus"}, "--bogus"},
                    TBadCase{"Positional", {"file"}, "file"},
                    TBadCase{"MissingValue", {"--memory"}, "--memory"},
                    TBadCase{"EmptyFile", {"--log="}, "--log"},
                    TBadCase{"ValueOnAFlag", {"--silent=yes"}, "--silent"},
                    TBadCase{"VendorTooLarge", {"--vendor", "10000"}, "--vendor"},
                    TBadCase{"VendorNotHex", {"--vendor", "04G8"}, "04G8"},
                    TBadCase{"UnplugAfterZero", {"--unplug-after", "0"}, "--unplug-after"},
                    TBadCase{"ScaleTooLarge", {"--time-scale", "1000.5"}, "--time-scale"},
                    TBadCase{"ScaleNotANumber", {"--time-scale", "nan"}, "nan"},
                    TBadCase{"SeedTooLarge", {"--seed", "4294967296"}, "--seed"}),
    [](const auto& Info) { return Info.param.Name; });

}  // namespace
