// SPDX-License-Identifier: GPL-3.0-or-later
// The entry points of hid.dll and setupapi.dll that the Windows HID platform
// binds at run time (internal to it).
#pragma once

#include "link/WindowsHidPlatform.h"

#include <windows.h>

// hidsdi.h brings the usages and hidpi.h in the order they need.
#include <hidsdi.h>
#include <setupapi.h>

struct TWindowsHidLibraries {
  TWindowsHidLibraries(const char* SetupName, const char* HidName);

  // Bound first; the HID library is bound only when this one is.
  std::unique_ptr<TLibraryBinding> Setup;
  decltype(&SetupDiGetClassDevsA) GetClassDevs = nullptr;
  decltype(&SetupDiEnumDeviceInterfaces) EnumDeviceInterfaces = nullptr;
  decltype(&SetupDiGetDeviceInterfaceDetailA) GetDeviceInterfaceDetail = nullptr;
  decltype(&SetupDiGetDeviceRegistryPropertyA) GetDeviceRegistryProperty = nullptr;
  decltype(&SetupDiDestroyDeviceInfoList) DestroyDeviceInfoList = nullptr;

  std::unique_ptr<TLibraryBinding> Hid;
  decltype(&HidD_GetHidGuid) GetHidGuid = nullptr;
  decltype(&HidD_GetAttributes) GetAttributes = nullptr;
  decltype(&HidD_GetPreparsedData) GetPreparsedData = nullptr;
  decltype(&HidD_FreePreparsedData) FreePreparsedData = nullptr;
  decltype(&HidP_GetCaps) GetCaps = nullptr;
  decltype(&HidD_GetNumInputBuffers) GetNumInputBuffers = nullptr;
  decltype(&HidD_SetNumInputBuffers) SetNumInputBuffers = nullptr;

  bool HidBound() const { return Hid && Hid->Bound(); }
};

/// Handles on an interface path (WindowsHidHandle.cpp). The libraries must
/// outlive the handles.
std::unique_ptr<THidHandle> OpenWindowsMainHandle(const TWindowsHidLibraries& Libraries,
                                                  const std::string& Path, THidError& Error);
std::unique_ptr<THidHandle> OpenWindowsReadHandle(const TWindowsHidLibraries& Libraries,
                                                  const std::string& Path, THidError& Error);
