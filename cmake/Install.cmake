# cmake --install: the two programs, their data, and what a Linux desktop looks
# for (desktop entry, icon, AppStream metadata). CPack makes a Debian package of it.
include(GNUInstallDirs)

set(SKYLOOM_APP_ID org.skyloom.Skyloom)
install(TARGETS skyloom-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(SKYLOOM_BUILD_GUI)
  install(TARGETS skyloom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The station list, countries, supplied generators, real samples and the station
# tables with their sources and terms (SOURCES.md, the Apache licence).
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/skyloom)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${SKYLOOM_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${SKYLOOM_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/skyloom.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${SKYLOOM_APP_ID}.svg)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/skyloom-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME ${SKYLOOM_APP_ID}.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skyloom)
set(CPACK_PACKAGE_VENDOR "Skyloom")
set(CPACK_PACKAGE_CONTACT "Skyloom developers <skyloom@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Judge wind-energy sites from radiosonde soundings")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Wind statistics at eleven heights from radiosonde soundings, a wind generator's power at a hub height, "
       "an hour-by-hour energy balance with batteries and a grid, and the money; with a world map of the "
       "upper-air network and real observations of five stations.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The run-time libraries are found by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The world map's picture (NASA Blue Marble); a drawn grid stands in without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xplanet-images)
if(SKYLOOM_BUILD_GUI)
  # Qt loads its window-system plugins at run time: no library names them.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
include(CPack)
