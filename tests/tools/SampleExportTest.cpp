// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/SampleExport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <streambuf>

#include "tests/tools/ExportReaders.h"

using exporttest::ReadCsv;
using exporttest::ReadVcd;
using exporttest::TogglingSamples;

namespace {

TExportInfo InfoFor(const TTimeBase& Base, int FirstIndex = 0) {
  TExportInfo Info;
  Info.TimeBase = &Base;
  Info.FirstIndex = FirstIndex;
  Info.Date = "2024-03-09 14:05:00";
  Info.Version = "la16-capture 1.6";
  return Info;
}

std::string Vcd(const std::vector<TSample>& Samples, const TExportInfo& Info) {
  std::ostringstream Out;
  EXPECT_TRUE(WriteVcd(Out, Samples, Info));
  return Out.str();
}

std::string Csv(const std::vector<TSample>& Samples, const TExportInfo& Info) {
  std::ostringstream Out;
  EXPECT_TRUE(WriteCsv(Out, Samples, Info));
  return Out.str();
}

std::string BaseName(const testing::TestParamInfo<TTimeBase>& Info) {
  std::string Name = "Index" + std::to_string(Info.param.Index);
  return Name;
}

}  // namespace

void PrintTo(const TTimeBase& Base, std::ostream* Os) {
  *Os << Base.Caption;
}

// Every time base: the whole memory goes out and comes back, and sample n
// sits at n periods, to within the rounding of one timestamp.
class ExportEveryTimeBase : public testing::TestWithParam<TTimeBase> {};

TEST_P(ExportEveryTimeBase, VcdGivesBackEverySampleAtNTimesThePeriod) {
  const TTimeBase& Base = GetParam();
  const std::vector<TSample> Samples = TogglingSamples(WholeMemorySamples, Base.Index);
  const exporttest::TVcd Parsed = ReadVcd(Vcd(Samples, InfoFor(Base)));

  ASSERT_EQ(Parsed.InputOfId.size(), 16U);
  EXPECT_TRUE(Parsed.DumpvarsAtZero);
  // Input 16 toggles at every sample, so there is one timestamp per sample
  // and one more for the end of the last sample.
  ASSERT_EQ(Parsed.Times.size(), Samples.size() + 1);
  const double Unit = Parsed.UnitSeconds();
  const double Period = SecondsPerSample(Base);
  EXPECT_GE(Period / Unit, 300.0) << "timescale too coarse for the period";
  for (std::size_t N = 0; N <= Samples.size(); ++N) {
    const double Seconds = static_cast<double>(Parsed.Times[N]) * Unit;
    ASSERT_LE(std::fabs(Seconds - static_cast<double>(N) * Period), Unit / 2) << "sample " << N;
    if (N < Samples.size()) {
      ASSERT_EQ(Parsed.States[N], Samples[N]) << "sample " << N;
    }
  }
}

TEST_P(ExportEveryTimeBase, CsvGivesBackEverySampleAtNTimesThePeriod) {
  const TTimeBase& Base = GetParam();
  const std::vector<TSample> Samples = TogglingSamples(SamplesPerWindow, Base.Index + 100);
  std::vector<std::string> Header;
  const auto Rows = ReadCsv(Csv(Samples, InfoFor(Base, 450)), Header);

  ASSERT_EQ(Rows.size(), Samples.size());
  const double Period = SecondsPerSample(Base);
  for (std::size_t N = 0; N < Rows.size(); ++N) {
    EXPECT_EQ(Rows[N].Index, 450 + static_cast<long long>(N));
    ASSERT_NEAR(Rows[N].Seconds, static_cast<double>(N) * Period, Period * 1e-5) << "row " << N;
    ASSERT_EQ(Rows[N].Sample, Samples[N]) << "row " << N;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ExportEveryTimeBase, testing::ValuesIn(TimeBaseTable), BaseName);

struct TTimeCase {
  int BaseIndex;
  std::int64_t N;
  int ExtraDigits;
  std::int64_t Count;
  int Exponent;
};

class SampleTimes : public testing::TestWithParam<TTimeCase> {};

// Times that adding up a rounded period would get wrong: three samples at
// 1 ms per division are exactly 100 µs, not 3 × 333 units of 100 ns.
TEST_P(SampleTimes, ComeFromTheIndexAlone) {
  const TTimeCase& Case = GetParam();
  const TScaledTime Time = SampleTime(*FindTimeBase(Case.BaseIndex), Case.N, Case.ExtraDigits);
  EXPECT_EQ(Time.Count, Case.Count);
  EXPECT_EQ(Time.Exponent, Case.Exponent);
}

INSTANTIATE_TEST_SUITE_P(Table, SampleTimes,
                         testing::Values(TTimeCase{13, 3, VcdExtraDigits, 1000, -7},
                                         TTimeCase{13, 1, VcdExtraDigits, 333, -7},
                                         TTimeCase{13, 2, VcdExtraDigits, 667, -7},
                                         TTimeCase{4, 2046, VcdExtraDigits, 682000, -10},
                                         TTimeCase{15, 1, VcdExtraDigits, 1667, -7},
                                         TTimeCase{21, 2047, VcdExtraDigits, 3411667, -5},
                                         TTimeCase{21, 2046, CsvExtraDigits, 3410000000, -8},
                                         TTimeCase{4, 1, CsvExtraDigits, 333333, -13}));

TEST(VcdTimescale, NamesTheUnitWithOneTenOrAHundred) {
  EXPECT_EQ(VcdTimescale(-10), "100 ps");
  EXPECT_EQ(VcdTimescale(-9), "1 ns");
  EXPECT_EQ(VcdTimescale(-8), "10 ns");
  EXPECT_EQ(VcdTimescale(-7), "100 ns");
  EXPECT_EQ(VcdTimescale(-6), "1 us");
  EXPECT_EQ(VcdTimescale(-5), "10 us");
  EXPECT_EQ(VcdTimescale(0), "1 s");
}

TEST(VcdExport, HeaderDeclaresSixteenWiresAndOnlyChangesFollowTimeZero) {
  std::vector<TSample> Samples(40, 0x00A5);
  Samples[10] = 0x00A4;  // input 1 falls at sample 10
  Samples[11] = 0x80A4;  // input 16 rises at sample 11
  for (std::size_t N = 12; N < Samples.size(); ++N) {
    Samples[N] = 0x80A4;
  }
  const std::string Text = Vcd(Samples, InfoFor(*FindTimeBase(DefaultTimeBaseIndex), 900));
  const exporttest::TVcd Parsed = ReadVcd(Text);

  EXPECT_EQ(Parsed.Sections.at("$date"), "2024-03-09 14:05:00");
  EXPECT_EQ(Parsed.Sections.at("$version"), "la16-capture 1.6");
  EXPECT_EQ(Parsed.Sections.at("$timescale"), "100 ns");
  EXPECT_EQ(Parsed.Sections.at("$scope"), "module la16");
  EXPECT_NE(Parsed.Sections.at("$comment").find("Time/Div : 1ms"), std::string::npos);
  EXPECT_NE(Parsed.Sections.at("$comment").find("memory index 900"), std::string::npos);
  for (int Input = 1; Input <= 16; ++Input) {
    int Count = 0;
    for (const auto& [Id, Wire] : Parsed.InputOfId) {
      Count += Wire == Input ? 1 : 0;
    }
    EXPECT_EQ(Count, 1) << "in" << Input;
  }
  EXPECT_EQ(Parsed.ChangesAfterZero, 2);
  EXPECT_EQ(Parsed.Times, (std::vector<long long>{0, 3333, 3667, 13333}));
  EXPECT_EQ(Parsed.States, (std::vector<TSample>{0x00A5, 0x00A4, 0x80A4, 0x80A4}));
}

TEST(VcdExport, NoSamplesGivesAHeaderOnly) {
  const exporttest::TVcd Parsed = ReadVcd(Vcd({}, InfoFor(*FindTimeBase(4))));
  EXPECT_EQ(Parsed.InputOfId.size(), 16U);
  EXPECT_TRUE(Parsed.Times.empty());
}

TEST(CsvExport, HeaderAndExactFixedPointTimes) {
  const std::vector<TSample> Samples = {0x0001, 0x8000, 0xFFFF};
  std::vector<std::string> Header;
  const auto Rows = ReadCsv(Csv(Samples, InfoFor(*FindTimeBase(21))), Header);
  std::vector<std::string> Expected = {"sample", "time_s"};
  for (int Input = 1; Input <= 16; ++Input) {
    Expected.push_back("in" + std::to_string(Input));
  }
  EXPECT_EQ(Header, Expected);
  ASSERT_EQ(Rows.size(), 3U);
  EXPECT_EQ(Rows[0].TimeText, "0.00000000");
  EXPECT_EQ(Rows[1].TimeText, "0.01666667");
  EXPECT_EQ(Rows[2].TimeText, "0.03333333");
  EXPECT_EQ(Rows[1].Sample, 0x8000);
  EXPECT_EQ(Rows[2].Sample, 0xFFFF);

  const auto Fast = ReadCsv(Csv(Samples, InfoFor(*FindTimeBase(4))), Header);
  EXPECT_EQ(Fast[2].TimeText, "0.0000000666667");
}

namespace {

// A stream buffer that takes Capacity bytes and then refuses, like a full disk.
class TFullDisk : public std::streambuf {
 public:
  explicit TFullDisk(std::size_t Capacity) : Room(Capacity) {}

 protected:
  std::streamsize xsputn(const char*, std::streamsize Count) override {
    const auto Taken = std::min<std::streamsize>(Count, static_cast<std::streamsize>(Room));
    Room -= static_cast<std::size_t>(Taken);
    return Taken;
  }
  int_type overflow(int_type Ch) override {
    if (Room == 0 || traits_type::eq_int_type(Ch, traits_type::eof())) {
      return traits_type::eof();
    }
    --Room;
    return Ch;
  }

 private:
  std::size_t Room;
};

}  // namespace

// Capacity of the full disk: a number of bytes, or negative to count back
// from the end of the complete output (-1 refuses only the very last byte).
class ExportWriteErrors : public testing::TestWithParam<long> {};

TEST_P(ExportWriteErrors, AreReportedWhereverTheyHappen) {
  const std::vector<TSample> Samples = TogglingSamples(WholeMemorySamples, 7);
  const TExportInfo Info = InfoFor(*FindTimeBase(DefaultTimeBaseIndex));
  using TWriter = bool (*)(std::ostream&, std::span<const TSample>, const TExportInfo&);
  for (TWriter Write : {&WriteVcd, &WriteCsv}) {
    std::ostringstream Complete;
    ASSERT_TRUE(Write(Complete, Samples, Info));
    const long Size = static_cast<long>(Complete.str().size());
    TFullDisk Disk(static_cast<std::size_t>(GetParam() >= 0 ? GetParam() : Size + GetParam()));
    std::ostream Out(&Disk);
    EXPECT_FALSE(Write(Out, Samples, Info)) << "output of " << Size << " bytes";
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ExportWriteErrors, testing::Values(0L, 100L, -1L));

TEST(ExportWriteErrors, AStreamWithRoomSucceeds) {
  const std::vector<TSample> Samples = TogglingSamples(100, 8);
  TFullDisk Disk(1 << 20);
  std::ostream Out(&Disk);
  EXPECT_TRUE(WriteVcd(Out, Samples, InfoFor(*FindTimeBase(4))));
  EXPECT_TRUE(WriteCsv(Out, Samples, InfoFor(*FindTimeBase(4))));
}
