# Shared build helpers.

# Flags for code that ends up in veltrix.exe: no exceptions or RTTI (nothing
# in the launcher throws; allocation failure ends the process), and sections
# the linker can drop.
set(VELTRIX_LEAN_FLAGS -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections)

if(CMAKE_CROSSCOMPILING AND WIN32)
  find_program(VELTRIX_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(VELTRIX_WINE64 wine64)
  find_program(VELTRIX_WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(VELTRIX_WINESERVER wineserver)
  if(NOT VELTRIX_WINE64 OR NOT VELTRIX_WINESERVER)
    message(FATAL_ERROR "wine64 and wineserver are needed to run the Windows tests (Debian package wine64)")
  endif()
  # One project-local prefix per build tree; Wine's own chatter silenced; no
  # Mono/Gecko install prompts when the prefix is first made.
  set(VELTRIX_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  set(VELTRIX_WINE_ENV
      "WINEPREFIX=${VELTRIX_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml=")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env ${VELTRIX_WINE_ENV} ${VELTRIX_WINE64})
endif()

# veltrix_add_test(<name> SOURCES ... LIBS ... [WINE_FIXTURE])
# Adds a GoogleTest executable and registers it with CTest. In the cross
# build CTest runs it through Wine (the target's crosscompiling emulator),
# inside the fixture that makes and stops the build's Wine prefix.
function(veltrix_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
  endif()
endfunction()
