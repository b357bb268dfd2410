// SPDX-License-Identifier: GPL-3.0-or-later
// Reader of sigrok session files (format version 2): la16's own, with its
// [la16] group, and any other writer's whose samplerate is one of the time
// bases' (30 samples per division). The first 16 logic channels become
// inputs 1 to 16; inputs the session does not have read low. Qt-free: the
// bytes come from the caller, who checks the file's size first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "acquisition/TimeBase.h"
#include "acquisition/TriggerTexts.h"
#include "acquisition/WindowPlan.h"

/// Largest capture file read at all; the caller refuses a larger file
/// before reading it.
inline constexpr std::uint64_t MaxCaptureFileBytes = 64ULL * 1024 * 1024;
/// Largest number of samples kept from a session.
inline constexpr std::size_t MaxCaptureSamples = 16U * 1024 * 1024;

/// Longest date text kept from a file.
inline constexpr std::size_t MaxCaptureDateLength = 64;

/// A capture read from a file.
struct TOpenedCapture {
  std::vector<TSample> Samples;  ///< bit k - 1 is input k
  /// The time base of the file's rate; nullptr for a rate of none of them,
  /// which only a reader given TSampleRates::Any accepts.
  const TTimeBase* TimeBase = nullptr;
  double SecondsPerSample = 0.0;  ///< time between two samples, from the file
  int FirstIndex = 0;             ///< memory index of Samples[0] (la16's sessions), else 0
  /// What la16 recorded: trigger mode (None for another writer's session),
  /// the pattern of inputs 1-8, the pull.
  TTriggerMode TriggerMode = TTriggerMode::None;
  std::uint8_t TriggerPattern = 0;
  TPull Pull = TPull::None;
  /// The inputs the file carries (bit k - 1 for input k); the others read low.
  std::uint16_t CarriedInputs = 0xFFFF;
  /// When it was taken, as the file records it (la16's: ISO 8601); empty
  /// when it records nothing.
  std::string Date;
};

/// Why a file cannot be opened as a capture.
enum class TCaptureFileProblem {
  NotASession,
  NoLogicData,
  UnsupportedSampleRate,
  Damaged,
  TooLarge,
  UnknownFormat,  ///< an extension of none of the capture files
  Unreadable,     ///< a VCD or CSV file that says nothing readable; Detail says why
};

/// The sample rates a reader accepts: the window shows only the time bases'
/// (30 samples per division), la16-capture analyses a file at any rate.
enum class TSampleRates { TimeBasesOnly, Any };

struct TCaptureFileFailure {
  TCaptureFileProblem Problem;
  std::string Message;  ///< one French sentence naming the file
};

/// The message for Problem about the file named Name (Detail: the samplerate
/// text for UnsupportedSampleRate).
std::string CaptureFileMessage(TCaptureFileProblem Problem, std::string_view Name,
                               std::string_view Detail = {});

/// Reads the session in Bytes, the whole content of the file named Name.
std::variant<TOpenedCapture, TCaptureFileFailure> ReadSigrokSession(
    std::string_view Bytes, std::string_view Name,
    TSampleRates Rates = TSampleRates::TimeBasesOnly);

/// A samplerate text as sigrok writes or accepts it ("30 MHz", "1.5 kHz",
/// "60Hz", "1000000") in hertz; 0 when it is not one.
std::uint64_t ParseSigrokSampleRate(std::string_view Text);

/// The time base whose rate is Hertz (30 samples per division), or nullptr.
const TTimeBase* TimeBaseOfSampleRate(std::uint64_t Hertz);

/// Texts of the [la16] group for the trigger and pull of a capture.
std::string RecordedTriggerText(TTriggerMode Mode);
std::string RecordedPullText(TPull Pull);
