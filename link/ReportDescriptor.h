// SPDX-License-Identifier: GPL-3.0-or-later
// Report lengths from a HID report descriptor, as the system reports them:
// the largest input and output report in bytes, report id byte included; and,
// per direction, whether the interface numbers its reports. Pure; no system
// calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// Largest report lengths of a descriptor, report id byte included (one byte
/// more than the report's data, whether or not the descriptor uses report
/// ids); 0 for a direction without reports.
struct TReportLengths {
  std::uint16_t Input = 0;
  std::uint16_t Output = 0;
  std::uint16_t Feature = 0;
};

/// Whether the reports of each direction are numbered: true when a report of
/// that direction is declared under a report id, as the kernel decides it.
/// A numbered report travels with its id byte first; an unnumbered one
/// travels without it (its id is 0).
struct TReportNumbering {
  bool Input = false;
  bool Output = false;
  bool Feature = false;
};

/// Parses Size bytes of a report descriptor. Returns false with a message in
/// Error for a descriptor that is cut short, pops more than it pushed, uses
/// report id 0 or declares a report longer than 65534 bytes; Lengths and
/// Numbering are then left zero. Never reads outside the Size bytes.
bool ParseReportDescriptor(const std::uint8_t* Descriptor, std::size_t Size,
                           TReportLengths& Lengths, TReportNumbering& Numbering,
                           std::string& Error);
/// The same, for a caller that needs only the lengths.
bool ParseReportDescriptor(const std::uint8_t* Descriptor, std::size_t Size,
                           TReportLengths& Lengths, std::string& Error);
