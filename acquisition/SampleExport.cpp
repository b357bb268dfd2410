// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/SampleExport.h"

#include <array>
#include <string_view>

#include "acquisition/SigrokSession.h"

namespace {

constexpr int InputCount = 16;

// The time per division is Factor × 10^Exponent seconds, read from the
// time-base code (decade + 8 × step) so no floating point is involved.
struct TDivision {
  std::int64_t Factor;
  int Exponent;
};

TDivision DivisionOf(const TTimeBase& Base) {
  static constexpr std::array<std::int64_t, 3> Factors = {1, 2, 5};
  const int Decade = Base.Code % 8;
  const int Step = Base.Code / 8;
  return {Factors[static_cast<std::size_t>(Step % 3)], Decade - 6};
}

std::int64_t PowerOfTen(int Exponent) {
  std::int64_t Value = 1;
  for (int I = 0; I < Exponent; ++I) {
    Value *= 10;
  }
  return Value;
}

// VCD identifiers of the 16 wires: one printable character each.
char WireId(int Input) {
  return static_cast<char>('!' + Input - 1);
}

int Level(TSample Sample, int Input) {
  return (Sample >> (Input - 1)) & 1;
}

// Output is gathered in a string and handed to the stream in large pieces.
class TChunkedWriter {
 public:
  explicit TChunkedWriter(std::ostream& Out) : Out(Out) { Pending.reserve(ChunkSize + 256); }
  std::string& Text() { return Pending; }
  void MaybeFlush() {
    if (Pending.size() >= ChunkSize) {
      Flush();
    }
  }
  bool Finish() {
    Flush();
    Out.flush();
    return !Out.fail();
  }

 private:
  void Flush() {
    if (!Pending.empty() && !Out.fail()) {
      Out.write(Pending.data(), static_cast<std::streamsize>(Pending.size()));
    }
    Pending.clear();
  }
  static constexpr std::size_t ChunkSize = 64 * 1024;
  std::ostream& Out;
  std::string Pending;
};

}  // namespace

TScaledTime SampleTime(const TTimeBase& Base, std::int64_t N, int ExtraDigits) {
  const TDivision Division = DivisionOf(Base);
  // N × Factor × 10^ExtraDigits / 30, rounded half up.
  const std::int64_t Numerator = N * Division.Factor * PowerOfTen(ExtraDigits);
  const std::int64_t Count = (2 * Numerator + SamplesPerDivision) / (2 * SamplesPerDivision);
  return {Count, Division.Exponent - ExtraDigits};
}

std::int64_t SampleRateHz(const TTimeBase& Base) {
  // 30 / (Factor × 10^Exponent) with Exponent from -6 to -1.
  const TDivision Division = DivisionOf(Base);
  return SamplesPerDivision * PowerOfTen(-Division.Exponent) / Division.Factor;
}

std::string VcdTimescale(int Exponent) {
  static constexpr std::array<std::string_view, 6> Units = {"s", "ms", "us", "ns", "ps", "fs"};
  // Split 10^Exponent into 1, 10 or 100 times a unit of 10^(-3k) seconds.
  int Group = 0;
  while (Exponent < -3 * Group && Group < 5) {
    ++Group;
  }
  int Shift = Exponent + 3 * Group;
  if (Shift < 0 || Shift > 2) {
    Shift = 0;
  }
  return std::to_string(PowerOfTen(Shift)) + " " +
         std::string(Units[static_cast<std::size_t>(Group)]);
}

bool WriteVcd(std::ostream& Out, std::span<const TSample> Samples, const TExportInfo& Info) {
  TChunkedWriter Writer(Out);
  std::string& Text = Writer.Text();
  const TScaledTime Unit = SampleTime(*Info.TimeBase, 0, VcdExtraDigits);
  Text += "$date\n\t" + Info.Date + "\n$end\n";
  Text += "$version\n\t" + Info.Version + "\n$end\n";
  Text += "$comment\n\t" + std::string(Info.TimeBase->Label) + ", " +
          std::to_string(SamplesPerDivision) + " samples per division, " +
          std::to_string(Samples.size()) + " samples from memory index " +
          std::to_string(Info.FirstIndex) + "\n$end\n";
  Text += "$timescale " + VcdTimescale(Unit.Exponent) + " $end\n";
  Text += "$scope module la16 $end\n";
  for (int Input = 1; Input <= InputCount; ++Input) {
    Text += "$var wire 1 ";
    Text += WireId(Input);
    Text += " in" + std::to_string(Input) + " $end\n";
  }
  Text += "$upscope $end\n$enddefinitions $end\n";
  if (Samples.empty()) {
    return Writer.Finish();
  }

  Text += "#0\n$dumpvars\n";
  for (int Input = 1; Input <= InputCount; ++Input) {
    Text += static_cast<char>('0' + Level(Samples[0], Input));
    Text += WireId(Input);
    Text += '\n';
  }
  Text += "$end\n";
  for (std::size_t N = 1; N < Samples.size(); ++N) {
    const TSample Changed = Samples[N] ^ Samples[N - 1];
    if (Changed == 0) {
      continue;
    }
    Text += '#';
    Text += std::to_string(
        SampleTime(*Info.TimeBase, static_cast<std::int64_t>(N), VcdExtraDigits).Count);
    Text += '\n';
    for (int Input = 1; Input <= InputCount; ++Input) {
      if (Level(Changed, Input) != 0) {
        Text += static_cast<char>('0' + Level(Samples[N], Input));
        Text += WireId(Input);
        Text += '\n';
      }
    }
    Writer.MaybeFlush();
  }
  // The end of the last sample, so viewers show how long it lasted.
  Text += '#';
  Text += std::to_string(
      SampleTime(*Info.TimeBase, static_cast<std::int64_t>(Samples.size()), VcdExtraDigits).Count);
  Text += '\n';
  return Writer.Finish();
}

bool WriteCsv(std::ostream& Out, std::span<const TSample> Samples, const TExportInfo& Info) {
  TChunkedWriter Writer(Out);
  std::string& Text = Writer.Text();
  Text += "sample,time_s";
  for (int Input = 1; Input <= InputCount; ++Input) {
    Text += ",in" + std::to_string(Input);
  }
  Text += '\n';
  for (std::size_t N = 0; N < Samples.size(); ++N) {
    const TScaledTime Time =
        SampleTime(*Info.TimeBase, static_cast<std::int64_t>(N), CsvExtraDigits);
    // Fixed-point seconds: as many decimals as the unit has, so the text is exact.
    const int Decimals = -Time.Exponent;
    const std::int64_t Scale = PowerOfTen(Decimals);
    std::string Fraction = std::to_string(Time.Count % Scale);
    Fraction.insert(0, static_cast<std::size_t>(Decimals) - Fraction.size(), '0');
    Text += std::to_string(Info.FirstIndex + static_cast<std::int64_t>(N));
    Text += ',';
    Text += std::to_string(Time.Count / Scale);
    Text += '.';
    Text += Fraction;
    for (int Input = 1; Input <= InputCount; ++Input) {
      Text += ',';
      Text += static_cast<char>('0' + Level(Samples[N], Input));
    }
    Text += '\n';
    Writer.MaybeFlush();
  }
  return Writer.Finish();
}

std::optional<TExportFormat> ExportFormatNamed(std::string_view Text) {
  std::string Lower(Text);
  for (char& C : Lower) {
    C = C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
  }
  if (Lower == "vcd") {
    return TExportFormat::Vcd;
  }
  if (Lower == "csv") {
    return TExportFormat::Csv;
  }
  if (Lower == "sr") {
    return TExportFormat::Sigrok;
  }
  return std::nullopt;
}

std::optional<TExportFormat> ExportFormatOfName(std::string_view Name) {
  const std::size_t Dot = Name.rfind('.');
  if (Dot == std::string_view::npos || Dot == 0) {
    return std::nullopt;
  }
  return ExportFormatNamed(Name.substr(Dot + 1));
}

bool WriteSamples(std::ostream& Out, TExportFormat Format, std::span<const TSample> Samples,
                  const TExportInfo& Info) {
  switch (Format) {
    case TExportFormat::Vcd:
      return WriteVcd(Out, Samples, Info);
    case TExportFormat::Csv:
      return WriteCsv(Out, Samples, Info);
    case TExportFormat::Sigrok:
      return WriteSigrokSession(Out, Samples, Info);
  }
  return false;
}
