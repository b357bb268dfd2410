// SPDX-License-Identifier: GPL-3.0-or-later
// The few things la16-capture asks of the system beyond standard C++ and
// link/SystemFiles.h: its streams, its terminal and the local time.
// One implementation per system (CapturePlatformPosix.cpp,
// CapturePlatformWindows.cpp). Qt-free.
#pragma once

#include <ctime>
#include <string>
#include <vector>

/// The arguments after the program's name, in UTF-8 on Windows (taken from
/// the wide-character command line: the narrow one loses what the code page
/// lacks), as given elsewhere.
std::vector<std::string> CommandLineArguments(int Argc, char** Argv);

/// Standard output carries bytes as they are written (no line-end
/// translation) and messages in UTF-8 show as such.
void PrepareStandardStreams();

/// Whether standard error is a terminal (progress lines go there only then).
bool StandardErrorIsTerminal();

/// Time broken down in the local time zone; false when it cannot be.
bool LocalTime(std::time_t Time, std::tm& Local);
