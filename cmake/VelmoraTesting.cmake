# velmora_add_tests(<prefix> LIBS <targets...> [SUPPORT <sources...>])
# Every tests/*_test.cpp beside the calling CMakeLists.txt becomes one GoogleTest
# executable named <prefix>_<file>, registered with CTest under <prefix>.<file>.
function(velmora_add_tests prefix)
  cmake_parse_arguments(ARG "" "" "LIBS;SUPPORT" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  foreach(source IN LISTS test_sources)
    get_filename_component(name ${source} NAME_WE)
    string(REGEX REPLACE "_test$" "" short ${name})
    set(target ${prefix}_${name})
    add_executable(${target} ${source} ${ARG_SUPPORT})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    add_test(NAME ${prefix}.${short} COMMAND ${target})
    set_tests_properties(${prefix}.${short} PROPERTIES TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endfunction()

# velmora_sources(<out-var>): the .cpp files of the calling folder and its subfolders,
# except tests/, bench/ and qt/ (collected separately).
function(velmora_sources out)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/(tests|bench|qt)/")
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
