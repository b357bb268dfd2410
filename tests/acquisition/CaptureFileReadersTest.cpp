// SPDX-License-Identifier: GPL-3.0-or-later
// VCD and CSV captures read back: la16's own exports sample for sample, other
// writers' texts, any rate only when asked for, and a clear failure otherwise.
#include <gtest/gtest.h>

#include <sstream>

#include "acquisition/CaptureFileReaders.h"
#include "acquisition/SampleExport.h"

TEST(CaptureFileReaders, La16sExportsReadBackAsWritten) {
  std::vector<TSample> Samples;
  for (unsigned N = 0; N < 2047; ++N) {
    Samples.push_back(static_cast<TSample>(N * 0x9E37U >> 3));
  }
  for (int Index : {4, 13, 21}) {
    for (const char* Name : {"a.vcd", "a.CSV"}) {
      TExportInfo Info;
      Info.TimeBase = FindTimeBase(Index);
      Info.FirstIndex = 40;
      std::ostringstream Out;
      ASSERT_TRUE(Name[2] == 'v' ? WriteVcd(Out, Samples, Info) : WriteCsv(Out, Samples, Info));
      const auto Read = ReadCaptureFile(Out.str(), Name);
      const auto* Capture = std::get_if<TOpenedCapture>(&Read);
      ASSERT_NE(Capture, nullptr) << Name << ": " << std::get<TCaptureFileFailure>(Read).Message;
      EXPECT_EQ(Capture->TimeBase, Info.TimeBase) << Name;
      EXPECT_EQ(Capture->FirstIndex, 40) << Name;
      EXPECT_EQ(Capture->Samples, Samples) << Name << " at " << Index;
    }
  }
}

TEST(CaptureFileReaders, OtherWritersAndBadFiles) {
  const struct {
    const char* Name;
    const char* Text;
    TSampleRates Rates;
    const char* Failure;  // nullptr: read, Levels expected
    std::vector<TSample> Levels;
    double Rate;
  } Rows[] = {
      {"s.vcd",
       "$comment Acquisition with 2/2 channels at 30 kHz $end $timescale 100 ns $end\n"
       "$var wire 1 ! D0 $end $var wire 1 \" D1 $end $enddefinitions $end\n"
       "#0 0! 1\" #667 1! #1333 0\" #2000 0!",
       TSampleRates::TimeBasesOnly,
       nullptr,
       {2, 2, 3, 3, 1, 1, 0},
       30e3},
      {"g.vcd",
       "$timescale 1us $end $var wire 1 a x $end $enddefinitions $end #0 1a #5 0a #15 1a",
       TSampleRates::Any,
       nullptr,
       {1, 0, 0, 1},
       200e3},
      {"g.vcd",
       "$timescale 1us $end $var wire 1 a x $end $enddefinitions $end #0 1a #5 0a",
       TSampleRates::TimeBasesOnly,
       "(200000 Hz) ne correspond à aucune base de temps",
       {},
       0},
      {"s.csv",
       "; Samplerate: 60 Hz\nlogic,logic\n0,1\n1,1\n",
       TSampleRates::TimeBasesOnly,
       nullptr,
       {2, 3},
       60},
      {"t.csv",
       "microseconds,a,b\n0,1,0\n2,0,1\n4,1,1\n",
       TSampleRates::Any,
       nullptr,
       {1, 2, 3},
       500e3},
      {"t.csv",
       "0,1\n",
       TSampleRates::Any,
       "« t.csv » n'est pas une capture lisible : aucune fréquence",
       {},
       0},
      {"t.csv", "time_s,a\n0,1\n1e-3,2\n", TSampleRates::Any, "ligne 3 : niveau autre que", {}, 0},
      {"t.vcd", "$var wire 1 a x $end", TSampleRates::Any, "en-tête VCD sans $timescale", {}, 0},
      {"t.vcd",
       "$timescale 1us $end $var wire 1 a x $end $enddefinitions $end #5 1a #2 0a",
       TSampleRates::Any,
       "horodatage invalide ou en arrière #2",
       {},
       0},
      {"t.txt",
       "0,1\n",
       TSampleRates::Any,
       "ni une session sigrok (.sr), ni un fichier VCD",
       {},
       0},
  };
  for (const auto& Row : Rows) {
    const auto Read = ReadCaptureFile(Row.Text, Row.Name, Row.Rates);
    if (Row.Failure != nullptr) {
      ASSERT_TRUE(std::holds_alternative<TCaptureFileFailure>(Read)) << Row.Text;
      EXPECT_NE(std::get<TCaptureFileFailure>(Read).Message.find(Row.Failure), std::string::npos)
          << std::get<TCaptureFileFailure>(Read).Message;
      continue;
    }
    const auto* Capture = std::get_if<TOpenedCapture>(&Read);
    ASSERT_NE(Capture, nullptr) << Row.Text << ": " << std::get<TCaptureFileFailure>(Read).Message;
    EXPECT_EQ(Capture->Samples, Row.Levels) << Row.Text;
    EXPECT_NEAR(1 / Capture->SecondsPerSample, Row.Rate, Row.Rate * 1e-9) << Row.Text;
    EXPECT_EQ(Capture->TimeBase != nullptr, Row.Rates == TSampleRates::TimeBasesOnly) << Row.Text;
  }
}
