// SPDX-License-Identifier: GPL-3.0-or-later
// The VCD the capture tool writes, read by another program: sigrok-cli turns
// it into one row per timescale unit, which must show every sample's value
// for the whole of that sample's time.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/tools/ExportReaders.h"
#include "acquisition/SampleExport.h"

namespace {

std::string FindInPath(const std::string& Program) {
  const char* Path = std::getenv("PATH");
  std::stringstream Dirs(Path != nullptr ? Path : "/usr/bin:/bin");
  std::string Dir;
  while (std::getline(Dirs, Dir, ':')) {
    const std::string Candidate = (Dir.empty() ? "." : Dir) + "/" + Program;
    if (::access(Candidate.c_str(), X_OK) == 0) {
      return Candidate;
    }
  }
  return {};
}

}  // namespace

TEST(SigrokInterop, SigrokReadsBackEverySampleOfTheWholeMemory) {
  const std::string Sigrok = FindInPath("sigrok-cli");
  if (Sigrok.empty()) {
    GTEST_SKIP() << "sigrok-cli is not installed";
  }
  const std::filesystem::path Dir =
      std::filesystem::path(testing::TempDir()) / ("la16-sigrok-" + std::to_string(::getpid()));
  std::filesystem::create_directories(Dir);
  const std::filesystem::path VcdFile = Dir / "capture.vcd";
  const std::filesystem::path CsvFile = Dir / "capture.csv";

  const TTimeBase& Base = *FindTimeBase(DefaultTimeBaseIndex);
  const std::vector<TSample> Samples = exporttest::TogglingSamples(WholeMemorySamples, 11);
  TExportInfo Info;
  Info.TimeBase = &Base;
  Info.Date = "2024-03-09 14:05:00";
  Info.Version = "la16-capture 1.6";
  {
    std::ofstream Out(VcdFile, std::ios::binary);
    ASSERT_TRUE(WriteVcd(Out, Samples, Info));
  }
  const std::string Command = Sigrok + " -I vcd -i '" + VcdFile.string() +
                              "' -O csv:dedup=false:label=channel:header=false > '" +
                              CsvFile.string() + "' 2>&1";
  ASSERT_EQ(std::system(Command.c_str()), 0) << Command;

  std::ifstream In(CsvFile);
  const std::vector<TSample> Rows = exporttest::ReadSigrokCsv(In);
  // One row per unit of the timescale, up to the end of the last sample.
  const auto End = SampleTime(Base, WholeMemorySamples, VcdExtraDigits).Count;
  ASSERT_EQ(static_cast<long long>(Rows.size()), End);
  std::size_t N = 0;
  for (long long Row = 0; Row < End; ++Row) {
    while (N + 1 < Samples.size() && SampleTime(Base, N + 1, VcdExtraDigits).Count <= Row) {
      ++N;
    }
    ASSERT_EQ(Rows[static_cast<std::size_t>(Row)], Samples[N]) << "row " << Row << ", sample " << N;
  }
  std::filesystem::remove_all(Dir);
}
