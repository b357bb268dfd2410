// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/TextConversions.h"

#include <algorithm>

std::string BinaryText(std::uint32_t Value) {
  // Take the lowest bit and halve until nothing is left, then turn round.
  std::string Digits;
  do {
    Digits.push_back(static_cast<char>('0' + (Value & 1U)));
    Value >>= 1;
  } while (Value != 0);
  std::reverse(Digits.begin(), Digits.end());
  return Digits;
}

std::string HexText(std::uint32_t Value) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string Digits;
  do {
    Digits.push_back(Hex[Value & 0xFU]);
    Value >>= 4;
  } while (Value != 0);
  if (Digits.size() < 2) {
    Digits.push_back('0');
  }
  std::reverse(Digits.begin(), Digits.end());
  return Digits;
}
