// The one way to talk to the analyser: fill the send buffer, then write it
// to the analyser when one is held.
#include "app/Form1.h"

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
  // The write to the device (its output report length, one synchronous
  // write, result not looked at) belongs to the HID link.
}
