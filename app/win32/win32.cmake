# Windows (included by app/CMakeLists.txt): the Win32 side of the window layer, velmora.exe
# and their tests under Wine.

# What both executables take from the platform besides windows and the session: the
# command line's words, and what the service manager knows of the service.
add_library(velmora_win32_system STATIC win32/command_line_words.cpp win32/service_state.cpp)
target_include_directories(velmora_win32_system PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmora_win32_system PUBLIC velmora_base advapi32 shell32)
target_compile_definitions(velmora_win32_system PUBLIC UNICODE _UNICODE)

# velmora-headless.exe as the service: installed, removed and run.
add_library(velmora_win32_service STATIC win32/windows_service.cpp)
target_link_libraries(velmora_win32_service PUBLIC velmora_app velmora_win32_system)

# The window and its controls, over the platform's controls: no session in here, so the
# controls' tests do without it.
add_library(velmora_win32 STATIC
  win32/edit_box_append.cpp
  win32/main_window.cpp
  win32/message_box.cpp
  win32/object_window.cpp
  win32/option_items.cpp
  win32/record_list.cpp
  win32/record_tabs.cpp
  win32/tray_icon.cpp
  win32/win32_controls.cpp
  win32/win32_widgets.cpp
  win32/window_fonts.cpp
  win32/window_thread_calls.cpp)
target_include_directories(velmora_win32 PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmora_win32 PUBLIC velmora_window velmora_win32_system comctl32 gdi32
  shell32 user32)
# The platform's generic names (IDC_ARROW, MessageBox, ...) are the wide ones: the window
# speaks UTF-16 whatever the system's ANSI code page, as its users' systems differ.
target_compile_definitions(velmora_win32 PUBLIC UNICODE _UNICODE)

# The window wired to the session's logic.
add_library(velmora_win32_session STATIC win32/window_session.cpp)
target_link_libraries(velmora_win32_session PUBLIC velmora_win32 velmora_app)

# The executable program without a console, statically linked, with the icon as resource 1.
function(velmora_program target config_dir)
  add_executable(${target} WIN32 win32/main.cpp program/endpoints_from_build.cpp resources/velmora.rc)
  target_include_directories(${target} PRIVATE ${config_dir})
  target_link_libraries(${target} PRIVATE velmora_win32_session)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME velmora)
endfunction()

# velmora-headless.exe: the same session without a window, a console program that is
# also the service.
function(velmora_headless_program target config_dir)
  add_executable(${target} win32/headless_main.cpp program/endpoints_from_build.cpp
    resources/velmora.rc)
  target_include_directories(${target} PRIVATE ${config_dir})
  target_link_libraries(${target} PRIVATE velmora_win32_service)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME velmora-headless)
endfunction()

velmora_program(velmora ${CMAKE_CURRENT_BINARY_DIR}/generated)
velmora_headless_program(velmora-headless ${CMAKE_CURRENT_BINARY_DIR}/generated)

# The tests in this process link the window layer (and the session, where there is one);
# the executable tests, which start velmora.exe, come below.
file(GLOB win32_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/*_test.cpp)
set(executable_tests ${win32_tests})
list(FILTER executable_tests INCLUDE REGEX "/executable[a-z0-9_]*_test\\.cpp$")
list(FILTER win32_tests EXCLUDE REGEX "/executable[a-z0-9_]*_test\\.cpp$")
foreach(source ${CMAKE_CURRENT_SOURCE_DIR}/tests/controls_behaviour_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/window_controls_threads_test.cpp ${win32_tests})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_test$" "" short ${name})
  add_executable(app_${name} ${source})
  target_link_libraries(app_${name} PRIVATE velmora_win32_session velmora_win32_service GTest::gtest
    GTest::gtest_main)
  velmora_add_test(app.${short} app_${name})
  # One window test at a time: windows of two tests on the one desktop take each
  # other's focus and activation.
  set_tests_properties(${VELMORA_ADDED_TESTS} PROPERTIES TIMEOUT 300
    FIXTURES_REQUIRED "${VELMORA_TEST_FIXTURES}" RESOURCE_LOCK wine_desktop)
endforeach()

# The executable tests drive velmora.exe, built against a native sandbox on fixed ports
# (others than the Linux executable test's) with a short pause between update passes,
# through window messages. The sandbox's CA is in the prefix's Root store, and its
# certificate names localhost. The program reaches the sandbox's HTTP-DNS endpoint and
# time site (and the API, so that a test can start without it) through relays each test
# runs, so that a test can silence them; the endpoint over IPv6 it reaches directly.
set(api_port 28543)
set(dns_port 28153)
set(dns6_port 28154)
set(time_port 28180)
set(control_port 28181)
set(dns_relay_port 28182)
set(time_relay_port 28183)
set(api_relay_port 28184)
set(sandboxed ${CMAKE_CURRENT_BINARY_DIR}/sandboxed)
configure_sandboxed_build_config(${sandboxed}/generated "localhost:${api_relay_port}"
  "localhost:${dns_relay_port}" "http://localhost:${time_relay_port}/" "" 2
  "[::1]:${dns6_port}")
velmora_program(velmora_sandboxed ${sandboxed}/generated)
set_target_properties(velmora_sandboxed PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${sandboxed})
velmora_headless_program(velmora_headless_sandboxed ${sandboxed}/generated)
set_target_properties(velmora_headless_sandboxed PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${sandboxed})
velmora_native_server(app_sandbox sandbox/velmora-sandbox --api-port ${api_port}
  --dns-port ${dns_port} --dns6-port ${dns6_port} --time-port ${time_port}
  --control-port ${control_port} --public-address 198.51.100.10
  --public-address6 2001:db8::10)
file(GLOB program_driver CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/support/*.cpp)
foreach(source ${executable_tests})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_test$" "" short ${name})
  add_executable(app_${name} ${source} ${program_driver})
  target_include_directories(app_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32)
  target_link_libraries(app_${name} PRIVATE velmora_win32 velmora_http ws2_32 GTest::gtest
    GTest::gtest_main)
  target_compile_definitions(app_${name} PRIVATE
    VELMORA_TEST_EXECUTABLE="Z:$<TARGET_FILE:velmora_sandboxed>"
    VELMORA_TEST_HEADLESS_EXECUTABLE="Z:$<TARGET_FILE:velmora_headless_sandboxed>"
    VELMORA_TEST_CONTROL_PORT=${control_port}
    VELMORA_TEST_API_PORT=${api_port}
    VELMORA_TEST_API_RELAY_PORT=${api_relay_port}
    VELMORA_TEST_DNS_PORT=${dns_port}
    VELMORA_TEST_TIME_PORT=${time_port}
    VELMORA_TEST_DNS_RELAY_PORT=${dns_relay_port}
    VELMORA_TEST_TIME_RELAY_PORT=${time_relay_port})
  add_dependencies(app_${name} velmora_sandboxed velmora_headless_sandboxed)
  velmora_add_test(app.${short} app_${name})
  set_tests_properties(${VELMORA_ADDED_TESTS} PROPERTIES TIMEOUT 300
    FIXTURES_REQUIRED "${VELMORA_TEST_FIXTURES};app_sandbox"
    RESOURCE_LOCK "wine_desktop;wine_run_key")
endforeach()
