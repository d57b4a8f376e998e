# cpack -G DEB: lumctl (lumctl and lum-sim, for terminals and services: no Qt, no X) and lum
# (the window), both at the version the programs print.

# Files as Debian ships them: manual pages and the changelog compressed without a time stamp,
# so that the same tree always makes the same package.
set(LUM_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
configure_file(dist/doc/changelog.in ${LUM_DIST_DIR}/changelog @ONLY)
configure_file(dist/metainfo/example.lumaris.lum.metainfo.xml.in ${LUM_DIST_DIR}/example.lumaris.lum.metainfo.xml
               @ONLY)
set(LUM_COMPRESSED)
foreach(source dist/man/lumctl.1 dist/man/lum-sim.1 dist/man/lum-gateway.1 dist/man/lum.1 ${LUM_DIST_DIR}/changelog)
  get_filename_component(name ${source} NAME)
  get_filename_component(absolute ${source} ABSOLUTE)
  add_custom_command(OUTPUT ${LUM_DIST_DIR}/${name}.gz
                     COMMAND gzip -9n -c ${absolute} > ${LUM_DIST_DIR}/${name}.gz
                     DEPENDS ${absolute} VERBATIM)
  list(APPEND LUM_COMPRESSED ${LUM_DIST_DIR}/${name}.gz)
endforeach()
add_custom_target(lum_dist_files ALL DEPENDS ${LUM_COMPRESSED})

set(LUM_DOC_FILES dist/doc/copyright ${LUM_DIST_DIR}/changelog.gz)

install(TARGETS lumctl lum-sim lum-gateway RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT lumctl)
install(FILES ${LUM_LANGUAGE_FILES} DESTINATION ${LUM_LANGUAGE_INSTALL_DIR} COMPONENT lumctl)
install(FILES ${LUM_DIST_DIR}/lumctl.1.gz ${LUM_DIST_DIR}/lum-sim.1.gz ${LUM_DIST_DIR}/lum-gateway.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT lumctl)
install(FILES dist/completion/lumctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        COMPONENT lumctl)
install(FILES dist/systemd/lum-monitor@.service dist/systemd/lum-gateway.service DESTINATION lib/systemd/system
        COMPONENT lumctl)
# The gateway's settings hold the broker's password: root's alone (the unit hands them over).
# A conffile: an upgrade keeps what the administrator made of it.
install(FILES dist/gateway.ini DESTINATION /etc/lum PERMISSIONS OWNER_READ OWNER_WRITE COMPONENT lumctl)
file(WRITE ${LUM_DIST_DIR}/conffiles "/etc/lum/gateway.ini\n")
install(FILES ${LUM_DOC_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumctl COMPONENT lumctl)

if(LUM_GUI)
  install(TARGETS lum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT lum)
  install(FILES dist/lum.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT lum)
  install(FILES dist/lum.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT lum)
  install(FILES ${LUM_DIST_DIR}/example.lumaris.lum.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
          COMPONENT lum)
  install(FILES dist/mime/lum.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages COMPONENT lum)
  install(FILES ${LUM_DIST_DIR}/lum.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT lum)
  install(FILES ${LUM_DOC_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lum COMPONENT lum)
endif()

set(CPACK_PACKAGE_NAME lum)
set(CPACK_PACKAGE_VENDOR "Lumaris")
set(CPACK_PACKAGE_CONTACT "Lumaris Workbench developers <lum@lumaris.example>")
# CPack puts this summary before every package's description unless it is CPack's own default;
# each package's description below starts with its own summary line instead.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lumctl)
if(LUM_GUI)
  list(APPEND CPACK_COMPONENTS_ALL lum)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Both packages come from one source, whose changelog both ship.
set(CPACK_DEBIAN_PACKAGE_SOURCE lum)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

set(CPACK_DEBIAN_LUMCTL_PACKAGE_NAME lumctl)
set(CPACK_DEBIAN_LUMCTL_PACKAGE_CONTROL_EXTRA ${LUM_DIST_DIR}/conffiles)
set(CPACK_DEBIAN_LUMCTL_DESCRIPTION "solar charge and street-light controllers from a terminal
lumctl finds solar charge and street-light controllers on serial ports, reads
and saves their configuration, writes configuration files back with
verification, records their live values into SQLite or PostgreSQL, provisions
benches of units and upgrades their firmware, from a terminal or a script.
lum-monitor@.service records a controller unattended; lum-gateway.service
publishes the controllers to an MQTT broker with Home Assistant discovery.
.
lum-sim runs simulated controllers on pseudo-terminals, for trying everything
without hardware.")

set(CPACK_DEBIAN_LUM_PACKAGE_NAME lum)
# The SVG icon engine draws the program's icon; it is a plugin, so no binary names it.
set(CPACK_DEBIAN_LUM_PACKAGE_DEPENDS "lumctl (= ${PROJECT_VERSION}), libqt6svg6")
# Qt's own texts in Chinese, and a font that has the Chinese built-in texts.
set(CPACK_DEBIAN_LUM_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_LUM_DESCRIPTION "configuration tool for solar charge and street-light controllers
Lumaris Workbench finds solar charge and street-light controllers on serial
ports, reads and edits their configuration, writes it back with verification,
watches their live values, provisions benches of units and upgrades their
firmware, in a window. Configurations are kept in .LUM files.")
include(CPack)
