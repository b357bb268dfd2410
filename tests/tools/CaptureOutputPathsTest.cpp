// SPDX-License-Identifier: GPL-3.0-or-later
// Output files named as users type them: spaces and accented names on every
// system; backslashes, drive letters and the drive-relative form on Windows.
// A name split at the wrong place put the file beside itself in no folder,
// or under a name the system refuses (status 6 for "C:\w.csv").
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/SystemFiles.h"
#include "tools/CaptureOutput.h"

namespace {

namespace fs = std::filesystem;

// The names to write inside Folder (its own text, as the system gives it),
// each with the file it must end up as.
struct TPathCase {
  std::string Typed;
  std::string Expected;
};

std::vector<TPathCase> PathCases(const std::string& Folder) {
  std::vector<TPathCase> Cases = {
      {Folder + "/plain.csv", Folder + "/plain.csv"},
      {Folder + "/Mes captures/bus 1.vcd", Folder + "/Mes captures/bus 1.vcd"},
      {Folder + "/relevé à Montréal.csv", Folder + "/relevé à Montréal.csv"},
  };
#ifdef _WIN32
  std::string Back = Folder;
  for (char& C : Back) {
    C = C == '/' ? '\\' : C;
  }
  Cases.push_back({Back + "\\w.csv", Folder + "/w.csv"});
  Cases.push_back({Back + "\\Mes captures\\été.sr", Folder + "/Mes captures/été.sr"});
  Cases.push_back({Back + "/mixed\\x.vcd", Folder + "/mixed/x.vcd"});
#endif
  return Cases;
}

TEST(CaptureOutputPaths, EveryTypedNameIsWrittenWhereItSaysAndNothingIsLeftBeside) {
  const fs::path Base = fs::temp_directory_path() / "la16-output-paths";
  fs::remove_all(Base);
  fs::create_directories(Base / "Mes captures");
  fs::create_directories(Base / "mixed");
  const std::u8string Generic = Base.generic_u8string();
  const std::string Folder(Generic.begin(), Generic.end());
  for (const TPathCase& Case : PathCases(Folder)) {
    std::ostringstream Unused;
    auto Opened = TCaptureOutput::Open(Case.Typed, Unused);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<TCaptureOutput>>(Opened)) << Case.Typed;
    auto& Output = std::get<std::unique_ptr<TCaptureOutput>>(Opened);
    Output->Stream() << "samples";
    EXPECT_FALSE(Output->Commit().has_value()) << Case.Typed;
    std::ifstream Written(SystemPath(Case.Expected), std::ios::binary);
    std::string Text;
    std::getline(Written, Text);
    EXPECT_EQ(Text, "samples") << Case.Typed;
  }
  fs::remove_all(Base);
}

}  // namespace
