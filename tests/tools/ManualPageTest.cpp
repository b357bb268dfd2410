// SPDX-License-Identifier: GPL-3.0-or-later
// The manual pages document what the programs accept: every option of their
// command lines, every exit status, every time base and every output format.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/CommandLine.h"
#include "tools/CaptureOptions.h"
#include "tools/CaptureTool.h"

namespace {

// The page as the reader sees its words: roff's escaped minus signs and
// non-breaking spaces made plain.
std::string ReadPage(const std::string& Name) {
  std::ifstream File(std::string(LA16_SOURCE_DIR) + "/packaging/man/" + Name);
  EXPECT_TRUE(File.good()) << Name;
  std::stringstream Bytes;
  Bytes << File.rdbuf();
  std::string Text = Bytes.str();
  for (const auto& [From, To] : {std::pair<std::string, std::string>{"\\-", "-"}, {"\\~", " "}}) {
    for (std::size_t At = Text.find(From); At != std::string::npos; At = Text.find(From, At)) {
      Text.replace(At, From.size(), To);
      At += To.size();
    }
  }
  return Text;
}

// Every option the text names: words beginning with one or two dashes.
std::set<std::string> OptionsIn(const std::string& Text) {
  static const std::regex Option("(^|[ ,\\[(])(--?[a-z][a-z-]*)");
  std::set<std::string> Found;
  for (auto It = std::sregex_iterator(Text.begin(), Text.end(), Option);
       It != std::sregex_iterator(); ++It) {
    Found.insert((*It)[2]);
  }
  return Found;
}

// The part of Page from its section Title to the next section.
std::string Section(const std::string& Page, const std::string& Title) {
  const std::size_t Start = Page.find(".SH " + Title);
  EXPECT_NE(Start, std::string::npos) << Title;
  if (Start == std::string::npos) {
    return {};
  }
  return Page.substr(Start, Page.find("\n.SH ", Start + 1) - Start);
}

TEST(ManualPages, La16CaptureDocumentsEveryOptionStatusAndTimeBase) {
  const std::string Page = ReadPage("la16-capture.1");
  const std::string Help = CaptureHelpText();
  const std::string Options = Help.substr(Help.find("Options :"));
  const std::set<std::string> Documented = OptionsIn(Section(Page, "OPTIONS"));
  const std::set<std::string> Offered = OptionsIn(Options.substr(0, Options.find("\n\n")));
  EXPECT_GE(Offered.size(), 13U);
  for (const std::string& Option : Offered) {
    EXPECT_EQ(Documented.count(Option), 1U) << Option;
    // And it really is an option: it is not refused as unknown.
    const auto Parsed = ParseCaptureArguments({Option});
    if (const auto* Failure = std::get_if<TCaptureFailure>(&Parsed)) {
      EXPECT_EQ(Failure->Message.find("option inconnue"), std::string::npos) << Option;
    }
  }
  const std::string Statuses = Section(Page, "\"CODE DE SORTIE\"");
  for (int Status = CaptureSucceeded; Status <= CaptureInconsistent; ++Status) {
    EXPECT_NE(Statuses.find(".B " + std::to_string(Status) + "\n"), std::string::npos) << Status;
  }
  EXPECT_EQ(Statuses.find(".B " + std::to_string(CaptureInconsistent + 1) + "\n"),
            std::string::npos);
  std::string Words = Section(Page, "OPTIONS");
  std::replace(Words.begin(), Words.end(), '\n', ' ');
  for (const TTimeBase& Base : TimeBaseTable) {
    EXPECT_NE(Words.find(std::string(" ") + Base.Caption + " "), std::string::npos) << Base.Caption;
  }
  // The formats --help offers: in the page's --format, its name line and
  // the package's description.
  const std::size_t FormatAt = Help.find("--format ") + 9;
  const std::string FormatWords = Help.substr(FormatAt, Help.find(' ', FormatAt) - FormatAt);
  EXPECT_NE(Words.find("--format \" " + FormatWords + "\""), std::string::npos) << FormatWords;
  const std::size_t NamesAt = Help.find("au format ") + 10;
  const std::string Names = Help.substr(NamesAt, Help.find(".\n", NamesAt) - NamesAt);
  EXPECT_NE(Section(Page, "NOM").find(Names), std::string::npos) << Names;
  std::ifstream Control(std::string(LA16_SOURCE_DIR) + "/debian/control");
  std::stringstream Description;
  Description << Control.rdbuf();
  for (const char* Name : {"VCD", "CSV", "sigrok session"}) {
    EXPECT_NE(Description.str().find(Name), std::string::npos) << Name;
  }
  EXPECT_NE(Section(Page, "ENVIRONNEMENT").find(SimulationTimeScaleVariable), std::string::npos);
  EXPECT_NE(Section(Page, "FICHIERS").find("/usr/lib/udev/rules.d/70-la16.rules"),
            std::string::npos);
}

TEST(ManualPages, La16DocumentsItsOptionAndItsFiles) {
  const std::string Page = ReadPage("la16.1");
  const std::set<std::string> Offered = OptionsIn(CommandLineUsage);
  ASSERT_FALSE(Offered.empty());
  const std::set<std::string> Documented = OptionsIn(Section(Page, "OPTIONS"));
  for (const std::string& Option : Offered) {
    EXPECT_EQ(Documented.count(Option), 1U) << Option;
    const char* Argv[] = {"la16", Option.c_str()};
    EXPECT_TRUE(ParseCommandLine(2, Argv).has_value()) << Option;
  }
  EXPECT_NE(Section(Page, "SYNOPSIS").find("--simulate"), std::string::npos);
  EXPECT_NE(Section(Page, "\"CODE DE SORTIE\"").find(".B 2\n"), std::string::npos);
  const std::string Files = Section(Page, "FICHIERS");
  for (const char* Name : {"parametres.inf", "1.bmp", "$XDG_DATA_HOME/la16/",
                           "/usr/share/doc/la16/guide/index.html", "70-la16.rules"}) {
    EXPECT_NE(Files.find(Name), std::string::npos) << Name;
  }
  for (const char* Variable : {"XDG_DATA_HOME", "LA16_PROBE"}) {
    EXPECT_NE(Section(Page, "ENVIRONNEMENT").find(Variable), std::string::npos) << Variable;
  }
}

}  // namespace
