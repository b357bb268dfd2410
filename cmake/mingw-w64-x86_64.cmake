# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# so that std::thread and std::mutex work), linked statically so that the
# programs need no DLL of the compiler beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(La16MingwTriple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${La16MingwTriple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${La16MingwTriple}-g++-posix)
set(CMAKE_RC_COMPILER ${La16MingwTriple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${La16MingwTriple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Windows 7 and later: CancelIoEx and the rest of the device path.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
