// The sigrok session writer: the exact samplerate of every time base, and an
// archive whose entries hold what sigrok reads, as the zip library reads them back.
#include "tools/SigrokSession.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/CaseNames.h"
#include "tests/tools/ExportReaders.h"
#include "tests/tools/SigrokReaders.h"
#include "tools/CaptureOptions.h"

namespace {

using CaseNames::PrintTo;

struct TRateCase {
  const char* Name;  ///< the time base
  std::int64_t Hertz;
  const char* Text;
};

// 30 samples per division at every time base.
constexpr TRateCase RateCases[] = {
    {"1us", 30'000'000, "30 MHz"}, {"2us", 15'000'000, "15 MHz"},  {"5us", 6'000'000, "6 MHz"},
    {"10us", 3'000'000, "3 MHz"},  {"20us", 1'500'000, "1.5 MHz"}, {"50us", 600'000, "600 kHz"},
    {"100us", 300'000, "300 kHz"}, {"200us", 150'000, "150 kHz"},  {"500us", 60'000, "60 kHz"},
    {"1ms", 30'000, "30 kHz"},     {"2ms", 15'000, "15 kHz"},      {"5ms", 6'000, "6 kHz"},
    {"10ms", 3'000, "3 kHz"},      {"20ms", 1'500, "1.5 kHz"},     {"50ms", 600, "600 Hz"},
    {"100ms", 300, "300 Hz"},      {"200ms", 150, "150 Hz"},       {"500ms", 60, "60 Hz"},
};

class SigrokSampleRate : public testing::TestWithParam<TRateCase> {};

TEST_P(SigrokSampleRate, IsThirtySamplesPerDivisionExactly) {
  const TTimeBase* Base = FindCaptureTimeBase(GetParam().Name);
  ASSERT_NE(Base, nullptr);
  EXPECT_EQ(SampleRateHz(*Base), GetParam().Hertz);
  TExportInfo Info;
  Info.TimeBase = Base;
  EXPECT_EQ(sigroktest::IniValue(SigrokMetadata(10, Info), "device 1", "samplerate"),
            GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(EveryTimeBase, SigrokSampleRate, testing::ValuesIn(RateCases));

TEST(SigrokSampleRate, TheTableCoversEveryTimeBaseAndTextsKeepEveryDigit) {
  ASSERT_EQ(std::size(RateCases), TimeBaseTable.size());
  for (std::size_t I = 0; I < TimeBaseTable.size(); ++I) {
    EXPECT_EQ(FindCaptureTimeBase(RateCases[I].Name), &TimeBaseTable[I]);
  }
  EXPECT_EQ(SigrokSampleRateText(999), "999 Hz");
  EXPECT_EQ(SigrokSampleRateText(1000), "1 kHz");
  EXPECT_EQ(SigrokSampleRateText(1001), "1.001 kHz");
  EXPECT_EQ(SigrokSampleRateText(1'250'000), "1.25 MHz");
  EXPECT_EQ(SigrokSampleRateText(2'500'000'000), "2.5 GHz");
}

TEST(SigrokSession, ArchiveHoldsVersionMetadataAndLittleEndianSamples) {
  // Both bytes of every sample vary, so a swapped byte order shows.
  const std::vector<TSample> Samples = exporttest::TogglingSamples(450, 5);
  TExportInfo Info;
  Info.TimeBase = FindCaptureTimeBase("20us");
  Info.FirstIndex = 1200;
  Info.Date = "2024-03-09 14:05:00";
  Info.Version = "la16-capture 1.6";
  std::ostringstream Out;
  ASSERT_TRUE(WriteSigrokSession(Out, Samples, Info));

  const auto Entries = sigroktest::ZipEntries(Out.str());
  ASSERT_TRUE(Entries.has_value());
  ASSERT_EQ(Entries->size(), 3U);
  EXPECT_EQ(Entries->at("version"), "2");
  const std::string& Logic = Entries->at("logic-1-1");
  ASSERT_EQ(Logic.size(), 900U);
  EXPECT_EQ(static_cast<unsigned char>(Logic[0]), Samples[0] & 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(Logic[1]), Samples[0] >> 8);
  EXPECT_EQ(sigroktest::Words(Logic), Samples);

  const std::string& Metadata = Entries->at("metadata");
  using sigroktest::IniValue;
  EXPECT_TRUE(IniValue(Metadata, "global", "sigrok version").has_value());
  EXPECT_EQ(IniValue(Metadata, "device 1", "capturefile"), "logic-1");
  EXPECT_EQ(IniValue(Metadata, "device 1", "total probes"), "16");
  EXPECT_EQ(IniValue(Metadata, "device 1", "unitsize"), "2");
  EXPECT_EQ(IniValue(Metadata, "device 1", "samplerate"), "1.5 MHz");
  for (int Input = 1; Input <= 16; ++Input) {
    EXPECT_EQ(IniValue(Metadata, "device 1", "probe" + std::to_string(Input)),
              "in" + std::to_string(Input));
  }
  EXPECT_EQ(IniValue(Metadata, "la16", "time base"), "20µs");
  EXPECT_EQ(IniValue(Metadata, "la16", "first memory index"), "1200");
  EXPECT_EQ(IniValue(Metadata, "la16", "samples"), "450");
  EXPECT_EQ(IniValue(Metadata, "la16", "date"), Info.Date);
}

TEST(SigrokSession, AStreamThatFailsIsReported) {
  const std::vector<TSample> Samples(2047, 0x8001);
  std::ostringstream Broken;
  Broken.setstate(std::ios::badbit);
  EXPECT_FALSE(WriteSigrokSession(Broken, Samples, TExportInfo{}));
  // No samples at all still make a whole archive, with empty logic data.
  const auto Empty = BuildSigrokSession({}, TExportInfo{});
  ASSERT_TRUE(Empty.has_value());
  const auto Entries = sigroktest::ZipEntries(*Empty);
  ASSERT_TRUE(Entries.has_value());
  EXPECT_EQ(Entries->at("logic-1-1"), "");
  EXPECT_EQ(sigroktest::IniValue(Entries->at("metadata"), "la16", "samples"), "0");
}

}  // namespace
