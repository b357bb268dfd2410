// The few things la16-capture asks of the system beyond standard C++: its
// streams, its terminal, the local time and new files made exclusively.
// One implementation per system (CapturePlatformPosix.cpp,
// CapturePlatformWindows.cpp). Qt-free.
#pragma once

#include <ctime>
#include <string>

/// Standard output carries bytes as they are written (no line-end
/// translation) and messages in UTF-8 show as such.
void PrepareStandardStreams();

/// Whether standard error is a terminal (progress lines go there only then).
bool StandardErrorIsTerminal();

/// Time broken down in the local time zone; false when it cannot be.
bool LocalTime(std::time_t Time, std::tm& Local);

/// A number of this process that no other process running now has.
unsigned long ProcessNumber();

enum class TNewFile { Created, Exists, Failed };
/// Creates Path empty, only if nothing has that name yet (mode 0666 less the
/// umask where the system has modes).
TNewFile CreateNewFile(const std::string& Path);
