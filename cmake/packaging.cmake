# Install rules (program, desktop entry, AppStream metainfo, icons) and the Debian package.
# quorvel64 and quorvel32 carry different application ids, so every installed path differs and
# both packages can be installed side by side.
include(GNUInstallDirs)

set(QUORVEL_SCREENSHOT_URL "https://example.org/quorvel/quorvel.png")
set(QUORVEL_RELEASE_DATE "2026-12-08")
set(QUORVEL_ICON_SIZES 16 32 48 64 128 256)

set(QUORVEL_DATA_OUT ${PROJECT_BINARY_DIR}/data)
configure_file(${PROJECT_SOURCE_DIR}/data/quorvel.desktop.in
               ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/quorvel.metainfo.xml.in
               ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.metainfo.xml @ONLY)

install(TARGETS ${QUORVEL_PROGRAM} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(QUORVEL_ICON_THEME_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/quorvel.svg
        DESTINATION ${QUORVEL_ICON_THEME_DIR}/scalable/apps RENAME ${QUORVEL_APP_ID}.svg)
foreach(size IN LISTS QUORVEL_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/quorvel-${size}.png
          DESTINATION ${QUORVEL_ICON_THEME_DIR}/${size}x${size}/apps RENAME ${QUORVEL_APP_ID}.png)
endforeach()

# Debian package: quorvel64 for amd64, quorvel32 for i386.
if(QUORVEL_BITS EQUAL 32)
  set(QUORVEL_DEB_ARCH i386)
else()
  set(QUORVEL_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QUORVEL_PROGRAM})
set(CPACK_PACKAGE_VENDOR "Tenbrisk Audio")
set(CPACK_PACKAGE_CONTACT "Tenbrisk Audio <quorvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test-sound generator that saves 16-bit PCM WAV files")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvel makes test sounds: sine, saw, square and triangle waves of a chosen frequency, \
amplitude and length, in mono or stereo at 44100 Hz or 192000 Hz, saved as 16-bit PCM WAV \
files. It needs a working sound output device to start, but plays nothing itself.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QUORVEL_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time, so the linker cannot see that dependency.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Arial is asked for by name (Liberation Sans has its metrics); About opens a browser via xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, xdg-utils")

include(CPack)
