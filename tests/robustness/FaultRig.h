// SPDX-License-Identifier: GPL-3.0-or-later
// What the robustness suites break and how they look at the damage: a folder
// that stops taking files, a disk that fills up, the bytes the process has
// read, and the trace picture and sample buffer compared with what the
// analyser sent.
#pragma once

#include <sys/resource.h>
#include <sys/stat.h>

#include <QImage>
#include <QString>
#include <array>
#include <csignal>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "acquisition/SampleBuffer.h"
#include "app/Form1.h"
#include "link/JvHidControllerClass.h"
#include "tests/support/AnalyserRig.h"
#include "tests/support/CaseNames.h"

namespace Robustness {

using CaseNames::PrintTo;

template <typename TInfo>
std::string CaseName(const TInfo& Info) {
  return Info.param.Name;
}

/// Makes Folder refuse new files and renames for this thread until destroyed:
/// its write bits go and, when running as root (whom modes do not stop), this
/// thread's file accesses are made as an unprivileged user. Reading stays
/// possible.
class TReadOnlyFolder {
 public:
  explicit TReadOnlyFolder(const QString& Folder);
  ~TReadOnlyFolder();
  TReadOnlyFolder(const TReadOnlyFolder&) = delete;
  TReadOnlyFolder& operator=(const TReadOnlyFolder&) = delete;

 private:
  QString Path;
  mode_t OldMode = 0;
  std::optional<int> OldFsuid;
};

/// This thread's file accesses are made as an unprivileged user until
/// destroyed (nothing changes for a user who is not root).
class TUnprivilegedThread {
 public:
  TUnprivilegedThread();
  ~TUnprivilegedThread();
  TUnprivilegedThread(const TUnprivilegedThread&) = delete;
  TUnprivilegedThread& operator=(const TUnprivilegedThread&) = delete;

 private:
  std::optional<int> OldFsuid;
};

/// No file the process writes can grow past Bytes until destroyed, as on a
/// disk with that little room left: the write that would go past fails.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t Bytes);
  ~TFileSizeLimit();
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit Old{};
  void (*OldHandler)(int) = SIG_DFL;
};

/// Bytes the process has read through system calls so far, or nothing when
/// the system does not count them.
std::optional<std::uint64_t> BytesReadByProcess();

/// The entries of Folder, hidden ones included, sorted.
std::vector<std::string> FolderEntries(const QString& Folder);

/// The bytes of the file at Path ("" when it cannot be read).
std::string FileBytes(const QString& Path);

/// 450 samples of both groups, each different from its neighbours.
TWindow Pattern(int Seed);

/// Input report (report id 0 first) of block Code of Window, 65 bytes.
std::vector<std::uint8_t> BlockOf(const TWindow& Window, int Code);

/// What Window's block Code does to Model: the cells it carries take its
/// samples (the first Received samples only, when the block came short).
void ApplyToModel(TWindow& Model, const TWindow& Window, int Code, int Received = 63);

/// The cells (group, n) that block Code carries.
std::vector<std::pair<int, int>> CellsOf(int Code);

/// The levels sample N of Group shows on Picture for its 8 inputs, drawn
/// without edges: 'H' high, 'L' low, '-' nothing drawn, 'B' both.
std::string ShownLevels(const QImage& Picture, int Group, int N);

/// The levels a sample value draws: 'H' or 'L' for each of its 8 bits.
std::string LevelsOf(std::uint8_t Value);

/// The visible trace picture.
QImage Visible(const TForm1& Form);

/// Wraps the held analyser's report handler so that After(code, size) runs
/// once each report has been handled (code -1 for a report without one).
void WatchReports(TForm1& Form, std::function<void(int Code, std::uint16_t Size)> After);

}  // namespace Robustness
