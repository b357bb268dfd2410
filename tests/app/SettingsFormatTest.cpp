// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsFormat.h"
#include "tests/support/CaseNames.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {
using CaseNames::PrintTo;
// The first lines a parse gives, then a check that every later line is empty.
void ExpectLines(const TSettings& Settings, const std::vector<std::string>& First) {
  for (int N = 1; N <= SettingsLineCount; ++N) {
    const std::size_t Index = static_cast<std::size_t>(N - 1);
    const std::string Expected = Index < First.size() ? First[Index] : std::string();
    EXPECT_EQ(Settings.Line(N), Expected) << "line " << N;
  }
}

std::string NumberedLines(int Count, const char* Ending) {
  std::string Bytes;
  for (int N = 1; N <= Count; ++N) {
    Bytes += "line" + std::to_string(N) + Ending;
  }
  return Bytes;
}

struct TParseCase {
  const char* Name;
  std::string Bytes;
  std::vector<std::string> Lines;
};

class SettingsParse : public testing::TestWithParam<TParseCase> {};

TEST_P(SettingsParse, ReadsTheLinesItHolds) {
  ExpectLines(ParseSettings(GetParam().Bytes), GetParam().Lines);
}

TEST_P(SettingsParse, GivesTheSameLinesWhateverPiecesTheBytesComeIn) {
  const std::string& Bytes = GetParam().Bytes;
  const TSettings Whole = ParseSettings(Bytes);
  for (std::size_t Cut = 0; Cut <= Bytes.size(); ++Cut) {
    TSettingsReader Reader;
    Reader.Feed(std::string_view(Bytes).substr(0, Cut));
    Reader.Feed(std::string_view(Bytes).substr(Cut));
    EXPECT_EQ(Reader.Result(), Whole) << "cut at " << Cut;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SettingsParse,
    testing::Values(
        TParseCase{"Empty", "", {}}, TParseCase{"ThreeLines", "a\r\nb\r\nc\r\n", {"a", "b", "c"}},
        TParseCase{"LfOnly", "a\nb\nc\n", {"a", "b", "c"}},
        TParseCase{"LoneCrDropped", "ab\rcd\nef\r\n", {"abcd", "ef"}},
        TParseCase{"CrBeforeCrLf", "ab\r\r\ncd", {"ab", "cd"}},
        TParseCase{"LastLineUnterminated", "a\r\nb", {"a", "b"}},
        TParseCase{"CtrlZInLineFive", "1\n2\n3\n4\nfi\x1Ave\n6\n7\n", {"1", "2", "3", "4", "fi"}},
        TParseCase{"CtrlZAtStart",
                   "\x1A"
                   "a\nb\n",
                   {}},
        TParseCase{"BlanksKept", " 1 \r\n\t0\r\n", {" 1 ", "\t0"}},
        TParseCase{"EmptyLinesKept", "\r\n\r\nthird\r\n", {"", "", "third"}},
        TParseCase{"BytesNotTranscoded",
                   std::string("\xE9t\xE9\n\xC3\xA9\n\0x\n", 10),
                   {"\xE9t\xE9", "\xC3\xA9", std::string("\0x", 2)}}),
    [](const testing::TestParamInfo<TParseCase>& Info) { return std::string(Info.param.Name); });

TEST(SettingsParse, KeepsEightyLinesOfALongerFile) {
  const TSettings Settings = ParseSettings(NumberedLines(100, "\r\n"));
  EXPECT_EQ(Settings.Line(1), "line1");
  EXPECT_EQ(Settings.Line(80), "line80");
  const std::string Written = SerialiseSettings(Settings);
  EXPECT_EQ(Written, NumberedLines(80, "\r\n"));
}

TEST(SettingsReader, StopsWantingBytesOnceEightyLinesOrCtrlZAreRead) {
  TSettingsReader Full;
  EXPECT_TRUE(Full.Feed(NumberedLines(79, "\n")));
  EXPECT_TRUE(Full.Feed("last"));
  EXPECT_FALSE(Full.Feed("\nmore"));
  EXPECT_EQ(Full.Result().Line(80), "last");

  TSettingsReader Ended;
  EXPECT_FALSE(Ended.Feed("a\x1A"));
  Ended.Feed("b\nc\n");
  EXPECT_EQ(Ended.Result().Line(1), "a");
  EXPECT_EQ(Ended.Result().Line(2), "");
}

TEST(SettingsSerialise, WritesEightyLinesEndedByCrLf) {
  TSettings Settings;
  std::string EightyEmpty;
  for (int N = 0; N < 80; ++N) {
    EightyEmpty += "\r\n";
  }
  EXPECT_EQ(SerialiseSettings(Settings), EightyEmpty);
  Settings.Line(1) = "comment";
  Settings.ProgramFolder() = "/opt/la16/";
  Settings.Line(80) = "end ";
  const std::string Bytes = SerialiseSettings(Settings);
  EXPECT_EQ(Bytes.substr(0, 23), "comment\r\n/opt/la16/\r\n\r\n");
  EXPECT_EQ(Bytes.substr(Bytes.size() - 6), "end \r\n");
  EXPECT_EQ(ParseSettings(Bytes), Settings);
}

struct TWritableCase {
  const char* Name;
  int Line;           // line given the value, 0 for none
  std::string Value;  // its value
  int Expected;       // FirstUnwritableLine
};

class SettingsWritable : public testing::TestWithParam<TWritableCase> {};

TEST_P(SettingsWritable, FindsTheFirstLineThatWouldNotReadBack) {
  const TWritableCase& Case = GetParam();
  TSettings Settings;
  Settings.Line(3) = "kept \xE9 \t";
  if (Case.Line != 0) {
    Settings.Line(Case.Line) = Case.Value;
  }
  EXPECT_EQ(FirstUnwritableLine(Settings), Case.Expected);
  // Exactly the lines it accepts come back from the file as they went in.
  EXPECT_EQ(ParseSettings(SerialiseSettings(Settings)) == Settings, Case.Expected == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsWritable,
    testing::Values(TWritableCase{"Plain", 0, "", 0},
                    TWritableCase{"NulAndHighBytes", 7, std::string("a\0\xFF", 3), 0},
                    TWritableCase{"LineBreak", 4, "/home/u/a\nb/", 4},
                    TWritableCase{"LoneCr", 2, "/opt\r/", 2},
                    TWritableCase{"CtrlZ", 80, "\x1A", 80}),
    [](const testing::TestParamInfo<TWritableCase>& Info) { return std::string(Info.param.Name); });

TEST(SettingsWritable, NamesTheFirstOfSeveralBadLines) {
  TSettings Settings;
  Settings.Line(9) = "x\n";
  Settings.Line(5) = "y\r";
  EXPECT_EQ(FirstUnwritableLine(Settings), 5);
  EXPECT_EQ(FirstUnwritableLine(ParseSettings("a\rb\r\nc\n\x1A\n")), 0);
}

TEST(SettingsLines, NamedLinesAreTheirNumberedLines) {
  TSettings Settings;
  Settings.ProgramFolder() = "p";
  Settings.SaveFolder() = "s";
  Settings.PullSetting() = "1";
  Settings.PcSpeedSetting() = "300";
  Settings.IndicatorSetting() = "0";
  EXPECT_EQ(Settings.Line(2), "p");
  EXPECT_EQ(Settings.Line(4), "s");
  EXPECT_EQ(Settings.Line(6), "1");
  EXPECT_EQ(Settings.Line(8), "300");
  EXPECT_EQ(Settings.Line(10), "0");
}

TEST(SettingsLines, OnlyLinesOneToEightyExist) {
  TSettings Settings;
  EXPECT_THROW(Settings.Line(0), std::out_of_range);
  EXPECT_THROW(Settings.Line(81), std::out_of_range);
  EXPECT_NO_THROW(Settings.Line(80));
}
}  // namespace
