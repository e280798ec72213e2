# Windows (included by app/CMakeLists.txt): the Win32 side of the window layer, velmora.exe
# and their tests under Wine.
file(GLOB win32_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.h)
# The window session wires in the logic; the controls and their tests do without it.
list(FILTER win32_sources EXCLUDE REGEX "/win32/(main|window_session)\\.")
add_library(velmora_win32 STATIC ${win32_sources})
target_include_directories(velmora_win32 PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmora_win32 PUBLIC velmora_base comctl32 gdi32 shell32 user32)
# The platform's generic names (IDC_ARROW, MessageBox, ...) are the wide ones: the window
# speaks UTF-16 whatever the system's ANSI code page, as its users' systems differ.
target_compile_definitions(velmora_win32 PUBLIC UNICODE _UNICODE)

# The executable program without a console, statically linked, with the icon as resource 1.
function(velmora_program target config_dir)
  add_executable(${target} WIN32 win32/main.cpp win32/window_session.cpp
                 endpoints_from_build.cpp resources/velmora.rc)
  target_include_directories(${target} PRIVATE ${config_dir})
  target_link_libraries(${target} PRIVATE velmora_win32 velmora_app)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME velmora)
endfunction()

if(TARGET velmora_app)
  velmora_program(velmora ${CMAKE_CURRENT_BINARY_DIR}/generated)
endif()

file(GLOB win32_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/*_test.cpp)
if(NOT TARGET velmora_app)
  list(FILTER win32_tests EXCLUDE REGEX "/executable_test\\.cpp$")
endif()
foreach(source ${CMAKE_CURRENT_SOURCE_DIR}/tests/controls_behaviour_test.cpp ${win32_tests})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_test$" "" short ${name})
  add_executable(app_${name} ${source})
  target_link_libraries(app_${name} PRIVATE velmora_win32 GTest::gtest GTest::gtest_main)
  velmora_add_test(app.${short} app_${name})
  # One window test at a time: windows of two tests on the one desktop take each
  # other's focus and activation.
  set_tests_properties(${VELMORA_ADDED_TESTS} PROPERTIES TIMEOUT 300
    FIXTURES_REQUIRED "${VELMORA_TEST_FIXTURES}" RESOURCE_LOCK wine_desktop)
endforeach()

if(NOT TARGET velmora_app)
  return()
endif()

# The executable test drives velmora.exe, built against a native sandbox on fixed ports
# (others than the Linux executable test's) with a short pause between update passes,
# through window messages. The sandbox's CA is in the prefix's Root store, and its
# certificate names localhost.
set(api_port 28543)
set(dns_port 28153)
set(time_port 28180)
set(control_port 28181)
set(sandboxed ${CMAKE_CURRENT_BINARY_DIR}/sandboxed)
configure_sandboxed_build_config(${sandboxed}/generated "localhost:${api_port}"
  "localhost:${dns_port}" "http://localhost:${time_port}/" "" 2)
velmora_program(velmora_sandboxed ${sandboxed}/generated)
set_target_properties(velmora_sandboxed PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${sandboxed})
velmora_native_server(app_sandbox sandbox/velmora-sandbox --api-port ${api_port}
  --dns-port ${dns_port} --time-port ${time_port} --control-port ${control_port}
  --public-address 198.51.100.10)
target_link_libraries(app_executable_test PRIVATE velmora_http)
target_compile_definitions(app_executable_test PRIVATE
  VELMORA_TEST_EXECUTABLE="Z:$<TARGET_FILE:velmora_sandboxed>"
  VELMORA_TEST_CONTROL_PORT=${control_port})
add_dependencies(app_executable_test velmora_sandboxed)
set_property(TEST app.executable app.executable.en_US APPEND PROPERTY FIXTURES_REQUIRED app_sandbox)
