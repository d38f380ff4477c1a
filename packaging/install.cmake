# Installation and the Debian packages.
#
# The programs find their modules, the helper and the help pages beside
# themselves (/proc/self/exe), so they are installed together in a private
# folder, /usr/lib/torvel; /usr/bin holds the torvelctl link and the `torvel`
# script that starts the desktop side in its per-user working folder (see
# docs/packaging.md).
#
# Two packages, one per install component, so that a server gets the checks
# without Qt, sound or fonts:
#   cli     -> torvel-cli: the engine, torvelctl, torvel-ata, the SMTP
#              module, the languages, the systemd units, Prometheus rules
#   desktop -> torvel: torvelCore, the Torvel launcher, the Qt module, the
#              sound, the help pages, the start script, desktop entry, icon
include(GNUInstallDirs)
set(TORVEL_PRIVATE_DIR lib/torvel)
set(TORVEL_CLI_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/torvel-cli)
set(TORVEL_DESKTOP_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/torvel)

# The alert sound beside the programs in the build too, as installed.
configure_file(${PROJECT_SOURCE_DIR}/sounds/alert.wav ${CMAKE_BINARY_DIR}/src/alert.wav COPYONLY)

# --- torvel-cli -------------------------------------------------------------
foreach(program torvelctl torvel-ata)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${TORVEL_PRIVATE_DIR} COMPONENT cli)
  endif()
endforeach()
install(TARGETS torvel_engine torvel-smtp LIBRARY DESTINATION ${TORVEL_PRIVATE_DIR} COMPONENT cli)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Language/ DESTINATION ${CMAKE_INSTALL_DATADIR}/torvel/Language
        COMPONENT cli)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ../${TORVEL_PRIVATE_DIR}/torvelctl
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/torvelctl\" SYMBOLIC)
" COMPONENT cli)
# The timer for machines without a desktop, off until enabled.
foreach(kind user system)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/systemd/${kind}/
          DESTINATION lib/systemd/${kind} COMPONENT cli
          FILES_MATCHING PATTERN "*.service" PATTERN "*.timer")
endforeach()
# Alerting rules over `torvelctl metrics`, when the tree has them. Looked for
# at install time, so a build folder configured before they arrived still
# ships them, and without them no empty folder is left in the package.
set(TORVEL_RULES ${PROJECT_SOURCE_DIR}/packaging/prometheus/torvel-rules.yml)
install(CODE "
  if(EXISTS \"${TORVEL_RULES}\")
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/torvel/prometheus\"
         TYPE FILE FILES \"${TORVEL_RULES}\")
  endif()
" COMPONENT cli)
# launcher.md also documents the systemd units, which this package holds.
install(FILES ${PROJECT_SOURCE_DIR}/docs/ata-helper.md ${PROJECT_SOURCE_DIR}/docs/design-notes.md
        ${PROJECT_SOURCE_DIR}/docs/launcher.md DESTINATION ${TORVEL_CLI_DOC_DIR} COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/docs/prometheus.md ${PROJECT_SOURCE_DIR}/docs/json.md
        DESTINATION ${TORVEL_CLI_DOC_DIR} COMPONENT cli OPTIONAL)

# --- torvel -----------------------------------------------------------------
foreach(program torvelCore Torvel)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${TORVEL_PRIVATE_DIR} COMPONENT desktop)
  endif()
endforeach()
install(TARGETS torvel-qtui LIBRARY DESTINATION ${TORVEL_PRIVATE_DIR} COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/sounds/alert.wav DESTINATION ${TORVEL_PRIVATE_DIR}
        COMPONENT desktop)
if(EXISTS ${PROJECT_SOURCE_DIR}/help)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${TORVEL_PRIVATE_DIR}/help
          COMPONENT desktop)
endif()
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/torvel DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/torvel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(FILES ${PROJECT_SOURCE_DIR}/src/ui/art/128.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME torvel.svg
        COMPONENT desktop OPTIONAL)

# --- both -------------------------------------------------------------------
# Manual pages, compressed as Debian wants them: maximum compression, no
# time stamp. Each list is "page:section:component".
set(TORVEL_MAN_PAGES
  torvelctl.1:1:cli torvel-ata.8:8:cli
  torvel.1:1:desktop torvelCore.1:1:desktop Torvel.1:1:desktop)
foreach(entry ${TORVEL_MAN_PAGES})
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 page)
  list(GET entry 1 section)
  list(GET entry 2 component)
  set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/man/${page} > ${compressed}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/${page})
  list(APPEND TORVEL_MAN_FILES ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
endforeach()
add_custom_target(torvel_man_pages ALL DEPENDS ${TORVEL_MAN_FILES})
# Every package has its own copyright and changelog in /usr/share/doc/<package>/.
set(TORVEL_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${TORVEL_CHANGELOG}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${TORVEL_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
add_custom_target(torvel_changelog ALL DEPENDS ${TORVEL_CHANGELOG})
foreach(component cli desktop)
  string(TOUPPER ${component} upper)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${TORVEL_CHANGELOG}
          DESTINATION ${TORVEL_${upper}_DOC_DIR} COMPONENT ${component})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian/torvel-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian/torvel
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT desktop)

# --- the packages -----------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli desktop)
set(CPACK_PACKAGE_NAME torvel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH}")
# 2: the first release as two packages (2.41-1 was one "torvel").
set(CPACK_DEBIAN_PACKAGE_RELEASE 2)
set(CPACK_PACKAGE_CONTACT "Torvel developers <support@torvel.example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TORVEL_WEB_ADDRESS}")
set(CPACK_DEBIAN_PACKAGE_SOURCE torvel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps looks for the private libraries in this folder of the
# package being built (torvel-cli's engine for its programs), then in the
# build tree: torvel's programs need the engine that torvel-cli ships. The
# engine has no shlibs file; torvel's exact dependency on torvel-cli covers it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${CMAKE_INSTALL_PREFIX}/${TORVEL_PRIVATE_DIR} ${CMAKE_BINARY_DIR}/src)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# torvel (= version) on torvel-cli (= version), written by CPack.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DESKTOP_DEPENDS cli)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME torvel-cli)
set(CPACK_DEBIAN_CLI_DESCRIPTION "hard-disk health monitor (S.M.A.R.T.), command line and timer
Torvel reads the IDENTIFY data and the S.M.A.R.T. status, attributes and
thresholds of the computer's ATA disks and NVMe drives and warns by e-mail,
network message, its own log and the system log when a drive reports a
Threshold Exceeded Condition, when an attribute changes, or when a drive
runs too hot.
.
This package holds what a server needs, without a desktop: the torvelctl
command for scripts, a systemd timer that checks the disks on a schedule,
Prometheus metrics and alerting rules, and torvel-ata, a least-privilege
helper that alone holds the right to send raw ATA commands.")
# setcap for the helper runs in the postinst. SQLite is loaded when a
# settings store opens, out of dpkg-shlibdeps' sight (prepare_v3: 3.20).
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libcap2-bin, libsqlite3-0 (>= 3.20.0)")
# smbclient sends the network messages.
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS "smbclient")
# Its files were in torvel 2.41-1.
set(CPACK_DEBIAN_CLI_PACKAGE_BREAKS "torvel (<< 2.41-2)")
set(CPACK_DEBIAN_CLI_PACKAGE_REPLACES "torvel (<< 2.41-2)")
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME torvel)
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION "hard-disk health monitor (S.M.A.R.T.), desktop
Torvel reads the IDENTIFY data and the S.M.A.R.T. status, attributes and
thresholds of the computer's ATA disks and NVMe drives and warns by pop-up
box, sound, e-mail, network message, its own log and the system log when a
drive reports a Threshold Exceeded Condition, when an attribute changes, or
when a drive runs too hot.
.
This package holds the desktop side: the monitor with its main window and
the tray launcher that runs it on a schedule. The command line, the disk
helper and the systemd timer are in torvel-cli.")
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SVG plugin for
# the artwork, Tahoma's metrics for the layouts, libcanberra for the sound.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "libqt6svg6, fonts-wine, libcanberra0")
include(CPack)
