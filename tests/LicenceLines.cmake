# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DROOT=<source tree> -P LicenceLines.cmake
# Fails naming every source, CMake file, Python file or script of the tree
# whose first line (the second after a #! line) is not the SPDX licence line.
# The files are git's (tracked, or new and not ignored); a tree without git,
# such as an unpacked source archive, is walked instead, build trees left out.
cmake_minimum_required(VERSION 3.20)
if(NOT IS_DIRECTORY "${ROOT}")
  message(FATAL_ERROR "LicenceLines.cmake: ROOT (${ROOT}) is not a folder")
endif()

find_program(Git git)
set(Listed 1)
if(Git AND EXISTS "${ROOT}/.git")
  execute_process(
    COMMAND "${Git}" -C "${ROOT}" ls-files --cached --others --exclude-standard
    OUTPUT_VARIABLE Listing
    RESULT_VARIABLE Listed)
endif()
if(Listed EQUAL 0)
  string(REPLACE "\n" ";" Files "${Listing}")
else()
  file(GLOB_RECURSE Files RELATIVE "${ROOT}" "${ROOT}/*")
  file(GLOB Tops RELATIVE "${ROOT}" "${ROOT}/*")
  foreach(Top ${Tops})
    # The build trees and what Debian's tools make beside the sources.
    if(EXISTS "${ROOT}/${Top}/CMakeCache.txt" OR Top MATCHES "^(build|obj-)")
      list(FILTER Files EXCLUDE REGEX "^${Top}/")
    endif()
  endforeach()
  list(FILTER Files EXCLUDE REGEX "^(\\.git|debian/(la16|tmp|\\.debhelper))/")
endif()

set(Line "SPDX-License-Identifier: GPL-3.0-or-later")
set(Missing "")
set(Checked 0)
foreach(File ${Files})
  set(Path "${ROOT}/${File}")
  if(NOT File OR IS_DIRECTORY "${Path}" OR NOT EXISTS "${Path}")
    continue()
  endif()
  get_filename_component(Name "${File}" NAME)
  file(READ "${Path}" Head LIMIT 200)
  if(NOT (Name MATCHES "\\.(c|cc|cpp|cxx|h|hpp|cmake|py|sh|nsi)$"
          OR Name STREQUAL "CMakeLists.txt" OR Head MATCHES "^#!"))
    continue()
  endif()
  math(EXPR Checked "${Checked} + 1")
  if(NOT Head MATCHES "^(#![^\n]*\n)?(//|#|;) ${Line}\r?\n")
    string(APPEND Missing "  ${File}\n")
  endif()
endforeach()

if(Checked EQUAL 0)
  message(FATAL_ERROR "no source found under ${ROOT}")
endif()
if(Missing)
  message(FATAL_ERROR "without '${Line}' on their first line (second after #!):\n${Missing}")
endif()
message(STATUS "${Checked} files carry the licence line")
