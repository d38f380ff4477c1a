# Installation and the Debian package.
#
# The programs find their modules, the helper and the help pages beside
# themselves (/proc/self/exe), so they are installed together in a private
# folder, /usr/lib/torvel; /usr/bin holds links to the two that users start
# by name and the `torvel` script that starts the desktop side in its
# per-user working folder (see docs/packaging.md).
include(GNUInstallDirs)
set(TORVEL_PRIVATE_DIR lib/torvel)
set(TORVEL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/torvel)

# The alert sound beside the programs in the build too, as installed.
configure_file(${PROJECT_SOURCE_DIR}/sounds/alert.wav ${CMAKE_BINARY_DIR}/src/alert.wav COPYONLY)

foreach(program torvelCore torvelctl Torvel torvel-ata)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${TORVEL_PRIVATE_DIR})
  endif()
endforeach()
install(TARGETS torvel_engine torvel-qtui torvel-smtp LIBRARY DESTINATION ${TORVEL_PRIVATE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/sounds/alert.wav DESTINATION ${TORVEL_PRIVATE_DIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/help)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${TORVEL_PRIVATE_DIR}/help)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Language/ DESTINATION ${CMAKE_INSTALL_DATADIR}/torvel/Language)

install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/torvel DESTINATION ${CMAKE_INSTALL_BINDIR})
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ../${TORVEL_PRIVATE_DIR}/torvelctl
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/torvelctl\" SYMBOLIC)
")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/torvel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/ui/art/128.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME torvel.svg OPTIONAL)
# The timer for machines without a desktop, off until enabled.
foreach(kind user system)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/systemd/${kind}/
          DESTINATION lib/systemd/${kind} FILES_MATCHING PATTERN "*.service" PATTERN "*.timer")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/docs/launcher.md ${PROJECT_SOURCE_DIR}/docs/ata-helper.md
        ${PROJECT_SOURCE_DIR}/docs/design-notes.md DESTINATION ${TORVEL_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${TORVEL_DOC_DIR})
# Manual pages, compressed as Debian wants them.
foreach(page torvel.1 torvelctl.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${page}.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/man/${page} > ${CMAKE_BINARY_DIR}/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/${page})
  list(APPEND TORVEL_MAN_PAGES ${CMAKE_BINARY_DIR}/${page}.gz)
endforeach()
add_custom_target(torvel_man_pages ALL DEPENDS ${TORVEL_MAN_PAGES})
install(FILES ${TORVEL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian wants the changelog compressed with maximum compression and no time stamp.
set(TORVEL_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${TORVEL_CHANGELOG}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${TORVEL_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
add_custom_target(torvel_changelog ALL DEPENDS ${TORVEL_CHANGELOG})
install(FILES ${TORVEL_CHANGELOG} DESTINATION ${TORVEL_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH}")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_CONTACT "Torvel developers <support@torvel.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hard-disk health monitor (S.M.A.R.T.)")
set(CPACK_PACKAGE_DESCRIPTION "Torvel reads the IDENTIFY data and the S.M.A.R.T. status, attributes
and thresholds of the computer's ATA disks and warns by pop-up box, sound,
e-mail, network message, its own log and the system log when a drive reports
a Threshold Exceeded Condition, when an attribute changes, or when a drive
runs too hot. It includes a desktop main window and tray launcher, the
torvelctl command for servers and scripts, and a least-privilege helper that
alone holds the right to send raw ATA commands.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TORVEL_WEB_ADDRESS}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The private modules resolve against each other's folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_PREFIX}/${TORVEL_PRIVATE_DIR})
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SVG plugin for
# the artwork, Tahoma's metrics for the layouts, setcap for the helper.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-wine, libcap2-bin, libcanberra0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "smbclient")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
