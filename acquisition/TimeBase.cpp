// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/TimeBase.h"

#include <cstring>

#include "link/AnalyserProtocol.h"

// Columns are decades, rows the steps 1, 2 and 5; the code is decade + 8 × step.
const std::array<TTimeBase, 18> TimeBaseTable = {{
    {4, "SpeedButton5", "1µs", "Time/Div : 1µs", 1e-6, TimeBaseCode(0, 0)},
    {5, "SpeedButton6", "2µs", "Time/Div : 2µs", 2e-6, TimeBaseCode(0, 1)},
    {6, "SpeedButton7", "5µs", "Time/Div : 5µs", 5e-6, TimeBaseCode(0, 2)},
    {7, "SpeedButton8", "10µs", "Time/Div : 10µs", 10e-6, TimeBaseCode(1, 0)},
    {8, "SpeedButton9", "20µs", "Time/Div : 20µs", 20e-6, TimeBaseCode(1, 1)},
    {9, "SpeedButton10", "50µs", "Time/Div : 50µs", 50e-6, TimeBaseCode(1, 2)},
    {10, "SpeedButton11", "100µs", "Time/Div : 100µs", 100e-6, TimeBaseCode(2, 0)},
    {11, "SpeedButton12", "200µs", "Time/Div : 200µs", 200e-6, TimeBaseCode(2, 1)},
    {12, "SpeedButton13", "500µs", "Time/Div : 500µs", 500e-6, TimeBaseCode(2, 2)},
    {13, "SpeedButton14", "1ms", "Time/Div : 1ms", 1e-3, TimeBaseCode(3, 0)},
    {14, "SpeedButton15", "2ms", "Time/Div : 2ms", 2e-3, TimeBaseCode(3, 1)},
    {15, "SpeedButton16", "5ms", "Time/Div : 5ms", 5e-3, TimeBaseCode(3, 2)},
    {16, "SpeedButton17", "10ms", "Time/Div : 10ms", 10e-3, TimeBaseCode(4, 0)},
    {17, "SpeedButton18", "20ms", "Time/Div : 20ms", 20e-3, TimeBaseCode(4, 1)},
    {18, "SpeedButton19", "50ms", "Time/Div : 50ms", 50e-3, TimeBaseCode(4, 2)},
    {19, "SpeedButton20", "100ms", "Time/Div : 100ms", 100e-3, TimeBaseCode(5, 0)},
    {20, "SpeedButton21", "200ms", "Time/Div : 200ms", 200e-3, TimeBaseCode(5, 1)},
    {21, "SpeedButton22", "500ms", "Time/Div : 500ms", 500e-3, TimeBaseCode(5, 2)},
}};

const TTimeBase* FindTimeBase(int Index) {
  if (Index < TimeBaseTable.front().Index || Index > TimeBaseTable.back().Index) {
    return nullptr;
  }
  return &TimeBaseTable[static_cast<std::size_t>(Index - TimeBaseTable.front().Index)];
}

const TTimeBase* FindTimeBaseByCode(std::uint8_t Code) {
  for (const TTimeBase& Base : TimeBaseTable) {
    if (Base.Code == Code) {
      return &Base;
    }
  }
  return nullptr;
}

const TTimeBase* FindTimeBaseByCaption(const char* Caption) {
  for (const TTimeBase& Base : TimeBaseTable) {
    if (std::strcmp(Base.Caption, Caption) == 0) {
      return &Base;
    }
  }
  return nullptr;
}
