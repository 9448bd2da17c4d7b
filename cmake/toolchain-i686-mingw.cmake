# The win32 flavour: 32-bit Windows, the program that ships (the vendor's device control is a
# 32-bit in-process server). See mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_callerid_triple i686-w64-mingw32)
set(_callerid_flavour win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
