# The backend folders compiled on this platform (base/posix/, http/curl/, ...); the
# other platform's folders are left out.
if(WIN32)
  set(VELMORA_PLATFORM win32)
  set(VELMORA_OTHER_BACKENDS posix|curl)
else()
  set(VELMORA_PLATFORM posix)
  set(VELMORA_OTHER_BACKENDS win32|winhttp)
endif()

# velmora_add_tests(<prefix> LIBS <targets...> [SUPPORT <sources...>])
# Every tests/*_test.cpp beside the calling CMakeLists.txt, and every
# tests/<platform>/*_test.cpp of this platform's backend, becomes one GoogleTest
# executable named <prefix>_<file>, registered with CTest under <prefix>.<file>.
function(velmora_add_tests prefix)
  cmake_parse_arguments(ARG "" "" "LIBS;SUPPORT" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/tests/${VELMORA_PLATFORM}/*_test.cpp)
  foreach(source IN LISTS test_sources)
    get_filename_component(name ${source} NAME_WE)
    string(REGEX REPLACE "_test$" "" short ${name})
    set(target ${prefix}_${name})
    add_executable(${target} ${source} ${ARG_SUPPORT})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    add_test(NAME ${prefix}.${short} COMMAND ${target})
    set_tests_properties(${prefix}.${short} PROPERTIES TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    if(VELMORA_TEST_FIXTURES)
      set_tests_properties(${prefix}.${short} PROPERTIES FIXTURES_REQUIRED ${VELMORA_TEST_FIXTURES})
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
