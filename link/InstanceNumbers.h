// SPDX-License-Identifier: GPL-3.0-or-later
// Instance numbers of hot-plugged interfaces: one per system path, kept for
// as long as the interface stays plugged in, never given out twice, so that
// an interface that comes back is told apart from the one that went.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

class TInstanceNumbers {
 public:
  /// The number of Key, a new one if Key has none.
  std::uint32_t NumberOf(const std::string& Key);
  /// Key was removed: it gets a new number when it comes back.
  void Forget(const std::string& Key);
  /// Forgets every key not in Present.
  void KeepOnly(const std::set<std::string>& Present);
  std::size_t Size() const { return Numbers.size(); }

 private:
  std::map<std::string, std::uint32_t> Numbers;
  std::uint32_t Next = 1;
};
