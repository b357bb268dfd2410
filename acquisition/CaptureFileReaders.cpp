// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/CaptureFileReaders.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/SampleExport.h"

namespace {

constexpr int InputCount = 16;
using TResult = std::variant<TOpenedCapture, TCaptureFileFailure>;

TCaptureFileFailure Fail(TCaptureFileProblem Problem, std::string_view Name,
                         std::string_view Detail = {}) {
  return {Problem, CaptureFileMessage(Problem, Name, Detail)};
}

bool IsBlank(char C) {
  return C == ' ' || C == '\t' || C == '\r' || C == '\n';
}

std::string_view Trim(std::string_view Text) {
  while (!Text.empty() && IsBlank(Text.front())) {
    Text.remove_prefix(1);
  }
  while (!Text.empty() && IsBlank(Text.back())) {
    Text.remove_suffix(1);
  }
  return Text;
}

std::optional<long long> WholeNumber(std::string_view Text) {
  long long Value = 0;
  const auto [Ptr, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Error != std::errc() || Ptr != Text.data() + Text.size()) {
    return std::nullopt;
  }
  return Value;
}

std::optional<double> Decimal(std::string_view Text) {
  double Value = 0;
  const auto [Ptr, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Error != std::errc() || Ptr != Text.data() + Text.size() || !std::isfinite(Value)) {
    return std::nullopt;
  }
  return Value;
}

// The rate's time base, or a failure when only the time bases' rates will do.
std::optional<TCaptureFileFailure> SetRate(TOpenedCapture& Capture, double Hertz,
                                           TSampleRates Rates, std::string_view Name) {
  const double Rounded = std::round(Hertz);
  if (std::fabs(Hertz - Rounded) <= Hertz * 1e-6 && Rounded >= 1) {
    Capture.TimeBase = TimeBaseOfSampleRate(static_cast<std::uint64_t>(Rounded));
  }
  if (Capture.TimeBase != nullptr) {
    Capture.SecondsPerSample = SecondsPerSample(*Capture.TimeBase);
    return std::nullopt;
  }
  if (!(Hertz > 0)) {
    return Fail(TCaptureFileProblem::Unreadable, Name,
                "aucune fréquence d'échantillonnage (ni colonne de temps, ni Samplerate)");
  }
  if (Rates == TSampleRates::TimeBasesOnly) {
    return Fail(TCaptureFileProblem::UnsupportedSampleRate, Name,
                std::to_string(std::llround(Hertz)) + " Hz");
  }
  Capture.SecondsPerSample = 1.0 / Hertz;
  return std::nullopt;
}

// Splits Text at each Separator (blanks too when Separator is ' ').
std::vector<std::string_view> Split(std::string_view Text, char Separator) {
  std::vector<std::string_view> Parts;
  std::size_t Start = 0;
  for (std::size_t I = 0; I <= Text.size(); ++I) {
    const bool End =
        I == Text.size() || Text[I] == Separator || (Separator == ' ' && IsBlank(Text[I]));
    if (End) {
      if (Separator != ' ' || I > Start) {
        Parts.push_back(Trim(Text.substr(Start, I - Start)));
      }
      Start = I + 1;
    }
  }
  return Parts;
}

struct TChange {
  long long Time;
  TSample Mask;
  TSample Levels;
};

}  // namespace

TResult ReadVcdCapture(std::string_view Bytes, std::string_view Name, TSampleRates Rates) {
  const std::vector<std::string_view> Words = Split(Bytes, ' ');
  const auto Bad = [&Name](std::string_view Why) {
    return Fail(TCaptureFileProblem::Unreadable, Name, Why);
  };
  std::vector<std::pair<std::string, int>> Wires;  // identifier, input
  double Unit = 0;                                 // seconds per timestamp unit
  double Hertz = 0;
  const TTimeBase* OwnBase = nullptr;
  long long OwnCount = -1, OwnFirst = 0;
  std::string Date;
  std::size_t W = 0;
  for (; W < Words.size() && Words[W] != "$enddefinitions"; ++W) {
    if (Words[W] == "$timescale" && W + 1 < Words.size()) {
      std::string Text(Words[++W]);
      if (W + 1 < Words.size() && Words[W + 1] != "$end") {
        Text += Words[++W];
      }
      const std::size_t Digits = Text.find_first_not_of("0123456789");
      const std::optional<long long> Count = WholeNumber(std::string_view(Text).substr(0, Digits));
      const std::string Suffix = Digits == std::string::npos ? "" : Text.substr(Digits);
      static const std::pair<const char*, double> Units[] = {
          {"s", 1}, {"ms", 1e-3}, {"us", 1e-6}, {"ns", 1e-9}, {"ps", 1e-12}, {"fs", 1e-15}};
      for (const auto& [Suffix2, Seconds] : Units) {
        Unit =
            Suffix == Suffix2 && Count && *Count > 0 ? static_cast<double>(*Count) * Seconds : Unit;
      }
    } else if (Words[W] == "$var" && W + 4 < Words.size()) {
      if (Words[W + 2] == "1" && Wires.size() < InputCount) {
        const std::string_view Reference = Words[W + 4];
        const std::optional<long long> Number =
            Reference.starts_with("in") ? WholeNumber(Reference.substr(2)) : std::nullopt;
        const int Input = Number && *Number >= 1 && *Number <= InputCount
                              ? static_cast<int>(*Number)
                              : static_cast<int>(Wires.size()) + 1;
        Wires.emplace_back(std::string(Words[W + 3]), Input);
      }
      W += 4;
    } else if (Words[W] == "$date") {
      while (++W < Words.size() && Words[W] != "$end") {
        Date += std::string(Date.empty() ? "" : " ") + std::string(Words[W]);
      }
    } else if (Words[W] == "$comment") {
      std::string Comment;
      while (++W < Words.size() && Words[W] != "$end") {
        Comment += std::string(Comment.empty() ? "" : " ") + std::string(Words[W]);
      }
      // la16's: "<label>, 30 samples per division, N samples from memory index F".
      for (const TTimeBase& Base : TimeBaseTable) {
        if (Comment.starts_with(std::string(Base.Label) + ",")) {
          OwnBase = &Base;
        }
      }
      const std::size_t Samples = Comment.find(" samples from memory index ");
      if (OwnBase != nullptr && Samples != std::string::npos) {
        const std::size_t Start = Comment.rfind(' ', Samples - 1) + 1;
        OwnCount =
            WholeNumber(std::string_view(Comment).substr(Start, Samples - Start)).value_or(-1);
        OwnFirst = WholeNumber(std::string_view(Comment).substr(Samples + 27)).value_or(0);
      }
      // sigrok's: "Acquisition with 16/16 channels at 30 kHz".
      if (const std::size_t At = Comment.find(" at "); At != std::string::npos) {
        Hertz = static_cast<double>(ParseSigrokSampleRate(Comment.substr(At + 4)));
      }
    }
  }
  if (W == Words.size() || Wires.empty() || Unit <= 0) {
    return Bad("en-tête VCD sans $timescale, sans signal d'un bit ou sans $enddefinitions");
  }
  std::vector<TChange> Changes;
  long long Time = 0, LastTime = 0;
  for (++W; W < Words.size(); ++W) {
    const std::string_view Word = Words[W];
    if (Word.starts_with("$")) {
      continue;  // $dumpvars, $end and the like frame the values
    }
    if (Word.starts_with("#")) {
      const std::optional<long long> Stamp = WholeNumber(Word.substr(1));
      if (!Stamp || *Stamp < Time || *Stamp > (1LL << 50)) {
        return Bad("horodatage invalide ou en arrière " + std::string(Word.substr(0, 24)));
      }
      Time = LastTime = *Stamp;
      continue;
    }
    std::string_view Value = Word, Id;
    if ((Word.front() == 'b' || Word.front() == 'B') && W + 1 < Words.size()) {
      Value = Word.substr(Word.size() - 1);  // a vector: its lowest bit
      Id = Words[++W];
    } else {
      Value = Word.substr(0, 1);
      Id = Word.substr(1);
    }
    for (const auto& [Wire, Input] : Wires) {
      if (Wire == Id) {
        const auto Mask = static_cast<TSample>(1U << (Input - 1));
        Changes.push_back({Time, Mask, Value == "1" ? Mask : TSample{0}});
      }
    }
  }
  TOpenedCapture Capture;
  Capture.Date = Date.substr(0, MaxCaptureDateLength);
  Capture.CarriedInputs = 0;
  for (const auto& Wire : Wires) {
    Capture.CarriedInputs |= static_cast<std::uint16_t>(1U << (Wire.second - 1));
  }
  if (OwnBase != nullptr) {
    Hertz = static_cast<double>(SampleRateHz(*OwnBase));
    Capture.FirstIndex = static_cast<int>(std::clamp<long long>(OwnFirst, 0, 1 << 30));
  }
  if (Hertz <= 0) {
    // Another writer's without a rate: a sample per finest step between timestamps.
    long long Step = 0;
    for (std::size_t I = 1; I < Changes.size(); ++I) {
      Step = std::gcd(Step, Changes[I].Time - Changes[I - 1].Time);
    }
    Hertz = 1.0 / (static_cast<double>(Step > 0 ? Step : 1) * Unit);
  }
  if (std::optional<TCaptureFileFailure> Failure = SetRate(Capture, Hertz, Rates, Name)) {
    return *Failure;
  }
  const double SamplesPerUnit = Unit * Hertz;
  const double End = static_cast<double>(LastTime) * SamplesPerUnit;
  const double Count = OwnCount > 0 ? static_cast<double>(OwnCount) : std::round(End) + 1;
  if (Count > static_cast<double>(MaxCaptureSamples)) {
    return Fail(TCaptureFileProblem::TooLarge, Name);
  }
  Capture.Samples.assign(static_cast<std::size_t>(std::max(Count, 1.0)), 0);
  TSample Levels = 0;
  std::size_t Next = 0;
  for (std::size_t N = 0; N < Capture.Samples.size(); ++N) {
    // Every change up to the middle of sample N holds from it on.
    while (Next < Changes.size() && static_cast<double>(Changes[Next].Time) * SamplesPerUnit <
                                        static_cast<double>(N) + 0.5) {
      Levels = static_cast<TSample>((Levels & ~Changes[Next].Mask) | Changes[Next].Levels);
      ++Next;
    }
    Capture.Samples[N] = Levels;
  }
  return Capture;
}

TResult ReadCsvCapture(std::string_view Bytes, std::string_view Name, TSampleRates Rates) {
  const auto Bad = [&Name](std::string_view Why) {
    return Fail(TCaptureFileProblem::Unreadable, Name, Why);
  };
  TOpenedCapture Capture;
  double Hertz = 0;
  int SampleColumn = -1, TimeColumn = -1;
  double TimeScale = 1;
  std::vector<int> InputColumns;
  std::optional<double> FirstTime, LastTime;
  std::size_t LineNumber = 0;
  while (!Bytes.empty()) {
    const std::size_t End = Bytes.find('\n');
    const std::string_view Line = Trim(Bytes.substr(0, End));
    Bytes.remove_prefix(End == std::string_view::npos ? Bytes.size() : End + 1);
    ++LineNumber;
    if (Line.empty()) {
      continue;
    }
    if (Line.front() == ';' || Line.front() == '#') {
      if (const std::size_t At = Line.find("Samplerate:"); At != std::string_view::npos) {
        Hertz = static_cast<double>(ParseSigrokSampleRate(Line.substr(At + 11)));
      }
      continue;
    }
    const std::vector<std::string_view> Fields = Split(Line, ',');
    if (InputColumns.empty()) {
      // The first row names the columns, or is data with every column an input.
      const bool Header = !WholeNumber(Fields[0]) && !Decimal(Fields[0]);
      static const std::pair<const char*, double> TimeNames[] = {
          {"time_s", 1},          {"time", 1},          {"seconds", 1}, {"milliseconds", 1e-3},
          {"microseconds", 1e-6}, {"nanoseconds", 1e-9}};
      for (std::size_t C = 0; C < Fields.size(); ++C) {
        bool Taken = false;
        for (const auto& [TimeName, Scale] : TimeNames) {
          if (Header && Fields[C] == TimeName && TimeColumn < 0) {
            TimeColumn = static_cast<int>(C);
            TimeScale = Scale;
            Taken = true;
          }
        }
        if (Header && Fields[C] == "sample" && SampleColumn < 0) {
          SampleColumn = static_cast<int>(C);
        } else if (!Taken && InputColumns.size() < InputCount) {
          InputColumns.push_back(static_cast<int>(C));
        }
      }
      if (Header) {
        continue;
      }
    }
    if (Fields.size() < InputColumns.size() + (SampleColumn >= 0) + (TimeColumn >= 0)) {
      return Bad("ligne " + std::to_string(LineNumber) + " incomplète");
    }
    if (Capture.Samples.size() >= MaxCaptureSamples) {
      return Fail(TCaptureFileProblem::TooLarge, Name);
    }
    TSample Levels = 0;
    for (std::size_t K = 0; K < InputColumns.size(); ++K) {
      const std::string_view Field = Fields[static_cast<std::size_t>(InputColumns[K])];
      if (Field != "0" && Field != "1") {
        return Bad("ligne " + std::to_string(LineNumber) + " : niveau autre que 0 ou 1");
      }
      Levels |= Field == "1" ? static_cast<TSample>(1U << K) : TSample{0};
    }
    if (TimeColumn >= 0) {
      const std::optional<double> Time = Decimal(Fields[static_cast<std::size_t>(TimeColumn)]);
      if (!Time) {
        return Bad("ligne " + std::to_string(LineNumber) + " : temps invalide");
      }
      FirstTime = FirstTime.value_or(*Time * TimeScale);
      LastTime = *Time * TimeScale;
    }
    if (SampleColumn >= 0 && Capture.Samples.empty()) {
      const std::optional<long long> First =
          WholeNumber(Fields[static_cast<std::size_t>(SampleColumn)]);
      Capture.FirstIndex =
          First && *First >= 0 && *First < (1 << 30) ? static_cast<int>(*First) : 0;
    }
    Capture.Samples.push_back(Levels);
  }
  if (Capture.Samples.empty()) {
    return Bad("aucune ligne d'échantillons");
  }
  Capture.CarriedInputs = static_cast<std::uint16_t>((1U << InputColumns.size()) - 1U);
  if (Hertz <= 0 && FirstTime && *LastTime > *FirstTime) {
    Hertz = static_cast<double>(Capture.Samples.size() - 1) / (*LastTime - *FirstTime);
  }
  if (std::optional<TCaptureFileFailure> Failure = SetRate(Capture, Hertz, Rates, Name)) {
    return *Failure;
  }
  return Capture;
}

TResult ReadCaptureFile(std::string_view Bytes, std::string_view Name, TSampleRates Rates) {
  // The extension decides, as it decides what an export writes.
  const std::optional<TExportFormat> Format = ExportFormatOfName(Name);
  if (Format == TExportFormat::Sigrok) {
    return ReadSigrokSession(Bytes, Name, Rates);
  }
  if (Format == TExportFormat::Vcd) {
    return ReadVcdCapture(Bytes, Name, Rates);
  }
  if (Format == TExportFormat::Csv) {
    return ReadCsvCapture(Bytes, Name, Rates);
  }
  return Fail(TCaptureFileProblem::UnknownFormat, Name);
}
