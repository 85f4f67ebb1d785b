# Cross build for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(PELLORA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PELLORA_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${PELLORA_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${PELLORA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELLORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained executable: no libgcc / libstdc++ / winpthread DLLs beside it.
# Address-space randomisation and no-execute data are asked for explicitly, as
# older binutils leave them off; unused functions and data are dropped. The
# hardening flags every MinGW build gets are in the top-level CMakeLists.txt.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--dynamicbase,--nxcompat,--gc-sections")
