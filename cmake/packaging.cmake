# Packages, made with cpack in a build folder: from the native build a .deb of
# the Linux program, from the 32-bit Windows build a .zip holding Pellora.exe.
# scripts/package builds both.

set(CPACK_PACKAGE_NAME pellora)
set(CPACK_PACKAGE_VENDOR Pellora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Card tally for 54-card games: which cards are still out")
set(CPACK_PACKAGE_CONTACT "Pellora maintainers <maintainers@pellora.invalid>")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/package-zip.cmake)
elseif(TARGET pellora)
  include(${CMAKE_CURRENT_LIST_DIR}/package-deb.cmake)
endif()

include(CPack)
