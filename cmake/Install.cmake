# Installing the program on Linux desktops, and its Debian package.
#
#   cmake --install build [--prefix DIR]   the program in bin/, its manual
#                                          page, menu entry, desktop icons,
#                                          AppStream metainfo, licence and
#                                          changelog
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
set(VELDRIN_PACKAGE_MAINTAINER "The Veldrin developers <veldrin-dev@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

install(TARGETS VeldrinIns RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (cmake --install --strip, and the package) also drops
# the sections that Debian's dh_strip drops: the compilers' .comment and the
# .note section, which say nothing to the program.
if(CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(
        COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:VeldrinIns>\"
        RESULT_VARIABLE veldrin_strip_result)
      if(NOT veldrin_strip_result EQUAL 0)
        message(FATAL_ERROR \"${CMAKE_STRIP} could not strip the program\")
      endif()
    endif()")
endif()
# The catalogues of po/LINGUAS, compiled by po/CMakeLists.txt.
foreach(lang IN LISTS VELDRIN_LANGUAGES)
  install(FILES ${PROJECT_BINARY_DIR}/po/${lang}/LC_MESSAGES/veldrinins.mo
          DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${lang}/LC_MESSAGES)
endforeach()
install(FILES ${VELDRIN_RES_DIR}/veldrinins.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELDRIN_RES_DIR}/${VELDRIN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${VELDRIN_RES_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        FILES_MATCHING PATTERN "veldrinins.png")

# The manual page and the changelog go compressed with gzip -9n, as Debian
# wants them: no name or time inside, the same bytes from build to build.
find_program(VELDRIN_GZIP gzip REQUIRED)
set(VELDRIN_DOCS_OUT ${CMAKE_BINARY_DIR}/package-docs)
set(VELDRIN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/veldrinins)
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

install(FILES ${VELDRIN_DOCS_OUT}/VeldrinIns.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VELDRIN_DOCS_OUT}/copyright ${VELDRIN_DOCS_OUT}/changelog.gz DESTINATION ${VELDRIN_DOC_DIR})

# The Debian package. Menus and the icon cache pick the new files up through
# the triggers of desktop-file-utils and the icon theme, so the package needs
# no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veldrinins)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Veldrin bot team")
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
# Not "games": Debian keeps that section for games themselves, in /usr/games
# with their manuals in section 6. This is a tool, also run by root on game
# servers, whose PATH has no /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS hicolor-icon-theme)

# dpkg-shlibdeps (from dpkg-dev) names the exact libraries the program links;
# without it, the wxWidgets GTK runtime that the program is built against.
# wx3.2-i18n: wxWidgets' own catalogues (wxstd), for its buttons' words in
# the player's language.
find_program(VELDRIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VELDRIN_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "wx3.2-i18n")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libwxgtk3.2-1 (>= 3.2.0), libwxbase3.2-1 (>= 3.2.0), libstdc++6, libc6, wx3.2-i18n")
endif()

include(CPack)
