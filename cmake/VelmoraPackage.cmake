# The Debian package (scripts/package.sh makes it in build/package): what `cmake --install`
# puts under the prefix, the version from project(). Depends is worked out from the
# libraries the program links (dpkg-shlibdeps, from dpkg-dev), plus what no library
# names.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_CONTACT "Velmora developers <dev@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dynamic DNS updater for the Velmora DNS service")
set(CPACK_PACKAGE_DESCRIPTION "Keeps chosen host records of the Velmora DNS service on \
this machine's public address: in a window, or without one as a systemd user service \
(velmora.service).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Every HTTPS request is verified against the system's certificate store.
set(CPACK_DEBIAN_PACKAGE_DEPENDS ca-certificates)
# The window's Chinese texts need a CJK font; the program runs without one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
# The unit's ExecStart names the program under the configured prefix: package there.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
include(CPack)

# Checks the package package.sh made, when there is one (skipped otherwise).
add_test(NAME package.contents COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tests/package_test.sh
         ${PROJECT_SOURCE_DIR}/build/package ${PROJECT_VERSION})
set_tests_properties(package.contents PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
