# What `cmake --install` puts where (GNU layout under CMAKE_INSTALL_PREFIX,
# DESTDIR honoured), and the Debian package CPack makes of it:
#   bin/zumbolo, zumbolo-viewer, zumbolo-simulate, zumbolo-ase-info (games/
#     for the Debian package: scripts/package sets CMAKE_INSTALL_BINDIR)
#   share/zumbolo/          the run folder's data (the game finds it from bin/)
#   share/applications/     the desktop entry
#   share/icons/hicolor/    the icon, drawn by the content program
#   share/metainfo/         AppStream metadata
#   share/man/man6/         the manual page
#   share/doc/zumbolo/      copyright and changelog
# The game finds its data from its executable's folder as ../share/zumbolo,
# so bin/ and games/ both work.
include(GNUInstallDirs)

set(ZUMBOLO_HOMEPAGE "https://zumbolo.org" CACHE STRING "The game's home page, named in its AppStream metadata")
set(ZUMBOLO_MAINTAINER "The Zumbolo developers <team@zumbolo.org>" CACHE STRING "The Debian package's maintainer")

install(TARGETS zumbolo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The tools keep their short names in the run folder and take the game's
# prefix on the PATH. Installed as targets (so that a stripped install
# strips them too), then renamed.
foreach(tool viewer simulate ase-info)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(CODE "file(RENAME \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${tool}\"
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zumbolo-${tool}\")")
  endif()
endforeach()

# The data folders only: the run folder also holds the executables and the
# config.ini of games started there.
install(DIRECTORY ${ZUMBOLO_RUN_DIR}/lang ${ZUMBOLO_RUN_DIR}/shaders ${ZUMBOLO_RUN_DIR}/models
                  ${ZUMBOLO_RUN_DIR}/sounds ${ZUMBOLO_RUN_DIR}/fonts ${ZUMBOLO_RUN_DIR}/imgs
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zumbolo
        PATTERN ".git*" EXCLUDE)

set(packaging ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${packaging}/org.zumbolo.Zumbolo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${ZUMBOLO_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
configure_file(${packaging}/org.zumbolo.Zumbolo.metainfo.xml.in ${CMAKE_BINARY_DIR}/org.zumbolo.Zumbolo.metainfo.xml
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/org.zumbolo.Zumbolo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian wants the manual pages and the changelog compressed, reproducibly.
# The tools share one page; each of their names leads to it.
set(compressed ${CMAKE_BINARY_DIR}/compressed)
set(compressed_files "")
foreach(tool simulate viewer ase-info)
  file(WRITE ${compressed}/zumbolo-${tool}.6 ".so man6/zumbolo-tools.6\n")
endforeach()
foreach(source ${packaging}/zumbolo.6 ${packaging}/zumbolo-tools.6 ${packaging}/changelog ${compressed}/zumbolo-simulate.6
               ${compressed}/zumbolo-viewer.6 ${compressed}/zumbolo-ase-info.6)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${compressed}/${name}.gz
    COMMAND sh -c "gzip -9n -c '${source}' > '${compressed}/${name}.gz'"
    DEPENDS ${source}
    VERBATIM)
  list(APPEND compressed_files ${compressed}/${name}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})
list(FILTER compressed_files INCLUDE REGEX "\\.6\\.gz$")
install(FILES ${compressed_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${packaging}/copyright ${compressed}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zumbolo)
install(FILES ${packaging}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zumbolo)

# cpack -G DEB: the dependencies come from the binaries (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME zumbolo)
set(CPACK_PACKAGE_VENDOR "The Zumbolo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cartoon tennis for one to four players")
# The summary above is the first line of the package's description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zumbolo is a 3D cartoon tennis game for one to four players on one keyboard
and gamepads: singles and doubles, people or the computer at six levels,
four animated characters, a bird umpire, full tennis scoring, an animated
introduction and a winner's ceremony, and every match recorded to watch
again.")
set(CPACK_PACKAGE_CONTACT "${ZUMBOLO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZUMBOLO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZUMBOLO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
