// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a capture file: the session reader either gives a capture
// whose samples keep to the inputs the session has and whose time base is one
// of the analyser's, or one of its failures with a message; it never reads
// past the bytes or gives up on an archive it did not write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "acquisition/SigrokSessionReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const auto Read =
      ReadSigrokSession(std::string_view(reinterpret_cast<const char*>(Data), Size), "f.sr");
  if (const auto* Capture = std::get_if<TOpenedCapture>(&Read)) {
    if (Capture->TimeBase == nullptr || Capture->Samples.empty() ||
        Capture->Samples.size() > MaxCaptureSamples || Capture->FirstIndex < 0 ||
        static_cast<int>(Capture->TriggerMode) < static_cast<int>(TTriggerMode::None) ||
        static_cast<int>(Capture->TriggerMode) > static_cast<int>(TTriggerMode::ExternalLow)) {
      std::abort();
    }
  } else if (std::get<TCaptureFileFailure>(Read).Message.empty()) {
    std::abort();
  }
  return 0;
}
