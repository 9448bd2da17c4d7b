# The program's version, kept in one place: the VERSION file at the top of the repository
# (MAJOR.MINOR.PATCH). It goes into the version resources of CallerIdTest.exe and of the
# simulator DLL through the generated header Version.h, and into the installer's and archive's
# names through scripts/dist.sh, which reads the same file.
file(STRINGS "${PROJECT_SOURCE_DIR}/VERSION" CALLERID_VERSION LIMIT_COUNT 1)
string(STRIP "${CALLERID_VERSION}" CALLERID_VERSION)
if(NOT CALLERID_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH (numbers), not '${CALLERID_VERSION}'")
endif()
set(CALLERID_VERSION_MAJOR ${CMAKE_MATCH_1})
set(CALLERID_VERSION_MINOR ${CMAKE_MATCH_2})
set(CALLERID_VERSION_PATCH ${CMAKE_MATCH_3})
foreach(_part MAJOR MINOR PATCH)
  # A version resource holds each part in 16 bits.
  if(CALLERID_VERSION_${_part} GREATER 65535)
    message(FATAL_ERROR "VERSION: each part must be at most 65535 ('${CALLERID_VERSION}')")
  endif()
endforeach()
# Editing VERSION reconfigures, which regenerates the header and rebuilds the resources.
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/VERSION")
configure_file("${PROJECT_SOURCE_DIR}/cmake/Version.h.in" "${CMAKE_BINARY_DIR}/generated/Version.h" @ONLY)
# Every resource script (the program's, the simulator's, and the test programs that compile the
# program's script) finds Version.h by name.
include_directories("${CMAKE_BINARY_DIR}/generated")
