// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/SigrokSessionReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <memory>
#include <optional>

#include "acquisition/SampleExport.h"
#include "acquisition/SigrokSession.h"

#include <zip.h>

namespace {

[[maybe_unused]] constexpr int InputCount = 16;
// Largest unit a sample may take: sigrok's logic devices stay far below.
[[maybe_unused]] constexpr int MaxUnitSize = 8;

constexpr std::array<const char*, 4> TriggerTexts = {"Synch OFF", "Interne Egal",
                                                     "Externe Niveau haut", "Externe Niveau Bas"};
constexpr std::array<const char*, 3> PullTexts = {"", "UP", "Down"};

using TGroups = std::map<std::string, std::map<std::string, std::string>>;

std::string_view Trim(std::string_view Text) {
  while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t')) {
    Text.remove_prefix(1);
  }
  while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t' || Text.back() == '\r')) {
    Text.remove_suffix(1);
  }
  return Text;
}

// The key file sigrok writes as metadata: [group] lines and key=value lines.
[[maybe_unused]] TGroups ParseKeyFile(std::string_view Text) {
  TGroups Groups;
  std::string Group;
  while (!Text.empty()) {
    const std::size_t End = Text.find('\n');
    std::string_view Line = Trim(Text.substr(0, End));
    Text.remove_prefix(End == std::string_view::npos ? Text.size() : End + 1);
    if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']') {
      Group = std::string(Line.substr(1, Line.size() - 2));
      Groups[Group];
    } else if (const std::size_t Equal = Line.find('='); Equal != std::string_view::npos) {
      Groups[Group][std::string(Trim(Line.substr(0, Equal)))] =
          std::string(Trim(Line.substr(Equal + 1)));
    }
  }
  return Groups;
}

[[maybe_unused]] std::optional<long long> WholeNumber(const std::string& Text) {
  long long Value = 0;
  const char* End = Text.data() + Text.size();
  const auto [Ptr, Error] = std::from_chars(Text.data(), End, Value);
  if (Error != std::errc() || Ptr != End) {
    return std::nullopt;
  }
  return Value;
}

TCaptureFileFailure Fail(TCaptureFileProblem Problem, std::string_view Name,
                         std::string_view Detail = {}) {
  return {Problem, CaptureFileMessage(Problem, Name, Detail)};
}

struct TArchiveClose {
  void operator()(zip_t* Archive) const { zip_discard(Archive); }
};
struct TFileClose {
  void operator()(zip_file_t* File) const { zip_fclose(File); }
};

// The entry Name whole, at most Limit bytes; nothing when it is missing,
// larger, or cannot be read (a bad checksum or a cut archive).
enum class TEntryRead { Read, Missing, TooLarge, Damaged };
TEntryRead ReadEntry(zip_t* Archive, const std::string& Name, std::uint64_t Limit,
                     std::string& Bytes) {
  zip_stat_t Stat;
  zip_stat_init(&Stat);
  if (zip_stat(Archive, Name.c_str(), 0, &Stat) != 0) {
    return TEntryRead::Missing;
  }
  if ((Stat.valid & ZIP_STAT_SIZE) == 0) {
    return TEntryRead::Damaged;
  }
  if (Stat.size > Limit) {
    return TEntryRead::TooLarge;
  }
  const std::unique_ptr<zip_file_t, TFileClose> File(zip_fopen(Archive, Name.c_str(), 0));
  if (!File) {
    return TEntryRead::Damaged;
  }
  Bytes.assign(static_cast<std::size_t>(Stat.size), '\0');
  std::size_t Done = 0;
  while (Done < Bytes.size()) {
    const zip_int64_t Read = zip_fread(File.get(), Bytes.data() + Done, Bytes.size() - Done);
    if (Read <= 0) {
      return TEntryRead::Damaged;
    }
    Done += static_cast<std::size_t>(Read);
  }
  // The checksum is checked once the end is read: one byte more must give 0.
  char Extra = 0;
  return zip_fread(File.get(), &Extra, 1) == 0 ? TEntryRead::Read : TEntryRead::Damaged;
}

// la16's own group: the recorded trigger, pattern, pull and first index.
[[maybe_unused]] void ReadOwnGroup(const std::map<std::string, std::string>& Own,
                                   TOpenedCapture& Capture) {
  const auto Text = [&Own](const char* Key) {
    const auto Found = Own.find(Key);
    return Found == Own.end() ? std::string() : Found->second;
  };
  for (std::size_t Mode = 0; Mode < TriggerTexts.size(); ++Mode) {
    if (Text("trigger") == TriggerTexts[Mode]) {
      Capture.TriggerMode = static_cast<TTriggerMode>(Mode);
    }
  }
  if (const auto Pattern = WholeNumber(Text("trigger pattern")); Pattern && *Pattern >= 0) {
    Capture.TriggerPattern = static_cast<std::uint8_t>(*Pattern & 0xFF);
  }
  for (std::size_t Pull = 1; Pull < PullTexts.size(); ++Pull) {
    if (Text("pull") == PullTexts[Pull]) {
      Capture.Pull = static_cast<TPull>(Pull);
    }
  }
  Capture.Date = Text("date").substr(0, MaxCaptureDateLength);
  if (const auto First = WholeNumber(Text("first memory index"));
      First && *First >= 0 && *First < WholeMemorySamples) {
    Capture.FirstIndex = static_cast<int>(*First);
  }
}

}  // namespace

std::string CaptureFileMessage(TCaptureFileProblem Problem, std::string_view Name,
                               std::string_view Detail) {
  const std::string Quoted = "« " + std::string(Name) + " »";
  switch (Problem) {
    case TCaptureFileProblem::NotASession:
      return Quoted + " n'est pas une session sigrok (.sr).";
    case TCaptureFileProblem::NoLogicData:
      return "La session " + Quoted + " ne contient aucune donnée logique.";
    case TCaptureFileProblem::UnsupportedSampleRate:
      return "La fréquence d'échantillonnage de " + Quoted + " (" + std::string(Detail) +
             ") ne correspond à aucune base de temps de l'analyseur (30 échantillons par "
             "division, de 1µs à 500ms).";
    case TCaptureFileProblem::Damaged:
      return "La session " + Quoted + " est tronquée ou endommagée.";
    case TCaptureFileProblem::TooLarge:
      return Quoted + " est trop volumineux pour une capture de l'analyseur (plus de 64 Mo).";
    case TCaptureFileProblem::UnknownFormat:
      return Quoted + " n'est ni une session sigrok (.sr), ni un fichier VCD (.vcd) ou CSV (.csv).";
    case TCaptureFileProblem::Unreadable:
      return Quoted + " n'est pas une capture lisible : " + std::string(Detail) + ".";
  }
  return Quoted;
}

std::uint64_t ParseSigrokSampleRate(std::string_view Text) {
  Text = Trim(Text);
  std::uint64_t Whole = 0;
  std::uint64_t Fraction = 0;
  std::uint64_t FractionScale = 1;
  std::size_t At = 0;
  bool Digits = false;
  for (; At < Text.size() && Text[At] >= '0' && Text[At] <= '9'; ++At, Digits = true) {
    if (Whole > 1'000'000'000'000ULL) {
      return 0;
    }
    Whole = Whole * 10 + static_cast<std::uint64_t>(Text[At] - '0');
  }
  if (At < Text.size() && Text[At] == '.') {
    for (++At; At < Text.size() && Text[At] >= '0' && Text[At] <= '9'; ++At) {
      if (FractionScale >= 1'000'000'000ULL) {
        return 0;
      }
      Fraction = Fraction * 10 + static_cast<std::uint64_t>(Text[At] - '0');
      FractionScale *= 10;
    }
  }
  if (!Digits) {
    return 0;
  }
  std::string_view Unit = Trim(Text.substr(At));
  std::uint64_t Scale = 1;
  if (!Unit.empty() && (Unit.front() == 'k' || Unit.front() == 'M' || Unit.front() == 'G')) {
    Scale = Unit.front() == 'k' ? 1'000ULL : Unit.front() == 'M' ? 1'000'000ULL : 1'000'000'000ULL;
    Unit.remove_prefix(1);
  }
  if (!Unit.empty() && Unit != "Hz") {
    return 0;
  }
  // Exact only: a rate with a part finer than 1 Hz is none of ours.
  if ((Fraction * Scale) % FractionScale != 0) {
    return 0;
  }
  return Whole * Scale + Fraction * Scale / FractionScale;
}

const TTimeBase* TimeBaseOfSampleRate(std::uint64_t Hertz) {
  for (const TTimeBase& Base : TimeBaseTable) {
    if (static_cast<std::uint64_t>(SampleRateHz(Base)) == Hertz) {
      return &Base;
    }
  }
  return nullptr;
}

std::string RecordedTriggerText(TTriggerMode Mode) {
  const int Index = static_cast<int>(Mode);
  return Index >= 0 && Index < static_cast<int>(TriggerTexts.size())
             ? TriggerTexts[static_cast<std::size_t>(Index)]
             : "";
}

std::string RecordedPullText(TPull Pull) {
  const int Index = static_cast<int>(Pull);
  return Index > 0 && Index < static_cast<int>(PullTexts.size())
             ? PullTexts[static_cast<std::size_t>(Index)]
             : "";
}

std::variant<TOpenedCapture, TCaptureFileFailure> ReadSigrokSession(std::string_view Bytes,
                                                                    std::string_view Name,
                                                                    TSampleRates Rates) {
  if (Bytes.size() > MaxCaptureFileBytes) {
    return Fail(TCaptureFileProblem::TooLarge, Name);
  }
  // A zip archive begins with a local file header.
  if (Bytes.substr(0, 4) != std::string_view("PK\x03\x04", 4)) {
    return Fail(TCaptureFileProblem::NotASession, Name);
  }
  zip_error_t Error;
  zip_error_init(&Error);
  zip_source_t* Source = zip_source_buffer_create(Bytes.data(), Bytes.size(), 0, &Error);
  if (Source == nullptr) {
    zip_error_fini(&Error);
    return Fail(TCaptureFileProblem::Damaged, Name);
  }
  std::unique_ptr<zip_t, TArchiveClose> Archive(
      zip_open_from_source(Source, ZIP_RDONLY | ZIP_CHECKCONS, &Error));
  zip_error_fini(&Error);
  if (!Archive) {
    zip_source_free(Source);
    return Fail(TCaptureFileProblem::Damaged, Name);
  }
  std::string Version;
  std::string Metadata;
  const TEntryRead VersionRead = ReadEntry(Archive.get(), SigrokVersionEntry, 16, Version);
  const TEntryRead MetadataRead = ReadEntry(Archive.get(), SigrokMetadataEntry, 1 << 20, Metadata);
  if (VersionRead == TEntryRead::Damaged || MetadataRead == TEntryRead::Damaged) {
    return Fail(TCaptureFileProblem::Damaged, Name);
  }
  if (VersionRead != TEntryRead::Read || MetadataRead != TEntryRead::Read || Trim(Version) != "2") {
    return Fail(TCaptureFileProblem::NotASession, Name);
  }
  const TGroups Groups = ParseKeyFile(Metadata);
  const auto Device = Groups.find("device 1");
  if (Device == Groups.end() || Device->second.count("capturefile") == 0) {
    return Fail(TCaptureFileProblem::NoLogicData, Name);
  }
  const auto Value = [&Device](const char* Key) {
    const auto Found = Device->second.find(Key);
    return Found == Device->second.end() ? std::string() : Found->second;
  };
  const std::optional<long long> Probes = WholeNumber(Value("total probes"));
  const std::optional<long long> UnitSize = WholeNumber(Value("unitsize"));
  if (!Probes || *Probes <= 0 || !UnitSize || *UnitSize <= 0 || *UnitSize > MaxUnitSize) {
    return Fail(TCaptureFileProblem::NoLogicData, Name);
  }
  const std::uint64_t Hertz = ParseSigrokSampleRate(Value("samplerate"));
  const TTimeBase* Base = TimeBaseOfSampleRate(Hertz);
  if (Base == nullptr && (Rates == TSampleRates::TimeBasesOnly || Hertz == 0)) {
    const std::string Rate = Value("samplerate").substr(0, 40);
    return Fail(TCaptureFileProblem::UnsupportedSampleRate, Name, Rate.empty() ? "aucune" : Rate);
  }

  // Chunks logic-1-1, logic-1-2, ... in order; an old session has one file
  // named after the capture file itself.
  const std::string Prefix = Value("capturefile");
  const auto Unit = static_cast<std::size_t>(*UnitSize);
  const std::uint64_t Limit = static_cast<std::uint64_t>(MaxCaptureSamples) * Unit;
  std::string Logic;
  for (int Chunk = 1;; ++Chunk) {
    std::string Part;
    const TEntryRead Read = ReadEntry(Archive.get(), Prefix + "-" + std::to_string(Chunk),
                                      Limit - std::min<std::uint64_t>(Limit, Logic.size()), Part);
    if (Read == TEntryRead::Missing && Chunk == 1) {
      const TEntryRead Whole = ReadEntry(Archive.get(), Prefix, Limit, Part);
      if (Whole == TEntryRead::Damaged) {
        return Fail(TCaptureFileProblem::Damaged, Name);
      }
      if (Whole == TEntryRead::TooLarge) {
        return Fail(TCaptureFileProblem::TooLarge, Name);
      }
      Logic = std::move(Part);
      break;
    }
    if (Read == TEntryRead::Missing) {
      break;
    }
    if (Read == TEntryRead::Damaged) {
      return Fail(TCaptureFileProblem::Damaged, Name);
    }
    if (Read == TEntryRead::TooLarge) {
      return Fail(TCaptureFileProblem::TooLarge, Name);
    }
    Logic += Part;
  }
  const std::size_t Count = Logic.size() / Unit;
  if (Count == 0) {
    return Fail(TCaptureFileProblem::NoLogicData, Name);
  }

  TOpenedCapture Capture;
  Capture.TimeBase = Base;
  Capture.SecondsPerSample = 1.0 / static_cast<double>(Hertz);
  const unsigned Kept = *Probes >= InputCount ? 0xFFFFU : (1U << *Probes) - 1U;
  Capture.CarriedInputs = static_cast<std::uint16_t>(Kept & (Unit > 1 ? 0xFFFFU : 0xFFU));
  Capture.Samples.resize(Count);
  for (std::size_t I = 0; I < Count; ++I) {
    const auto* Sample = reinterpret_cast<const unsigned char*>(Logic.data() + I * Unit);
    unsigned Bits = Sample[0];
    if (Unit > 1) {
      Bits |= static_cast<unsigned>(Sample[1]) << 8;
    }
    Capture.Samples[I] = static_cast<TSample>(Bits & Kept);
  }
  if (const auto Own = Groups.find("la16"); Own != Groups.end()) {
    ReadOwnGroup(Own->second, Capture);
  }
  return Capture;
}
