// SPDX-License-Identifier: GPL-3.0-or-later
// The name an export is written under, whose extension decides its format.
// Qt-free.
#pragma once

#include <string>
#include <string_view>

/// The types offered by the export's save dialog, the sigrok session first.
inline constexpr char ExportDialogFilters[] = "Session sigrok (*.sr);;VCD (*.vcd);;CSV (*.csv)";

/// Chosen as is when its file name ends in ".sr", ".vcd" or ".csv" (any case):
/// an extension typed wins. Otherwise Chosen with the extension of Filter, the
/// type picked in the dialog ("CSV (*.csv)"), or ".sr" when Filter names none
/// of those.
std::string ExportFileName(std::string_view Chosen, std::string_view Filter);
