# The cross build for Windows: GoogleTest from Debian's sources built for the target,
# and every test executable run under Wine in a prefix inside the build tree.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(VELMORA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine.sh ${VELMORA_WINE_PREFIX})

# Every test needs the prefix and its running server (see velmora_add_tests).
set(VELMORA_TEST_FIXTURES wine)
add_test(NAME wine.start COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine.sh ${VELMORA_WINE_PREFIX} start)
add_test(NAME wine.stop COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine.sh ${VELMORA_WINE_PREFIX} stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
