// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts shared by the trigger pattern readout and the cursor readout.
#pragma once

#include <cstdint>
#include <string>

/// Base-2 digits, most significant first, without leading zeros; "0" for 0.
/// 5 gives "101", 200 gives "11001000".
std::string BinaryText(std::uint32_t Value);

/// Upper-case hexadecimal with at least two digits: 5 gives "05", 200 "C8".
std::string HexText(std::uint32_t Value);
