// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Waitable.h"

#include <windows.h>

#include <system_error>

namespace {

HANDLE AsHandle(TWaitable Waitable) {
  return reinterpret_cast<HANDLE>(Waitable);
}

}  // namespace

TWakeEvent::TWakeEvent()
    : Native(reinterpret_cast<TWaitable>(::CreateEventA(nullptr, TRUE, FALSE, nullptr))) {
  if (Native == 0) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            "CreateEvent");
  }
}

TWakeEvent::~TWakeEvent() {
  ::CloseHandle(AsHandle(Native));
}

void TWakeEvent::Set() {
  ::SetEvent(AsHandle(Native));
}

void TWakeEvent::Clear() {
  ::ResetEvent(AsHandle(Native));
}

std::vector<bool> WaitForSignals(const std::vector<TWaitable>& Waitables,
                                 std::chrono::milliseconds Timeout) {
  std::vector<HANDLE> Handles;
  for (const TWaitable Waitable : Waitables) {
    if (Waitable != NoWaitable) {
      Handles.push_back(AsHandle(Waitable));
    }
  }
  const DWORD Wait = Timeout.count() < 0 ? INFINITE : static_cast<DWORD>(Timeout.count());
  if (Handles.empty()) {
    ::Sleep(Wait);
  } else if (Handles.size() <= MAXIMUM_WAIT_OBJECTS) {
    const DWORD Result =
        ::WaitForMultipleObjects(static_cast<DWORD>(Handles.size()), Handles.data(), FALSE, Wait);
    if (Result == WAIT_FAILED) {
      throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                              "WaitForMultipleObjects");
    }
  } else {
    throw std::system_error(ERROR_INVALID_PARAMETER, std::system_category(),
                            "WaitForMultipleObjects: too many handles");
  }
  // The wait names only the first signalled handle; look at each one, the
  // way poll() reports every ready descriptor.
  std::vector<bool> Signalled(Waitables.size(), false);
  for (std::size_t I = 0; I < Waitables.size(); ++I) {
    Signalled[I] = Waitables[I] != NoWaitable &&
                   ::WaitForSingleObject(AsHandle(Waitables[I]), 0) == WAIT_OBJECT_0;
  }
  return Signalled;
}
