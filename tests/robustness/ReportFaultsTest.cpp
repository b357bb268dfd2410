// SPDX-License-Identifier: GPL-3.0-or-later
// Input reports the analyser's firmware should never send, through the reader
// thread and the window's report handler: short reports, devices declaring
// short reports, blocks missing, repeated or out of order, and a storm of
// block codes nobody knows. Nothing is read beyond what arrived, and the
// picture and the sample buffer always agree with what was received.
#include <gtest/gtest.h>

#include <QAction>
#include <atomic>
#include <random>
#include <set>
#include <thread>

#include "acquisition/SampleBuffer.h"
#include "app/StatusBar.h"
#include "tests/robustness/FaultRig.h"
#include "tests/support/AnalyserRig.h"

namespace {
using namespace Robustness;
using Robustness::PrintTo;

class ReportFaults : public testing::Test {
 protected:
  void SetUp() override {
    Form = &Rig.Start("100", "");
    Analyser = Rig.Plug(AnalyserInterface());
    Rig.CountReports();
  }

  void Restitute(const TWindow& Window) { Rig.DeliverRestitution(*Analyser, Window); }

  TAnalyserRig Rig;
  TForm1* Form = nullptr;
  std::shared_ptr<TSimulatedHidInterface> Analyser;
};

// ---- Reports shorter than 64 bytes -----------------------------------------

struct TShortCase {
  const char* Name;
  int Code;
  int Bytes;  // bytes after the report id, block code included
};

class ShortReports : public ReportFaults, public testing::WithParamInterface<TShortCase> {};

TEST_P(ShortReports, StoreAndDrawOnlyTheSamplesThatArrived) {
  const TShortCase& Case = GetParam();
  Restitute(Pattern(1));
  const TWindow Before = Held(Form->State.SampleBuffer);
  const QImage Shown = Visible(*Form);
  const std::int32_t Count = Form->State.RestitutionCount;

  std::vector<std::uint8_t> Report = BlockOf(Pattern(2), Case.Code);
  Report.resize(static_cast<std::size_t>(1 + Case.Bytes));
  Rig.Deliver(*Analyser, Report);

  TWindow Expected = Before;
  if (Case.Bytes > 0) {
    ApplyToModel(Expected, Pattern(2), Case.Code, Case.Bytes - 1);
  }
  EXPECT_EQ(Held(Form->State.SampleBuffer), Expected);
  EXPECT_EQ(Form->State.RestitutionCount, Count + (Case.Code == 1 && Case.Bytes > 0 ? 1 : 0));
  // Shown only by an end block; then the stored samples are what is drawn.
  if (Case.Code == BlockRestitutionEnd && Case.Bytes > 0) {
    EXPECT_TRUE(Visible(*Form) ==
                Form->Renderer.BackBuffer().convertToFormat(QImage::Format_RGB32));
  } else {
    EXPECT_TRUE(Visible(*Form) == Shown);
  }
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ShortReports,
    testing::Values(TShortCase{"ReportIdAlone", 1, 0}, TShortCase{"CodeAlone", 1, 1},
                    TShortCase{"FirstBlockHalf", 1, 32}, TShortCase{"FirstBlockOneShort", 1, 63},
                    TShortCase{"LastBlockOfGroupOneCut", 8, 6},
                    TShortCase{"LastBlockOfGroupOneJustWhole", 8, 10},
                    TShortCase{"GroupTwoBlockCut", 13, 20},
                    TShortCase{"LastBlockOfGroupTwoCut", 18, 3}, TShortCase{"StartAlone", 20, 1},
                    TShortCase{"EndAlone", 21, 1}),
    CaseName<testing::TestParamInfo<TShortCase>>);

TEST_F(ReportFaults, EmptyReadsAreNotHandedOver) {
  Restitute(Pattern(1));
  const int Handled = Rig.ReportsHandled();
  Analyser->InjectReport(nullptr, 0);
  Rig.Deliver(*Analyser, BlockOf(Pattern(3), 2));
  EXPECT_EQ(Rig.ReportsHandled(), Handled + 1);
  TWindow Expected = Pattern(1);
  ApplyToModel(Expected, Pattern(3), 2);
  EXPECT_EQ(Held(Form->State.SampleBuffer), Expected);
}

// ---- A device that declares short input reports ---------------------------

struct TDeclaredCase {
  const char* Name;
  std::uint16_t InputLength;  // report id included
  int SamplesKept;            // of a block 1 sent whole
};

class DeclaredInputLength : public testing::TestWithParam<TDeclaredCase> {};

TEST_P(DeclaredInputLength, ReportsAreCutToItAndNeverReadBeyond) {
  const TDeclaredCase& Case = GetParam();
  TAnalyserRig Rig;
  TForm1& Form = Rig.Start("100", "");
  auto Analyser = Rig.Plug({AnalyserVendorId, AnalyserProductId, 0, Case.InputLength, 65});
  Rig.CountReports();
  ASSERT_NE(Form.AnalyserDevice, nullptr);
  // Longer than any report the device declares: only its length is read.
  std::vector<std::uint8_t> Report = BlockOf(Pattern(4), 1);
  Report.resize(300, 0xEE);

  if (Case.InputLength == 0) {
    // Nothing can be read into no room: the reader keeps failing, slowly.
    const std::size_t Before = Analyser->ReadAttempts();
    Analyser->InjectReport(Report);
    TAnalyserRig::Idle(std::chrono::milliseconds(500));
    EXPECT_LE(Analyser->ReadAttempts() - Before, 20U);
    EXPECT_EQ(Rig.ReportsHandled(), 0);
  } else {
    Rig.Deliver(*Analyser, Report);
  }
  TWindow Expected{};
  ApplyToModel(Expected, Pattern(4), 1, Case.SamplesKept);
  EXPECT_EQ(Held(Form.State.SampleBuffer), Expected);
  EXPECT_EQ(Form.State.RestitutionCount, Case.InputLength >= 2 ? 1 : 0);
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DeclaredInputLength,
    testing::Values(TDeclaredCase{"NoInputReport", 0, 0}, TDeclaredCase{"ReportIdOnly", 1, 0},
                    TDeclaredCase{"CodeOnly", 2, 0}, TDeclaredCase{"TenBytes", 10, 8},
                    TDeclaredCase{"OneShort", 64, 62}, TDeclaredCase{"TheAnalysers", 65, 63},
                    TDeclaredCase{"Longer", 200, 63}),
    CaseName<testing::TestParamInfo<TDeclaredCase>>);

// ---- Blocks missing, repeated or out of order ------------------------------

const QString Incomplete =
    QStringLiteral("Restitution incomplète : des données de l'analyseur ont été perdues.");

struct TSequenceCase {
  const char* Name;
  std::vector<int> Codes;
};

std::vector<int> Range(int First, int Last, int Step = 1) {
  std::vector<int> Codes;
  for (int Code = First; Step > 0 ? Code <= Last : Code >= Last; Code += Step) {
    Codes.push_back(Code);
  }
  return Codes;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> Parts) {
  std::vector<int> Codes;
  for (const auto& Part : Parts) {
    Codes.insert(Codes.end(), Part.begin(), Part.end());
  }
  return Codes;
}

class BlockSequences : public ReportFaults, public testing::WithParamInterface<TSequenceCase> {
 protected:
  // Every sample column of the picture against the buffer: a sample drawn
  // since the last start shows the levels stored for it, one not drawn shows
  // nothing.
  void ExpectPictureMatches(const std::set<std::pair<int, int>>& Drawn, const char* When) {
    const QImage Picture = Visible(*Form);
    int Wrong = 0;
    for (int Group = 1; Group <= 2; ++Group) {
      for (int N = 1; N <= SamplesPerWindow; ++N) {
        const std::string Shown = ShownLevels(Picture, Group, N);
        const std::string Expected =
            Drawn.contains({Group, N})
                ? LevelsOf(static_cast<std::uint8_t>(Form->State.SampleBuffer.Cell(Group, N)))
                : std::string(8, '-');
        if (Shown != Expected && ++Wrong <= 3) {
          ADD_FAILURE() << When << ": group " << Group << " sample " << N << " shows " << Shown
                        << ", expected " << Expected;
        }
      }
    }
    EXPECT_EQ(Wrong, 0) << When;
  }
};

TEST_P(BlockSequences, BufferKeepsWhatArrivedAndThePictureShowsItAtEachEnd) {
  // Without edges, each sample draws its levels in its own columns.
  Form->Afficherfrontsmontantsetdescendants1->setChecked(false);
  Restitute(Pattern(1));
  TWindow Model = Held(Form->State.SampleBuffer);
  QImage Shown = Visible(*Form);
  std::set<std::pair<int, int>> SinceStart;
  std::set<std::pair<int, int>> Presented;
  bool Started = false;
  bool PresentedAfterStart = false;
  // The blocks of the restitution under way: a picture with some missing
  // says so.
  std::set<int> Blocks;
  bool Begun = false;

  for (int Code : GetParam().Codes) {
    Rig.Deliver(*Analyser, BlockOf(Pattern(2), Code));
    if (Code == BlockRestitutionStart) {
      SinceStart.clear();
      Started = true;
      Blocks.clear();
      Begun = true;
    }
    if (PlaceBlock(static_cast<std::uint8_t>(Code))) {
      Blocks.insert(Code);
    }
    ApplyToModel(Model, Pattern(2), Code);
    for (const auto& Cell : CellsOf(Code)) {
      SinceStart.insert(Cell);
    }
    const QImage Now = Visible(*Form);
    if (Code == BlockRestitutionEnd) {
      EXPECT_EQ(Form->StatusBar1->PanelText(1) == Incomplete, !Begun || Blocks.size() != 16U)
          << "status at an end block: " << Form->StatusBar1->PanelText(1).toStdString();
      Blocks.clear();
      Begun = false;
      EXPECT_TRUE(Now == Form->Renderer.BackBuffer().convertToFormat(QImage::Format_RGB32));
      Shown = Now;
      Presented = SinceStart;
      PresentedAfterStart = Started;
    } else {
      ASSERT_TRUE(Now == Shown) << "the picture changed at block " << Code;
    }
  }
  EXPECT_EQ(Held(Form->State.SampleBuffer), Model);
  if (PresentedAfterStart) {
    ExpectPictureMatches(Presented, "after the faulty restitution");
  }
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());

  // The next whole restitution is received as if nothing had happened.
  Restitute(Pattern(3));
  EXPECT_EQ(Held(Form->State.SampleBuffer), Pattern(3));
  EXPECT_NE(Form->StatusBar1->PanelText(1), Incomplete);
  std::set<std::pair<int, int>> All;
  for (int Group = 1; Group <= 2; ++Group) {
    for (int N = 1; N <= SamplesPerWindow; ++N) {
      All.insert({Group, N});
    }
  }
  ExpectPictureMatches(All, "after the next restitution");
}

const std::vector<int> GroupOne = Range(1, 8);
const std::vector<int> GroupTwo = Range(11, 18);

INSTANTIATE_TEST_SUITE_P(
    Sequences, BlockSequences,
    testing::Values(
        TSequenceCase{"OneBlockMissing", Join({{20}, Range(1, 3), Range(5, 8), GroupTwo, {21}})},
        TSequenceCase{"LastBlocksMissing", Join({{20}, Range(1, 7), Range(11, 17), {21}})},
        TSequenceCase{"GroupTwoMissing", Join({{20}, GroupOne, {21}})},
        TSequenceCase{"StartMissing", Join({GroupOne, GroupTwo, {21}})},
        TSequenceCase{"EndMissing", Join({{20}, GroupOne, GroupTwo})},
        TSequenceCase{"OnlyStartAndEnd", {20, 21}},
        TSequenceCase{"EveryBlockTwice",
                      {20, 20, 1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,
                       11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 17, 17, 18, 18, 21, 21}},
        TSequenceCase{"Reversed", Join({{20}, Range(18, 11, -1), Range(8, 1, -1), {21}})},
        TSequenceCase{"GroupsSwapped", Join({{20}, GroupTwo, GroupOne, {21}})},
        TSequenceCase{"Interleaved",
                      {20, 1, 11, 2, 12, 3, 13, 4, 14, 5, 15, 6, 16, 7, 17, 8, 18, 21}},
        TSequenceCase{"EndFirst", Join({{21, 20}, GroupOne, GroupTwo})},
        TSequenceCase{"StartedTwice", Join({{20}, Range(1, 4), {20}, Range(5, 8), GroupTwo, {21}})},
        TSequenceCase{"EndedEarly", Join({{20}, Range(1, 4), {21}, Range(5, 8), GroupTwo})},
        TSequenceCase{"TwoEnds", Join({{20}, GroupOne, {21}, GroupTwo, {21}})}),
    CaseName<testing::TestParamInfo<TSequenceCase>>);

// ---- A storm of unknown block codes ----------------------------------------

TEST_F(ReportFaults, StormOfUnknownBlockCodesChangesNothing) {
  Restitute(Pattern(1));
  const TWindow Before = Held(Form->State.SampleBuffer);
  const QImage Shown = Visible(*Form);
  const std::int32_t Count = Form->State.RestitutionCount;
  const QString Status = Form->StatusBar1->PanelText(1);
  std::vector<std::uint8_t> Unknown;
  for (int Code = 0; Code < 256; ++Code) {
    if (Code != 20 && Code != 21 && CellsOf(Code).empty()) {
      Unknown.push_back(static_cast<std::uint8_t>(Code));
    }
  }

  // As fast as the window takes them: a report that finds the reader's
  // queue full is sent again.
  constexpr int StormSize = 20000;
  const int Handled = Rig.ReportsHandled();
  std::atomic<bool> Sent{false};
  std::thread Storm([&] {
    std::mt19937 Random(12);
    std::vector<std::uint8_t> Report(InputReportSize);
    for (int I = 0; I < StormSize; ++I) {
      for (auto& Byte : Report) {
        Byte = static_cast<std::uint8_t>(Random());
      }
      Report[1] = Unknown[Random() % Unknown.size()];
      const std::size_t Size = 2 + Random() % (InputReportSize - 1);
      for (;;) {
        const std::size_t Dropped = Analyser->DroppedReports();
        Analyser->InjectReport(Report.data(), Size);
        if (Analyser->DroppedReports() == Dropped) {
          break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
    }
    Sent = true;
  });
  const bool Passed =
      TAnalyserRig::RunUntil([&] { return Sent && Rig.ReportsHandled() - Handled == StormSize; },
                             std::chrono::seconds(120));
  Storm.join();
  ASSERT_TRUE(Passed) << Rig.ReportsHandled() - Handled << " handled";

  EXPECT_EQ(Held(Form->State.SampleBuffer), Before);
  EXPECT_TRUE(Visible(*Form) == Shown);
  EXPECT_EQ(Form->State.RestitutionCount, Count);
  EXPECT_EQ(Form->StatusBar1->PanelText(1), Status);
  EXPECT_TRUE(Rig.Harness.Environment.Boxes.empty());

  Restitute(Pattern(5));
  EXPECT_EQ(Held(Form->State.SampleBuffer), Pattern(5));
  EXPECT_FALSE(Visible(*Form) == Shown);
}

}  // namespace
