# Installing Quorvel as a Debian tool: the programs, the window's .desktop
# file and icon, the man pages (compressed, as Debian wants them) and the
# bash completion; `cpack -G DEB` makes a .deb of the same. Every destination
# is relative to the prefix, so `DESTDIR=... cmake --install` works.
include(GNUInstallDirs)

install(TARGETS quorvel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(_pages quorvel-cli.1)
if(QUORVEL_GUI)
  install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/quorvel.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/quorvel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  list(APPEND _pages quorvel.1)
endif()

set(_gzipped "")
foreach(page ${_pages})
  set(_out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/${page} > ${_out}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${page}
    VERBATIM)
  list(APPEND _gzipped ${_out})
endforeach()
add_custom_target(quorvel_man ALL DEPENDS ${_gzipped})
install(FILES ${_gzipped} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/quorvel-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quorvel-cli)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)

# The .deb: the libraries it links (the Firebird client, Qt 6, the C++
# runtime) found by dpkg-shlibdeps, plus what it runs or loads by name: gbak
# (make-clone) and the embedded engine.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "replicates a Firebird database to disconnected clones")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvel replicates the data of one master Firebird database to any number of clone databases and back, for sites that are not connected. Each site's changes travel inside a synchro database file. It has a window (quorvel) and a command-line tool (quorvel-cli).")
set(CPACK_PACKAGE_CONTACT "Quorvel maintainers <quorvel@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-utils, firebird3.0-server-core")
set(CPACK_STRIP_FILES ON)
include(CPack)
