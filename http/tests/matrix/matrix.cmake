# The request engine's matrix: one test source run against the fixture host, a native
# Linux process started by the CTest fixture http_fixture, on Linux and under Wine alike.
set(http_fixture_state ${CMAKE_BINARY_DIR}/servers/http_fixture)
if(WIN32)
  velmora_native_server(http_fixture http/http_fixture_host)
else()
  add_executable(http_fixture_host ${CMAKE_CURRENT_LIST_DIR}/../support/fixture_host_main.cpp)
  target_link_libraries(http_fixture_host PRIVATE velmora_http_fixtures)
  add_dependencies(velmora_native_tools http_fixture_host)
  set(server_script ${PROJECT_SOURCE_DIR}/cmake/native_server.sh)
  add_test(NAME http_fixture.start
           COMMAND ${server_script} start ${http_fixture_state} $<TARGET_FILE:http_fixture_host>)
  add_test(NAME http_fixture.stop COMMAND ${server_script} stop ${http_fixture_state})
  set_tests_properties(http_fixture.start PROPERTIES FIXTURES_SETUP http_fixture TIMEOUT 60)
  set_tests_properties(http_fixture.stop PROPERTIES FIXTURES_CLEANUP http_fixture)
endif()

add_executable(http_engine_matrix_test ${CMAKE_CURRENT_LIST_DIR}/engine_matrix_test.cpp)
target_link_libraries(http_engine_matrix_test PRIVATE velmora_http GTest::gtest GTest::gtest_main)
target_compile_definitions(http_engine_matrix_test PRIVATE
  VELMORA_HTTP_FIXTURE_PORTS="${http_fixture_state}/ports")
add_test(NAME http.engine_matrix COMMAND http_engine_matrix_test)
set(http_matrix_fixtures http_fixture ${VELMORA_TEST_FIXTURES})
set_tests_properties(http.engine_matrix PROPERTIES TIMEOUT 300
  FIXTURES_REQUIRED "${http_matrix_fixtures}")

# The handle audit of the WinHttp transfer (tests/win32/) talks to the same fixture host.
if(WIN32)
  target_compile_definitions(http_winhttp_handles_test PRIVATE
    VELMORA_HTTP_FIXTURE_PORTS="${http_fixture_state}/ports")
  set_tests_properties(http.winhttp_handles PROPERTIES FIXTURES_REQUIRED "${http_matrix_fixtures}")
endif()
