// Report lengths from a HID report descriptor, as the system reports them:
// the largest input and output report in bytes, report id byte included.
// Pure; no system calls.
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

/// Parses Size bytes of a report descriptor. Returns false with a message in
/// Error for a descriptor that is cut short, pops more than it pushed, uses
/// report id 0 or declares a report longer than 65534 bytes; Lengths is then
/// left zero. Never reads outside the Size bytes.
bool ParseReportDescriptor(const std::uint8_t* Descriptor, std::size_t Size,
                           TReportLengths& Lengths, std::string& Error);
