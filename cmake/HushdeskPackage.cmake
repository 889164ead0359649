# The Debian package `hushdesk` (cmake --build build --target package, or
# cpack -G DEB in the build folder): everything `cmake --install` puts in
# place, under /usr, with the copyright file and changelog Debian asks for.
# Dependencies come from dpkg-shlibdeps; the version is the project's.

set(hushdesk_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/hushdesk)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${hushdesk_docdir})
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
  ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
set(hushdesk_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${hushdesk_changelog}
  COMMAND gzip -9 -n -c ${PROJECT_BINARY_DIR}/packaging/changelog > ${hushdesk_changelog}
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(hushdesk-changelog DEPENDS ${hushdesk_changelog})
add_dependencies(hushdesk-docs hushdesk-changelog)
install(FILES ${hushdesk_changelog} DESTINATION ${hushdesk_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hushdesk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kestrova)
set(CPACK_PACKAGE_CONTACT "Hushdesk developers <dev@hushdesk.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remove background noise from recorded speech")
set(CPACK_PACKAGE_DESCRIPTION
  "Hushdesk removes background noise (hiss, hum, fans, line noise) from recorded
speech: interviews, phone calls, dictations. The desktop program opens a WAV
recording, shows and plays its waveform and cleans it; hushdesk-clean cleans
many recordings from a terminal or a script with the same cleaning. Setup is
the installer front end that lists components and starts their installers.")
# Debian's file names (hushdesk_1.0.29.55_amd64.deb) and its rules for
# installed files: stripped programs, 0755 folders, 0644 control files.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
