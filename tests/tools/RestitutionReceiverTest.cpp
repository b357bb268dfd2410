// SPDX-License-Identifier: GPL-3.0-or-later
// Reassembly of restitutions from input blocks: only a whole restitution in
// the analyser's order counts; everything else is incomplete or passed over.
#include "acquisition/RestitutionReceiver.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using TBlock = std::vector<std::uint8_t>;
using TOutcome = TRestitutionReceiver::TOutcome;

TWindowSamples RandomWindow(unsigned Seed) {
  std::mt19937 Random(Seed);
  TWindowSamples Window{};
  for (TSample& Sample : Window) {
    Sample = static_cast<TSample>(Random());
  }
  return Window;
}

std::vector<TBlock> Restitution(const TWindowSamples& Window) {
  std::vector<TBlock> Blocks;
  for (const auto& Block : BuildRestitution(Window)) {
    Blocks.emplace_back(Block.begin(), Block.end());
  }
  return Blocks;
}

/// Feeds every block; returns the outcomes other than Pending, in order.
std::vector<TOutcome> Feed(TRestitutionReceiver& Receiver, const std::vector<TBlock>& Blocks) {
  std::vector<TOutcome> Ends;
  for (const TBlock& Block : Blocks) {
    const TOutcome Outcome = Receiver.Take(Block.data(), Block.size());
    if (Outcome != TOutcome::Pending) {
      Ends.push_back(Outcome);
    }
  }
  return Ends;
}

// Index in a restitution of the block with code Code (20 is 0, 21 is 17).
std::size_t IndexOf(int Code) {
  return Code == 20 ? 0 : Code == 21 ? 17 : Code <= 8 ? Code : Code - 2;
}

struct TDamageCase {
  std::string Name;
  std::function<void(std::vector<TBlock>&)> Damage;
  std::vector<TOutcome> Expected;
};

void PrintTo(const TDamageCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class RestitutionDamage : public testing::TestWithParam<TDamageCase> {};

const TWindowSamples Sent = RandomWindow(7);

}  // namespace

TEST(RestitutionReceiver, WholeRestitutionGivesItsWindowBack) {
  TRestitutionReceiver Receiver;
  EXPECT_EQ(Feed(Receiver, Restitution(Sent)), std::vector<TOutcome>{TOutcome::Complete});
  EXPECT_EQ(Receiver.Window(), Sent);
  EXPECT_FALSE(Receiver.InProgress());

  // The next one replaces it entirely.
  const TWindowSamples Second = RandomWindow(8);
  EXPECT_EQ(Feed(Receiver, Restitution(Second)), std::vector<TOutcome>{TOutcome::Complete});
  EXPECT_EQ(Receiver.Window(), Second);
}

TEST(RestitutionReceiver, InProgressFromStartToEndAndUntilAbandoned) {
  TRestitutionReceiver Receiver;
  std::vector<TBlock> Blocks = Restitution(Sent);
  EXPECT_FALSE(Receiver.InProgress());
  Feed(Receiver, {Blocks.begin(), Blocks.begin() + 5});
  EXPECT_TRUE(Receiver.InProgress());
  Receiver.Abandon();
  EXPECT_FALSE(Receiver.InProgress());
  // The rest of the abandoned restitution, end included, ends nothing.
  EXPECT_TRUE(Feed(Receiver, {Blocks.begin() + 5, Blocks.end()}).empty());
}

TEST_P(RestitutionDamage, IsToldApartFromAWholeOne) {
  const TDamageCase& Case = GetParam();
  std::vector<TBlock> Blocks = Restitution(Sent);
  Case.Damage(Blocks);
  TRestitutionReceiver Receiver;
  EXPECT_EQ(Feed(Receiver, Blocks), Case.Expected);
  if (!Case.Expected.empty() && Case.Expected.back() == TOutcome::Complete) {
    EXPECT_EQ(Receiver.Window(), Sent);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, RestitutionDamage,
    testing::Values(
        TDamageCase{"LostSampleBlock",
                    [](auto& B) { B.erase(B.begin() + IndexOf(13)); },
                    {TOutcome::Incomplete}},
        TDamageCase{"LostLastBlockOfGroup",
                    [](auto& B) { B.erase(B.begin() + IndexOf(8)); },
                    {TOutcome::Incomplete}},
        TDamageCase{"SwappedBlocks",
                    [](auto& B) { std::swap(B[IndexOf(3)], B[IndexOf(4)]); },
                    {TOutcome::Incomplete}},
        TDamageCase{"RepeatedBlock",
                    [](auto& B) {
                      // Copied out first: GCC 12 misreads the copy that
                      // inserting one of the vector's own elements makes.
                      const std::vector<TBlock> Repeated(B.begin() + IndexOf(5),
                                                         B.begin() + IndexOf(6));
                      B.insert(B.begin() + IndexOf(6), Repeated.begin(), Repeated.end());
                    },
                    {TOutcome::Incomplete}},
        TDamageCase{
            "ShortFullBlock", [](auto& B) { B[IndexOf(2)].resize(63); }, {TOutcome::Incomplete}},
        TDamageCase{
            "ShortLastBlock", [](auto& B) { B[IndexOf(18)].resize(9); }, {TOutcome::Incomplete}},
        TDamageCase{"EmptyReportInTheMiddle",
                    [](auto& B) { B.insert(B.begin() + IndexOf(11), TBlock{}); },
                    {TOutcome::Incomplete}},
        // The last block of a group needs only its nine samples.
        TDamageCase{
            "LastBlockOfTenBytes", [](auto& B) { B[IndexOf(8)].resize(10); }, {TOutcome::Complete}},
        TDamageCase{"LostStart", [](auto& B) { B.erase(B.begin()); }, {}},
        TDamageCase{"LostEnd", [](auto& B) { B.pop_back(); }, {}},
        // Blocks that carry nothing may come in between.
        TDamageCase{"UnknownCodesInBetween",
                    [](auto& B) {
                      B.insert(B.begin() + IndexOf(11), TBlock(64, 30));
                      B.insert(B.begin() + 1, TBlock{0, 1, 2});
                    },
                    {TOutcome::Complete}},
        // Leftovers of a restitution begun before we listened pass unseen.
        TDamageCase{"StrayBlocksBeforeTheStart",
                    [](auto& B) {
                      const std::vector<TBlock> Tail(B.begin() + IndexOf(15), B.end());
                      B.insert(B.begin(), Tail.begin(), Tail.end());
                    },
                    {TOutcome::Complete}},
        // A start in the middle begins afresh: the first one never ends.
        TDamageCase{"RestartedHalfway",
                    [](auto& B) {
                      const std::vector<TBlock> Head(B.begin(), B.begin() + IndexOf(12));
                      B.insert(B.begin(), Head.begin(), Head.end());
                    },
                    {TOutcome::Complete}},
        TDamageCase{"TwoInARowOneDamaged",
                    [](auto& B) {
                      std::vector<TBlock> Damaged = B;
                      Damaged.erase(Damaged.begin() + IndexOf(1));
                      B.insert(B.begin(), Damaged.begin(), Damaged.end());
                    },
                    {TOutcome::Incomplete, TOutcome::Complete}}),
    [](const testing::TestParamInfo<TDamageCase>& Info) { return Info.param.Name; });

TEST(RestitutionReceiver, IncompleteRestitutionKeepsThePreviousWindow) {
  TRestitutionReceiver Receiver;
  Feed(Receiver, Restitution(Sent));
  std::vector<TBlock> Other = Restitution(RandomWindow(9));
  Other.erase(Other.begin() + IndexOf(17));
  EXPECT_EQ(Feed(Receiver, Other), std::vector<TOutcome>{TOutcome::Incomplete});
  EXPECT_EQ(Receiver.Window(), Sent);
}
