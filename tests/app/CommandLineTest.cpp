#include "app/CommandLine.h"
#include "tests/support/CaseNames.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {
using CaseNames::PrintTo;

struct TCommandLineCase {
  const char* Name;
  std::vector<const char*> Arguments;  // after the program's name
  std::optional<THidBackend> Backend;
};

class CommandLine : public testing::TestWithParam<TCommandLineCase> {};

TEST_P(CommandLine, ChoosesTheBackendOrRefuses) {
  std::vector<const char*> Argv{"la16"};
  Argv.insert(Argv.end(), GetParam().Arguments.begin(), GetParam().Arguments.end());
  EXPECT_EQ(ParseCommandLine(static_cast<int>(Argv.size()), Argv.data()), GetParam().Backend);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    testing::Values(TCommandLineCase{"None", {}, THidBackend::Linux},
                    TCommandLineCase{"Simulate", {"--simulate"}, THidBackend::Simulated},
                    TCommandLineCase{"Unknown", {"--simulated"}, std::nullopt},
                    TCommandLineCase{"SingleDash", {"-simulate"}, std::nullopt},
                    TCommandLineCase{"Empty", {""}, std::nullopt},
                    TCommandLineCase{"Twice", {"--simulate", "--simulate"}, std::nullopt},
                    TCommandLineCase{"Extra", {"--simulate", "x"}, std::nullopt}),
    [](const testing::TestParamInfo<TCommandLineCase>& Info) {
      return std::string(Info.param.Name);
    });

TEST(CommandLineUsage, IsOneLineNamingTheOption) {
  const std::string Usage = CommandLineUsage;
  EXPECT_EQ(Usage.find('\n'), std::string::npos);
  EXPECT_NE(Usage.find("--simulate"), std::string::npos);
}

}  // namespace
