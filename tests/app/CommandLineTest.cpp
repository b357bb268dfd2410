// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "tests/support/CaseNames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <vector>
#ifdef LA16_EXECUTABLE
#include <sys/wait.h>
#endif

namespace {
using CaseNames::PrintTo;

struct TCommandLineCase {
  const char* Name;
  std::vector<const char*> Arguments;  // after the program's name
  std::optional<THidBackend> Backend;
  std::string CaptureFile = {};
};

class CommandLine : public testing::TestWithParam<TCommandLineCase> {};

TEST_P(CommandLine, ChoosesTheBackendOrRefuses) {
  std::vector<const char*> Argv{"la16"};
  Argv.insert(Argv.end(), GetParam().Arguments.begin(), GetParam().Arguments.end());
  std::string CaptureFile;
  EXPECT_EQ(ParseCommandLine(static_cast<int>(Argv.size()), Argv.data(), &CaptureFile),
            GetParam().Backend);
  if (GetParam().Backend) {
    EXPECT_EQ(CaptureFile, GetParam().CaptureFile);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    testing::Values(TCommandLineCase{"None", {}, THidBackend::Linux},
                    TCommandLineCase{"Simulate", {"--simulate"}, THidBackend::Simulated},
                    TCommandLineCase{"Unknown", {"--simulated"}, std::nullopt},
                    TCommandLineCase{"SingleDash", {"-simulate"}, std::nullopt},
                    TCommandLineCase{"Empty", {""}, std::nullopt},
                    TCommandLineCase{"Twice", {"--simulate", "--simulate"}, std::nullopt},
                    TCommandLineCase{"Capture", {"a.sr"}, THidBackend::Linux, "a.sr"},
                    TCommandLineCase{"SimulateAndCapture",
                                     {"a.sr", "--simulate"},
                                     THidBackend::Simulated,
                                     "a.sr"},
                    TCommandLineCase{"TwoCaptures", {"a.sr", "b.sr"}, std::nullopt},
                    TCommandLineCase{"Extra", {"--simulate", "x", "y"}, std::nullopt}),
    [](const testing::TestParamInfo<TCommandLineCase>& Info) {
      return std::string(Info.param.Name);
    });

TEST(CommandLineUsage, IsOneLineNamingTheOption) {
  const std::string Usage = CommandLineUsage;
  EXPECT_EQ(Usage.find('\n'), std::string::npos);
  EXPECT_NE(Usage.find("--simulate"), std::string::npos);
}

#ifdef LA16_EXECUTABLE
// The built program where there is no display: Qt aborts if it gets to open one.
TEST(La16Executable, AnswersHelpAndVersionOnStandardOutputWithoutADisplay) {
  const std::string Dir = testing::TempDir();
  for (const auto& [Arguments, Status, Stream, Expected] :
       {std::tuple("--version", 0, "out", CommandLineVersion()),
        {"--bogus --help", 0, "out", CommandLineHelp()},
        {"-platform offscreen --bogus", 2, "err", std::string(CommandLineUsage) + "\n"}}) {
    const std::string Command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                                std::string(LA16_EXECUTABLE) + "' " + Arguments + " > '" + Dir +
                                "out' 2> '" + Dir + "err'";
    const int Ended = std::system(Command.c_str());
    EXPECT_EQ(WIFEXITED(Ended) ? WEXITSTATUS(Ended) : -1, Status) << Arguments;
    std::stringstream Said;
    Said << std::ifstream(Dir + Stream).rdbuf();
    EXPECT_TRUE(Said.str().ends_with(Expected)) << Said.str();  // after what Qt may say
  }
}
#endif

}  // namespace
