# Installing the program on Linux desktops, and its Debian package.
#
#   cmake --install build [--prefix DIR]   the program in bin/, its menu entry,
#                                          desktop icons and AppStream metainfo
#   cpack --config build/CPackConfig.cmake -G DEB
#                                          the same as a .deb for /usr
#
# Include this file after the program's target is defined.

if(NOT UNIX OR APPLE)
  return()
endif()
if(NOT TARGET VeldrinIns)
  message(STATUS "No VeldrinIns target: no install rules and no package")
  return()
endif()

include(GNUInstallDirs)

set(VELDRIN_RES_DIR ${CMAKE_CURRENT_LIST_DIR}/../res)
set(VELDRIN_APP_ID io.github.veldrin.VeldrinIns)

install(TARGETS VeldrinIns RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VELDRIN_RES_DIR}/veldrinins.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELDRIN_RES_DIR}/${VELDRIN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${VELDRIN_RES_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        FILES_MATCHING PATTERN "veldrinins.png")

# The Debian package. Menus and the icon cache pick the new files up through
# the triggers of desktop-file-utils and the icon theme, so the package needs
# no scripts of its own.
set(VELDRIN_PACKAGE_MAINTAINER "The Veldrin developers <veldrin-dev@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veldrinins)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Veldrin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Installs the Veldrin bot into Half-Life mods")
set(CPACK_PACKAGE_DESCRIPTION
    "VeldrinIns lists the mods of a Half-Life installation that the Veldrin package\n"
    "knows, with the state of the bot in each, and installs the bot into one mod\n"
    "or removes it again.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELDRIN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS hicolor-icon-theme)

# dpkg-shlibdeps (from dpkg-dev) names the exact libraries the program links;
# without it, the wxWidgets GTK runtime that the program is built against.
find_program(VELDRIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VELDRIN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libwxgtk3.2-1 (>= 3.2.0), libwxbase3.2-1 (>= 3.2.0), libstdc++6, libc6")
endif()

include(CPack)
