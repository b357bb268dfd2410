// SPDX-License-Identifier: GPL-3.0-or-later
// Parameterised cases print as their names in test output. A suite brings
// this in with `using CaseNames::PrintTo;` in the namespace of its case
// types, where GoogleTest looks for it.
#pragma once

#include <ostream>

namespace CaseNames {

/// Prints a case that has a Name as that name.
template <typename TCase>
requires requires(const TCase& Case) {
  Case.Name;
}
void PrintTo(const TCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

}  // namespace CaseNames
