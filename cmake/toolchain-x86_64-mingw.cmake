# The win64 flavour: the same sources for 64-bit Windows, so that a machine that cannot run
# 32-bit programs still runs every test under 64-bit Wine. It does not ship. See
# mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(_callerid_triple x86_64-w64-mingw32)
set(_callerid_flavour win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
