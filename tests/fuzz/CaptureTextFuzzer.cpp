// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a VCD or CSV capture, at any rate: a reader gives samples
// within the limit or a failure with a message, and the decoders and the
// pointer figures run over whatever it gave without reading past it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "acquisition/CaptureFileReaders.h"
#include "analysis/DecoderTable.h"
#include "analysis/PulseFigures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
  for (const char* Name : {"f.vcd", "f.csv"}) {
    const auto Read = ReadCaptureFile(Bytes, Name, TSampleRates::Any);
    const auto* Capture = std::get_if<TOpenedCapture>(&Read);
    if (Capture == nullptr) {
      if (std::get<TCaptureFileFailure>(Read).Message.empty()) {
        std::abort();
      }
      continue;
    }
    if (Capture->Samples.empty() || Capture->Samples.size() > MaxCaptureSamples ||
        !(Capture->SecondsPerSample > 0)) {
      std::abort();
    }
    const TSampleView View{Capture->Samples, Capture->FirstIndex, Capture->SecondsPerSample,
                           Capture->TimeBase};
    for (const char* Text : {"uart:rx=1:baudrate=auto", "i2c:scl=1:sda=2",
                             "spi:clk=1:mosi=2:miso=3:cs=4", "pwm:data=1"}) {
      for (const TAnnotation& A : Decode(std::get<TDecoderSpec>(ParseDecoderSpec(Text)), View)) {
        if (A.LastSample < A.FirstSample || A.FirstSample < View.IndexOf(0) ||
            A.LastSample > View.IndexOf(View.Size() - 1)) {
          std::abort();
        }
      }
    }
    MeasurePulse(View, 1, View.Size() / 2);
  }
  return 0;
}
