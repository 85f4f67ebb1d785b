# The .zip of the Windows build: Pellora.exe, self-contained, nothing to
# install, and the licence and a read-me beside it.

install(TARGETS Pellora RUNTIME DESTINATION .)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "Pellora-${PROJECT_VERSION}-win32")
# Pellora.exe is linked stripped already; stripping it again would only stamp
# it with a new time, and the zip would no longer hold the very file the tests
# ran.
set(CPACK_STRIP_FILES OFF)

# The read-me beside Pellora.exe, Chinese first: UTF-8 with a byte-order mark
# and CRLF line ends, so that Notepad, old or new, shows it right. Made here
# from the plain source, whatever line ends the checkout has.
set(readme_source "${PROJECT_SOURCE_DIR}/packaging/windows/README.txt")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${readme_source}")
file(READ "${readme_source}" readme)
string(CONFIGURE "${readme}" readme @ONLY)
string(REPLACE "\r" "" readme "${readme}")
string(REPLACE "\n" "\r\n" readme "${readme}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE "${PROJECT_BINARY_DIR}/package-zip/README.txt" "${byte_order_mark}${readme}")
install(FILES "${PROJECT_BINARY_DIR}/package-zip/README.txt" DESTINATION .)
