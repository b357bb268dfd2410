// SPDX-License-Identifier: GPL-3.0-or-later
// la16-capture as a whole: arguments to exit status, messages and files,
// run in-process on simulated analysers and as the built executable.
#include "tools/CaptureTool.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "acquisition/SampleExport.h"
#include "analysis/Report.h"
#include "link/PollMainThreadLoop.h"
#include "tests/tools/CaptureTestSupport.h"
#include "tests/tools/ExportReaders.h"
#include "tools/CaptureOptions.h"
#include "tools/CaptureSession.h"

using namespace capturetest;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

/// The samples a VCD holds: at each sample's time, the state after the last
/// timestamp not later than it.
std::vector<TSample> VcdSamples(const exporttest::TVcd& Vcd, const TTimeBase& Base, int Count) {
  std::vector<TSample> Samples;
  std::size_t T = 0;
  for (int N = 0; N < Count; ++N) {
    const long long Time = SampleTime(Base, N, VcdExtraDigits).Count;
    while (T + 1 < Vcd.Times.size() && Vcd.Times[T + 1] <= Time) {
      ++T;
    }
    Samples.push_back(Vcd.States.at(T));
  }
  return Samples;
}

class CaptureTool : public testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::path(testing::TempDir()) /
          ("la16-capture-tool-" + std::to_string(::getpid()) + "-" +
           testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  /// Runs the tool in-process; "hardware" is the simulated platform of the test.
  int Run(const std::vector<std::string>& Arguments) {
    Out.str("");
    Err.str("");
    TCaptureToolEnvironment Env(Out, Err);
    Env.ShowProgress = ShowProgress;
    Env.HardwarePlatform = [this] { return std::make_unique<TBorrowedPlatform>(Platform); };
    Env.SimulationTimeScale = TimeScale;
    Env.Date = "2024-03-09 14:05:00";
    Env.WindowTimeout = std::chrono::milliseconds(500);
    return RunCaptureTool(Arguments, Env);
  }

  TSimulatedAnalyserDevice& PlugAnalyser() {
    Analyser = std::make_unique<TSimulatedAnalyserDevice>(Platform, TSimulatorOptions{0.0, 2});
    Analyser->Plug();
    return *Analyser;
  }

  std::vector<std::string> LeftInDir() const {
    std::vector<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Dir)) {
      Names.push_back(Entry.path().filename().string());
    }
    std::sort(Names.begin(), Names.end());
    return Names;
  }

  fs::path Dir;
  TSimulatedHidPlatform Platform;
  std::unique_ptr<TSimulatedAnalyserDevice> Analyser;
  std::ostringstream Out;
  std::ostringstream Err;
  bool ShowProgress = false;
  std::optional<std::string> TimeScale = "0";
};

struct TBadCase {
  std::string Name;
  std::vector<std::string> Arguments;
  std::string Message;  // a part of the one line on standard error
  std::optional<std::string> TimeScale = "0";
};

void PrintTo(const TBadCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class CaptureToolBadArguments : public CaptureTool, public testing::WithParamInterface<TBadCase> {};

TEST_P(CaptureToolBadArguments, FailWithTheirStatusAndOneLine) {
  PlugAnalyser();
  TimeScale = GetParam().TimeScale;
  EXPECT_EQ(Run(GetParam().Arguments), CaptureBadArguments);
  const std::string Text = Err.str();
  EXPECT_EQ(Text.rfind("la16-capture: ", 0), 0U) << Text;
  EXPECT_EQ(Text.find('\n'), Text.size() - 1) << Text;
  EXPECT_NE(Text.find(GetParam().Message), std::string::npos) << Text;
  EXPECT_TRUE(Out.str().empty());
  // The analyser was left alone.
  EXPECT_TRUE(Analyser->HidInterface().WrittenReports().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CaptureToolBadArguments,
    testing::Values(
        TBadCase{"UnknownOption", {"--speed", "3"}, "option inconnue « --speed »"},
        TBadCase{"UnknownTimeBase", {"--time-base", "3ms"}, "--time-base attend"},
        TBadCase{"PcSpeedTooLow", {"--pc-speed", "99"}, "--pc-speed attend"},
        TBadCase{"WindowBeyondTheMemory", {"--window", "1598"}, "--window attend"},
        TBadCase{"PatternOfSevenBits", {"--trigger", "pattern=1010101"}, "motif"},
        TBadCase{"UnknownExtension", {"-o", "capture.txt"}, "format inconnu"},
        TBadCase{"ZeroTimeout", {"--timeout", "0"}, "--timeout attend"},
        TBadCase{"DecoderWithoutData", {"--decode", "spi:clk=1"}, "spi : il faut au moins"},
        TBadCase{"MissingInput", {"--input", "absent.sr", "--measure"}, "lecture impossible"},
        TBadCase{"BadTimeScale", {"--simulate"}, "LA16_SIMULATION_TIME_SCALE attend", "vite"},
        TBadCase{"NegativeTimeScale", {"--simulate"}, "LA16_SIMULATION_TIME_SCALE", "-1"}),
    [](const testing::TestParamInfo<TBadCase>& Info) { return Info.param.Name; });

TEST_F(CaptureTool, HelpGoesToStandardOutput) {
  EXPECT_EQ(Run({"--help"}), CaptureSucceeded);
  EXPECT_EQ(Out.str(), CaptureHelpText());
  EXPECT_TRUE(Err.str().empty());
}

TEST_F(CaptureTool, ListShowsEachAnalyserWithItsAccess) {
  const auto Decoy = PlugDecoyInterface(Platform);
  TSimulatedAnalyserDevice& Open = PlugAnalyser();
  TSimulatedAnalyserDevice Locked(Platform);
  Locked.HidInterface().RefuseWriteAccess(true);
  Locked.Plug();
  EXPECT_EQ(Run({"--list"}), CaptureSucceeded);
  EXPECT_EQ(Out.str(), Open.HidInterface().InterfacePath() +
                           "  04D8:0005  version 1.00  lecture et écriture : oui\n" +
                           Locked.HidInterface().InterfacePath() +
                           "  04D8:0005  version 1.00  lecture et écriture : non (installer la "
                           "règle udev packaging/linux/70-la16.rules)\n");
  EXPECT_TRUE(Open.HidInterface().WrittenReports().empty());
}

TEST_F(CaptureTool, ListWithoutAnalyserFails) {
  const auto Decoy = PlugDecoyInterface(Platform);
  EXPECT_EQ(Run({"--list"}), CaptureNoAnalyser);
  EXPECT_TRUE(Out.str().empty());
  EXPECT_EQ(Err.str(), "la16-capture: " + NoAnalyserFailure(false).Message + "\n");
}

TEST_F(CaptureTool, FailedCaptureLeavesTheExistingFileAlone) {
  const fs::path File = Dir / "capture.vcd";
  std::ofstream(File) << "earlier capture";
  EXPECT_EQ(Run({"-o", File.string()}), CaptureNoAnalyser);
  EXPECT_EQ(Err.str(), "la16-capture: " + NoAnalyserFailure(false).Message + "\n");
  EXPECT_EQ(ReadFile(File), "earlier capture");
  EXPECT_EQ(LeftInDir(), std::vector<std::string>{"capture.vcd"});
}

TEST_F(CaptureTool, UnwritableOutputFailsBeforeTheAnalyserIsTouched) {
  TSimulatedAnalyserDevice& Device = PlugAnalyser();
  for (const std::string& Path : {(Dir / "missing" / "capture.csv").string(), Dir.string() + "/"}) {
    EXPECT_EQ(Run({"--format", "csv", "-o", Path}), CaptureWriteError) << Path;
    EXPECT_EQ(Err.str(), "la16-capture: " + WriteFailure(Path).Message + "\n");
  }
  EXPECT_TRUE(Device.HidInterface().WrittenReports().empty());
  EXPECT_TRUE(LeftInDir().empty());
}

TEST_F(CaptureTool, FullDeviceIsAWriteError) {
  if (::access("/dev/full", W_OK) != 0) {
    GTEST_SKIP() << "no /dev/full";
  }
  PlugAnalyser();
  for (const char* Format : {"vcd", "sr"}) {
    EXPECT_EQ(Run({"--format", Format, "-o", "/dev/full"}), CaptureWriteError) << Format;
    EXPECT_EQ(Err.str(), "la16-capture: " + WriteFailure("/dev/full").Message + "\n");
  }
}

TEST_F(CaptureTool, CsvFileHoldsTheWholeMemory) {
  TSimulatedAnalyserDevice& Device = PlugAnalyser();
  const fs::path File = Dir / "capture.csv";
  std::ofstream(File) << "earlier capture";
  ASSERT_EQ(Run({"--time-base", "5us", "-o", File.string()}), CaptureSucceeded) << Err.str();

  std::vector<std::string> Header;
  const std::vector<exporttest::TCsvRow> Rows = exporttest::ReadCsv(ReadFile(File), Header);
  const std::vector<TSample> Memory = ToVector(Device.Analyser()->Memory());
  ASSERT_EQ(Rows.size(), Memory.size());
  for (std::size_t N = 0; N < Rows.size(); ++N) {
    ASSERT_EQ(Rows[N].Index, static_cast<long long>(N));
    ASSERT_EQ(Rows[N].Sample, Memory[N]) << "sample " << N;
  }
  EXPECT_EQ(Device.Analyser()->State().TimeBaseCode, FindCaptureTimeBase("5us")->Code);
  EXPECT_EQ(LeftInDir(), std::vector<std::string>{"capture.csv"});
  EXPECT_TRUE(Err.str().empty());  // no progress off a terminal
}

TEST_F(CaptureTool, AFileIsMeasuredAndDecodedAtItsMemoryIndices) {
  PlugAnalyser();
  const fs::path File = Dir / "window.csv";
  ASSERT_EQ(Run({"--window", "1200", "-o", File.string()}), CaptureSucceeded) << Err.str();
  ASSERT_EQ(Run({"--input", File.string(), "--measure", "--decode", "pwm:data=15"}),
            CaptureSucceeded)
      << Err.str();
  // The figures of the 16 inputs, then the annotations, and no samples.
  const std::string Report = Out.str();
  EXPECT_TRUE(Report.starts_with(MeasureCsvHeader() + "\n1,")) << Report;
  const std::size_t At = Report.find("16,");
  const std::string Cycles = "\n\n" + AnnotationCsvHeader() + "\n";
  ASSERT_EQ(Report.find(Cycles), Report.find('\n', At)) << Report;
  std::istringstream Lines(Report.substr(Report.find(Cycles) + Cycles.size()));
  std::string Line;
  std::getline(Lines, Line);  // the first, cut by the window's start
  std::getline(Lines, Line);
  EXPECT_GT(std::stol(Line), 1200) << Line;
  EXPECT_NE(Line.find(",pwm,cycle,period=0.001s duty="), std::string::npos) << Line;
}

TEST_F(CaptureTool, WindowGoesToStandardOutputWithItsMemoryIndices) {
  TSimulatedAnalyserDevice& Device = PlugAnalyser();
  ASSERT_EQ(Run({"--window", "1200", "--format", "csv"}), CaptureSucceeded) << Err.str();
  std::vector<std::string> Header;
  const std::vector<exporttest::TCsvRow> Rows = exporttest::ReadCsv(Out.str(), Header);
  const std::vector<TSample> Memory = ToVector(Device.Analyser()->Memory());
  ASSERT_EQ(Rows.size(), 450U);
  for (std::size_t I = 0; I < Rows.size(); ++I) {
    ASSERT_EQ(Rows[I].Index, static_cast<long long>(1200 + I));
    ASSERT_EQ(Rows[I].Sample, Memory[1200 + I]);
  }
}

TEST_F(CaptureTool, ProgressOnATerminal) {
  PlugAnalyser();
  ShowProgress = true;
  ASSERT_EQ(Run({"--window", "3", "-o", (Dir / "w.vcd").string()}), CaptureSucceeded);
  EXPECT_EQ(Err.str(),
            "la16-capture: attente du déclenchement et de l'acquisition…\n"
            "la16-capture: fenêtre 1 sur 1 (position 3)…\n"
            "la16-capture: 450 échantillons écrits dans " +
                (Dir / "w.vcd").string() + "\n");
}

TEST_F(CaptureTool, SimulateIgnoresTheHardwareAndUsesTheSimulatedAnalyser) {
  // The hardware platform has nothing; --simulate brings its own analyser.
  ASSERT_EQ(Run({"--simulate", "--window", "0", "--format", "vcd"}), CaptureSucceeded) << Err.str();
  const exporttest::TVcd Vcd = exporttest::ReadVcd(Out.str());
  EXPECT_EQ(Vcd.InputOfId.size(), 16U);
  EXPECT_EQ(Run({"--simulate", "--list"}), CaptureSucceeded);
  EXPECT_NE(Out.str().find("lecture et écriture : oui"), std::string::npos);
}

// The built program, as a user or a script runs it.
class CaptureExecutable : public CaptureTool {
 protected:
  /// Runs it through the shell with the simulator at full speed; returns its exit status.
  int Execute(const std::vector<std::string>& Arguments) {
    std::string Command = "cd '" + Dir.string() + "' && LA16_SIMULATION_TIME_SCALE=0 '" +
                          std::string(LA16_CAPTURE_EXECUTABLE) + "'";
    for (const std::string& Argument : Arguments) {
      Command += " '" + Argument + "'";
    }
    Command += " > stdout.txt 2> stderr.txt";
    const int Status = std::system(Command.c_str());
    StandardOutput = ReadFile(Dir / "stdout.txt");
    StandardError = ReadFile(Dir / "stderr.txt");
    fs::remove(Dir / "stdout.txt");
    fs::remove(Dir / "stderr.txt");
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  }

  std::string StandardOutput;
  std::string StandardError;
};

TEST_F(CaptureExecutable, WritesAVcdOfTheWholeMemoryThatSigrokReads) {
  ASSERT_EQ(Execute({"--simulate", "--time-base", "1ms", "-o", "capture.vcd"}), 0) << StandardError;
  EXPECT_EQ(StandardError, "");
  const std::string Text = ReadFile(Dir / "capture.vcd");
  const exporttest::TVcd Vcd = exporttest::ReadVcd(Text);
  ASSERT_EQ(Vcd.InputOfId.size(), 16U);
  const TTimeBase& Base = *FindCaptureTimeBase("1ms");
  // The last timestamp ends the last sample.
  EXPECT_EQ(Vcd.Times.back(), SampleTime(Base, WholeMemorySamples, VcdExtraDigits).Count);
  const std::vector<TSample> Samples = VcdSamples(Vcd, Base, WholeMemorySamples);

  // The simulator is exact at full speed: the same run in-process gives
  // the same samples, which this time can be compared with its memory.
  TSimulatedHidPlatform Own;
  TSimulatedAnalyserDevice Device(Own, TSimulatorOptions{0.0, 1});
  Device.Plug();
  {
    TPollMainThreadLoop Loop;
    TCaptureSession Session(Own, Loop);
    auto Parsed = std::get<TCaptureOptions>(ParseCaptureArguments({"--time-base", "1ms"}));
    const auto Result = std::get<TCaptureResult>(Session.Capture(Parsed, nullptr));
    ASSERT_EQ(Result.Samples, ToVector(Device.Analyser()->Memory()));
    EXPECT_EQ(Samples, Result.Samples);
  }

  if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "sigrok-cli is not installed";
  }
  const std::string Sigrok = "cd '" + Dir.string() +
                             "' && sigrok-cli -I vcd -i capture.vcd -O "
                             "csv:dedup=false:label=channel:header=false > sigrok.csv 2>&1";
  ASSERT_EQ(std::system(Sigrok.c_str()), 0) << ReadFile(Dir / "sigrok.csv");
  // One row per timescale unit; the row at each sample's time holds it.
  std::ifstream In(Dir / "sigrok.csv");
  const std::vector<TSample> Rows = exporttest::ReadSigrokCsv(In);
  ASSERT_EQ(static_cast<long long>(Rows.size()), Vcd.Times.back());
  for (int N = 0; N < WholeMemorySamples; ++N) {
    ASSERT_EQ(Rows[static_cast<std::size_t>(SampleTime(Base, N, VcdExtraDigits).Count)],
              Samples[static_cast<std::size_t>(N)])
        << "sample " << N;
  }
}

TEST_F(CaptureExecutable, StatusesAndMessages) {
  EXPECT_EQ(Execute({"--help"}), CaptureSucceeded);
  EXPECT_NE(StandardOutput.find("Codes de sortie"), std::string::npos);

  EXPECT_EQ(Execute({"--time-base", "3ms"}), CaptureBadArguments);
  EXPECT_EQ(StandardError.rfind("la16-capture: --time-base attend", 0), 0U) << StandardError;
  EXPECT_EQ(StandardOutput, "");

  EXPECT_EQ(Execute({"--simulate", "--window", "10", "-o", "nowhere/w.csv"}), CaptureWriteError);
  EXPECT_EQ(StandardError, "la16-capture: " + WriteFailure("nowhere/w.csv").Message + "\n");

  EXPECT_EQ(Execute({"--simulate", "--window", "10", "--format", "csv"}), CaptureSucceeded);
  std::vector<std::string> Header;
  EXPECT_EQ(exporttest::ReadCsv(StandardOutput, Header).size(), 450U);
}

}  // namespace
