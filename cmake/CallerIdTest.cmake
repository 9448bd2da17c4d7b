# Helpers shared by every folder's CMakeLists.txt.

# callerid_add_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [TIMEOUT <seconds>])
#
# Builds <name>.exe, a console GoogleTest program linked with <libs> and gtest_main, and
# registers it with ctest. Because the toolchain sets CMAKE_CROSSCOMPILING_EMULATOR, ctest
# starts it through scripts/wine-run.sh, i.e. under Wine with the project's prefix and locale.
# The timeout (default 300 s) keeps a test that waits on a window forever from hanging CI.
function(callerid_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "" "NAME;TIMEOUT" "SOURCES;LIBS")
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "callerid_add_test: unexpected arguments: ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_NAME)
    message(FATAL_ERROR "callerid_add_test: NAME is required")
  endif()
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "callerid_add_test(${ARG_NAME}): SOURCES is required")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()

  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} gtest_main)
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
  set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
