// SPDX-License-Identifier: GPL-3.0-or-later
// Exit statuses of la16-capture and the one-line messages that go with them.
// A script tells the failures apart by the status alone; the message is for
// the person reading standard error.
#pragma once

#include <string>
#include <string_view>

/// Exit statuses of la16-capture. Every failure has its own status.
enum TCaptureStatus : int {
  CaptureSucceeded = 0,     ///< samples written (or the list or help printed)
  CaptureFailed = 1,        ///< unexpected internal failure
  CaptureBadArguments = 2,  ///< an argument is unknown, missing, repeated or out of range
  CaptureNoAnalyser = 3,    ///< no analyser found
  CaptureNoPermission = 4,  ///< an analyser is there but cannot be opened for reading and writing
  CaptureTimedOut = 5,      ///< the analyser did not answer within --timeout
  CaptureWriteError = 6,    ///< the output file could not be opened or written
  CaptureDeviceLost = 7,    ///< the analyser went away or a transfer failed during the capture
  CaptureInconsistent = 8,  ///< a restitution was incomplete or overlapping windows disagree
};

/// A failure: the status to exit with and its message (one line, French,
/// without the program name).
struct TCaptureFailure {
  TCaptureStatus Status;
  std::string Message;
};

/// Where the udev rule that grants access to the analyser lives in the sources.
inline constexpr std::string_view UdevRulePath = "packaging/linux/70-la16.rules";

/// The failure for an analyser found at Path that cannot be opened; names the udev rule.
TCaptureFailure NoPermissionFailure(std::string_view Path);

/// The failure for no analyser found (Simulated: looking for the simulated one).
TCaptureFailure NoAnalyserFailure(bool Simulated);

/// The failure for an analyser that sent nothing for Seconds seconds while
/// the tool was doing What (for example "attente du déclenchement").
TCaptureFailure TimedOutFailure(std::string_view What, double Seconds);

/// The failure for output that could not be written; Target is the file name
/// or empty for standard output, Reason the system's (FileErrors.h), if known.
TCaptureFailure WriteFailure(std::string_view Target, std::string_view Reason = {});

/// The failure for an analyser at Path that went away or could no longer be
/// read during the capture; Reason says which.
TCaptureFailure DeviceLostFailure(std::string_view Path, std::string_view Reason);

/// The failure for a command that could not be written to the analyser at
/// Path; Reason is the system's message.
TCaptureFailure TransferFailure(std::string_view Path, std::string_view Reason);

/// The failure for a window at Offset whose restitution came incomplete at
/// each of Attempts requests.
TCaptureFailure IncompleteWindowFailure(int Offset, int Attempts);

/// Argument text made safe for a one-line message: control bytes become \xNN
/// escapes and long texts are cut (never inside a UTF-8 sequence) with "…".
std::string QuoteArgument(std::string_view Text);
