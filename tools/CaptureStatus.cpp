// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureStatus.h"

#include <cstdio>

namespace {

// Longest argument text quoted in a message, in bytes.
constexpr std::size_t MaxQuotedBytes = 64;

bool IsUtf8Continuation(unsigned char Byte) {
  return (Byte & 0xC0U) == 0x80U;
}

}  // namespace

std::string QuoteArgument(std::string_view Text) {
  std::size_t End = Text.size();
  bool Cut = false;
  if (End > MaxQuotedBytes) {
    End = MaxQuotedBytes;
    // Back up to the start of a character so the cut never splits one.
    while (End > 0 && IsUtf8Continuation(static_cast<unsigned char>(Text[End]))) {
      --End;
    }
    Cut = true;
  }
  std::string Quoted = "« ";
  for (std::size_t I = 0; I < End; ++I) {
    const auto Byte = static_cast<unsigned char>(Text[I]);
    if (Byte < 0x20U || Byte == 0x7FU) {
      char Escape[8];
      std::snprintf(Escape, sizeof Escape, "\\x%02X", Byte);
      Quoted += Escape;
    } else {
      Quoted.push_back(static_cast<char>(Byte));
    }
  }
  if (Cut) {
    Quoted += "…";
  }
  Quoted += " »";
  return Quoted;
}

TCaptureFailure NoPermissionFailure(std::string_view Path) {
  return {CaptureNoPermission, "accès refusé à l'analyseur " + std::string(Path) +
                                   " : installer la règle udev " + std::string(UdevRulePath) +
                                   " dans /etc/udev/rules.d puis rebrancher l'analyseur"};
}

TCaptureFailure NoAnalyserFailure(bool Simulated) {
  return {CaptureNoAnalyser, Simulated ? "aucun analyseur simulé trouvé"
                                       : "aucun analyseur trouvé (USB 04D8:0005) : vérifier "
                                         "qu'il est branché et sous tension"};
}

TCaptureFailure TimedOutFailure(std::string_view What, double Seconds) {
  char Number[32];
  std::snprintf(Number, sizeof Number, "%g", Seconds);
  return {CaptureTimedOut,
          "délai dépassé (" + std::string(Number) + " s) pendant : " + std::string(What)};
}

TCaptureFailure WriteFailure(std::string_view Target, std::string_view Reason) {
  const std::string Because = Reason.empty() ? std::string() : " : " + std::string(Reason);
  if (Target.empty()) {
    return {CaptureWriteError, "écriture impossible sur la sortie standard" + Because};
  }
  return {CaptureWriteError, "écriture impossible dans " + QuoteArgument(Target) + Because};
}

TCaptureFailure DeviceLostFailure(std::string_view Path, std::string_view Reason) {
  return {CaptureDeviceLost, "analyseur perdu pendant la capture (" + std::string(Path) +
                                 ") : " + std::string(Reason)};
}

TCaptureFailure TransferFailure(std::string_view Path, std::string_view Reason) {
  return {CaptureDeviceLost, "envoi d'une commande à l'analyseur " + std::string(Path) +
                                 " impossible : " + std::string(Reason)};
}

TCaptureFailure IncompleteWindowFailure(int Offset, int Attempts) {
  return {CaptureInconsistent, "restitution incomplète de la fenêtre à la position " +
                                   std::to_string(Offset) + " (" + std::to_string(Attempts) +
                                   " demandes)"};
}
