# The cross build for Windows: GoogleTest from Debian's sources built for the target,
# and every test executable run under Wine in a prefix inside the build tree.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(VELMORA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine.sh ${VELMORA_WINE_PREFIX})

# Tests run again under an English locale (ANSI code page 1252) as <name>.en_US: the
# window's texts and the paths with Chinese characters must come out as under the
# Chinese one (see velmora_add_test).
set(VELMORA_ENGLISH_LOCALE_TESTS base.ini_file base.wide_paths
    app.controls_behaviour app.main_window_layout app.win32_controls app.executable_login)

# Every test needs the prefix and its running server (see velmora_add_tests).
set(VELMORA_TEST_FIXTURES wine)
add_test(NAME wine.start COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine.sh ${VELMORA_WINE_PREFIX} start)
add_test(NAME wine.stop COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine.sh ${VELMORA_WINE_PREFIX} stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# Servers stay native: the Linux build tree (build/default) provides them, and
# scripts/windows-test.sh builds its velmora_native_tools target first.
set(VELMORA_NATIVE_BUILD_DIR ${PROJECT_SOURCE_DIR}/build/default CACHE PATH
    "Linux build tree holding the servers that the Windows tests talk to")

add_executable(trust_root_ca ${PROJECT_SOURCE_DIR}/http/tests/support/win32/trust_root_ca.cpp)
target_link_libraries(trust_root_ca PRIVATE crypt32)

# velmora_native_server(<name> <program relative to the native tree> [args…])
# Fixture <name>: the native program runs while the tests that require the fixture run;
# its key=value lines (ports, ca_file) are in ${CMAKE_BINARY_DIR}/servers/<name>/ports,
# and a CA file it names is put into the prefix's Root store first.
function(velmora_native_server name program)
  set(state ${CMAKE_BINARY_DIR}/servers/${name})
  set(script ${PROJECT_SOURCE_DIR}/cmake/native_server.sh)
  add_test(NAME ${name}.start COMMAND ${script} start ${state}
           ${VELMORA_NATIVE_BUILD_DIR}/${program} ${ARGN})
  add_test(NAME ${name}.trust COMMAND sh -c
           "ca=$(sed -n 's/^ca_file=//p' '${state}/ports'); [ -z \"$ca\" ] || '${PROJECT_SOURCE_DIR}/cmake/wine.sh' '${VELMORA_WINE_PREFIX}' '$<TARGET_FILE:trust_root_ca>' \"$ca\"")
  add_test(NAME ${name}.stop COMMAND ${script} stop ${state})
  set_tests_properties(${name}.start PROPERTIES FIXTURES_SETUP ${name}_started TIMEOUT 60)
  set_tests_properties(${name}.trust PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 60
    FIXTURES_REQUIRED "${name}_started;${VELMORA_TEST_FIXTURES}")
  set_tests_properties(${name}.stop PROPERTIES FIXTURES_CLEANUP "${name};${name}_started")
endfunction()
