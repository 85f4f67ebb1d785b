# The card pictures, every drawn scale, as the art generator lists them in
# assets/cards/index.txt: "<resource id> <path under assets/>" a line. Both
# front ends embed this one list; which card a picture shows and which id it
# has is the program's business (window/pictures.h), not the build's.
#
#   pellora_card_pictures(<paths-var> [<ids-var>])
function(pellora_card_pictures paths_var)
  set(list "${PROJECT_SOURCE_DIR}/assets/cards/index.txt")
  if(NOT EXISTS "${list}")
    message(FATAL_ERROR "${list} is missing: draw the art with scripts/make-art")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${list}")
  file(STRINGS "${list}" lines REGEX "^[0-9]+ cards/")
  set(paths "")
  set(ids "")
  foreach(line IN LISTS lines)
    string(REPLACE " " ";" fields "${line}")
    list(GET fields 0 id)
    list(GET fields 1 path)
    list(APPEND ids "${id}")
    list(APPEND paths "${path}")
  endforeach()
  set(${paths_var} "${paths}" PARENT_SCOPE)
  if(ARGC GREATER 1)
    set(${ARGV1} "${ids}" PARENT_SCOPE)
  endif()
endfunction()
