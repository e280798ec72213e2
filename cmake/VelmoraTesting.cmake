# The backend folders compiled on this platform (base/posix/, http/curl/, ...); the
# other platform's folders are left out.
if(WIN32)
  set(VELMORA_PLATFORM win32)
  set(VELMORA_OTHER_BACKENDS posix|curl)
else()
  set(VELMORA_PLATFORM posix)
  set(VELMORA_OTHER_BACKENDS win32|winhttp)
endif()

# velmora_add_test(<name> <target>): registers the test; one that
# VELMORA_ENGLISH_LOCALE_TESTS names (the Windows build's list) is registered again as
# <name>.en_US, run under an English locale. Sets VELMORA_ADDED_TESTS in the caller to
# the names registered, for their properties.
function(velmora_add_test name target)
  add_test(NAME ${name} COMMAND ${target})
  set(added ${name})
  if(name IN_LIST VELMORA_ENGLISH_LOCALE_TESTS)
    add_test(NAME ${name}.en_US COMMAND ${target})
    set_tests_properties(${name}.en_US PROPERTIES
      ENVIRONMENT_MODIFICATION "VELMORA_WINE_LOCALE=set:en_US.UTF-8")
    list(APPEND added ${name}.en_US)
  endif()
  set(VELMORA_ADDED_TESTS ${added} PARENT_SCOPE)
endfunction()

# velmora_add_tests(<prefix> LIBS <targets...> [SUPPORT <sources...>] [EXCLUDE <regex>])
# Every tests/*_test.cpp beside the calling CMakeLists.txt, every
# tests/<platform>/*_test.cpp of this platform's backend and, on Linux, every
# tests/hosted/*_test.cpp (tests that host their servers in-process, on loopback) and
# tests/qt/*_test.cpp (the Qt window's own) becomes one GoogleTest executable named
# <prefix>_<file>, registered with CTest under <prefix>.<file>; sources whose path
# matches EXCLUDE are left out.
function(velmora_add_tests prefix)
  cmake_parse_arguments(ARG "" "EXCLUDE" "LIBS;SUPPORT" ${ARGN})
  set(folders tests tests/${VELMORA_PLATFORM})
  if(NOT WIN32)
    list(APPEND folders tests/hosted tests/qt)
  endif()
  list(TRANSFORM folders PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM folders APPEND /*_test.cpp)
  file(GLOB test_sources CONFIGURE_DEPENDS ${folders})
  if(ARG_EXCLUDE)
    list(FILTER test_sources EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  foreach(source IN LISTS test_sources)
    get_filename_component(name ${source} NAME_WE)
    string(REGEX REPLACE "_test$" "" short ${name})
    set(target ${prefix}_${name})
    add_executable(${target} ${source} ${ARG_SUPPORT})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    velmora_add_test(${prefix}.${short} ${target})
    set_tests_properties(${VELMORA_ADDED_TESTS} PROPERTIES TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    if(VELMORA_TEST_FIXTURES)
      set_tests_properties(${VELMORA_ADDED_TESTS} PROPERTIES
        FIXTURES_REQUIRED ${VELMORA_TEST_FIXTURES})
    endif()
  endforeach()
endfunction()

# velmora_sources(<out-var>): the .cpp files of the calling folder and its subfolders,
# except tests/, bench/ and qt/ (collected separately) and the other platform's backends.
function(velmora_sources out)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/(tests|bench|qt|${VELMORA_OTHER_BACKENDS})/")
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
