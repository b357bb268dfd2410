// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's "open" of an address, and word of its failure. One file per
// system: ShellOpenPosix.cpp (xdg-open), ShellOpenWindows.cpp (the shell).
#pragma once

#include <QString>
#include <functional>

class QObject;

/// Asks the desktop to open Url in its program for it. Failed runs on the
/// main thread, at once or once the desktop has answered, when there is no
/// program to ask or it says it could not open Url. What waits for the answer
/// belongs to Owner: once Owner is gone, nothing runs. An empty Failed: the
/// outcome is not looked at.
void ShellOpen(const QString& Url, QObject& Owner, std::function<void()> Failed);
