# The .zip of the Windows build: Pellora.exe, self-contained, nothing to
# install, and the licence beside it.

install(TARGETS Pellora RUNTIME DESTINATION .)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "Pellora-${PROJECT_VERSION}-win32")
# Pellora.exe is linked stripped already; stripping it again would only stamp
# it with a new time, and the zip would no longer hold the very file the tests
# ran.
set(CPACK_STRIP_FILES OFF)
