# Install rules and the Debian package: the three programs, the desktop entry, the icon, the
# AppStream metainfo, the data file's MIME type, the manual pages and the package's own documents.
# 'scripts/package.sh' builds build/korvex_VERSION_ARCH.deb.
include(GNUInstallDirs)

# The release the package, the metainfo, the changelog and the manual pages name: the project's
# version, and the date of that version.
set(KORVEX_RELEASE_DATE 2026-12-08)
set(KORVEX_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0000")
set(korvex_pkg ${CMAKE_BINARY_DIR}/packaging)
foreach(doc man/korvex.1 man/korvex-cli.1 man/korvex-sim.1 changelog ${KORVEX_APP_ID}.metainfo.xml)
  configure_file(packaging/${doc} ${korvex_pkg}/${doc} @ONLY)
endforeach()

install(TARGETS korvex korvex-cli korvex-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/${KORVEX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${korvex_pkg}/${KORVEX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/${KORVEX_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${KORVEX_APP_ID}.xml)
install(FILES resources/icons/scalable/${KORVEX_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES resources/icons/${size}x${size}/${KORVEX_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian keeps manual pages and changelogs compressed, without a time stamp in the gzip header.
set(korvex_compressed)
foreach(doc man/korvex.1 man/korvex-cli.1 man/korvex-sim.1 changelog)
  get_filename_component(name ${doc} NAME)
  set(out ${korvex_pkg}/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${korvex_pkg}/${doc} ${out}
    DEPENDS ${korvex_pkg}/${doc}
    VERBATIM)
  list(APPEND korvex_compressed ${out})
endforeach()
add_custom_target(korvex_packaging_docs ALL DEPENDS ${korvex_compressed})
install(FILES ${korvex_pkg}/korvex.1.gz ${korvex_pkg}/korvex-cli.1.gz ${korvex_pkg}/korvex-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${korvex_pkg}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvane")
# The maintainer a plant's build names; the default is a placeholder address that never bounces
# into someone's mailbox.
set(KORVEX_PACKAGE_MAINTAINER "KORVEX front end developers <korvex@tarvane.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${KORVEX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "front end of the KORVEX electronic-ballast test instrument")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # korvex_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: the fonts the report pages name, the SQLite driver of the
# results log and the platform plugins, all loaded at run time. Qt's own texts in Chinese and
# the PostgreSQL driver (a plant's log server) are recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-arphic-uming, libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6sql6-psql")
# The long description below the summary line; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The desktop program that drives the KORVEX test instrument for electronic
ballasts of fluorescent lamps over a serial line. It runs the input,
phase-angle, output, comprehensive, start and preheat energy tests, shows
and prints their report pages in Chinese or English, keeps each ballast's
results in a data file (.kvx) and as CSV, judges them against limits and
logs every run in SQLite or on a PostgreSQL server.

korvex is the window; korvex-cli runs tests, exports, reports, verdicts and
log queries from the command line; korvex-sim serves a simulated
instrument on a pseudo-terminal.")
include(CPack)
