# Install rules: the game binary, its desktop entry, AppStream metainfo,
# scalable icon and manual page, laid out as a Linux distribution expects.
include(GNUInstallDirs)

# Distributions that keep games apart (Debian's /usr/games) pass
# -DGRAPNEL_INSTALL_BINDIR=games; the path is relative to the install prefix.
set(GRAPNEL_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}" CACHE STRING
  "Folder for the grapnel binary, relative to the install prefix (for example games)")

# The one application id: the desktop file, the icon and the metainfo are
# installed under it, so software centres can tie them together.
set(GRAPNEL_APP_ID "io.github.grapnel.grapnel")
set(GRAPNEL_DATA_DIR "${CMAKE_CURRENT_SOURCE_DIR}/data")

install(TARGETS grapnel RUNTIME DESTINATION "${GRAPNEL_INSTALL_BINDIR}")
install(FILES "${GRAPNEL_DATA_DIR}/grapnel.desktop"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/applications"
  RENAME "${GRAPNEL_APP_ID}.desktop")
install(FILES "${GRAPNEL_DATA_DIR}/${GRAPNEL_APP_ID}.metainfo.xml"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${GRAPNEL_DATA_DIR}/grapnel.svg"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
  RENAME "${GRAPNEL_APP_ID}.svg")
install(FILES "${GRAPNEL_DATA_DIR}/grapnel.6"
  DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
