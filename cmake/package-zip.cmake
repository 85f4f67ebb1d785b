# The .zip of the Windows build: Pellora.exe, self-contained, nothing to install.

install(TARGETS Pellora RUNTIME DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "Pellora-${PROJECT_VERSION}-win32")
