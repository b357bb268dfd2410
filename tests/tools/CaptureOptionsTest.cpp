// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureOptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using TArgs = std::vector<std::string>;

bool SameOptions(const TCaptureOptions& A, const TCaptureOptions& B) {
  return A.Help == B.Help && A.List == B.List && A.Simulate == B.Simulate &&
         A.TimeBase == B.TimeBase && A.Trigger == B.Trigger &&
         A.TriggerPattern == B.TriggerPattern && A.Pull == B.Pull && A.PcSpeed == B.PcSpeed &&
         A.WindowOffset == B.WindowOffset && A.Format == B.Format && A.OutputPath == B.OutputPath &&
         A.Timeout == B.Timeout && A.InputPath == B.InputPath &&
         A.Decoders.size() == B.Decoders.size() && A.Measure == B.Measure &&
         A.ReportPath == B.ReportPath && A.WriteSamples == B.WriteSamples;
}

std::string Joined(const TArgs& Args) {
  std::string Text;
  for (const std::string& A : Args) {
    Text += "[" + A + "]";
  }
  return Text;
}

}  // namespace

struct TGoodCase {
  TArgs Args;
  std::function<void(TCaptureOptions&)> Expect;  // changes from the defaults
};

void PrintTo(const TGoodCase& Case, std::ostream* Os) {
  *Os << Joined(Case.Args);
}

class GoodArguments : public testing::TestWithParam<TGoodCase> {};

TEST_P(GoodArguments, GiveTheExpectedOptions) {
  const TGoodCase& Case = GetParam();
  const auto Result = ParseCaptureArguments(Case.Args);
  const auto* Failure = std::get_if<TCaptureFailure>(&Result);
  ASSERT_EQ(Failure, nullptr) << Joined(Case.Args) << ": " << Failure->Message;
  TCaptureOptions Expected;
  Case.Expect(Expected);
  EXPECT_TRUE(SameOptions(std::get<TCaptureOptions>(Result), Expected)) << Joined(Case.Args);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GoodArguments,
    testing::Values(
        TGoodCase{{}, [](TCaptureOptions&) {}},
        TGoodCase{{"--help"}, [](TCaptureOptions& O) { O.Help = true; }},
        // --help stops the parse: what follows is not looked at.
        TGoodCase{{"-h", "--bogus"}, [](TCaptureOptions& O) { O.Help = true; }},
        TGoodCase{{"--list", "--simulate"},
                  [](TCaptureOptions& O) {
                    O.List = true;
                    O.Simulate = true;
                  }},
        TGoodCase{{"--time-base", "2ms"},
                  [](TCaptureOptions& O) { O.TimeBase = FindTimeBase(14); }},
        TGoodCase{{"--time-base", "1us"}, [](TCaptureOptions& O) { O.TimeBase = FindTimeBase(4); }},
        TGoodCase{{"--time-base=500µs"}, [](TCaptureOptions& O) { O.TimeBase = FindTimeBase(12); }},
        TGoodCase{{"--time-base", "500ms"},
                  [](TCaptureOptions& O) { O.TimeBase = FindTimeBase(21); }},
        TGoodCase{{"--trigger", "pattern=10000001"},
                  [](TCaptureOptions& O) {
                    O.Trigger = TCaptureTriggerMode::PatternEqual;
                    O.TriggerPattern = 0x81;
                  }},
        TGoodCase{{"--trigger", "pattern=00000100"},
                  [](TCaptureOptions& O) {
                    O.Trigger = TCaptureTriggerMode::PatternEqual;
                    O.TriggerPattern = 0x04;
                  }},
        TGoodCase{{"--trigger=pattern=0xa5"},
                  [](TCaptureOptions& O) {
                    O.Trigger = TCaptureTriggerMode::PatternEqual;
                    O.TriggerPattern = 0xA5;
                  }},
        TGoodCase{{"--trigger", "pattern=0XF"},
                  [](TCaptureOptions& O) {
                    O.Trigger = TCaptureTriggerMode::PatternEqual;
                    O.TriggerPattern = 0x0F;
                  }},
        TGoodCase{{"--trigger", "ext-high"},
                  [](TCaptureOptions& O) { O.Trigger = TCaptureTriggerMode::ExternalHigh; }},
        TGoodCase{{"--trigger", "ext-low"},
                  [](TCaptureOptions& O) { O.Trigger = TCaptureTriggerMode::ExternalLow; }},
        TGoodCase{{"--trigger", "off"}, [](TCaptureOptions&) {}},
        TGoodCase{{"--pull", "up"}, [](TCaptureOptions& O) { O.Pull = TCapturePull::Up; }},
        TGoodCase{{"--pull=down"}, [](TCaptureOptions& O) { O.Pull = TCapturePull::Down; }},
        TGoodCase{{"--pc-speed", "100"}, [](TCaptureOptions& O) { O.PcSpeed = 100; }},
        TGoodCase{{"--pc-speed", "1000"}, [](TCaptureOptions& O) { O.PcSpeed = 1000; }},
        TGoodCase{{"--pc-speed", "0300"}, [](TCaptureOptions& O) { O.PcSpeed = 300; }},
        TGoodCase{{"--window", "0"}, [](TCaptureOptions& O) { O.WindowOffset = 0; }},
        TGoodCase{{"--window", "1597"}, [](TCaptureOptions& O) { O.WindowOffset = 1597; }},
        TGoodCase{{"--whole"}, [](TCaptureOptions&) {}},
        TGoodCase{{"--format", "csv"}, [](TCaptureOptions& O) { O.Format = TExportFormat::Csv; }},
        TGoodCase{{"-o", "out/capture.CSV"},
                  [](TCaptureOptions& O) {
                    O.OutputPath = "out/capture.CSV";
                    O.Format = TExportFormat::Csv;
                  }},
        TGoodCase{{"--format", "sr"}, [](TCaptureOptions& O) { O.Format = TExportFormat::Sigrok; }},
        TGoodCase{{"-o", "captures/bus.sr"},
                  [](TCaptureOptions& O) {
                    O.OutputPath = "captures/bus.sr";
                    O.Format = TExportFormat::Sigrok;
                  }},
        TGoodCase{{"--format", "csv", "-o", "table.sr"},
                  [](TCaptureOptions& O) {
                    O.OutputPath = "table.sr";
                    O.Format = TExportFormat::Csv;
                  }},
        // Names as Windows users type them: the extension is the last name's.
        TGoodCase{{"-o", "C:\\Mes captures\\bus 1.sr"},
                  [](TCaptureOptions& O) {
                    O.OutputPath = "C:\\Mes captures\\bus 1.sr";
                    O.Format = TExportFormat::Sigrok;
                  }},
        TGoodCase{{"-o", "\\\\serveur\\partage\\relevé.csv"},
                  [](TCaptureOptions& O) {
                    O.OutputPath = "\\\\serveur\\partage\\relevé.csv";
                    O.Format = TExportFormat::Csv;
                  }},
        TGoodCase{{"--output=capture.vcd"},
                  [](TCaptureOptions& O) { O.OutputPath = "capture.vcd"; }},
        // An explicit format wins over the extension, and any name goes with it.
        TGoodCase{{"--format", "vcd", "-o", "dump.csv"},
                  [](TCaptureOptions& O) { O.OutputPath = "dump.csv"; }},
        TGoodCase{{"-o", "samples", "--format", "csv"},
                  [](TCaptureOptions& O) {
                    O.OutputPath = "samples";
                    O.Format = TExportFormat::Csv;
                  }},
        TGoodCase{{"-o", "-"}, [](TCaptureOptions&) {}},
        TGoodCase{{"--timeout", "30"},
                  [](TCaptureOptions& O) { O.Timeout = std::chrono::seconds(30); }},
        TGoodCase{{"--timeout", "2.5"},
                  [](TCaptureOptions& O) { O.Timeout = std::chrono::milliseconds(2500); }},
        TGoodCase{{"--timeout", "0,25"},
                  [](TCaptureOptions& O) { O.Timeout = std::chrono::milliseconds(250); }},
        TGoodCase{{"--timeout", ".001"},
                  [](TCaptureOptions& O) { O.Timeout = std::chrono::milliseconds(1); }},
        TGoodCase{{"--timeout", "86400"},
                  [](TCaptureOptions& O) { O.Timeout = std::chrono::hours(24); }},
        TGoodCase{{"--simulate", "--time-base", "1ms", "-o", "capture.vcd"},
                  [](TCaptureOptions& O) {
                    O.Simulate = true;
                    O.OutputPath = "capture.vcd";
                  }},
        // Annotations or figures alone: no samples unless -o asks for them.
        TGoodCase{{"--input", "a.csv", "--decode", "uart:rx=9", "--decode=i2c:scl=1:sda=2"},
                  [](TCaptureOptions& O) {
                    O.InputPath = "a.csv";
                    O.Decoders.resize(2);
                    O.WriteSamples = false;
                  }},
        TGoodCase{{"--measure", "--report", "r.csv", "-o", "-"}, [](TCaptureOptions& O) {
                    O.Measure = true;
                    O.ReportPath = "r.csv";
                  }}));

struct TBadCase {
  TArgs Args;
  std::string Message;
};

void PrintTo(const TBadCase& Case, std::ostream* Os) {
  *Os << Joined(Case.Args);
}

class BadArguments : public testing::TestWithParam<TBadCase> {};

TEST_P(BadArguments, FailWithTheirStatusAndMessage) {
  const TBadCase& Case = GetParam();
  const auto Result = ParseCaptureArguments(Case.Args);
  const auto* Failure = std::get_if<TCaptureFailure>(&Result);
  ASSERT_NE(Failure, nullptr) << Joined(Case.Args);
  EXPECT_EQ(Failure->Status, CaptureBadArguments);
  EXPECT_EQ(Failure->Message, Case.Message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadArguments,
    testing::Values(
        TBadCase{{"--bogus"}, "option inconnue « --bogus » (voir --help)"},
        TBadCase{{"--bogus=1"}, "option inconnue « --bogus » (voir --help)"},
        TBadCase{{"-x"}, "option inconnue « -x » (voir --help)"},
        TBadCase{{"capture.vcd"}, "argument inattendu « capture.vcd » (voir --help)"},
        TBadCase{{""}, "argument inattendu «  » (voir --help)"},
        TBadCase{{"-"}, "argument inattendu « - » (voir --help)"},
        TBadCase{{"--bad\nline"}, "option inconnue « --bad\\x0Aline » (voir --help)"},
        TBadCase{{"--window"}, "valeur manquante après « --window »"},
        TBadCase{{"-o"}, "valeur manquante après « -o »"},
        TBadCase{{"--pull", "up", "--pull", "down"}, "option donnée deux fois : « --pull »"},
        TBadCase{{"-o", "a.vcd", "--output", "b.vcd"}, "option donnée deux fois : « --output »"},
        TBadCase{{"--whole=1"}, "« --whole » ne prend pas de valeur"},
        TBadCase{{"--help="}, "« --help » ne prend pas de valeur"},
        TBadCase{{"--time-base", "3ms"},
                 "--time-base attend l'une des bases 1µs 2µs 5µs 10µs 20µs 50µs 100µs 200µs "
                 "500µs 1ms 2ms 5ms 10ms 20ms 50ms 100ms 200ms 500ms : « 3ms »"},
        // A caption followed by a hidden NUL is not that caption.
        TBadCase{{"--time-base", std::string("1ms\0x", 5)},
                 "--time-base attend l'une des bases 1µs 2µs 5µs 10µs 20µs 50µs 100µs 200µs "
                 "500µs 1ms 2ms 5ms 10ms 20ms 50ms 100ms 200ms 500ms : « 1ms\\x00x »"},
        TBadCase{{"--time-base", "us"},
                 "--time-base attend l'une des bases 1µs 2µs 5µs 10µs 20µs 50µs 100µs 200µs "
                 "500µs 1ms 2ms 5ms 10ms 20ms 50ms 100ms 200ms 500ms : « us »"},
        TBadCase{{"--trigger", "on"},
                 "--trigger attend off, pattern=BITS, ext-high ou ext-low : « on »"},
        TBadCase{{"--trigger", "pattern=1010"},
                 "motif de déclenchement invalide « 1010 » : huit chiffres 0 ou 1 (entrées 8 à "
                 "1) ou 0x00 à 0xFF"},
        TBadCase{{"--trigger", "pattern=100000012"},
                 "motif de déclenchement invalide « 100000012 » : huit chiffres 0 ou 1 (entrées "
                 "8 à 1) ou 0x00 à 0xFF"},
        TBadCase{{"--trigger", "pattern=1000000a"},
                 "motif de déclenchement invalide « 1000000a » : huit chiffres 0 ou 1 (entrées 8 "
                 "à 1) ou 0x00 à 0xFF"},
        TBadCase{{"--trigger", "pattern=0x100"},
                 "motif de déclenchement invalide « 0x100 » : huit chiffres 0 ou 1 (entrées 8 à "
                 "1) ou 0x00 à 0xFF"},
        TBadCase{{"--trigger", "pattern=0xg"},
                 "motif de déclenchement invalide « 0xg » : huit chiffres 0 ou 1 (entrées 8 à 1) "
                 "ou 0x00 à 0xFF"},
        TBadCase{{"--trigger", "pattern="},
                 "motif de déclenchement invalide «  » : huit chiffres 0 ou 1 (entrées 8 à 1) ou "
                 "0x00 à 0xFF"},
        TBadCase{{"--pull", "UP"}, "--pull attend up ou down : « UP »"},
        TBadCase{{"--pc-speed", "99"}, "--pc-speed attend un entier de 100 à 1000 : « 99 »"},
        TBadCase{{"--pc-speed", "1001"}, "--pc-speed attend un entier de 100 à 1000 : « 1001 »"},
        TBadCase{{"--pc-speed", "+300"}, "--pc-speed attend un entier de 100 à 1000 : « +300 »"},
        TBadCase{{"--pc-speed", " 300"}, "--pc-speed attend un entier de 100 à 1000 : «  300 »"},
        TBadCase{{"--pc-speed", "99999999999999999999300"},
                 "--pc-speed attend un entier de 100 à 1000 : « 99999999999999999999300 »"},
        TBadCase{{"--pc-speed", "4294967596"},
                 "--pc-speed attend un entier de 100 à 1000 : « 4294967596 »"},
        TBadCase{{"--window", "1598"}, "--window attend une position de 0 à 1597 : « 1598 »"},
        TBadCase{{"--window", "-1"}, "--window attend une position de 0 à 1597 : « -1 »"},
        TBadCase{{"--window", ""}, "--window attend une position de 0 à 1597 : «  »"},
        TBadCase{{"--window", "12", "--whole"}, "--window et --whole s'excluent"},
        TBadCase{{"--format", "json"}, "--format attend vcd, csv ou sr : « json »"},
        TBadCase{{"--decode", "uart:rx=99"},
                 "--decode uart : rx attend une entrée de 1 à 16 : « 99 »"},
        TBadCase{{"--input", "a.sr", "--time-base", "1ms"},
                 "--input ne se combine pas avec « --time-base »"},
        TBadCase{{"--report", "r.csv"}, "--report sans --decode ni --measure"},
        TBadCase{{"--measure", "-o", "-"},
                 "-o - et le rapport iraient tous deux sur la sortie standard : préciser --report"},
        TBadCase{{"--measure", "--measure"}, "option donnée deux fois : « --measure »"},
        TBadCase{{"--format", "srr"}, "--format attend vcd, csv ou sr : « srr »"},
        TBadCase{{"-o", ""}, "-o attend un nom de fichier, ou - pour la sortie standard"},
        TBadCase{{"-o", "capture.txt"},
                 "format inconnu pour « capture.txt » : nommer le fichier en .vcd, .csv ou .sr, ou "
                 "préciser --format"},
        TBadCase{{"-o", "dir.vcd/capture"},
                 "format inconnu pour « dir.vcd/capture » : nommer le fichier en .vcd, .csv ou "
                 ".sr, ou préciser --format"},
        TBadCase{{"-o", "C:\\dir.vcd\\capture"},
                 "format inconnu pour « C:\\dir.vcd\\capture » : nommer le fichier en .vcd, "
                 ".csv ou .sr, ou préciser --format"},
        TBadCase{{"-o", ".sr"},
                 "format inconnu pour « .sr » : nommer le fichier en .vcd, .csv ou .sr, ou "
                 "préciser --format"},
        TBadCase{{"-o", ".vcd"},
                 "format inconnu pour « .vcd » : nommer le fichier en .vcd, .csv ou .sr, ou "
                 "préciser --format"},
        TBadCase{{"--timeout", "0"},
                 "--timeout attend un nombre de secondes de 0,001 à 86400 : « 0 »"},
        TBadCase{{"--timeout", "0.0004"},
                 "--timeout attend un nombre de secondes de 0,001 à 86400 : « 0.0004 »"},
        TBadCase{{"--timeout", "86400.001"},
                 "--timeout attend un nombre de secondes de 0,001 à 86400 : « 86400.001 »"},
        TBadCase{{"--timeout", "1."},
                 "--timeout attend un nombre de secondes de 0,001 à 86400 : « 1. »"},
        TBadCase{{"--timeout", "1.2.3"},
                 "--timeout attend un nombre de secondes de 0,001 à 86400 : « 1.2.3 »"},
        TBadCase{{"--timeout", "-5"},
                 "--timeout attend un nombre de secondes de 0,001 à 86400 : « -5 »"},
        TBadCase{{"--list", "--window", "3"},
                 "--list ne se combine qu'avec --simulate, pas avec « --window »"},
        TBadCase{{"-o", "x.vcd", "--list"},
                 "--list ne se combine qu'avec --simulate, pas avec « --output »"}));

TEST(BadArguments, LongTextsAreCutWithoutSplittingACharacter) {
  // 63 ASCII bytes then "é" straddles the 64-byte limit.
  const std::string Long = "--" + std::string(61, 'a') + "é" + std::string(50, 'b');
  const auto Result = ParseCaptureArguments({Long});
  const auto& Failure = std::get<TCaptureFailure>(Result);
  EXPECT_EQ(Failure.Message, "option inconnue « --" + std::string(61, 'a') + "… » (voir --help)");
}

TEST(CaptureHelp, DocumentsEveryOptionAndEveryStatus) {
  const std::string Help = CaptureHelpText();
  for (const char* Option :
       {"--list", "--simulate", "--time-base", "--trigger", "--pull", "--pc-speed", "--window",
        "--whole", "--format vcd|csv|sr", "-o, --output", "--timeout", "--help", "70-la16.rules"}) {
    EXPECT_NE(Help.find(Option), std::string::npos) << Option;
  }
  for (int Status = CaptureSucceeded; Status <= CaptureInconsistent; ++Status) {
    EXPECT_NE(Help.find("\n  " + std::to_string(Status) + "  "), std::string::npos) << Status;
  }
  for (const TTimeBase& Base : TimeBaseTable) {
    const std::string Caption = std::string(" ") + Base.Caption;
    EXPECT_TRUE(Help.find(Caption + " ") != std::string::npos ||
                Help.find(Caption + "\n") != std::string::npos)
        << Base.Caption;
  }
}

// Arguments put together at random from pieces of good and bad ones: the
// parser answers every time, with options or a one-line argument failure.
TEST(ArgumentParser, AnswersAnyArgumentListWithOptionsOrOneLine) {
  const std::vector<std::string> Pieces = {
      "--list",   "--simulate", "--time-base", "--trigger",
      "--pull",   "--pc-speed", "--window",    "--whole",
      "--format", "-o",         "--output",    "--timeout",
      "--help",   "-h",         "=",           "--",
      "-",        "",           "1ms",         "1us",
      "µs",       "pattern=",   "0x",          "0xFF",
      "10101010", "up",         "down",        "vcd",
      "csv",      "a.vcd",      "b.csv",       ".",
      "sr",       "c.sr",       ",",           "1597",
      "1598",     "100",        "99999999999", std::string("\0\xFF\xC3", 3),
      "ext-high", "off"};
  std::mt19937 Random(20240309);
  for (int Round = 0; Round < 20000; ++Round) {
    TArgs Args;
    const int Count = static_cast<int>(Random() % 6);
    for (int I = 0; I < Count; ++I) {
      std::string Arg = Pieces[Random() % Pieces.size()];
      if (Random() % 3 == 0) {
        Arg += Pieces[Random() % Pieces.size()];
      }
      if (Random() % 5 == 0 && !Arg.empty()) {
        Arg.resize(Random() % Arg.size());
      }
      Args.push_back(Arg);
    }
    const auto Result = ParseCaptureArguments(Args);
    if (const auto* Failure = std::get_if<TCaptureFailure>(&Result)) {
      ASSERT_EQ(Failure->Status, CaptureBadArguments) << Joined(Args);
      ASSERT_FALSE(Failure->Message.empty()) << Joined(Args);
      ASSERT_EQ(Failure->Message.find('\n'), std::string::npos) << Joined(Args);
    } else {
      const TCaptureOptions& Options = std::get<TCaptureOptions>(Result);
      ASSERT_NE(Options.TimeBase, nullptr) << Joined(Args);
      ASSERT_GE(Options.PcSpeed, MinPcSpeed);
      ASSERT_LE(Options.PcSpeed, MaxPcSpeed);
      ASSERT_TRUE(!Options.WindowOffset ||
                  (*Options.WindowOffset >= 0 && *Options.WindowOffset <= LastViewOffset));
    }
  }
}
