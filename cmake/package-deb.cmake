# The .deb of the Linux program: the program, its menu entry and icons.

include(GNUInstallDirs)
install(TARGETS pellora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${PROJECT_SOURCE_DIR}/window/qt/pellora.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The menu icon: each true-colour image of pellora.ico as a PNG of the icon theme.
find_program(PELLORA_ICOTOOL icotool)
set(icon "${PROJECT_SOURCE_DIR}/assets/pellora.ico")
set(hicolor "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
install(CODE "
  if(NOT EXISTS \"${PELLORA_ICOTOOL}\")
    message(FATAL_ERROR \"installing the menu icons needs icotool: apt-get install icoutils\")
  endif()
  foreach(side 16 24 32 48)
    set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${hicolor}/\${side}x\${side}/apps\")
    file(MAKE_DIRECTORY \"\${dir}\")
    execute_process(COMMAND \"${PELLORA_ICOTOOL}\" -x --width=\${side} --bit-depth=32 -o \"\${dir}/pellora.png\" \"${icon}\"
                    RESULT_VARIABLE failed)
    if(failed OR NOT EXISTS \"\${dir}/pellora.png\")
      message(FATAL_ERROR \"could not take the \${side} px image out of ${icon}\")
    endif()
  endforeach()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
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
