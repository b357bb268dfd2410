// SPDX-License-Identifier: GPL-3.0-or-later
// "decodeurs.inf": the decoders chosen in the window, kept between runs
// beside "parametres.inf", one "uart:rx=9:baudrate=9600" text per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/DecoderTable.h"

inline constexpr const char* DecoderSettingsFileName = "decodeurs.inf";

/// The specs of the file's bytes; a line that is not one is skipped.
std::vector<TDecoderSpec> ParseDecoderSettings(std::string_view Bytes);
/// The file's bytes for Specs, each line ended by CR LF like the settings file's.
std::string FormatDecoderSettings(const std::vector<TDecoderSpec>& Specs);
