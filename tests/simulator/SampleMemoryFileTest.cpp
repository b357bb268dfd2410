// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SampleMemoryFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/CaseNames.h"

namespace {

using CaseNames::PrintTo;

TSampleMemory Pattern() {
  TSampleMemory Memory{};
  for (std::size_t I = 0; I < Memory.size(); ++I) {
    Memory[I] = static_cast<std::uint16_t>(I * 0x9E37 ^ 0xA5C3);
  }
  return Memory;
}

std::string Lines(std::size_t Count, const std::string& Line = "00ff\n") {
  std::string Text;
  for (std::size_t I = 0; I < Count; ++I) {
    Text += Line;
  }
  return Text;
}

TEST(SampleMemoryText, RoundTripsAndTakesEitherCaseCrLfAndNoLastNewline) {
  const TSampleMemory Memory = Pattern();
  const std::string Text = FormatSampleMemory(Memory);
  EXPECT_EQ(Text.size(), 2047U * 5);
  EXPECT_EQ(Text.substr(0, 5), "a5c3\n");
  auto Parsed = ParseSampleMemory(Text);
  ASSERT_TRUE(std::holds_alternative<TSampleMemory>(Parsed)) << std::get<std::string>(Parsed);
  EXPECT_EQ(std::get<TSampleMemory>(Parsed), Memory);

  std::string Other = Lines(2046, "BEEF\r\n") + "0001";
  Parsed = ParseSampleMemory(Other);
  ASSERT_TRUE(std::holds_alternative<TSampleMemory>(Parsed)) << std::get<std::string>(Parsed);
  EXPECT_EQ(std::get<TSampleMemory>(Parsed)[0], 0xBEEF);
  EXPECT_EQ(std::get<TSampleMemory>(Parsed)[2046], 0x0001);
}

struct TFaultCase {
  std::string Name;
  std::string Text;
  std::string Named;  // what the message must say
};

class SampleMemoryFaults : public testing::TestWithParam<TFaultCase> {};

TEST_P(SampleMemoryFaults, AreRefusedNamingTheLine) {
  const auto Parsed = ParseSampleMemory(GetParam().Text);
  ASSERT_TRUE(std::holds_alternative<std::string>(Parsed));
  EXPECT_NE(std::get<std::string>(Parsed).find(GetParam().Named), std::string::npos)
      << std::get<std::string>(Parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleMemoryFaults,
    testing::Values(TFaultCase{"Empty", "", "0 échantillons"},
                    TFaultCase{"OneShort", Lines(2046), "2046 échantillons"},
                    TFaultCase{"OneTooMany", Lines(2048), "ligne 2048"},
                    TFaultCase{"BlankLineAtTheEnd", Lines(2047) + "\n", "ligne 2048"},
                    TFaultCase{"BadDigit", Lines(9) + "00g0\n" + Lines(2037), "ligne 10"},
                    TFaultCase{"FiveDigits", Lines(5) + "0ffff\n" + Lines(2041), "ligne 6"}),
    [](const auto& Info) { return Info.param.Name; });

class SampleMemoryFiles : public testing::Test {
 protected:
  void SetUp() override {
    char Template[] = "/tmp/la16-memory-XXXXXX";
    ASSERT_NE(::mkdtemp(Template), nullptr);
    Folder = Template;
  }
  void TearDown() override { std::filesystem::remove_all(Folder); }
  std::filesystem::path Folder;
};

TEST_F(SampleMemoryFiles, WrittenWholeUnderItsNameAndReadBack) {
  const std::string Path = (Folder / "memory.txt").string();
  std::ofstream(Path) << "stale";
  std::string Error;
  ASSERT_TRUE(WriteSampleMemoryFile(Path, Pattern(), Error)) << Error;
  const auto Read = ReadSampleMemoryFile(Path);
  ASSERT_TRUE(std::holds_alternative<TSampleMemory>(Read)) << std::get<std::string>(Read);
  EXPECT_EQ(std::get<TSampleMemory>(Read), Pattern());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder), {}), 1)
      << "no temporary file is left";
}

TEST_F(SampleMemoryFiles, FailuresNameTheFileAndLeaveNothingBehind) {
  std::string Error;
  const std::string Missing = (Folder / "none" / "memory.txt").string();
  EXPECT_FALSE(WriteSampleMemoryFile(Missing, Pattern(), Error));
  EXPECT_NE(Error.find(Missing), std::string::npos) << Error;
  EXPECT_TRUE(std::filesystem::is_empty(Folder));

  auto Read = ReadSampleMemoryFile(Missing);
  ASSERT_TRUE(std::holds_alternative<std::string>(Read));
  EXPECT_NE(std::get<std::string>(Read).find(Missing), std::string::npos);

  const std::string Bad = (Folder / "bad.txt").string();
  std::ofstream(Bad) << Lines(100);
  Read = ReadSampleMemoryFile(Bad);
  ASSERT_TRUE(std::holds_alternative<std::string>(Read));
  EXPECT_NE(std::get<std::string>(Read).find("bad.txt : 100 échantillons"), std::string::npos)
      << std::get<std::string>(Read);

  const std::string Huge = (Folder / "huge.txt").string();
  std::ofstream(Huge) << std::string(MaxSampleMemoryFileBytes + 10, '0');
  Read = ReadSampleMemoryFile(Huge);
  ASSERT_TRUE(std::holds_alternative<std::string>(Read));
  EXPECT_NE(std::get<std::string>(Read).find("trop long"), std::string::npos);
}

}  // namespace
