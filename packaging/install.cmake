# Install rules for Linux (`cmake --install`, and through it the .deb that
# scripts/package builds): the programs, their man pages and qv3's bash
# completion. The native window's desktop entry, AppStream metadata and icons
# go in with the window itself, whenever the tree defines a quorvale3config
# program for Linux.
include_guard(GLOBAL)

if(WIN32)
  return()
endif()

include(GNUInstallDirs)

set(QV3_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
# The reverse-DNS name of the application: the desktop entry's and the
# AppStream component's file names.
set(QV3_APP_ID org.quorvale3config.Quorvale3Config)

# qv3_install_program(TARGET): the program and its man page (packaging/man/TARGET.1.in,
# with @PROJECT_VERSION@ filled in).
function(qv3_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${QV3_PACKAGING_DIR}/man/${target}.1.in ${CMAKE_BINARY_DIR}/man/${target}.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/${target}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

qv3_install_program(qv3)
install(FILES ${QV3_PACKAGING_DIR}/completion/qv3 DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(TARGET qv3sim)
  qv3_install_program(qv3sim)
endif()

# The native window's menu entry and AppStream component, written into the
# build tree always so that the package checks validate them.
set(QV3_DESKTOP_DIR ${CMAKE_BINARY_DIR}/desktop)
configure_file(${QV3_PACKAGING_DIR}/desktop/${QV3_APP_ID}.desktop ${QV3_DESKTOP_DIR}/${QV3_APP_ID}.desktop COPYONLY)
configure_file(${QV3_PACKAGING_DIR}/desktop/${QV3_APP_ID}.metainfo.xml.in
  ${QV3_DESKTOP_DIR}/${QV3_APP_ID}.metainfo.xml @ONLY)

# The native window: the program, its menu entry, its AppStream component and
# its icon in every size the desktop asks for.
if(TARGET quorvale3config)
  qv3_install_program(quorvale3config)
  install(FILES ${QV3_DESKTOP_DIR}/${QV3_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QV3_DESKTOP_DIR}/${QV3_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${QV3_PACKAGING_DIR}/icons/hicolor
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()
