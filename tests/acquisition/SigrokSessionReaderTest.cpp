// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/SigrokSessionReader.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/SigrokSession.h"

namespace {

std::vector<TSample> Ramp(std::size_t Count) {
  std::vector<TSample> Samples(Count);
  for (std::size_t I = 0; I < Count; ++I) {
    Samples[I] = static_cast<TSample>(I * 40503U);
  }
  return Samples;
}

// An archive of the given entries, as another writer would make it.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& Entries) {
  zip_error_t Error;
  zip_error_init(&Error);
  zip_source_t* Buffer = zip_source_buffer_create(nullptr, 0, 0, &Error);
  zip_t* Archive = zip_open_from_source(Buffer, ZIP_TRUNCATE, &Error);
  zip_source_keep(Buffer);
  for (const auto& [Name, Data] : Entries) {
    zip_file_add(Archive, Name.c_str(), zip_source_buffer(Archive, Data.data(), Data.size(), 0), 0);
  }
  zip_close(Archive);
  zip_stat_t Stat;
  zip_source_stat(Buffer, &Stat);
  std::string Bytes(Stat.size, '\0');
  zip_source_open(Buffer);
  zip_source_read(Buffer, Bytes.data(), Bytes.size());
  zip_source_close(Buffer);
  zip_source_free(Buffer);
  zip_error_fini(&Error);
  return Bytes;
}

std::string Metadata(const std::string& Rate, int Probes, int UnitSize) {
  return "[global]\nsigrok version=0.5.2\n\n[device 1]\ncapturefile=logic-1\ntotal probes=" +
         std::to_string(Probes) + "\nsamplerate=" + Rate +
         "\ntotal analog=0\nprobe1=D0\nunitsize=" + std::to_string(UnitSize) + "\n";
}

TEST(SigrokSessionReader, ReadsBackWhatTheWindowAndLa16CaptureWrite) {
  const std::vector<TSample> Samples = Ramp(WholeMemorySamples);
  TExportInfo Info;
  Info.TimeBase = FindTimeBaseByCaption("200µs");
  Info.FirstIndex = 0;
  Info.Trigger = RecordedTriggerText(TTriggerMode::InternalEqual);
  Info.TriggerPattern = 0xA5;
  Info.Pull = RecordedPullText(TPull::Down);
  const auto Read = ReadSigrokSession(*BuildSigrokSession(Samples, Info), "a.sr");
  const auto* Capture = std::get_if<TOpenedCapture>(&Read);
  ASSERT_NE(Capture, nullptr) << std::get<TCaptureFileFailure>(Read).Message;
  EXPECT_EQ(Capture->Samples, Samples);
  EXPECT_EQ(Capture->TimeBase, Info.TimeBase);
  EXPECT_EQ(Capture->TriggerMode, TTriggerMode::InternalEqual);
  EXPECT_EQ(Capture->TriggerPattern, 0xA5);
  EXPECT_EQ(Capture->Pull, TPull::Down);

  // la16-capture records neither trigger nor pull: none is shown.
  TExportInfo Tool;
  Tool.FirstIndex = 450;
  const auto Window = std::get<TOpenedCapture>(
      ReadSigrokSession(*BuildSigrokSession(std::span(Samples).first(450), Tool), "w.sr"));
  EXPECT_EQ(Window.TriggerMode, TTriggerMode::None);
  EXPECT_EQ(Window.Pull, TPull::None);
  EXPECT_EQ(Window.FirstIndex, 450);
  EXPECT_EQ(Window.TimeBase, FindTimeBase(DefaultTimeBaseIndex));
}

TEST(SigrokSessionReader, TakesAnotherWritersChunksChannelsAndUnitSize) {
  // 4 probes in one byte per sample, split over two chunks: inputs 5-16 read
  // low even where the byte has bits set above the probes.
  std::string First(300, '\xF3');
  std::string Second(200, '\x0C');
  const auto Read = ReadSigrokSession(Zip({{"version", "2"},
                                           {"metadata", Metadata("1.5 kHz", 4, 1)},
                                           {"logic-1-1", First},
                                           {"logic-1-2", Second}}),
                                      "pv.sr");
  const auto* Capture = std::get_if<TOpenedCapture>(&Read);
  ASSERT_NE(Capture, nullptr) << std::get<TCaptureFileFailure>(Read).Message;
  ASSERT_EQ(Capture->Samples.size(), 500U);
  EXPECT_EQ(Capture->Samples[0], 0x3);
  EXPECT_EQ(Capture->Samples[499], 0xC);
  EXPECT_EQ(Capture->TimeBase, FindTimeBaseByCaption("20ms"));
  EXPECT_EQ(Capture->TriggerMode, TTriggerMode::None);

  // 24 probes in three bytes: the first 16 are kept.
  const auto Wide = std::get<TOpenedCapture>(
      ReadSigrokSession(Zip({{"version", "2"},
                             {"metadata", Metadata("30MHz", 24, 3)},
                             {"logic-1-1", std::string("\x34\x12\xFF", 3)}}),
                        "wide.sr"));
  EXPECT_EQ(Wide.Samples, std::vector<TSample>{0x1234});
}

struct TBadFile {
  const char* Name;
  std::function<std::string()> Bytes;
  TCaptureFileProblem Problem;
  const char* Message;
};

class BadFiles : public testing::TestWithParam<TBadFile> {};

TEST_P(BadFiles, AreRefusedWithTheirMessage) {
  const auto Read = ReadSigrokSession(GetParam().Bytes(), "f.sr");
  const auto* Failure = std::get_if<TCaptureFileFailure>(&Read);
  ASSERT_NE(Failure, nullptr);
  EXPECT_EQ(Failure->Problem, GetParam().Problem);
  EXPECT_EQ(Failure->Message, GetParam().Message);
}

std::string Good() {
  TExportInfo Info;
  return *BuildSigrokSession(Ramp(2047), Info);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadFiles,
    testing::Values(
        TBadFile{"Bitmap", [] { return std::string("BM\x36\x10\x00\x00", 6); },
                 TCaptureFileProblem::NotASession, "« f.sr » n'est pas une session sigrok (.sr)."},
        TBadFile{"ZipWithoutMetadata",
                 [] {
                   return Zip({{"readme", "x"}});
                 },
                 TCaptureFileProblem::NotASession, "« f.sr » n'est pas une session sigrok (.sr)."},
        TBadFile{"AnalogOnly",
                 [] {
                   return Zip({{"version", "2"},
                               {"metadata", "[device 1]\nsamplerate=1 MHz\ntotal analog=1\n"}});
                 },
                 TCaptureFileProblem::NoLogicData,
                 "La session « f.sr » ne contient aucune donnée logique."},
        TBadFile{"NoSamples",
                 [] {
                   return Zip({{"version", "2"}, {"metadata", Metadata("1.5 MHz", 8, 1)}});
                 },
                 TCaptureFileProblem::NoLogicData,
                 "La session « f.sr » ne contient aucune donnée logique."},
        TBadFile{"RateOfNoTimeBase",
                 [] {
                   return Zip({{"version", "2"},
                               {"metadata", Metadata("24 MHz", 8, 1)},
                               {"logic-1-1", "abc"}});
                 },
                 TCaptureFileProblem::UnsupportedSampleRate,
                 "La fréquence d'échantillonnage de « f.sr » (24 MHz) ne correspond à aucune "
                 "base de temps de l'analyseur (30 échantillons par division, de 1µs à 500ms)."},
        TBadFile{"Truncated", [] { return Good().substr(0, Good().size() / 2); },
                 TCaptureFileProblem::Damaged, "La session « f.sr » est tronquée ou endommagée."},
        TBadFile{"SampleBitFlipped",
                 [] {
                   // The logic entry is stored last: a byte in its data
                   // breaks its checksum (or its compressed stream).
                   std::string Bytes = Good();
                   Bytes[Bytes.find("logic-1-1") + 40] ^= 0x10;
                   return Bytes;
                 },
                 TCaptureFileProblem::Damaged, "La session « f.sr » est tronquée ou endommagée."},
        TBadFile{"Huge", [] { return std::string(MaxCaptureFileBytes + 1, 'P'); },
                 TCaptureFileProblem::TooLarge,
                 "« f.sr » est trop volumineux pour une capture de l'analyseur (plus de 64 Mo)."}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(SigrokSessionReader, SampleRateTexts) {
  EXPECT_EQ(ParseSigrokSampleRate("30 MHz"), 30'000'000U);
  EXPECT_EQ(ParseSigrokSampleRate("1.5 kHz"), 1'500U);
  EXPECT_EQ(ParseSigrokSampleRate("60Hz"), 60U);
  EXPECT_EQ(ParseSigrokSampleRate("150000"), 150'000U);
  EXPECT_EQ(ParseSigrokSampleRate("0.5 Hz"), 0U);
  EXPECT_EQ(ParseSigrokSampleRate("MHz"), 0U);
  EXPECT_EQ(ParseSigrokSampleRate("3 parsecs"), 0U);
  for (const TTimeBase& Base : TimeBaseTable) {
    EXPECT_EQ(TimeBaseOfSampleRate(ParseSigrokSampleRate(SigrokSampleRateText(SampleRateHz(Base)))),
              &Base)
        << Base.Caption;
  }
}

}  // namespace
