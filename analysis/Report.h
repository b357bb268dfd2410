// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV reports of la16-capture and of the decoding window's export:
// annotations one per line, and the figures of each input.
#pragma once

#include <string>

#include "analysis/Annotation.h"
#include "analysis/PulseFigures.h"

/// "first_sample,last_sample,time_s,decoder,event,value".
std::string AnnotationCsvHeader();
/// One annotation, without the line end: "120,215,0.004000000,uart,data,0x41".
std::string AnnotationCsvLine(const TAnnotation& Annotation);

/// "input,rising_edges,falling_edges,shortest_high_s,longest_high_s,
/// shortest_low_s,longest_low_s,frequency_hz,duty_percent".
std::string MeasureCsvHeader();
/// The figures of Input, without the line end; a figure there is none of is empty.
std::string MeasureCsvLine(int Input, const TRangeFigures& Figures);
