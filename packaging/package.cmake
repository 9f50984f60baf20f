# The Debian package, built by ./scripts/package with `cpack -G DEB` from the install rules.
# Its dependencies on libraries are found by dpkg-shlibdeps from the programs themselves.
set(TV_MAINTAINER "Quenrith <tallyvane@quenrith.com>")

# Debian wants the copyright and a change log in the package's own documentation folder.
set(tv_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/tallyvane)
execute_process(COMMAND date -u -R -d "${TV_RELEASE_DATE}"
    OUTPUT_VARIABLE TV_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
configure_file(debian/changelog.in debian/changelog @ONLY)
set(tv_changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${tv_changelog}
    COMMAND ${TV_GZIP} -9nc ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog > ${tv_changelog}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog)
add_custom_target(tv_changelog ALL DEPENDS ${tv_changelog})
install(FILES debian/copyright ${tv_changelog} DESTINATION ${tv_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallyvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quenrith)
set(CPACK_PACKAGE_CONTACT ${TV_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count how often each word occurs on web pages")
# The summary above is the first line; CPack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Tallyvane downloads a list of web pages, turns each into the text a browser
would show, and counts how often each word occurs: over all pages or per page,
with or without letter case, in memory or in an SQLite table. The counts can be
saved as aligned text, copied to the clipboard or opened as a spreadsheet.

The package holds the window (tallyvane) and the same count on the command
line (tallyvane-count), which writes aligned text, TSV, CSV or JSON.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TV_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads these plugins at run time, so no tool finds them in the programs: the SQLite driver
# of both engines' database and the window-system plugins of the window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
# Opens the spreadsheet export and web pages with the desktop's applications.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
