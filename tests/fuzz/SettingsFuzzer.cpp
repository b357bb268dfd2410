// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file read from any bytes, written back and read again: the
// written file must give back the same 80 lines, whether it is read whole, in
// pieces or from disk, and a save that changes one line either leaves a file
// holding exactly the new lines or fails and leaves the old file whole.
//
// Input: the file's bytes, then a new value for one line, then four bytes
// read from the end: the line to change (0 for none, by modulo), the length of
// the new value and where to cut the file in two pieces (16 bits).
#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/Settings.h"
#include "app/SettingsFormat.h"

namespace {

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "settings_fuzzer: %s\n", What);
    std::abort();
  }
}

QByteArray FileBytes(const QString& Path) {
  QFile File(Path);
  Check(File.open(QIODevice::ReadOnly), "cannot read back the settings file");
  return File.readAll();
}

void PutFileBytes(const QString& Path, std::string_view Bytes) {
  QFile File(Path);
  Check(File.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the test file");
  Check(File.write(Bytes.data(), static_cast<qint64>(Bytes.size())) ==
            static_cast<qint64>(Bytes.size()),
        "cannot write the test file");
}

bool SameBytes(const QByteArray& A, std::string_view B) {
  return static_cast<std::size_t>(A.size()) == B.size() &&
         std::string_view(A.constData(), B.size()) == B;
}

// In memory where there is a tmpfs: a save syncs the file, which on a disk
// would cost more than everything else the target does.
const QString& SettingsPath() {
  static const QString Memory = QStringLiteral("/dev/shm");
  static QTemporaryDir Folder((QDir(Memory).exists() ? Memory : QDir::tempPath()) +
                              QStringLiteral("/la16-settings-fuzzer-XXXXXX"));
  static const QString Path = Folder.filePath(QString::fromLatin1(SettingsFileName));
  return Path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzedDataProvider Input(Data, Size);
  const int ChangedLine = Input.ConsumeIntegralInRange<int>(0, SettingsLineCount);
  const std::size_t ValueLength = Input.ConsumeIntegral<std::uint8_t>();
  const std::uint16_t CutAt = Input.ConsumeIntegral<std::uint16_t>();
  const std::string Value = Input.ConsumeBytesAsString(ValueLength);
  const std::string File = Input.ConsumeRemainingBytesAsString();

  // Read whole, and in two pieces cut anywhere.
  const TSettings Loaded = ParseSettings(File);
  Check(FirstUnwritableLine(Loaded) == 0, "a line read cannot be written back");
  const std::size_t Cut = CutAt % (File.size() + 1);
  TSettingsReader Reader;
  Reader.Feed(std::string_view(File).substr(0, Cut));
  Reader.Feed(std::string_view(File).substr(Cut));
  Check(Reader.Result() == Loaded, "lines depend on the pieces the bytes come in");

  // Written and read again: the same lines, and the same bytes once more.
  const std::string Written = SerialiseSettings(Loaded);
  Check(ParseSettings(Written) == Loaded, "written file reads back other lines");
  Check(SerialiseSettings(ParseSettings(Written)) == Written, "second save differs");

  // The same through the files on disk.
  const QString& Path = SettingsPath();
  PutFileBytes(Path, File);
  Check(ReadSettingsFile(Path) == Loaded, "file on disk reads other lines");
  WriteSettingsFile(Path, Loaded);
  Check(SameBytes(FileBytes(Path), Written), "saved file holds other bytes");
  Check(ReadSettingsFile(Path) == Loaded, "saved file reads back other lines");

  // One line given a new value, as the program does before each save.
  if (ChangedLine != 0) {
    TSettings Changed = Loaded;
    Changed.Line(ChangedLine) = Value;
    bool Saved = true;
    try {
      WriteSettingsFile(Path, Changed);
    } catch (const TSettingsWriteError&) {
      Saved = false;
    }
    Check(Saved == (FirstUnwritableLine(Changed) == 0),
          "save refused for a line the file can keep, or done for one it cannot");
    if (Saved) {
      Check(ParseSettings(SerialiseSettings(Changed)) == Changed,
            "changed line reads back otherwise");
      Check(ReadSettingsFile(Path) == Changed, "changed line saved as other lines");
    } else {
      Check(SameBytes(FileBytes(Path), Written), "failed save damaged the old file");
    }
  }
  return 0;
}
