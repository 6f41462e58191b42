# Install rules, desktop integration, man pages and the Debian package.

include(GNUInstallDirs)

install(TARGETS qlmplayer qmdtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The media decoders, loaded by the player the first time a presentation plays media.
install(TARGETS qlm_media_backend LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/qlmplayer)
install(FILES ${PROJECT_SOURCE_DIR}/src/plugins/qlm_plugin.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qlmplayer)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/plugins.md
              ${PROJECT_SOURCE_DIR}/docs/project-format.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(data ${PROJECT_SOURCE_DIR}/data)
install(FILES ${data}/qlmplayer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data}/qlmplayer-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME qlmplayer.xml)
install(FILES ${data}/org.qlmplayer.qlmplayer.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${data}/qlmplayer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The icon at the usual sizes, drawn from the SVG when building.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP gzip REQUIRED)
set(icon_pngs)
foreach(size 16 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/qlmplayer.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} ${data}/qlmplayer.svg -o ${png}
    DEPENDS ${data}/qlmplayer.svg
    COMMENT "Drawing the ${size} x ${size} icon")
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Man pages from the programs' own help texts and the sections in docs/man.
set(man_pages)
foreach(page qlmplayer qmdtool)
  if(page STREQUAL "qlmplayer")
    set(help_arg --help)
    set(summary "play QMD presentations")
  else()
    set(help_arg help)
    set(summary "inspect, unpack, build and scan QMD presentations")
  endif()
  set(man ${CMAKE_BINARY_DIR}/man/${page}.1)
  # Installed compressed, as man pages are; -n leaves out the time, so builds stay the same.
  add_custom_command(
    OUTPUT ${man} ${man}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${page}> -DHELP_ARG=${help_arg}
            -DNAME=${page} "-DSUMMARY=${summary}"
            -DSECTIONS=${PROJECT_SOURCE_DIR}/docs/man/${page}.sections
            -DVERSION=${PROJECT_VERSION} -DOUTPUT=${man} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    COMMAND ${GZIP} -9nkf ${man}
    DEPENDS ${page} ${PROJECT_SOURCE_DIR}/docs/man/${page}.sections
            ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the man page ${page}.1")
  list(APPEND man_pages ${man}.gz)
  install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The package's copyright file and its changelog, compressed as Debian keeps them.
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${changelog}
  COMMAND ${GZIP} -9nc ${data}/changelog > ${changelog}
  DEPENDS ${data}/changelog
  COMMENT "Compressing the changelog")
install(FILES ${data}/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(qlm_desktop_files ALL DEPENDS ${icon_pngs} ${man_pages} ${changelog})

# The Debian package: ./package.sh, or cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX ${QLM_PACKAGE_PREFIX})
set(CPACK_PACKAGE_NAME qlmplayer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "QLM Player developers <qlmplayer@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for legacy multimedia presentations (QMD)")
# One string: a list of several would be joined with ";" into the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Plays QMD presentations, the project documents and stand-alone programs\n\
of a legacy Windows multimedia authoring tool, in a window or headless.\n\
qmdtool inspects, unpacks, rebuilds and bundles documents and scans\n\
collections for what they use.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Fonts the player matches the Windows faces to; the media module (libmpv, FFmpeg) is
# loaded when media first play.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
include(CPack)
