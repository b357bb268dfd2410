// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/HidrawReports.h"

#include <algorithm>

std::size_t RestoreReportId(const std::uint8_t* Raw, std::size_t RawBytes, bool Numbered,
                            std::uint8_t* Buffer, std::size_t Length) {
  if (RawBytes == 0 || Length == 0) {
    return 0;
  }
  if (Numbered) {
    const std::size_t Bytes = std::min(RawBytes, Length);
    std::copy_n(Raw, Bytes, Buffer);
    return Bytes;
  }
  Buffer[0] = 0;
  const std::size_t Data = std::min(RawBytes, Length - 1);
  std::copy_n(Raw, Data, Buffer + 1);
  return Data + 1;
}
