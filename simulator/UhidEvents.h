// SPDX-License-Identifier: GPL-3.0-or-later
// The events of the kernel's uhid driver (linux/uhid.h), built and decoded
// without touching /dev/uhid. Every event crosses /dev/uhid whole, as one
// struct uhid_event per read() or write(). Qt-free, Linux.
#pragma once

#include <linux/uhid.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// What UHID_CREATE2 says about the device.
struct TUhidDeviceInfo {
  std::string Name;  ///< UTF-8; cut to 127 bytes
  std::string Phys;  ///< cut to 63 bytes
  std::string Uniq;  ///< cut to 63 bytes
  std::uint16_t Bus = 0;
  std::uint32_t Vendor = 0;
  std::uint32_t Product = 0;
  std::uint32_t Version = 0;
  std::uint32_t Country = 0;
  std::vector<std::uint8_t> Descriptor;  ///< the report descriptor
};

/// The analyser's report descriptor: one 64-byte input and one 64-byte
/// output report of a vendor-defined page, without report ids.
const std::vector<std::uint8_t>& AnalyserReportDescriptor();

/// UHID_CREATE2 for Info; nothing when the descriptor is empty or longer
/// than HID_MAX_DESCRIPTOR_SIZE.
std::optional<uhid_event> BuildCreate2(const TUhidDeviceInfo& Info);
/// UHID_INPUT2 carrying Size bytes of an input report exactly as the device
/// sends it (with its id byte only if the interface numbers its reports);
/// nothing when Size is 0 or above UHID_DATA_MAX.
std::optional<uhid_event> BuildInput2(const std::uint8_t* Data, std::size_t Size);
uhid_event BuildDestroy();
/// Answers to the kernel's report requests; Error is an errno value, 0 for
/// success (no report data is ever given).
uhid_event BuildGetReportReply(std::uint32_t Id, std::uint16_t Error);
uhid_event BuildSetReportReply(std::uint32_t Id, std::uint16_t Error);

/// One event read from /dev/uhid.
struct TUhidReceived {
  std::uint32_t Type = 0;  ///< UHID_START, UHID_OUTPUT, ... or any other value
  /// UHID_OUTPUT: the report as the kernel hands it on, and its type
  /// (UHID_OUTPUT_REPORT for a report written to the device).
  std::vector<std::uint8_t> Data;
  std::uint8_t ReportType = 0;
  /// UHID_GET_REPORT and UHID_SET_REPORT: the request to answer.
  std::uint32_t RequestId = 0;
};

/// Decodes Count bytes read from /dev/uhid. Bytes the kernel did not write
/// read as 0, as the driver's interface says; a size field never reaches
/// past the bytes actually read nor past UHID_DATA_MAX. Nothing when Count
/// is too short to hold the event type.
std::optional<TUhidReceived> DecodeUhidEvent(const std::uint8_t* Bytes, std::size_t Count);

/// An output report as one line of the command log: its bytes in lower-case
/// hexadecimal separated by blanks, without a line end.
std::string HexLine(const std::vector<std::uint8_t>& Bytes);
