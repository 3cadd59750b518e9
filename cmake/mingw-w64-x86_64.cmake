# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX threads).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVARA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVARA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVARA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVARA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVARA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file that runs on a bare Windows: the GCC runtime, the C++ library and
# winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Boost is used for its headers only. Debian keeps them in /usr/include, which
# must not be on the cross compiler's path (the host's C library headers live
# there too): a folder holding nothing but a link to boost/ stands in for it.
if(EXISTS /usr/include/boost/version.hpp)
  set(KELVARA_BOOST_HEADERS "${CMAKE_BINARY_DIR}/boost-headers")
  if(NOT EXISTS "${KELVARA_BOOST_HEADERS}/boost")
    file(MAKE_DIRECTORY "${KELVARA_BOOST_HEADERS}")
    file(CREATE_LINK /usr/include/boost "${KELVARA_BOOST_HEADERS}/boost" SYMBOLIC)
  endif()
  # -isystem: warnings inside Boost are not ours to fix.
  set(CMAKE_CXX_FLAGS_INIT "-isystem \"${KELVARA_BOOST_HEADERS}\"")
  set(Boost_INCLUDE_DIR "${KELVARA_BOOST_HEADERS}" CACHE PATH "Boost headers for the cross build")
endif()

# Test programs run under Wine (scripts/windows.sh sets up its prefix).
find_program(KELVARA_WINE wine)
if(KELVARA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${KELVARA_WINE}")
endif()
