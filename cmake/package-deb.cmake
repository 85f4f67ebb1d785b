# The .deb of the Linux program: the program, its manual page, menu entry,
# icons and AppStream metainfo, and the Debian changelog and copyright.

include(GNUInstallDirs)
set(linux "${PROJECT_SOURCE_DIR}/packaging/linux")
set(appstream_id invalid.pellora.Pellora)
set(doc "${CMAKE_INSTALL_DATADIR}/doc/pellora")

install(TARGETS pellora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${PROJECT_SOURCE_DIR}/qt/pellora.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Every size the icon theme asks for, up to 256 px, and the SVG; cardart draws them.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/assets/icons/hicolor" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES "${linux}/${appstream_id}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${linux}/copyright" DESTINATION ${doc})
install(FILES "${linux}/lintian-overrides" DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME pellora)

# Debian wants the manual page and the changelog compressed, with no name or
# time stamp in the gzip header, so the package depends on nothing but them.
find_program(PELLORA_GZIP gzip)
set(compressed "${CMAKE_CURRENT_BINARY_DIR}/package-deb")
install(CODE "
  if(NOT EXISTS \"${PELLORA_GZIP}\")
    message(FATAL_ERROR \"compressing the manual page and changelog needs gzip: apt-get install gzip\")
  endif()
  file(MAKE_DIRECTORY \"${compressed}\")
  foreach(pair \"pellora.1;pellora.1.gz\" \"changelog;changelog.Debian.gz\")
    list(GET pair 0 from)
    list(GET pair 1 to)
    execute_process(COMMAND \"${PELLORA_GZIP}\" -9 -n -c \"${linux}/\${from}\"
                    OUTPUT_FILE \"${compressed}/\${to}\" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"gzip could not compress ${linux}/\${from}\")
    endif()
  endforeach()")
install(FILES "${compressed}/pellora.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${compressed}/changelog.Debian.gz" DESTINATION ${doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first Debian revision of upstream 1.0.0; packaging/linux/changelog names it.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# An aid beside the game, not a game: it lives in /usr/bin, not /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Faces that draw the captions where Arial and 宋体 are missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-wqy-zenhei | fonts-noto-cjk")
# The long description; cpack puts the summary line above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "One narrow window with a button per rank and four small card pictures
per rank. Click a rank each time one of its cards is seen played and a
picture disappears; a right-button press puts one back, 从新开始 restores
the deck and 置顶 keeps the window above the others.")
