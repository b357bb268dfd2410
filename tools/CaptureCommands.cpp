// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureCommands.h"

namespace {

TCaptureCommand Plain(TAnalyserCommand Code) {
  return {Code, 0, 0, 0};
}

TCaptureCommand WithByte(TAnalyserCommand Code, std::uint8_t P1) {
  return {Code, 1, P1, 0};
}

TCaptureCommand WithWord(TAnalyserCommand Code, int Value) {
  return {Code, 2, static_cast<std::uint8_t>((Value >> 8) & 0xFF),
          static_cast<std::uint8_t>(Value & 0xFF)};
}

}  // namespace

std::vector<TCaptureCommand> CaptureStartCommands(const TCaptureOptions& Options) {
  std::vector<TCaptureCommand> Commands;
  Commands.push_back(Plain(cmdAttach));
  Commands.push_back(WithWord(cmdPcSpeed, Options.PcSpeed));
  if (Options.Pull != TCapturePull::Unchanged) {
    Commands.push_back(WithByte(cmdPull, Options.Pull == TCapturePull::Up ? 1 : 0));
  }
  // The export needs to know the period, so the time base is always set.
  Commands.push_back(WithByte(cmdTimeBase, Options.TimeBase->Code));
  if (Options.Trigger == TCaptureTriggerMode::PatternEqual) {
    Commands.push_back(WithByte(cmdTriggerPattern, Options.TriggerPattern));
  }
  Commands.push_back(WithByte(cmdTriggerMode, static_cast<std::uint8_t>(Options.Trigger)));
  Commands.push_back(Plain(cmdSingle));
  return Commands;
}

TCaptureCommand ViewPositionCommand(int Offset) {
  return WithWord(cmdViewPosition, Offset);
}

void LoadCommand(TCommandReport& Report, const TCaptureCommand& Command) {
  switch (Command.ParameterCount) {
    case 0:
      Report.SetCommand(Command.Code);
      break;
    case 1:
      Report.SetCommand(Command.Code, Command.P1);
      break;
    default:
      Report.SetCommand(Command.Code, Command.P1, Command.P2);
      break;
  }
}
