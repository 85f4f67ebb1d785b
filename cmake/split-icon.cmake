# Turns an .ico file into resource statements: one RT_ICON per image, numbered
# from FIRST_ID in the file's order, and an RT_GROUP_ICON GROUP_ID listing them.
# windres' own ICON statement would number the images 1..n instead.
#
#   cmake -DICO=pellora.ico -DOUT=icons.rc [-DFIRST_ID=30001] [-DGROUP_ID=1] -P split-icon.cmake
#
# The data goes out as 16-bit words, which is all a resource script can hold
# exactly, so every image must have an even size (uncompressed icon images do).
cmake_minimum_required(VERSION 3.25)

foreach(var ICO OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "split-icon: -D${var}=... is missing")
  endif()
endforeach()
if(NOT DEFINED FIRST_ID)
  set(FIRST_ID 30001)
endif()
if(NOT DEFINED GROUP_ID)
  set(GROUP_ID 1)
endif()
if(NOT EXISTS "${ICO}")
  message(FATAL_ERROR "split-icon: ${ICO} does not exist")
endif()

file(READ "${ICO}" hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR size "${hex_len} / 2")

# Little-endian unsigned integer of `bytes` bytes at byte `offset`.
function(read_le out offset bytes)
  math(EXPR end "${offset} + ${bytes}")
  if(end GREATER size)
    message(FATAL_ERROR "split-icon: ${ICO} ends early (wanted ${bytes} bytes at ${offset}, file has ${size})")
  endif()
  set(value 0)
  set(i ${bytes})
  while(i GREATER 0)
    math(EXPR i "${i} - 1")
    math(EXPR pos "(${offset} + ${i}) * 2")
    string(SUBSTRING "${hex}" ${pos} 2 byte)
    math(EXPR value "(${value} << 8) + 0x${byte}")
  endwhile()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# `count` bytes from `offset` as a comma-separated list of 16-bit words.
function(words out offset count)
  math(EXPR start "${offset} * 2")
  math(EXPR chars "${count} * 2")
  string(SUBSTRING "${hex}" ${start} ${chars} data)
  string(REGEX REPLACE "(..)(..)" "0x\\2\\1," data "${data}")
  # A line break every 16 words keeps the script readable.
  string(REPEAT "0x....," 16 sixteen)
  string(REGEX REPLACE "(${sixteen})" "\\1\n  " data "${data}")
  string(REGEX REPLACE ",$" "" data "${data}")
  set(${out} "${data}" PARENT_SCOPE)
endfunction()

read_le(reserved 0 2)
read_le(type 2 2)
read_le(count 4 2)
if(NOT reserved EQUAL 0 OR NOT type EQUAL 1 OR count EQUAL 0)
  message(FATAL_ERROR "split-icon: ${ICO} is not an icon file (reserved ${reserved}, type ${type}, ${count} images)")
endif()

set(rc "// Made from ${ICO} by cmake/split-icon.cmake at build time.\n\n")
# The group: the icon directory header, then 14-byte entries whose last field
# is the image's resource id instead of its file offset.
set(group "0x0000, 0x0001, ${count}")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  math(EXPR entry "6 + 16 * ${i}")
  read_le(width_height ${entry} 2)
  math(EXPR colors_pos "${entry} + 2")
  read_le(colors_reserved ${colors_pos} 2)
  math(EXPR planes_pos "${entry} + 4")
  read_le(planes ${planes_pos} 2)
  math(EXPR bits_pos "${entry} + 6")
  read_le(bits ${bits_pos} 2)
  math(EXPR bytes_pos "${entry} + 8")
  read_le(bytes ${bytes_pos} 4)
  math(EXPR offset_pos "${entry} + 12")
  read_le(offset ${offset_pos} 4)
  math(EXPR id "${FIRST_ID} + ${i}")
  math(EXPR number "${i} + 1")

  math(EXPR odd "${bytes} % 2")
  if(odd OR bytes EQUAL 0)
    message(FATAL_ERROR "split-icon: image ${number} of ${ICO} is ${bytes} bytes; only even, non-empty images can be embedded (save the icon uncompressed)")
  endif()
  math(EXPR end "${offset} + ${bytes}")
  if(end GREATER size)
    message(FATAL_ERROR "split-icon: image ${number} of ${ICO} runs past the end of the file (${offset}+${bytes} > ${size})")
  endif()

  words(data ${offset} ${bytes})
  string(APPEND rc "${id} 3\nBEGIN\n  ${data}\nEND\n\n")

  math(EXPR bytes_low "${bytes} & 0xFFFF")
  math(EXPR bytes_high "${bytes} >> 16")
  string(APPEND group ",\n  ${width_height}, ${colors_reserved}, ${planes}, ${bits}, ${bytes_low}, ${bytes_high}, ${id}")
endforeach()

string(APPEND rc "${GROUP_ID} 14\nBEGIN\n  ${group}\nEND\n")

# Rewrite only when the contents change, so the resources rebuild only then.
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL rc)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${rc}")
