// SPDX-License-Identifier: GPL-3.0-or-later
// Handles on hidraw device nodes (internal to the Linux platform).
#pragma once

#include "link/HidPlatform.h"
#include "link/UniqueFd.h"

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

/// Opens Path read-write. Null with Error when refused.
std::unique_ptr<THidHandle> OpenHidrawReadWrite(const std::string& Path, THidError& Error);
/// Opens Path for reading input reports (non-blocking, with a cancel event).
/// The node's report descriptor says whether its input reports are numbered;
/// reads of unnumbered ones get report id 0 put in front (see HidrawReports.h).
/// Null with Error when the node cannot be opened or gives no valid descriptor.
std::unique_ptr<THidHandle> OpenHidrawReader(const std::string& Path, THidError& Error);
/// The same for a node whose numbering is known without asking it (a node
/// that is not a hidraw node at all, in tests).
std::unique_ptr<THidHandle> OpenHidrawReader(const std::string& Path, bool InputNumbered,
                                             THidError& Error);
/// A handle that answers queries from sysfs without opening the node.
std::unique_ptr<THidHandle> OpenHidrawQueryOnly(const std::string& Path, THidError& Error);

/// Splits udev's HID_ID ("0003:000004D8:00000005") into vendor and product.
bool ParseHidId(const std::string& HidId, std::uint16_t& VendorID, std::uint16_t& ProductID);
