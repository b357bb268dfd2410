// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureTool.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <fstream>
#include <tuple>

#include "acquisition/CaptureFileReaders.h"
#include "acquisition/SampleExport.h"
#include "acquisition/SigrokSession.h"
#include "analysis/Report.h"
#include "link/PollMainThreadLoop.h"
#include "link/SimulatedHidPlatform.h"
#include "link/SystemFiles.h"
#include "simulator/SimulatedAnalyserDevice.h"
#include "tools/CaptureOptions.h"
#include "tools/CaptureOutput.h"
#include "tools/CaptureSession.h"

namespace {

constexpr double MaxTimeScale = 1000.0;

int Report(TCaptureToolEnvironment& Env, const TCaptureFailure& Failure) {
  Env.Err << "la16-capture: " << Failure.Message << "\n";
  Env.Err.flush();
  return Failure.Status;
}

std::string VersionText(std::uint16_t Version) {
  char Text[16];
  std::snprintf(Text, sizeof Text, "%X.%02X", Version >> 8, Version & 0xFF);
  return Text;
}

int List(TCaptureSession& Session, const TCaptureOptions& Options, TCaptureToolEnvironment& Env) {
  const std::vector<TFoundAnalyser> Found = Session.Analysers();
  if (Found.empty()) {
    return Report(Env, NoAnalyserFailure(Options.Simulate));
  }
  for (const TFoundAnalyser& Analyser : Found) {
    Env.Out << Analyser.Path << "  04D8:0005  version " << VersionText(Analyser.VersionNumber)
            << "  lecture et écriture : "
            << (Analyser.ReadWriteAccess
                    ? std::string("oui")
                    : "non (installer la règle udev " + std::string(UdevRulePath) + ")")
            << "\n";
  }
  Env.Out.flush();
  return Env.Out ? CaptureSucceeded : Report(Env, WriteFailure(""));
}

// The samples the tool writes and analyses, from the analyser or a file.
struct TCapturedSamples {
  std::vector<TSample> Samples;
  int FirstIndex = 0;
  const TTimeBase* TimeBase = nullptr;
  double SecondsPerSample = 0;
};

// The capture file named Path, at any sample rate.
std::variant<TCapturedSamples, TCaptureFailure> ReadInput(const std::string& Path) {
  std::ifstream File(SystemPath(Path), std::ios::binary);
  if (!File) {
    return TCaptureFailure{CaptureBadArguments, "lecture impossible de " + QuoteArgument(Path)};
  }
  std::string Bytes(MaxCaptureFileBytes + 1, '\0');
  File.read(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  Bytes.resize(static_cast<std::size_t>(File.gcount()));
  const std::string Name = PathText(SystemPath(Path).filename());
  if (Bytes.size() > MaxCaptureFileBytes) {
    return TCaptureFailure{CaptureBadArguments,
                           CaptureFileMessage(TCaptureFileProblem::TooLarge, Name)};
  }
  auto Read = ReadCaptureFile(Bytes, Name, TSampleRates::Any);
  if (auto* Failure = std::get_if<TCaptureFileFailure>(&Read)) {
    return TCaptureFailure{CaptureBadArguments, Failure->Message};
  }
  TOpenedCapture& Capture = std::get<TOpenedCapture>(Read);
  return TCapturedSamples{std::move(Capture.Samples), Capture.FirstIndex, Capture.TimeBase,
                          Capture.SecondsPerSample};
}

// The --decode annotations and --measure figures as CSV.
void WriteReport(std::ostream& Out, const TCaptureOptions& Options, const TSampleView& View) {
  if (Options.Measure) {
    Out << MeasureCsvHeader() << "\n";
    for (int Input = 1; Input <= 16 && !View.Empty(); ++Input) {
      Out << MeasureCsvLine(Input, MeasureRange(View, Input, 0, View.Size() - 1)) << "\n";
    }
  }
  if (!Options.Decoders.empty()) {
    Out << (Options.Measure ? "\n" : "") << AnnotationCsvHeader() << "\n";
    for (const TDecoderSpec& Spec : Options.Decoders) {
      for (const TAnnotation& Annotation : Decode(Spec, View)) {
        Out << AnnotationCsvLine(Annotation) << "\n";
      }
    }
  }
}

int Capture(TCaptureSession* Session, const TCaptureOptions& Options,
            TCaptureToolEnvironment& Env) {
  // Known before the analyser is touched: a capture would be lost otherwise.
  std::unique_ptr<TCaptureOutput> Output, ReportOutput;
  for (const auto& [Wanted, Path, Into] :
       {std::tuple{Options.WriteSamples, Options.OutputPath, &Output},
        std::tuple{Options.Reports(), Options.ReportPath, &ReportOutput}}) {
    if (!Wanted) {
      continue;
    }
    auto Opened = TCaptureOutput::Open(Path, Env.Out);
    if (auto* Failure = std::get_if<TCaptureFailure>(&Opened)) {
      return Report(Env, *Failure);
    }
    *Into = std::move(std::get<std::unique_ptr<TCaptureOutput>>(Opened));
  }

  const TCaptureProgress Progress = [&Env](const std::string& Text) {
    if (Env.ShowProgress) {
      Env.Err << "la16-capture: " << Text << "\n";
      Env.Err.flush();
    }
  };
  TCapturedSamples Result;
  if (Session == nullptr) {
    auto Read = ReadInput(Options.InputPath);
    if (auto* Failure = std::get_if<TCaptureFailure>(&Read)) {
      return Report(Env, *Failure);
    }
    Result = std::move(std::get<TCapturedSamples>(Read));
  } else {
    std::variant<TCaptureResult, TCaptureFailure> Captured = Session->Capture(Options, Progress);
    if (auto* Failure = std::get_if<TCaptureFailure>(&Captured)) {
      return Report(Env, *Failure);
    }
    TCaptureResult& Live = std::get<TCaptureResult>(Captured);
    Result = {std::move(Live.Samples), Live.FirstIndex, Options.TimeBase,
              SecondsPerSample(*Options.TimeBase)};
  }

  if (Output) {
    if (Result.TimeBase == nullptr) {
      return Report(
          Env, {CaptureBadArguments, "-o : la fréquence d'échantillonnage de " +
                                         QuoteArgument(Options.InputPath) +
                                         " n'est celle d'aucune base de temps ; seuls --decode et "
                                         "--measure la lisent"});
    }
    TExportInfo Info;
    Info.TimeBase = Result.TimeBase;
    Info.FirstIndex = Result.FirstIndex;
    Info.Date = Env.Date;
    Info.Version = "la16-capture " LA16_VERSION;
    bool Written = false;
    switch (Options.Format) {
      case TExportFormat::Vcd:
        Written = WriteVcd(Output->Stream(), Result.Samples, Info);
        break;
      case TExportFormat::Csv:
        Written = WriteCsv(Output->Stream(), Result.Samples, Info);
        break;
      case TExportFormat::Sigrok:
        Written = WriteSigrokSession(Output->Stream(), Result.Samples, Info);
        break;
    }
    if (!Written) {
      return Report(Env, WriteFailure(Options.OutputPath));
    }
    if (std::optional<TCaptureFailure> Failure = Output->Commit()) {
      return Report(Env, *Failure);
    }
    Progress(std::to_string(Result.Samples.size()) + " échantillons écrits" +
             (Options.OutputPath.empty() ? std::string() : " dans " + Options.OutputPath));
  }
  if (ReportOutput) {
    const TSampleView View{Result.Samples, Result.FirstIndex, Result.SecondsPerSample,
                           Result.TimeBase};
    WriteReport(ReportOutput->Stream(), Options, View);
    if (!ReportOutput->Stream()) {
      return Report(Env, WriteFailure(Options.ReportPath));
    }
    if (std::optional<TCaptureFailure> Failure = ReportOutput->Commit()) {
      return Report(Env, *Failure);
    }
  }
  return CaptureSucceeded;
}

int Run(const std::vector<std::string>& Arguments, TCaptureToolEnvironment& Env) {
  std::variant<TCaptureOptions, TCaptureFailure> Parsed = ParseCaptureArguments(Arguments);
  if (auto* Failure = std::get_if<TCaptureFailure>(&Parsed)) {
    return Report(Env, *Failure);
  }
  const TCaptureOptions& Options = std::get<TCaptureOptions>(Parsed);
  if (Options.Help) {
    Env.Out << CaptureHelpText();
    Env.Out.flush();
    return Env.Out ? CaptureSucceeded : Report(Env, WriteFailure(""));
  }

  if (!Options.InputPath.empty()) {
    return Capture(nullptr, Options, Env);
  }
  // Declared in the order they must outlive one another: the platform, the
  // simulated devices on it, the loop, then the session that uses them all.
  std::unique_ptr<THidPlatform> Platform;
  std::shared_ptr<TSimulatedHidInterface> Decoy;
  std::unique_ptr<TSimulatedAnalyserDevice> Simulated;
  if (Options.Simulate) {
    TSimulatorOptions Simulation;
    if (Env.SimulationTimeScale) {
      const std::optional<double> Scale = ParseTimeScale(*Env.SimulationTimeScale);
      if (!Scale) {
        return Report(Env, {CaptureBadArguments, std::string(SimulationTimeScaleVariable) +
                                                     " attend un nombre de 0 à 1000 : " +
                                                     QuoteArgument(*Env.SimulationTimeScale)});
      }
      Simulation.TimeScale = *Scale;
    }
    auto SimulatedPlatform = std::make_unique<TSimulatedHidPlatform>();
    Decoy = PlugDecoyInterface(*SimulatedPlatform);
    Simulated = std::make_unique<TSimulatedAnalyserDevice>(*SimulatedPlatform, Simulation);
    Simulated->Plug();
    Platform = std::move(SimulatedPlatform);
  } else {
    Platform = Env.HardwarePlatform();
  }
  TPollMainThreadLoop Loop;
  TCaptureSession Session(*Platform, Loop);
  if (Env.WindowTimeout || Env.StallLimit) {
    Session.SetLimits(Env.WindowTimeout.value_or(DefaultWindowTimeout),
                      Env.StallLimit.value_or(DefaultStallLimit));
  }
  return Options.List ? List(Session, Options, Env) : Capture(&Session, Options, Env);
}

}  // namespace

std::optional<double> ParseTimeScale(const std::string& Text) {
  double Value = 0;
  const char* End = Text.data() + Text.size();
  const auto [Stop, Error] = std::from_chars(Text.data(), End, Value);
  if (Text.empty() || Error != std::errc() || Stop != End || !(Value >= 0) ||
      Value > MaxTimeScale) {
    return std::nullopt;
  }
  return Value;
}

int RunCaptureTool(const std::vector<std::string>& Arguments, TCaptureToolEnvironment& Env) {
  try {
    return Run(Arguments, Env);
  } catch (const std::exception& Error) {
    return Report(Env, {CaptureFailed, std::string("erreur interne : ") + Error.what()});
  }
}
