// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ExportFileName.h"

#include "acquisition/SampleExport.h"

std::string ExportFileName(std::string_view Chosen, std::string_view Filter) {
  const std::size_t Separator = Chosen.find_last_of("/\\");
  const std::string_view Name =
      Separator == std::string_view::npos ? Chosen : Chosen.substr(Separator + 1);
  if (ExportFormatOfName(Name)) {
    return std::string(Chosen);
  }
  // "CSV (*.csv)": the extension lies between "*." and the closing bracket.
  const std::size_t Star = Filter.rfind("*.");
  const std::size_t Close = Filter.rfind(')');
  const std::string_view Picked =
      Star != std::string_view::npos && Close != std::string_view::npos && Close > Star + 2
          ? Filter.substr(Star + 2, Close - Star - 2)
          : std::string_view();
  return std::string(Chosen) + "." + (ExportFormatNamed(Picked) ? std::string(Picked) : "sr");
}
