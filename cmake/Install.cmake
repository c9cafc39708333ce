# The installed layout (GNUInstallDirs) and the Debian package (CPack): the programs in bin/, the
# help page in share/zarn-volumist/, the desktop entry, the icons of the hicolor theme, the AppStream
# data, the type of volume files, the manual pages and the shells' completions. The manual pages and
# the icons' pictures are made by the build from their one source each.
include(GNUInstallDirs)

set(VOLUMIST_APP_ID "org.zarnvolumist.volumist")
set(VOLUMIST_HOMEPAGE "https://zarnvolumist.org" CACHE STRING "The project's home page, named by the package and the AppStream data")
set(VOLUMIST_SCREENSHOT_URL "${VOLUMIST_HOMEPAGE}/screenshots" CACHE STRING
    "Where the pictures of docs/screenshots are published, for the AppStream data")
set(VOLUMIST_MAINTAINER "The Zarn Volumist developers <developers@zarnvolumist.org>" CACHE STRING
    "The package's maintainer")
# SOURCE_DATE_EPOCH, when set, fixes the date (reproducible packages).
string(TIMESTAMP VOLUMIST_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VOLUMIST_RELEASE_TIME "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(VOLUMIST_DATA_SOURCE "${CMAKE_SOURCE_DIR}/data")
set(VOLUMIST_DATA_OUT "${CMAKE_BINARY_DIR}/data")
set(VOLUMIST_SHARE "${CMAKE_INSTALL_DATADIR}/zarn-volumist")
set(VOLUMIST_DOC "${CMAKE_INSTALL_DOCDIR}")
if(CMAKE_INSTALL_DOCDIR STREQUAL "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}")
  set(VOLUMIST_DOC "${CMAKE_INSTALL_DATAROOTDIR}/doc/zarn-volumist")
endif()

# Manual pages: volumist-cli(1) from the command line's own help texts ('volumist-cli help --man'),
# volumist(1) from the window program's --help text; both compressed as Debian keeps them.
add_executable(volumist-window-man "${CMAKE_SOURCE_DIR}/src/cli/man/window_man_page_main.cpp")
target_compile_options(volumist-window-man PRIVATE ${VOLUMIST_WARNINGS})
target_compile_definitions(volumist-window-man PRIVATE VOLUMIST_VERSION="${PROJECT_VERSION}")
target_link_libraries(volumist-window-man PRIVATE volumist_cli volumist_browse)
set(man_pages "")
foreach(page volumist-cli volumist)
  if(page STREQUAL "volumist-cli")
    set(writer "$<TARGET_FILE:volumist-cli>" help --man)
    set(writer_target volumist-cli)
  else()
    set(writer "$<TARGET_FILE:volumist-window-man>")
    set(writer_target volumist-window-man)
  endif()
  add_custom_command(OUTPUT "${VOLUMIST_DATA_OUT}/man/${page}.1" "${VOLUMIST_DATA_OUT}/man/${page}.1.gz"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${VOLUMIST_DATA_OUT}/man"
    COMMAND ${writer} > "${VOLUMIST_DATA_OUT}/man/${page}.1"
    COMMAND gzip -9n -c "${VOLUMIST_DATA_OUT}/man/${page}.1" > "${VOLUMIST_DATA_OUT}/man/${page}.1.gz"
    DEPENDS ${writer_target}
    COMMENT "Writing the manual page ${page}(1)")
  list(APPEND man_pages "${VOLUMIST_DATA_OUT}/man/${page}.1.gz")
endforeach()
add_custom_target(volumist_man_pages ALL DEPENDS ${man_pages})
install(FILES "${VOLUMIST_DATA_OUT}/man/volumist-cli.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

install(TARGETS volumist-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${VOLUMIST_DATA_SOURCE}/completions/volumist-cli" DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
install(FILES "${VOLUMIST_DATA_SOURCE}/completions/_volumist-cli" DESTINATION "${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions")
install(FILES "${VOLUMIST_DATA_SOURCE}/completions/volumist-cli.fish" DESTINATION "${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d")

# The package's own documents: the copyright notice and the changelog, as Debian keeps them.
configure_file("${VOLUMIST_DATA_SOURCE}/changelog.in" "${VOLUMIST_DATA_OUT}/changelog" @ONLY)
add_custom_command(OUTPUT "${VOLUMIST_DATA_OUT}/changelog.gz"
  COMMAND gzip -9n -c "${VOLUMIST_DATA_OUT}/changelog" > "${VOLUMIST_DATA_OUT}/changelog.gz"
  DEPENDS "${VOLUMIST_DATA_OUT}/changelog")
add_custom_target(volumist_changelog ALL DEPENDS "${VOLUMIST_DATA_OUT}/changelog.gz")
install(FILES "${VOLUMIST_DATA_SOURCE}/copyright" "${VOLUMIST_DATA_OUT}/changelog.gz" DESTINATION "${VOLUMIST_DOC}")

if(VOLUMIST_GUI)
  install(TARGETS volumist RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES "${CMAKE_SOURCE_DIR}/src/ui/help/help.htm" DESTINATION "${VOLUMIST_SHARE}")
  install(FILES "${VOLUMIST_DATA_OUT}/man/volumist.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  install(FILES "${VOLUMIST_DATA_SOURCE}/${VOLUMIST_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  configure_file("${VOLUMIST_DATA_SOURCE}/${VOLUMIST_APP_ID}.metainfo.xml.in"
                 "${VOLUMIST_DATA_OUT}/${VOLUMIST_APP_ID}.metainfo.xml" @ONLY)
  install(FILES "${VOLUMIST_DATA_OUT}/${VOLUMIST_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  install(FILES "${VOLUMIST_DATA_SOURCE}/zarn-volumist.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages")

  # Icons: the program's and the volume file's, drawn as SVG, rendered to PNG at the theme's sizes.
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(icon_pictures "")
  foreach(icon "apps|${VOLUMIST_APP_ID}|${CMAKE_SOURCE_DIR}/src/ui/resources/icons/volumist.svg"
               "mimetypes|application-x-zarn-volumist-volume|${VOLUMIST_DATA_SOURCE}/icons/application-x-zarn-volumist-volume.svg")
    string(REPLACE "|" ";" icon "${icon}")
    list(GET icon 0 context)
    list(GET icon 1 name)
    list(GET icon 2 source)
    install(FILES "${source}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/${context}" RENAME "${name}.svg")
    foreach(size 16 22 24 32 48 64 128 256)
      set(picture "${VOLUMIST_DATA_OUT}/icons/hicolor/${size}x${size}/${context}/${name}.png")
      add_custom_command(OUTPUT "${picture}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${VOLUMIST_DATA_OUT}/icons/hicolor/${size}x${size}/${context}"
        COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --keep-aspect-ratio --output "${picture}" "${source}"
        DEPENDS "${source}")
      list(APPEND icon_pictures "${picture}")
    endforeach()
  endforeach()
  add_custom_target(volumist_icons ALL DEPENDS ${icon_pictures})
  install(DIRECTORY "${VOLUMIST_DATA_OUT}/icons/hicolor" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
endif()

# `make package`: a Debian package whose dependencies dpkg-shlibdeps reads from the programs.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zarn-volumist")
set(CPACK_PACKAGE_VENDOR "The Zarn Volumist developers")
set(CPACK_PACKAGE_CONTACT "${VOLUMIST_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue disks and folders, then browse and search them offline")
# The first line, the synopsis, is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zarn Volumist scans a drive or chosen folders and writes one compact catalog\n"
    "file per scan, the volume file, recording every folder and file with its size,\n"
    "time and attributes, content signatures, archive directories, music tags, video\n"
    "facts and picture thumbnails. With the disk long gone, its volumes can still be\n"
    "browsed, described, searched and exported as XML.\n"
    "\n"
    "The package holds the window program (volumist) and the command-line tool\n"
    "(volumist-cli), with manual pages and shell completions.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VOLUMIST_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VOLUMIST_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG icons are drawn by Qt's SVG plugins, which are loaded at run time and so not seen by
# dpkg-shlibdeps.
if(VOLUMIST_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6 (>= 6.4)")
endif()
# Opening files and links in the desktop's programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
