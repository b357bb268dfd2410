// SPDX-License-Identifier: GPL-3.0-or-later
// The PC speed: a number from 100 to 1000 that the program only shows, saves
// and passes to the analyser.
#pragma once

#include <optional>
#include <string_view>

/// Range of the PC speed slider; 100 is also its design position.
inline constexpr int PcSpeedMinimum = 100;
inline constexpr int PcSpeedMaximum = 1000;

/// The whole number held by a saved PcSpeedSetting: an optional sign and
/// decimal digits, nothing else. Values beyond the int range saturate (the
/// slider clamps them anyway). Empty or other text gives nothing: the setting
/// is then treated as absent.
std::optional<int> ParsePcSpeedSetting(std::string_view Text);

/// Value clamped to the slider's range.
int ClampPcSpeed(int Value);
