// SPDX-License-Identifier: GPL-3.0-or-later
// la16-render-memory: the trace picture that an analyser's memory implies,
// drawn by la16's own renderer, compared pixel for pixel in the trace area
// with a picture la16 wrote (its snapshot "1.bmp"). The real-kernel scenarios
// use it to check what la16 drew from a real kernel device.
//
//   la16-render-memory MEMORY PICTURE.bmp OFFSET... [--write EXPECTED.bmp]
//
// MEMORY: 2047 lines of 4 hexadecimal digits, sample 0 first, bit k-1 being
// input k. The windows of 450 samples starting at each OFFSET (0 to 1597)
// are drawn one after the other as restitutions (empty grid, inputs 1 to 8,
// inputs 9 to 16), so the edges at the start of the last one follow the
// levels the one before left, as in la16. Exit status: 0 when the trace area
// of the last one equals PICTURE's, 1 when it differs (the first differing
// pixels are named), 2 for bad arguments or unreadable files.
#include <QImage>
#include <QString>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "display/TraceGeometry.h"
#include "display/TraceRenderer.h"

namespace {

constexpr int MemorySamples = 2047;
constexpr int LastOffset = MemorySamples - SamplesPerWindow;

std::optional<std::vector<std::uint16_t>> ReadMemory(const char* Path) {
  std::ifstream File(Path);
  std::vector<std::uint16_t> Memory;
  std::string Line;
  while (std::getline(File, Line)) {
    if (!Line.empty() && Line.back() == '\r') {
      Line.pop_back();
    }
    if (Line.size() != 4 || Line.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      std::fprintf(stderr, "la16-render-memory: %s line %zu is not 4 hex digits\n", Path,
                   Memory.size() + 1);
      return std::nullopt;
    }
    Memory.push_back(static_cast<std::uint16_t>(std::stoul(Line, nullptr, 16)));
  }
  if (Memory.size() != MemorySamples) {
    std::fprintf(stderr, "la16-render-memory: %s holds %zu samples, not %d\n", Path, Memory.size(),
                 MemorySamples);
    return std::nullopt;
  }
  return Memory;
}

// The input drawn at row y of the picture, or 0 between the rows.
int InputAtY(int Y) {
  for (int Input = 1; Input <= InputCount; ++Input) {
    if (Y >= HighLevelY(Input) && Y <= LowLevelY(Input)) {
      return Input;
    }
  }
  return 0;
}

}  // namespace

int main(int Argc, char** Argv) {
  std::vector<int> Offsets;
  const char* WritePath = nullptr;
  std::vector<const char*> Files;
  for (int I = 1; I < Argc; ++I) {
    const std::string Argument = Argv[I];
    if (Argument == "--write" && I + 1 < Argc) {
      WritePath = Argv[++I];
    } else if (Files.size() < 2) {
      Files.push_back(Argv[I]);
    } else {
      std::size_t End = 0;
      int Offset = -1;
      try {
        Offset = std::stoi(Argument, &End);
      } catch (const std::exception&) {
        End = 0;
      }
      if (End != Argument.size() || Offset < 0 || Offset > LastOffset) {
        std::fprintf(stderr, "la16-render-memory: offset %s is not 0 to %d\n", Argv[I], LastOffset);
        return 2;
      }
      Offsets.push_back(Offset);
    }
  }
  if (Files.size() != 2 || Offsets.empty()) {
    std::fprintf(stderr,
                 "usage: la16-render-memory MEMORY PICTURE.bmp OFFSET... [--write EXPECTED.bmp]\n");
    return 2;
  }
  const std::optional<std::vector<std::uint16_t>> Memory = ReadMemory(Files[0]);
  if (!Memory) {
    return 2;
  }
  QImage Actual;
  if (!Actual.load(QString::fromLocal8Bit(Files[1])) || Actual.width() != PictureWidth ||
      Actual.height() != PictureHeight) {
    std::fprintf(stderr, "la16-render-memory: %s is not a %d x %d picture\n", Files[1],
                 PictureWidth, PictureHeight);
    return 2;
  }
  Actual = Actual.convertToFormat(QImage::Format_RGB32);

  TTraceRenderer Renderer;
  QImage Expected;
  for (const int Offset : Offsets) {
    Renderer.DrawGrid();
    for (int Group = 1; Group <= 2; ++Group) {
      for (int N = 1; N <= SamplesPerWindow; ++N) {
        const std::uint16_t Sample = (*Memory)[static_cast<std::size_t>(Offset + N - 1)];
        Renderer.DrawSample(Group, N, static_cast<std::uint8_t>(Group == 1 ? Sample : Sample >> 8),
                            true);
      }
    }
    Renderer.PresentScreen(Expected);
  }
  if (WritePath != nullptr && !Expected.save(QString::fromLocal8Bit(WritePath), "BMP")) {
    std::fprintf(stderr, "la16-render-memory: cannot write %s\n", WritePath);
    return 2;
  }

  int Differing = 0;
  for (int Y = GridTop; Y <= GridBottom; ++Y) {
    for (int X = GridLeft; X <= GridRight; ++X) {
      const QRgb Want = Expected.pixel(X, Y) | 0xFF000000;
      const QRgb Got = Actual.pixel(X, Y) | 0xFF000000;
      if (Want == Got) {
        continue;
      }
      if (++Differing <= 10) {
        std::printf(
            "la16-render-memory: x=%d y=%d (sample %d, input %d): expected %06X, got %06X\n", X, Y,
            SampleAtX(X), InputAtY(Y), Want & 0xFFFFFF, Got & 0xFFFFFF);
      }
    }
  }
  if (Differing > 0) {
    std::printf("la16-render-memory: %d pixels of the trace area differ\n", Differing);
    return 1;
  }
  std::printf("la16-render-memory: the trace area is the memory's, window %d\n", Offsets.back());
  return 0;
}
