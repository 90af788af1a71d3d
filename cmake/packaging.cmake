# Install rules (the window program and the render command, desktop entry, AppStream metainfo,
# icons, manual pages, bash completion, copyright, changelog, lintian overrides) and the Debian
# package. quorvel64 and quorvel32 carry different application ids and program names, so every
# installed path differs and both packages can be installed side by side.
include(GNUInstallDirs)

# The maker's domain, and so its mail address and web site, in this one place. tenbrisk.example is
# a placeholder under a top-level domain reserved for examples (RFC 2606): it never resolves, so
# mail and visits can never reach somebody else. Replace it by the maker's real domain.
set(QUORVEL_MAKER_DOMAIN "tenbrisk.example")
set(QUORVEL_MAKER_NAME "Tenbrisk Audio")
set(QUORVEL_MAKER_MAIL "quorvel@${QUORVEL_MAKER_DOMAIN}")
set(QUORVEL_MAKER_SITE "https://${QUORVEL_MAKER_DOMAIN}/")
set(QUORVEL_MAINTAINER "${QUORVEL_MAKER_NAME} <${QUORVEL_MAKER_MAIL}>")

string(TOUPPER ${QUORVEL_PROGRAM} QUORVEL_PROGRAM_UPPER)
string(TOUPPER ${QUORVEL_RENDER_PROGRAM} QUORVEL_RENDER_PROGRAM_UPPER)

set(QUORVEL_DATA_OUT ${PROJECT_BINARY_DIR}/data)
configure_file(${PROJECT_SOURCE_DIR}/data/quorvel.desktop.in
               ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/quorvel.metainfo.xml.in
               ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${QUORVEL_DATA_OUT}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/lintian-overrides.in
               ${QUORVEL_DATA_OUT}/lintian-overrides @ONLY)

# Debian installs manual pages and the changelog compressed with gzip -9; -n leaves out the name
# and time stamp, so the same text always gives the same bytes.
find_program(QUORVEL_GZIP gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/data/man/quorvel.1.in ${QUORVEL_DATA_OUT}/${QUORVEL_PROGRAM}.1
               @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/man/quorvel-render.1.in
               ${QUORVEL_DATA_OUT}/${QUORVEL_RENDER_PROGRAM}.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in ${QUORVEL_DATA_OUT}/changelog @ONLY)
set(QUORVEL_COMPRESSED)
foreach(name ${QUORVEL_PROGRAM}.1 ${QUORVEL_RENDER_PROGRAM}.1 changelog)
  add_custom_command(OUTPUT ${QUORVEL_DATA_OUT}/${name}.gz
    COMMAND ${QUORVEL_GZIP} -9 -n -k -f ${QUORVEL_DATA_OUT}/${name}
    DEPENDS ${QUORVEL_DATA_OUT}/${name}
    VERBATIM)
  list(APPEND QUORVEL_COMPRESSED ${QUORVEL_DATA_OUT}/${name}.gz)
endforeach()
add_custom_target(quorvel_compressed_docs ALL DEPENDS ${QUORVEL_COMPRESSED})

# Named by the command it completes, where bash-completion looks it up on first use.
configure_file(${PROJECT_SOURCE_DIR}/data/completion/quorvel-render.bash.in
               ${QUORVEL_DATA_OUT}/completion/${QUORVEL_RENDER_PROGRAM} @ONLY)

install(TARGETS ${QUORVEL_PROGRAM} ${QUORVEL_RENDER_PROGRAM}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripping install (cpack, cmake --install --strip) strips as dh_strip does: besides the
# symbols, the compiler's version notes (.comment, .note), which only make a program larger.
foreach(program ${QUORVEL_PROGRAM} ${QUORVEL_RENDER_PROGRAM})
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(
        COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note --strip-unneeded
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endforeach()

install(FILES ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVEL_DATA_OUT}/${QUORVEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUORVEL_DATA_OUT}/${QUORVEL_PROGRAM}.1.gz
              ${QUORVEL_DATA_OUT}/${QUORVEL_RENDER_PROGRAM}.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUORVEL_DATA_OUT}/completion/${QUORVEL_RENDER_PROGRAM}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# Debian's place, named by the package: GNUInstallDirs' DOCDIR would name the project instead.
install(FILES ${QUORVEL_DATA_OUT}/copyright ${QUORVEL_DATA_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${QUORVEL_PROGRAM})
# Where lintian looks for a package's overrides; the file says why each one is there.
install(FILES ${QUORVEL_DATA_OUT}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${QUORVEL_PROGRAM})

set(QUORVEL_ICON_THEME_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/quorvel.svg
        DESTINATION ${QUORVEL_ICON_THEME_DIR}/scalable/apps RENAME ${QUORVEL_APP_ID}.svg)
foreach(size IN LISTS QUORVEL_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/quorvel-${size}.png
          DESTINATION ${QUORVEL_ICON_THEME_DIR}/${size}x${size}/apps RENAME ${QUORVEL_APP_ID}.png)
endforeach()

# Debian package: quorvel64 for amd64, quorvel32 for i386 (QUORVEL_DEB_ARCH).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QUORVEL_PROGRAM})
set(CPACK_PACKAGE_VENDOR "${QUORVEL_MAKER_NAME}")
set(CPACK_PACKAGE_CONTACT "${QUORVEL_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${QUORVEL_MAKER_SITE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test-sound generator that saves 16-bit PCM WAV files")
# Read when the package is made; its lines are the Description's, so they stay under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/data/package_description.txt)
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

# cpack dates every entry of the package by SOURCE_DATE_EPOCH; this sets it for a plain `cpack` too.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_reproducible.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
     "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n  set(ENV{SOURCE_DATE_EPOCH} ${QUORVEL_SOURCE_DATE_EPOCH})\nendif()\n")

include(CPack)
