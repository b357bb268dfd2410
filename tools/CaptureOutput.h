// SPDX-License-Identifier: GPL-3.0-or-later
// Where la16-capture writes its samples. A file is written beside its final
// name and renamed over it only once complete, so a failed capture or write
// never leaves a truncated file nor spoils one that was there.
#pragma once

#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "tools/CaptureStatus.h"

class TCaptureOutput {
 public:
  /// Opens the output before the capture starts, so that a file that cannot
  /// be written is known before the analyser is touched. An empty Path means
  /// StandardOutput. Files that are not regular files (a terminal, a pipe,
  /// /dev/null) are written in place.
  static std::variant<std::unique_ptr<TCaptureOutput>, TCaptureFailure> Open(
      const std::string& Path, std::ostream& StandardOutput);

  /// Removes the unfinished file unless Commit succeeded.
  ~TCaptureOutput();
  TCaptureOutput(const TCaptureOutput&) = delete;
  TCaptureOutput& operator=(const TCaptureOutput&) = delete;

  std::ostream& Stream() { return File.is_open() ? File : *Standard; }

  /// Flushes and, for a file, closes it and gives it its final name.
  std::optional<TCaptureFailure> Commit();

 private:
  TCaptureOutput() = default;

  std::string Path;       // empty for standard output
  std::string Temporary;  // empty when written in place
  std::ofstream File;
  std::ostream* Standard = nullptr;
  bool Committed = false;
};
