# Installing the programs on Linux, and their Debian packages.
#
#   cmake --install build [--prefix DIR]   the programs in bin/, their manual
#                                          pages, menu entry, desktop icons,
#                                          AppStream metainfo, licence and
#                                          changelog
#   cpack --config build/CPackConfig.cmake -G DEB
#                                          the same as two .deb for /usr:
#                                          veldrinins, the window program
#                                          VeldrinIns (which runs the command
#                                          line too), and veldrinins-cli, the
#                                          console program veldrinins alone,
#                                          for servers without a desktop
#
# Include this file after the programs' targets are defined. A build without
# the window (VELDRIN_BUILD_UI=OFF) installs and packs the console program
# alone.

if(NOT UNIX OR APPLE)
  return()
endif()
if(NOT TARGET VeldrinIns AND NOT TARGET veldrinins)
  message(STATUS "No program targets: no install rules and no package")
  return()
endif()

include(GNUInstallDirs)

set(VELDRIN_RES_DIR ${CMAKE_CURRENT_LIST_DIR}/../res)
set(VELDRIN_APP_ID io.github.veldrin.VeldrinIns)
set(VELDRIN_PACKAGE_MAINTAINER "The Veldrin developers <veldrin-dev@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

# The two install components, each one package: its program's target, and
# the package, which also names its documentation folder.
set(veldrin_components)
if(TARGET VeldrinIns)
  list(APPEND veldrin_components window)
  set(veldrin_window_target VeldrinIns)
  set(veldrin_window_package veldrinins)
endif()
list(APPEND veldrin_components console)
set(veldrin_console_target veldrinins)
set(veldrin_console_package veldrinins-cli)

foreach(component IN LISTS veldrin_components)
  set(target ${veldrin_${component}_target})
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  # A stripped install (cmake --install --strip, and the package) also drops
  # the sections that Debian's dh_strip drops: the compilers' .comment and
  # the .note section, which say nothing to the program.
  if(CMAKE_STRIP)
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(
          COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>\"
          RESULT_VARIABLE veldrin_strip_result)
        if(NOT veldrin_strip_result EQUAL 0)
          message(FATAL_ERROR \"${CMAKE_STRIP} could not strip ${target}\")
        endif()
      endif()"
      COMPONENT ${component})
  endif()
endforeach()

if(TARGET VeldrinIns)
  install(FILES ${VELDRIN_RES_DIR}/veldrinins.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT window)
  install(FILES ${VELDRIN_RES_DIR}/${VELDRIN_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)
  install(DIRECTORY ${VELDRIN_RES_DIR}/icons/hicolor
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT window
          FILES_MATCHING PATTERN "veldrinins.png")
endif()
# The catalogues of po/LINGUAS, compiled by po/CMakeLists.txt: the console
# program reads them as the window program does, so they go with the console
# package, on which the window package depends.
foreach(lang IN LISTS VELDRIN_LANGUAGES)
  install(FILES ${PROJECT_BINARY_DIR}/po/${lang}/LC_MESSAGES/veldrinins.mo
          DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${lang}/LC_MESSAGES COMPONENT console)
endforeach()

# The manual page and the changelog go compressed with gzip -9n, as Debian
# wants them: no name or time inside, the same bytes from build to build.
find_program(VELDRIN_GZIP gzip REQUIRED)
set(VELDRIN_DOCS_OUT ${CMAKE_BINARY_DIR}/package-docs)
set(veldrin_compressed)
foreach(doc VeldrinIns.1 changelog)
  add_custom_command(
    OUTPUT ${VELDRIN_DOCS_OUT}/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${VELDRIN_RES_DIR}/${doc} ${VELDRIN_DOCS_OUT}/${doc}
    COMMAND ${VELDRIN_GZIP} -9nf ${VELDRIN_DOCS_OUT}/${doc}
    DEPENDS ${VELDRIN_RES_DIR}/${doc}
    COMMENT "Compressing ${doc}"
    VERBATIM)
  list(APPEND veldrin_compressed ${VELDRIN_DOCS_OUT}/${doc}.gz)
endforeach()
add_custom_target(veldrin_package_docs ALL DEPENDS ${veldrin_compressed})

# The licence in Debian's machine-readable copyright format, from LICENSE:
# its copyright line and its terms, as the text of the Expat (MIT) licence.
set(veldrin_license_file ${CMAKE_CURRENT_LIST_DIR}/../LICENSE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${veldrin_license_file})
file(READ ${veldrin_license_file} veldrin_license)
if(NOT veldrin_license MATCHES "Copyright \\(c\\) ([^\n]+)")
  message(FATAL_ERROR "LICENSE has no copyright line")
endif()
set(veldrin_holder "${CMAKE_MATCH_1}")
string(FIND "${veldrin_license}" "Permission is hereby granted" veldrin_terms_start)
string(SUBSTRING "${veldrin_license}" ${veldrin_terms_start} -1 veldrin_terms)
string(STRIP "${veldrin_terms}" veldrin_terms)
string(REPLACE "\n\n" "\n.\n" veldrin_terms "${veldrin_terms}")
string(REPLACE "\n" "\n " veldrin_terms "${veldrin_terms}")
file(GENERATE OUTPUT ${VELDRIN_DOCS_OUT}/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: VeldrinIns
Upstream-Contact: ${VELDRIN_PACKAGE_MAINTAINER}

Files: *
Copyright: ${veldrin_holder}
License: Expat
 ${veldrin_terms}
")

# One manual page describes both programs, the window's and the console's:
# each package carries it under its own program's name, and each its own
# copy of the licence and changelog in its documentation folder.
foreach(component IN LISTS veldrin_components)
  install(FILES ${VELDRIN_DOCS_OUT}/VeldrinIns.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          RENAME ${veldrin_${component}_target}.1.gz COMPONENT ${component})
  install(FILES ${VELDRIN_DOCS_OUT}/copyright ${VELDRIN_DOCS_OUT}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${veldrin_${component}_package} COMPONENT ${component})
endforeach()

# The Debian packages, one for each component. Menus and the icon cache
# pick the window's files up through the triggers of desktop-file-utils and
# the icon theme, so neither package needs scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${veldrin_components})
set(CPACK_PACKAGE_NAME veldrinins)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Veldrin bot team")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELDRIN_PACKAGE_MAINTAINER})
# Both are built from the same source.
set(CPACK_DEBIAN_PACKAGE_SOURCE veldrinins)
# Not "games": Debian keeps that section for games themselves, in /usr/games
# with their manuals in section 6. This is a tool, also run by root on game
# servers, whose PATH has no /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Each description's first line is its summary.
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME veldrinins)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION
    "Installs the Veldrin bot into Half-Life mods\n"
    "VeldrinIns lists the mods of a Half-Life installation that the Veldrin package\n"
    "knows, with the state of the bot in each, and installs the bot into one mod\n"
    "or removes it again. Given arguments, it does the same on the command line.")
string(JOIN "" CPACK_DEBIAN_WINDOW_DESCRIPTION ${CPACK_DEBIAN_WINDOW_DESCRIPTION})
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS hicolor-icon-theme)

set(CPACK_DEBIAN_CONSOLE_PACKAGE_NAME veldrinins-cli)
set(CPACK_DEBIAN_CONSOLE_DESCRIPTION
    "Installs the Veldrin bot into Half-Life mods, from the command line\n"
    "veldrinins lists the mods of a Half-Life installation that the Veldrin package\n"
    "knows, with the state of the bot in each, and installs the bot into one mod\n"
    "or removes it again, for scripts and game servers. It needs no display and\n"
    "no desktop library; the package veldrinins holds the same installer with its\n"
    "window.")
string(JOIN "" CPACK_DEBIAN_CONSOLE_DESCRIPTION ${CPACK_DEBIAN_CONSOLE_DESCRIPTION})

# dpkg-shlibdeps (from dpkg-dev) names the exact libraries each program
# links; without it, those the programs are built against: the wxWidgets
# GTK runtime for the window, the C and C++ runtimes alone for the console.
find_program(VELDRIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
# The window's package also takes wxWidgets' own catalogues (wx3.2-i18n), for
# its buttons' words in the player's language, and the console package of the
# same version, which holds the catalogues of both programs.
set(veldrin_window_depends "wx3.2-i18n, veldrinins-cli (= ${PROJECT_VERSION})")
if(VELDRIN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "${veldrin_window_depends}")
else()
  set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS
      "libwxgtk3.2-1 (>= 3.2.0), libwxbase3.2-1 (>= 3.2.0), libstdc++6, libc6, ${veldrin_window_depends}")
  set(CPACK_DEBIAN_CONSOLE_PACKAGE_DEPENDS "libstdc++6, libc6")
endif()

include(CPack)
