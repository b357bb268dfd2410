// Reads back the entries of a zip archive held in memory, through the zip
// library, for the tests of the sigrok session writer.
#pragma once

#include <zip.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/WindowPlan.h"

namespace sigroktest {

/// Every entry of the archive by name, or nothing when it is not a readable zip.
inline std::optional<std::map<std::string, std::string>> ZipEntries(const std::string& Bytes) {
  zip_error_t Error;
  zip_error_init(&Error);
  zip_source_t* Source = zip_source_buffer_create(Bytes.data(), Bytes.size(), 0, &Error);
  zip_t* Archive = Source != nullptr ? zip_open_from_source(Source, ZIP_RDONLY, &Error) : nullptr;
  zip_error_fini(&Error);
  if (Archive == nullptr) {
    zip_source_free(Source);
    return std::nullopt;
  }
  std::map<std::string, std::string> Entries;
  bool Good = true;
  const zip_int64_t Count = zip_get_num_entries(Archive, 0);
  for (zip_int64_t I = 0; I < Count && Good; ++I) {
    const auto Index = static_cast<zip_uint64_t>(I);
    zip_stat_t Stat;
    zip_stat_init(&Stat);
    zip_file_t* File = nullptr;
    Good = zip_stat_index(Archive, Index, 0, &Stat) == 0 &&
           (File = zip_fopen_index(Archive, Index, 0)) != nullptr;
    if (!Good) {
      break;
    }
    std::string Data(static_cast<std::size_t>(Stat.size), '\0');
    Good = zip_fread(File, Data.data(), Data.size()) == static_cast<zip_int64_t>(Data.size());
    zip_fclose(File);
    Entries[Stat.name] = Data;
  }
  zip_discard(Archive);  // frees the source too
  if (!Good) {
    return std::nullopt;
  }
  return Entries;
}

/// Little-endian 16-bit words, as sigrok's logic data with unit size 2.
inline std::vector<TSample> Words(const std::string& Bytes) {
  std::vector<TSample> Samples;
  for (std::size_t I = 0; I + 1 < Bytes.size(); I += 2) {
    Samples.push_back(static_cast<TSample>(static_cast<unsigned char>(Bytes[I]) |
                                           static_cast<unsigned char>(Bytes[I + 1]) << 8));
  }
  return Samples;
}

/// The value of Key in [Group] of an INI text, or nothing.
inline std::optional<std::string> IniValue(const std::string& Text, const std::string& Group,
                                           const std::string& Key) {
  std::string Current;
  std::size_t Start = 0;
  while (Start < Text.size()) {
    std::size_t End = Text.find('\n', Start);
    if (End == std::string::npos) {
      End = Text.size();
    }
    const std::string Line = Text.substr(Start, End - Start);
    Start = End + 1;
    if (Line.size() > 1 && Line.front() == '[' && Line.back() == ']') {
      Current = Line.substr(1, Line.size() - 2);
    } else if (Current == Group && Line.rfind(Key + "=", 0) == 0) {
      return Line.substr(Key.size() + 1);
    }
  }
  return std::nullopt;
}

}  // namespace sigroktest
