// SPDX-License-Identifier: GPL-3.0-or-later
// Small independent readers of the VCD and CSV files the capture tool writes,
// and a sample generator, for the export tests.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/WindowPlan.h"

namespace exporttest {

/// Samples with runs of equal values, a few single-sample pulses and input
/// 16 toggling at every sample, so every sample has its own VCD timestamp.
inline std::vector<TSample> TogglingSamples(std::size_t Count, unsigned Seed) {
  std::mt19937 Random(Seed);
  std::vector<TSample> Samples(Count);
  TSample Value = 0;
  for (std::size_t N = 0; N < Count; ++N) {
    if (Random() % 4 == 0) {
      Value = static_cast<TSample>(Random() & 0x7FFF);
    }
    Samples[N] = static_cast<TSample>(Value | ((N % 2) << 15));
  }
  return Samples;
}

/// What a VCD says: the unit, the wires and the state after each timestamp.
struct TVcd {
  long long UnitMultiplier = 0;  ///< 1, 10 or 100
  int UnitExponent = 0;          ///< power of ten of the unit name (s 0, ms -3, ...)
  std::map<std::string, int> InputOfId;
  std::map<std::string, std::string> Sections;  ///< $date, $version, ... texts
  std::vector<long long> Times;                 ///< every timestamp, in order
  std::vector<TSample> States;                  ///< the 16 inputs after each timestamp
  int ChangesAfterZero = 0;                     ///< value changes with a time above 0
  bool DumpvarsAtZero = false;

  double UnitSeconds() const {
    double Unit = static_cast<double>(UnitMultiplier);
    for (int I = 0; I < -UnitExponent; ++I) {
      Unit /= 10;
    }
    return Unit;
  }
};

inline void Require(bool Condition, const std::string& What) {
  if (!Condition) {
    throw std::runtime_error("VCD: " + What);
  }
}

/// Reads a VCD of one-bit wires named inN. Throws on anything malformed.
inline TVcd ReadVcd(const std::string& Text) {
  std::istringstream In(Text);
  TVcd Vcd;
  std::string Word;
  bool Definitions = true;
  TSample State = 0;
  long long Time = -1;
  while (In >> Word) {
    if (Definitions) {
      Require(Word.starts_with("$"), "unexpected " + Word);
      std::vector<std::string> Body;
      std::string Part;
      while (In >> Part && Part != "$end") {
        Body.push_back(Part);
      }
      Require(Part == "$end", "section " + Word + " without $end");
      std::string Joined;
      for (const std::string& P : Body) {
        Joined += (Joined.empty() ? "" : " ") + P;
      }
      Vcd.Sections[Word] = Joined;
      if (Word == "$timescale") {
        std::size_t Digits = 0;
        Vcd.UnitMultiplier = std::stoll(Joined, &Digits);
        const std::string Unit = Joined.substr(Joined.find_first_not_of(' ', Digits));
        const std::map<std::string, int> Units = {{"s", 0},   {"ms", -3},  {"us", -6},
                                                  {"ns", -9}, {"ps", -12}, {"fs", -15}};
        Require(Units.count(Unit) == 1, "unit " + Unit);
        Vcd.UnitExponent = Units.at(Unit);
      } else if (Word == "$var") {
        Require(Body.size() == 4 && Body[0] == "wire" && Body[1] == "1", "var " + Joined);
        Require(Body[3].starts_with("in"), "wire name " + Body[3]);
        Require(Vcd.InputOfId.count(Body[2]) == 0, "identifier used twice");
        Vcd.InputOfId[Body[2]] = std::stoi(Body[3].substr(2));
      } else if (Word == "$enddefinitions") {
        Definitions = false;
      }
      continue;
    }
    if (Word[0] == '#') {
      const long long Next = std::stoll(Word.substr(1));
      Require(Next > Time, "time going back at " + Word);
      Time = Next;
      Vcd.Times.push_back(Time);
      Vcd.States.push_back(State);
    } else if (Word == "$dumpvars") {
      Vcd.DumpvarsAtZero = Time == 0;
    } else if (Word == "$end") {
    } else {
      Require(Time >= 0, "value before any time");
      Require(Word[0] == '0' || Word[0] == '1', "value " + Word);
      const auto Found = Vcd.InputOfId.find(Word.substr(1));
      Require(Found != Vcd.InputOfId.end(), "unknown wire " + Word);
      const auto Bit = static_cast<TSample>(1U << (Found->second - 1));
      State = static_cast<TSample>(Word[0] == '1' ? State | Bit : State & ~Bit);
      Vcd.States.back() = State;
      Vcd.ChangesAfterZero += Time > 0 ? 1 : 0;
    }
  }
  return Vcd;
}

/// One CSV row: the memory index, the time text read as seconds and the inputs.
struct TCsvRow {
  long long Index;
  double Seconds;
  std::string TimeText;
  TSample Sample;
};

/// Reads the CSV: returns the header cells and the rows. Throws on malformed rows.
inline std::vector<TCsvRow> ReadCsv(const std::string& Text, std::vector<std::string>& Header) {
  std::istringstream In(Text);
  std::string Line;
  std::vector<TCsvRow> Rows;
  auto Split = [](const std::string& Row) {
    std::vector<std::string> Cells;
    std::stringstream Stream(Row);
    std::string Cell;
    while (std::getline(Stream, Cell, ',')) {
      Cells.push_back(Cell);
    }
    return Cells;
  };
  if (!std::getline(In, Line)) {
    throw std::runtime_error("CSV: no header");
  }
  Header = Split(Line);
  while (std::getline(In, Line)) {
    const std::vector<std::string> Cells = Split(Line);
    if (Cells.size() != Header.size()) {
      throw std::runtime_error("CSV: row of " + std::to_string(Cells.size()) + " cells");
    }
    TCsvRow Row{std::stoll(Cells[0]), std::stod(Cells[1]), Cells[1], 0};
    for (std::size_t C = 2; C < Cells.size(); ++C) {
      if (Cells[C] != "0" && Cells[C] != "1") {
        throw std::runtime_error("CSV: level " + Cells[C]);
      }
      if (Cells[C] == "1") {
        Row.Sample = static_cast<TSample>(Row.Sample | (1U << (C - 2)));
      }
    }
    Rows.push_back(Row);
  }
  return Rows;
}

// sigrok's CSV: comment and META lines, a label line naming the channels,
// then one row of 0/1 per sample period. Returns the rows as samples.
inline std::vector<TSample> ReadSigrokCsv(std::istream& In) {
  std::string Line;
  std::vector<int> InputOfColumn;
  std::vector<TSample> Rows;
  while (std::getline(In, Line)) {
    if (Line.empty() || Line[0] == ';' || Line.starts_with("META")) {
      continue;
    }
    std::stringstream Cells(Line);
    std::string Cell;
    if (InputOfColumn.empty()) {
      while (std::getline(Cells, Cell, ',')) {
        if (!Cell.starts_with("in")) {
          throw std::runtime_error("sigrok label " + Cell);
        }
        InputOfColumn.push_back(std::stoi(Cell.substr(2)));
      }
      continue;
    }
    TSample Sample = 0;
    std::size_t Column = 0;
    while (std::getline(Cells, Cell, ',')) {
      if (Column >= InputOfColumn.size() || (Cell != "0" && Cell != "1")) {
        throw std::runtime_error("sigrok row " + Line);
      }
      if (Cell == "1") {
        Sample = static_cast<TSample>(Sample | (1U << (InputOfColumn[Column] - 1)));
      }
      ++Column;
    }
    if (Column != InputOfColumn.size()) {
      throw std::runtime_error("sigrok row " + Line);
    }
    Rows.push_back(Sample);
  }
  if (InputOfColumn.size() != 16) {
    throw std::runtime_error("sigrok saw " + std::to_string(InputOfColumn.size()) + " channels");
  }
  return Rows;
}

}  // namespace exporttest
