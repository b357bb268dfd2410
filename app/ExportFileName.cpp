// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ExportFileName.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::string_view, 3> ExportExtensions = {"sr", "vcd", "csv"};

// The extension of the last name in Path, lower case, without its dot.
std::string ExtensionOf(std::string_view Path) {
  const std::size_t Separator = Path.find_last_of("/\\");
  const std::string_view Name =
      Separator == std::string_view::npos ? Path : Path.substr(Separator + 1);
  const std::size_t Dot = Name.rfind('.');
  std::string Extension(Dot == std::string_view::npos ? std::string_view() : Name.substr(Dot + 1));
  std::transform(Extension.begin(), Extension.end(), Extension.begin(), [](char C) {
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
  });
  return Extension;
}

bool IsExportExtension(const std::string& Extension) {
  return std::find(ExportExtensions.begin(), ExportExtensions.end(), Extension) !=
         ExportExtensions.end();
}

}  // namespace

std::string ExportFileName(std::string_view Chosen, std::string_view Filter) {
  if (IsExportExtension(ExtensionOf(Chosen))) {
    return std::string(Chosen);
  }
  // "CSV (*.csv)": the pattern ends at the closing bracket.
  const std::string Picked = ExtensionOf(Filter.substr(0, Filter.rfind(')')));
  return std::string(Chosen) + "." + (IsExportExtension(Picked) ? Picked : "sr");
}
