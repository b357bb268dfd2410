// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/robustness/FaultRig.h"

#include <sys/fsuid.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "display/PictureBox.h"
#include "display/TraceGeometry.h"

namespace Robustness {
namespace {
// The user root becomes when file modes must count: "nobody".
constexpr uid_t Unprivileged = 65534;

std::optional<int> DropRootForFiles() {
  if (::geteuid() != 0) {
    return std::nullopt;
  }
  return ::setfsuid(Unprivileged);
}

void RestoreFsuid(const std::optional<int>& Old) {
  if (Old) {
    ::setfsuid(static_cast<uid_t>(*Old));
  }
}
}  // namespace

TReadOnlyFolder::TReadOnlyFolder(const QString& Folder) : Path(Folder) {
  struct stat Info {};
  const QByteArray Name = QFile::encodeName(Path);
  if (::stat(Name.constData(), &Info) != 0 || ::chmod(Name.constData(), 0555) != 0) {
    throw std::runtime_error("cannot make the folder read-only");
  }
  OldMode = Info.st_mode & 07777;
  OldFsuid = DropRootForFiles();
}

TReadOnlyFolder::~TReadOnlyFolder() {
  RestoreFsuid(OldFsuid);
  ::chmod(QFile::encodeName(Path).constData(), OldMode);
}

TUnprivilegedThread::TUnprivilegedThread() : OldFsuid(DropRootForFiles()) {}

TUnprivilegedThread::~TUnprivilegedThread() {
  RestoreFsuid(OldFsuid);
}

TFileSizeLimit::TFileSizeLimit(rlim_t Bytes) {
  ::getrlimit(RLIMIT_FSIZE, &Old);
  // Without this the write past the limit kills the process instead of
  // failing.
  OldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit Limit = Old;
  Limit.rlim_cur = Old.rlim_max == RLIM_INFINITY || Bytes < Old.rlim_max ? Bytes : Old.rlim_max;
  if (::setrlimit(RLIMIT_FSIZE, &Limit) != 0) {
    throw std::runtime_error("cannot limit the size of files");
  }
}

TFileSizeLimit::~TFileSizeLimit() {
  ::setrlimit(RLIMIT_FSIZE, &Old);
  std::signal(SIGXFSZ, OldHandler);
}

std::optional<std::uint64_t> BytesReadByProcess() {
  std::ifstream Io("/proc/self/io");
  std::string Key;
  std::uint64_t Value = 0;
  while (Io >> Key >> Value) {
    if (Key == "rchar:") {
      return Value;
    }
  }
  return std::nullopt;
}

std::vector<std::string> FolderEntries(const QString& Folder) {
  std::vector<std::string> Names;
  const QStringList Entries = QDir(Folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& Entry : Entries) {
    Names.push_back(Entry.toStdString());
  }
  return Names;
}

std::string FileBytes(const QString& Path) {
  QFile File(Path);
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}

TWindow Pattern(int Seed) {
  TWindow Window{};
  for (std::size_t I = 0; I < Window.size(); ++I) {
    const auto N = static_cast<unsigned>(I) + static_cast<unsigned>(Seed) * 31U;
    Window[I] =
        static_cast<std::uint16_t>(((N * 7U + 3U) & 0xFFU) | (((N * 13U + 5U) & 0xFFU) << 8));
  }
  return Window;
}

std::vector<std::pair<int, int>> CellsOf(int Code) {
  // Where each code's samples go is the block placement's, tested on its own;
  // these suites check what happens around it.
  std::vector<std::pair<int, int>> Cells;
  if (Code < 0 || Code > 0xFF) {
    return Cells;
  }
  if (const auto Place = PlaceBlock(static_cast<std::uint8_t>(Code))) {
    for (int I = 0; I < Place->Count; ++I) {
      Cells.emplace_back(Place->Group, Place->FirstCell + I);
    }
  }
  return Cells;
}

std::vector<std::uint8_t> BlockOf(const TWindow& Window, int Code) {
  std::vector<std::uint8_t> Report(InputReportSize, 0);
  Report[1] = static_cast<std::uint8_t>(Code);
  std::size_t Byte = 2;
  for (const auto& [Group, N] : CellsOf(Code)) {
    const std::uint16_t Sample = Window[static_cast<std::size_t>(N - 1)];
    Report[Byte++] = static_cast<std::uint8_t>(Group == 1 ? Sample & 0xFF : Sample >> 8);
  }
  return Report;
}

void ApplyToModel(TWindow& Model, const TWindow& Window, int Code, int Received) {
  int I = 0;
  for (const auto& [Group, N] : CellsOf(Code)) {
    if (++I > Received) {
      break;
    }
    auto& Cell = Model[static_cast<std::size_t>(N - 1)];
    const std::uint16_t Sample = Window[static_cast<std::size_t>(N - 1)];
    Cell = Group == 1 ? static_cast<std::uint16_t>((Cell & 0xFF00) | (Sample & 0x00FF))
                      : static_cast<std::uint16_t>((Cell & 0x00FF) | (Sample & 0xFF00));
  }
}

std::string ShownLevels(const QImage& Picture, int Group, int N) {
  // The second pixel of the sample: clear of the vertical grid lines.
  const int X = SampleX(N) + 1;
  const TRgb Colour = GroupColour(Group);
  std::string Levels;
  for (int J = 0; J < InputsPerGroup; ++J) {
    const int Input = J + 1 + (Group == 1 ? 0 : InputsPerGroup);
    const bool High = Picture.pixel(X, HighLevelY(Input)) == Colour;
    const bool Low = Picture.pixel(X, LowLevelY(Input)) == Colour;
    Levels += High && Low ? 'B' : High ? 'H' : Low ? 'L' : '-';
  }
  return Levels;
}

std::string LevelsOf(std::uint8_t Value) {
  std::string Levels;
  for (int J = 0; J < InputsPerGroup; ++J) {
    Levels += ((Value >> J) & 1) != 0 ? 'H' : 'L';
  }
  return Levels;
}

QImage Visible(const TForm1& Form) {
  return std::as_const(*Form.Image2).Picture().convertToFormat(QImage::Format_RGB32);
}

void WatchReports(TForm1& Form, std::function<void(int Code, std::uint16_t Size)> After) {
  TJvHidDevice* Device = Form.AnalyserDevice;
  if (Device == nullptr || !Device->OnReport()) {
    throw std::runtime_error("no analyser receiving reports");
  }
  Device->SetOnReport([Inner = Device->OnReport(), After = std::move(After)](
                          TJvHidDevice& HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                          std::uint16_t Size) {
    Inner(HidDev, ReportID, Data, Size);
    After(Size > 0 ? Data[0] : -1, Size);
  });
}

}  // namespace Robustness
