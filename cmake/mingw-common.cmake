# Shared by both toolchain files: cross-compiling for Windows with Debian's mingw-w64, posix
# thread flavour. The toolchain file sets _callerid_triple and _callerid_flavour first.
# The posix flavour is required: the win32 flavour's libstdc++ has no std::mutex/std::thread,
# which GoogleTest and our own code use.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${_callerid_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_callerid_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_callerid_triple}-windres)
set(CMAKE_AR           ${_callerid_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${_callerid_triple}-ranlib CACHE FILEPATH "")

# Headers and libraries come only from the mingw sysroot (and our own deps prefix, which is
# given by full path); build tools come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_callerid_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest (and anything else CMake runs from the target) starts .exe files through Wine, in the
# prefix and with the Wine of this flavour whatever the machine would choose by itself.
get_filename_component(_callerid_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "env;CALLERID_FLAVOUR=${_callerid_flavour};${_callerid_wine_run}")
