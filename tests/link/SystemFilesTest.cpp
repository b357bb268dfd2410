// SPDX-License-Identifier: GPL-3.0-or-later
// The system's file calls behind the careful readers and writers, on every
// system the programs are built for.
#include "link/SystemFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

class SystemFiles : public testing::Test {
 protected:
  void SetUp() override {
    Folder =
        fs::temp_directory_path() / ("la16-system-files-" + std::to_string(ProcessNumber()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Folder);
    ASSERT_TRUE(fs::create_directories(Folder));
  }
  void TearDown() override {
    std::error_code Ignored;
    fs::remove_all(Folder, Ignored);
  }
  std::string PathOf(const char* Name) const { return (Folder / Name).string(); }
  static std::string Contents(const std::string& Path) {
    std::ifstream File(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
  }

  fs::path Folder;
};

TEST_F(SystemFiles, ANewFileIsMadeOnlyOnceAndReplacesAnOldOneWhole) {
  const std::string Target = PathOf("1.bmp");
  const std::string Temporary = PathOf("1.bmp.part");
  std::ofstream(Target, std::ios::binary) << "old picture";

  TNewFile::TOutcome Outcome = TNewFile::TOutcome::Failed;
  std::string Reason;
  auto File = TNewFile::Create(Temporary, Outcome, Reason);
  ASSERT_NE(File, nullptr) << Reason;
  EXPECT_EQ(Outcome, TNewFile::TOutcome::Created);
  // A second writer of the same name is refused while the first one writes.
  EXPECT_EQ(TNewFile::Create(Temporary, Outcome, Reason), nullptr);
  EXPECT_EQ(Outcome, TNewFile::TOutcome::Exists);

  const std::string Bytes("BM\0\r\n\x1a", 6);  // binary: no byte is translated
  ASSERT_TRUE(File->Write(Bytes.data(), Bytes.size(), Reason)) << Reason;
  ASSERT_TRUE(File->Sync(Reason)) << Reason;
  ASSERT_TRUE(File->Close(Reason)) << Reason;
  EXPECT_EQ(Contents(Target), "old picture") << "untouched until the rename";
  ASSERT_TRUE(RenameOver(Temporary, Target, Reason)) << Reason;
  EXPECT_EQ(Contents(Target), Bytes);
  EXPECT_FALSE(fs::exists(Temporary));

  RemoveFile(Target);
  EXPECT_FALSE(fs::exists(Target));
}

TEST_F(SystemFiles, FailuresSayWhyAndLeaveNothingBehind) {
  TNewFile::TOutcome Outcome = TNewFile::TOutcome::Created;
  std::string Reason;
  EXPECT_EQ(TNewFile::Create(PathOf("no-such-folder/x.csv"), Outcome, Reason), nullptr);
  EXPECT_EQ(Outcome, TNewFile::TOutcome::Failed);
  EXPECT_FALSE(Reason.empty());

  Reason.clear();
  EXPECT_FALSE(RenameOver(PathOf("missing"), PathOf("target"), Reason));
  EXPECT_FALSE(Reason.empty());
  EXPECT_FALSE(fs::exists(PathOf("target")));
}

TEST_F(SystemFiles, OnlyPlainFilesAreReadAndThenWhole) {
  const std::string Path = PathOf("parametres.inf");
  std::string Lines;
  for (int Line = 1; Line <= 80; ++Line) {
    Lines += "line " + std::to_string(Line) + "\r\n";
  }
  std::ofstream(Path, std::ios::binary) << Lines;

  auto Reader = TPlainFileReader::Open(Path);
  ASSERT_NE(Reader, nullptr);
  std::string Read;
  char Piece[100];
  while (const std::size_t Count = Reader->Read(Piece, sizeof Piece)) {
    EXPECT_LE(Count, sizeof Piece);
    Read.append(Piece, Count);
  }
  EXPECT_EQ(Read, Lines);
  EXPECT_EQ(Reader->Read(Piece, sizeof Piece), 0U) << "the end stays the end";

  EXPECT_EQ(TPlainFileReader::Open(PathOf("missing")), nullptr);
  EXPECT_EQ(TPlainFileReader::Open(Folder.string()), nullptr) << "a folder is no plain file";
}

}  // namespace
