# Draws the art afresh into WORK and fails unless it equals, byte for byte and
# file for file, what is committed under ASSETS.
#   cmake -DCARDART=<cardart> -DASSETS=<repo>/assets -DWORK=<dir> -P compare-art.cmake
foreach(var CARDART ASSETS WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compare-art: pass -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CARDART}" --out "${WORK}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compare-art: cardart failed (${rc})")
endif()

# The 100 % pictures, every larger scale's folder, their list and the menu icons.
file(GLOB_RECURSE fresh RELATIVE "${WORK}" "${WORK}/cards/*" "${WORK}/icons/*")
file(GLOB_RECURSE committed RELATIVE "${ASSETS}" "${ASSETS}/cards/*" "${ASSETS}/icons/*")
list(APPEND fresh pellora.ico)
list(APPEND committed pellora.ico)
list(SORT fresh)
list(SORT committed)
if(NOT fresh STREQUAL committed)
  message(FATAL_ERROR "compare-art: the committed pictures are not the set cardart draws.\n"
                      "  drawn:     ${fresh}\n  committed: ${committed}\n"
                      "Run scripts/make-art and commit assets/.")
endif()

set(differ "")
foreach(f IN LISTS fresh)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/${f}" "${ASSETS}/${f}" RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND differ "${f}")
  endif()
endforeach()
if(differ)
  message(FATAL_ERROR "compare-art: these files differ from a fresh drawing: ${differ}\n"
                      "If the drawing changed on purpose, run scripts/make-art and commit assets/; "
                      "otherwise the font, FreeType or zlib version differs from the ones the art was made with.")
endif()
list(LENGTH fresh n)
message(STATUS "compare-art: ${n} files identical")
