// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureTool.h"

#include <charconv>
#include <cstdio>
#include <exception>

#include "acquisition/SampleExport.h"
#include "acquisition/SigrokSession.h"
#include "link/PollMainThreadLoop.h"
#include "link/SimulatedHidPlatform.h"
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

int Capture(TCaptureSession& Session, const TCaptureOptions& Options,
            TCaptureToolEnvironment& Env) {
  // Known before the analyser is touched: a capture would be lost otherwise.
  auto Opened = TCaptureOutput::Open(Options.OutputPath, Env.Out);
  if (auto* Failure = std::get_if<TCaptureFailure>(&Opened)) {
    return Report(Env, *Failure);
  }
  TCaptureOutput& Output = *std::get<std::unique_ptr<TCaptureOutput>>(Opened);

  const TCaptureProgress Progress = [&Env](const std::string& Text) {
    if (Env.ShowProgress) {
      Env.Err << "la16-capture: " << Text << "\n";
      Env.Err.flush();
    }
  };
  std::variant<TCaptureResult, TCaptureFailure> Captured = Session.Capture(Options, Progress);
  if (auto* Failure = std::get_if<TCaptureFailure>(&Captured)) {
    return Report(Env, *Failure);
  }
  const TCaptureResult& Result = std::get<TCaptureResult>(Captured);

  TExportInfo Info;
  Info.TimeBase = Options.TimeBase;
  Info.FirstIndex = Result.FirstIndex;
  Info.Date = Env.Date;
  Info.Version = "la16-capture " LA16_VERSION;
  if (!WriteSamples(Output.Stream(), Options.Format, Result.Samples, Info)) {
    return Report(Env, WriteFailure(Options.OutputPath));
  }
  if (std::optional<TCaptureFailure> Failure = Output.Commit()) {
    return Report(Env, *Failure);
  }
  Progress(std::to_string(Result.Samples.size()) + " échantillons écrits" +
           (Options.OutputPath.empty() ? std::string() : " dans " + Options.OutputPath));
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
    Session.SetLimits(Env.WindowTimeout.value_or(CaptureToolFetch.WindowTimeout),
                      Env.StallLimit.value_or(CaptureToolFetch.StallLimit));
  }
  return Options.List ? List(Session, Options, Env) : Capture(Session, Options, Env);
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
