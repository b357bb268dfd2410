// SPDX-License-Identifier: GPL-3.0-or-later
// The HID platform of the system the program was built for: hidraw and udev
// on Linux, hid.dll and setupapi.dll on Windows. Qt-free.
#pragma once

#include "link/HidPlatform.h"

#include <memory>

/// A new platform on the system's own HID interfaces.
std::unique_ptr<THidPlatform> MakeSystemHidPlatform();
