// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/WindowsHidPlatform.h"

#include "link/SystemHidPlatform.h"
#include "link/WindowsHidLibraries.h"

#include <dbt.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <future>
#include <thread>

TLibraryBinding::TLibraryBinding(const char* Library, const std::vector<const char*>& EntryNames)
    : Entries(EntryNames.size(), nullptr) {
  HMODULE Loaded = ::LoadLibraryA(Library);
  if (Loaded == nullptr) {
    return;
  }
  for (std::size_t I = 0; I < EntryNames.size(); ++I) {
    // A pointer to a function of no arguments stands for any function type.
    Entries[I] = reinterpret_cast<TEntry>(::GetProcAddress(Loaded, EntryNames[I]));
    if (Entries[I] == nullptr) {
      // One missing entry and nothing of the library is used.
      std::fill(Entries.begin(), Entries.end(), nullptr);
      ::FreeLibrary(Loaded);
      return;
    }
  }
  Module = Loaded;
}

TLibraryBinding::~TLibraryBinding() {
  if (Module != nullptr) {
    ::FreeLibrary(static_cast<HMODULE>(Module));
  }
}

TWindowsHidLibraries::TWindowsHidLibraries(const char* SetupName, const char* HidName) {
  Setup = std::make_unique<TLibraryBinding>(
      SetupName, std::vector<const char*>{"SetupDiGetClassDevsA", "SetupDiEnumDeviceInterfaces",
                                          "SetupDiGetDeviceInterfaceDetailA",
                                          "SetupDiGetDeviceRegistryPropertyA",
                                          "SetupDiDestroyDeviceInfoList"});
  if (!Setup->Bound()) {
    return;
  }
  GetClassDevs = Setup->Entry<decltype(GetClassDevs)>(0);
  EnumDeviceInterfaces = Setup->Entry<decltype(EnumDeviceInterfaces)>(1);
  GetDeviceInterfaceDetail = Setup->Entry<decltype(GetDeviceInterfaceDetail)>(2);
  GetDeviceRegistryProperty = Setup->Entry<decltype(GetDeviceRegistryProperty)>(3);
  DestroyDeviceInfoList = Setup->Entry<decltype(DestroyDeviceInfoList)>(4);

  Hid = std::make_unique<TLibraryBinding>(
      HidName,
      std::vector<const char*>{"HidD_GetHidGuid", "HidD_GetAttributes", "HidD_GetPreparsedData",
                               "HidD_FreePreparsedData", "HidP_GetCaps", "HidD_GetNumInputBuffers",
                               "HidD_SetNumInputBuffers"});
  if (!Hid->Bound()) {
    return;
  }
  GetHidGuid = Hid->Entry<decltype(GetHidGuid)>(0);
  GetAttributes = Hid->Entry<decltype(GetAttributes)>(1);
  GetPreparsedData = Hid->Entry<decltype(GetPreparsedData)>(2);
  FreePreparsedData = Hid->Entry<decltype(FreePreparsedData)>(3);
  GetCaps = Hid->Entry<decltype(GetCaps)>(4);
  GetNumInputBuffers = Hid->Entry<decltype(GetNumInputBuffers)>(5);
  SetNumInputBuffers = Hid->Entry<decltype(SetNumInputBuffers)>(6);
}

/// The hidden window that hears device changes, on a thread of its own with
/// its own message loop, so that it works whoever runs the main thread. It
/// is an ordinary top-level window, never shown: message-only windows do not
/// get the DBT_DEVNODES_CHANGED broadcast. It also asks to be told of
/// arrivals and removals of the HID interface class, which the system sends
/// to registered windows only.
class TWindowsDeviceNotice {
 public:
  explicit TWindowsDeviceNotice(const GUID& InterfaceClass) : InterfaceClass(InterfaceClass) {
    std::promise<HWND> Made;
    auto Ready = Made.get_future();
    Thread = std::thread([this, &Made] { Run(Made); });
    Window = Ready.get();
  }

  ~TWindowsDeviceNotice() {
    if (Window != nullptr) {
      ::PostMessageA(Window, WM_CLOSE, 0, 0);
    }
    Thread.join();
  }

  TWindowsDeviceNotice(const TWindowsDeviceNotice&) = delete;
  TWindowsDeviceNotice& operator=(const TWindowsDeviceNotice&) = delete;

  HWND Handle() const { return Window; }
  TWakeEvent& Event() { return Changed; }

 private:
  static constexpr const char* ClassName = "la16 HID device change";

  static LRESULT CALLBACK Procedure(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    if (Message == WM_NCCREATE) {
      const auto* Create = reinterpret_cast<const CREATESTRUCTA*>(LParam);
      ::SetWindowLongPtrA(Window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
    }
    auto* Self =
        reinterpret_cast<TWindowsDeviceNotice*>(::GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (Self != nullptr) {
      switch (Message) {
        case WM_DEVICECHANGE:
          // Any of these means "enumerate again": the controller compares.
          if (WParam == DBT_DEVNODES_CHANGED || WParam == DBT_DEVICEARRIVAL ||
              WParam == DBT_DEVICEREMOVECOMPLETE) {
            Self->Changed.Set();
          }
          return TRUE;
        case WM_CLOSE:
          if (Self->Registration != nullptr) {
            ::UnregisterDeviceNotification(Self->Registration);
            Self->Registration = nullptr;
          }
          ::DestroyWindow(Window);
          return 0;
        case WM_DESTROY:
          ::PostQuitMessage(0);
          return 0;
        default:
          break;
      }
    }
    return ::DefWindowProcA(Window, Message, WParam, LParam);
  }

  void Run(std::promise<HWND>& Made) {
    const HINSTANCE Instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA Class{};
    Class.cbSize = sizeof Class;
    Class.lpfnWndProc = &Procedure;
    Class.hInstance = Instance;
    Class.lpszClassName = ClassName;
    // A second platform finds the class registered already.
    if (::RegisterClassExA(&Class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      Made.set_value(nullptr);
      return;
    }
    HWND Created =
        ::CreateWindowExA(0, ClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance, this);
    if (Created != nullptr) {
      DEV_BROADCAST_DEVICEINTERFACE_A Filter{};
      Filter.dbcc_size = sizeof Filter;
      Filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
      Filter.dbcc_classguid = InterfaceClass;
      // Without it the broadcast still comes; with it, arrivals and
      // removals of the class come too.
      Registration = ::RegisterDeviceNotificationA(Created, &Filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    Made.set_value(Created);
    if (Created == nullptr) {
      return;
    }
    MSG Message;
    while (::GetMessageA(&Message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&Message);
      ::DispatchMessageA(&Message);
    }
  }

  const GUID InterfaceClass;
  TWakeEvent Changed;
  HDEVNOTIFY Registration = nullptr;
  HWND Window = nullptr;
  std::thread Thread;
};

namespace {

GUID ParseGuid(const char* Text) {
  GUID Guid{};
  unsigned long Data1 = 0;
  unsigned Data2 = 0;
  unsigned Data3 = 0;
  unsigned Bytes[8] = {};
  std::sscanf(Text, "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &Data1, &Data2, &Data3, &Bytes[0],
              &Bytes[1], &Bytes[2], &Bytes[3], &Bytes[4], &Bytes[5], &Bytes[6], &Bytes[7]);
  Guid.Data1 = Data1;
  Guid.Data2 = static_cast<unsigned short>(Data2);
  Guid.Data3 = static_cast<unsigned short>(Data3);
  for (int I = 0; I < 8; ++I) {
    Guid.Data4[I] = static_cast<unsigned char>(Bytes[I]);
  }
  return Guid;
}

GUID AsGuid(const std::array<std::uint8_t, 16>& Bytes) {
  GUID Guid;
  std::memcpy(&Guid, Bytes.data(), sizeof Guid);
  return Guid;
}

}  // namespace

TWindowsHidPlatform::TWindowsHidPlatform(const char* SetupLibrary, const char* HidLibrary)
    : Libraries(std::make_unique<TWindowsHidLibraries>(SetupLibrary, HidLibrary)) {
  static_assert(sizeof(GUID) == 16);
  GUID Guid = ParseGuid(FixedHidInterfaceClass);
  if (Libraries->HidBound()) {
    Libraries->GetHidGuid(&Guid);
  }
  std::memcpy(ClassGuid.data(), &Guid, sizeof Guid);
  if (Libraries->HidBound()) {
    Notice = std::make_unique<TWindowsDeviceNotice>(Guid);
  }
}

TWindowsHidPlatform::~TWindowsHidPlatform() = default;

bool TWindowsHidPlatform::SetupLibraryBound() const {
  return Libraries->Setup->Bound();
}

bool TWindowsHidPlatform::HidLibraryBound() const {
  return Libraries->HidBound();
}

std::string TWindowsHidPlatform::InterfaceClassGuid() const {
  const GUID Guid = AsGuid(ClassGuid);
  char Text[40];
  std::snprintf(Text, sizeof Text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(Guid.Data1), Guid.Data2, Guid.Data3, Guid.Data4[0],
                Guid.Data4[1], Guid.Data4[2], Guid.Data4[3], Guid.Data4[4], Guid.Data4[5],
                Guid.Data4[6], Guid.Data4[7]);
  return Text;
}

std::optional<std::vector<THidInterface>> TWindowsHidPlatform::Enumerate() {
  std::vector<THidInterface> Present;
  if (!Libraries->HidBound()) {
    return Present;  // no HID library: nothing is ever found
  }
  const GUID Guid = AsGuid(ClassGuid);
  const HDEVINFO Set =
      Libraries->GetClassDevs(&Guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (Set == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  for (DWORD Index = 0;; ++Index) {
    SP_DEVICE_INTERFACE_DATA Interface{};
    Interface.cbSize = sizeof Interface;
    if (!Libraries->EnumDeviceInterfaces(Set, nullptr, &Guid, Index, &Interface)) {
      break;  // past the last one
    }
    DWORD Required = 0;
    if (Libraries->GetDeviceInterfaceDetail(Set, &Interface, nullptr, 0, &Required, nullptr) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        Required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
      continue;  // no detail to be had: the next index may have one
    }
    // Zero-filled, so the path ends in a NUL whatever the system writes;
    // the size field holds the record's fixed part in this process's layout.
    std::vector<std::uint8_t> Buffer(Required + 1, 0);
    auto* Detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(Buffer.data());
    Detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA Device{};
    Device.cbSize = sizeof Device;
    if (!Libraries->GetDeviceInterfaceDetail(Set, &Interface, Detail, Required, nullptr, &Device)) {
      continue;
    }
    Present.push_back({static_cast<std::uint32_t>(Device.DevInst), Detail->DevicePath});
  }
  Libraries->DestroyDeviceInfoList(Set);
  return Present;
}

std::unique_ptr<THidHandle> TWindowsHidPlatform::OpenMain(const std::string& Path,
                                                          THidError& Error) {
  return OpenWindowsMainHandle(*Libraries, Path, Error);
}

std::unique_ptr<THidHandle> TWindowsHidPlatform::OpenReader(const std::string& Path,
                                                            THidError& Error) {
  return OpenWindowsReadHandle(*Libraries, Path, Error);
}

TWaitable TWindowsHidPlatform::ChangeNotice() const {
  return Notice && Notice->Handle() != nullptr ? Notice->Event().Waitable() : NoWaitable;
}

void TWindowsHidPlatform::DrainChangeNotice() {
  if (Notice) {
    Notice->Event().Clear();
  }
}

std::intptr_t TWindowsHidPlatform::NoticeWindow() const {
  return Notice ? reinterpret_cast<std::intptr_t>(Notice->Handle()) : 0;
}

std::unique_ptr<THidPlatform> MakeSystemHidPlatform() {
  return std::make_unique<TWindowsHidPlatform>();
}
