# Two Debian packages from one build (scripts/package.sh makes them in build/package):
# velmora-headless, the updater without any window library, with the system and user
# units and its manual page; velmora, the window, which depends on velmora-headless of
# the same version. Each package's Depends is worked out from the libraries its
# programs link (dpkg-shlibdeps, from dpkg-dev), plus what no library names.
include(GNUInstallDirs)
set(packaging ${CMAKE_CURRENT_LIST_DIR}/packaging)

# The system unit runs the installed program, wherever the prefix put it.
configure_file(${packaging}/velmora-headless.service.in
               ${PROJECT_BINARY_DIR}/packaging/velmora-headless.service @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/velmora-headless.service
        DESTINATION lib/systemd/system COMPONENT headless)
# Manual pages are kept compressed, without a time stamp in the gzip header.
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/velmora-headless.1.gz
  COMMAND gzip -9n -c ${packaging}/velmora-headless.1 > ${PROJECT_BINARY_DIR}/packaging/velmora-headless.1.gz
  DEPENDS ${packaging}/velmora-headless.1 VERBATIM)
add_custom_target(velmora_manual_page ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/velmora-headless.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/velmora-headless.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT headless)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL headless window)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_CONTACT "Velmora developers <dev@velmora.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_HEADLESS_PACKAGE_NAME velmora-headless)
set(CPACK_COMPONENT_HEADLESS_DESCRIPTION "dynamic DNS updater for the Velmora DNS service, without a window
 Keeps chosen host records of the Velmora DNS service on this machine's public
 address (A records on its IPv4 address, AAAA records on its IPv6 address), as a
 hardened system service (velmora-headless.service) or a user service
 (velmora.service), set up from the shell. Links no window library.")
# Every HTTPS request is verified against the system's certificate store; the package's
# scripts make the service's user.
set(CPACK_DEBIAN_HEADLESS_PACKAGE_DEPENDS "ca-certificates, passwd")
# --protect-token: the desktop's keyring (libsecret, opened only when used) or, for the
# system service, systemd-creds.
set(CPACK_DEBIAN_HEADLESS_PACKAGE_SUGGESTS "libsecret-1-0, systemd")
set(CPACK_DEBIAN_HEADLESS_PACKAGE_CONTROL_EXTRA
    "${packaging}/postinst;${packaging}/prerm;${packaging}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME velmora)
set(CPACK_COMPONENT_WINDOW_DESCRIPTION "dynamic DNS updater for the Velmora DNS service
 Keeps chosen host records of the Velmora DNS service on this machine's public
 address: the window, to log in and tick the records; the updating without a window
 is velmora-headless's.")
set(CPACK_COMPONENT_WINDOW_DEPENDS headless)
# The window's Chinese texts need a CJK font; the program runs without one.
# 保护令牌 keeps the token in the desktop's keyring through libsecret.
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, libsecret-1-0")
# The units name the programs under the configured prefix: package there.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
include(CPack)

# Checks the packages package.sh made, when there are some (skipped otherwise).
add_test(NAME package.contents COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tests/package_test.sh
         ${PROJECT_SOURCE_DIR}/build/package ${PROJECT_VERSION})
set_tests_properties(package.contents PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
