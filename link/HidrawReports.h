// SPDX-License-Identifier: GPL-3.0-or-later
// How hidraw's reports differ from the platform's, and the conversion of a
// read buffer between the two. Pure; no system calls.
//
// The kernel's rules for a hidraw node:
// - read() gives one input report. When the interface numbers its input
//   reports, its first byte is the report id; when it does not, the report's
//   data begins at the first byte and there is no id byte at all.
// - write() takes one output report whose first byte is the report id, 0 for
//   an interface that does not number its output reports; the report's data
//   follows. The kernel's USB transport drops a leading 0 before the report
//   goes to the device; the uhid driver hands the whole buffer, 0 included,
//   to the program behind the device.
// The platform wants the report id byte first in both directions, as the
// Windows HID class gives it, so only reads need converting.
#pragma once

#include <cstddef>
#include <cstdint>

/// Puts one input report as hidraw's read() gave it (RawBytes bytes at Raw)
/// into Buffer, report id byte first, and returns the bytes written there:
/// - numbered reports pass as read;
/// - an unnumbered report gets report id 0 in front of its data.
/// Never writes more than Length bytes: the end of a longer report is lost,
/// as on a read into a short buffer. Nothing is written, and 0 returned,
/// when RawBytes or Length is 0. Raw and Buffer must not overlap.
std::size_t RestoreReportId(const std::uint8_t* Raw, std::size_t RawBytes, bool Numbered,
                            std::uint8_t* Buffer, std::size_t Length);
