// SPDX-License-Identifier: GPL-3.0-or-later
// The analyser's wire protocol: its identity, the command codes and the one
// send buffer. Qt-free; shared by the program, the simulator and la16-capture.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

/// USB identity of the analyser.
inline constexpr std::uint16_t AnalyserVendorId = 0x04D8;
inline constexpr std::uint16_t AnalyserProductId = 0x0005;

/// Command codes, byte 1 of every output report. No other code is ever sent.
enum TAnalyserCommand : std::uint8_t {
  cmdTimeBase = 1,        ///< p1 = TimeBaseCode
  cmdLoop = 2,            ///< no parameter
  cmdHalt = 3,            ///< no parameter
  cmdSingle = 4,          ///< no parameter
  cmdClose = 5,           ///< no parameter
  cmdAttach = 6,          ///< no parameter
  cmdViewPosition = 7,    ///< p1, p2 = view offset, high byte first
  cmdTriggerPattern = 8,  ///< p1 = low byte of the trigger pattern
  cmdTriggerMode = 9,     ///< p1 = 0 off, 1 internal equal, 2 external high, 3 external low
  cmdPull = 10,           ///< p1 = 0 pull-down, 1 pull-up
  cmdPcSpeed = 11,        ///< p1, p2 = PC speed (100..1000), high byte first
};

/// Block codes, byte 0 of the 64 bytes that follow an input report's id.
inline constexpr std::uint8_t BlockRestitutionStart = 20;
inline constexpr std::uint8_t BlockRestitutionEnd = 21;

/// Bytes of one input block (after the report id) and of one input report.
inline constexpr std::size_t BlockSize = 64;
inline constexpr std::size_t InputReportSize = BlockSize + 1;

/// Length of the one send buffer.
inline constexpr std::size_t CommandReportSize = 68;

/// The parameter byte of cmdTimeBase for 1 µs × 10^Decade × (1, 2, 5)[Step].
constexpr std::uint8_t TimeBaseCode(int Decade, int Step) {
  return static_cast<std::uint8_t>(Decade + 8 * Step);
}

/// The send buffer. It is never cleared: a command without parameters leaves
/// bytes 2 and 3 as the previous command left them, and they go out with it.
/// The analyser's firmware has always received them so.
class TCommandReport {
 public:
  /// Writes report id 0 and the code; bytes 2 and 3 are left as they are.
  void SetCommand(TAnalyserCommand Code);
  /// Writes report id 0, the code and p1; byte 3 is left as it is.
  void SetCommand(TAnalyserCommand Code, std::uint8_t P1);
  /// Writes report id 0, the code, p1 and p2.
  void SetCommand(TAnalyserCommand Code, std::uint8_t P1, std::uint8_t P2);
  /// Writes a 16-bit parameter high byte first (cmdViewPosition, cmdPcSpeed).
  void SetCommand16(TAnalyserCommand Code, std::uint16_t Value);

  /// The whole buffer.
  const std::array<std::uint8_t, CommandReportSize>& Bytes() const { return Buffer; }

  /// What goes out to a device whose output report is Length bytes long
  /// (report id included): the first Length bytes of the buffer, padded with
  /// zero bytes when the device declares more than the buffer holds.
  std::vector<std::uint8_t> OutputReport(std::size_t Length) const;

 private:
  std::array<std::uint8_t, CommandReportSize> Buffer{};
};
