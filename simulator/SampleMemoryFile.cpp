// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/SampleMemoryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "link/FileErrors.h"

namespace {

int HexDigit(char C) {
  if (C >= '0' && C <= '9') {
    return C - '0';
  }
  if (C >= 'a' && C <= 'f') {
    return C - 'a' + 10;
  }
  if (C >= 'A' && C <= 'F') {
    return C - 'A' + 10;
  }
  return -1;
}

std::string LineFault(std::size_t Line, const std::string& What) {
  return "ligne " + std::to_string(Line) + " : " + What;
}

std::string SystemReason() {
  return FileErrorReason(errno);
}

}  // namespace

std::variant<TSampleMemory, std::string> ParseSampleMemory(std::string_view Text) {
  TSampleMemory Memory{};
  std::size_t Count = 0;
  std::size_t At = 0;
  while (At < Text.size()) {
    const std::size_t End = Text.find('\n', At);
    std::string_view Line = Text.substr(At, End == std::string_view::npos ? End : End - At);
    At = End == std::string_view::npos ? Text.size() : End + 1;
    if (!Line.empty() && Line.back() == '\r') {
      Line.remove_suffix(1);
    }
    const std::size_t Number = Count + 1;
    if (Count == Memory.size()) {
      return LineFault(Number, "plus de " + std::to_string(MemorySamples) +
                                   " échantillons (un par ligne attendu)");
    }
    if (Line.size() != 4) {
      return LineFault(Number, "quatre chiffres hexadécimaux attendus");
    }
    unsigned Value = 0;
    for (const char C : Line) {
      const int Digit = HexDigit(C);
      if (Digit < 0) {
        return LineFault(Number, "quatre chiffres hexadécimaux attendus");
      }
      Value = Value << 4 | static_cast<unsigned>(Digit);
    }
    Memory[Count++] = static_cast<std::uint16_t>(Value);
  }
  if (Count != Memory.size()) {
    return std::to_string(Count) + " échantillons au lieu de " + std::to_string(MemorySamples);
  }
  return Memory;
}

std::string FormatSampleMemory(const TSampleMemory& Memory) {
  std::string Text;
  Text.reserve(Memory.size() * 5);
  char Line[8];
  for (const std::uint16_t Sample : Memory) {
    std::snprintf(Line, sizeof Line, "%04x\n", static_cast<unsigned>(Sample));
    Text += Line;
  }
  return Text;
}

std::variant<TSampleMemory, std::string> ReadSampleMemoryFile(const std::string& Path) {
  std::ifstream File(Path, std::ios::binary);
  if (!File) {
    return "impossible de lire " + Path + " : " + SystemReason();
  }
  std::string Text;
  char Chunk[4096];
  while (File.read(Chunk, sizeof Chunk) || File.gcount() > 0) {
    Text.append(Chunk, static_cast<std::size_t>(File.gcount()));
    if (Text.size() > MaxSampleMemoryFileBytes) {
      return Path + " : fichier trop long pour une mémoire de " + std::to_string(MemorySamples) +
             " échantillons";
    }
  }
  if (File.bad()) {
    return "impossible de lire " + Path + " : " + SystemReason();
  }
  std::variant<TSampleMemory, std::string> Parsed = ParseSampleMemory(Text);
  if (auto* Fault = std::get_if<std::string>(&Parsed)) {
    return Path + " : " + *Fault;
  }
  return Parsed;
}

bool WriteSampleMemoryFile(const std::string& Path, const TSampleMemory& Memory,
                           std::string& Error) {
  const std::string Temporary = Path + ".tmp-" + std::to_string(::getpid());
  const std::string Text = FormatSampleMemory(Memory);
  const int Fd = ::open(Temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (Fd < 0) {
    Error = "impossible d'écrire " + Path + " : " + SystemReason();
    return false;
  }
  std::size_t Done = 0;
  bool Written = true;
  while (Done < Text.size()) {
    const ssize_t Count = ::write(Fd, Text.data() + Done, Text.size() - Done);
    if (Count < 0 && errno == EINTR) {
      continue;
    }
    if (Count <= 0) {
      Written = false;
      break;
    }
    Done += static_cast<std::size_t>(Count);
  }
  if (!Written) {
    Error = "impossible d'écrire " + Path + " : " + SystemReason();
  }
  if (::close(Fd) != 0 && Written) {
    Error = "impossible d'écrire " + Path + " : " + SystemReason();
    Written = false;
  }
  if (Written && ::rename(Temporary.c_str(), Path.c_str()) != 0) {
    Error = "impossible de renommer " + Temporary + " en " + Path + " : " + SystemReason();
    Written = false;
  }
  if (!Written) {
    ::unlink(Temporary.c_str());
  }
  return Written;
}
