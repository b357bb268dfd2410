// SPDX-License-Identifier: GPL-3.0-or-later
// The one way to talk to the analyser: fill the send buffer, then write it
// to the analyser when one is held.
#include <vector>

#include "app/Form1.h"
#include "link/JvHidControllerClass.h"

void TForm1::SendCommand(TAnalyserCommand Code) {
  State.CommandReport.SetCommand(Code);
  WriteCommandReport();
}

void TForm1::SendCommand(TAnalyserCommand Code, std::uint8_t P1) {
  State.CommandReport.SetCommand(Code, P1);
  WriteCommandReport();
}

void TForm1::SendCommand(TAnalyserCommand Code, std::uint8_t P1, std::uint8_t P2) {
  State.CommandReport.SetCommand(Code, P1, P2);
  WriteCommandReport();
}

void TForm1::WriteCommandReport() {
  if (AnalyserDevice == nullptr) {
    return;  // no analyser: the command is dropped silently
  }
  // The device says at every send how long its output report is; a longer
  // one than the buffer gets zero bytes after it.
  const std::uint16_t Length = AnalyserDevice->QueryCaps().OutputReportByteLength;
  if (Length == 0) {
    return;  // no output report, or the device cannot be asked: nothing can go out
  }
  const std::vector<std::uint8_t> Report = State.CommandReport.OutputReport(Length);
  std::uint32_t Written = 0;
  // Commands are fire-and-forget: a failed write shows only in that the
  // analyser does not react.
  AnalyserDevice->WriteReport(Report.data(), static_cast<std::uint32_t>(Report.size()), Written);
}
