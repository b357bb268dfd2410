// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/InstanceNumbers.h"

std::uint32_t TInstanceNumbers::NumberOf(const std::string& Key) {
  auto [Where, Inserted] = Numbers.try_emplace(Key, Next);
  if (Inserted) {
    // Skip 0 when the counter wraps; it reads as "no number".
    Next = Next == UINT32_MAX ? 1 : Next + 1;
  }
  return Where->second;
}

void TInstanceNumbers::Forget(const std::string& Key) {
  Numbers.erase(Key);
}

void TInstanceNumbers::KeepOnly(const std::set<std::string>& Present) {
  std::erase_if(Numbers, [&](const auto& Entry) { return !Present.contains(Entry.first); });
}
