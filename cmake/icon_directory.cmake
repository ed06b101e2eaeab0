# Writes a resource script fragment holding an icon directory (resource type
# 14) over the images of an .ico file, as the resource compiler lays them
# out for that file's own ICON statement: one entry per image, in the file's
# order, with its size, colours, planes, bit count and byte size taken from
# the file's directory, numbered from FIRST_IMAGE. So a second icon id can
# share the images without restating their sizes by hand.
#
# cmake -DICON=<file.ico> -DNAME=<resource name> -DFIRST_IMAGE=<n>
#       -DOUTPUT=<fragment.rc> -P icon_directory.cmake

foreach(var ICON NAME FIRST_IMAGE OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "icon_directory.cmake: ${var} not given")
    endif()
endforeach()

file(READ "${ICON}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR file_length "${hex_length} / 2")
get_filename_component(icon_name "${ICON}" NAME)

# le(<var> <offset> <bytes>): the little-endian number at offset.
function(le var offset bytes)
    math(EXPR end "${offset} + ${bytes}")
    if(end GREATER file_length)
        message(FATAL_ERROR "${icon_name}: ends inside its directory")
    endif()
    set(value "")
    foreach(i RANGE 1 ${bytes})
        math(EXPR at "(${end} - ${i}) * 2")
        string(SUBSTRING "${hex}" ${at} 2 byte)
        string(APPEND value "${byte}")
    endforeach()
    math(EXPR value "0x${value}")
    set(${var} ${value} PARENT_SCOPE)
endfunction()

le(reserved 0 2)
le(type 2 2)
le(count 4 2)
if(NOT reserved EQUAL 0 OR NOT type EQUAL 1 OR count EQUAL 0)
    message(FATAL_ERROR "${icon_name}: not an icon file (reserved ${reserved}, type ${type}, ${count} images)")
endif()
math(EXPR directory_end "6 + 16 * ${count}")

set(entries "")
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last})
    math(EXPR at "6 + 16 * ${i}")
    le(width ${at} 1)
    math(EXPR at_height "${at} + 1")
    le(height ${at_height} 1)
    math(EXPR at_colours "${at} + 2")
    le(colours ${at_colours} 2)   # colour count and the reserved byte
    math(EXPR at_planes "${at} + 4")
    le(planes ${at_planes} 2)
    math(EXPR at_bits "${at} + 6")
    le(bits ${at_bits} 2)
    math(EXPR at_bytes "${at} + 8")
    le(bytes ${at_bytes} 4)
    math(EXPR at_offset "${at} + 12")
    le(offset ${at_offset} 4)
    math(EXPR image_end "${offset} + ${bytes}")
    if(bytes EQUAL 0 OR offset LESS directory_end OR image_end GREATER file_length)
        message(FATAL_ERROR "${icon_name}: image ${i} (${bytes} bytes at ${offset}) lies outside the file (${file_length} bytes)")
    endif()
    math(EXPR size_word "${width} + 256 * ${height}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR image "${FIRST_IMAGE} + ${i}")
    set(separator ",")
    if(i EQUAL last)
        set(separator "")
    endif()
    string(APPEND entries "    ${size_word}, ${colours}, ${planes}, ${bits}, ${bytes}L, ${image}${separator}\n")
endforeach()

set(text "// Made from ${icon_name} by icon_directory.cmake; do not edit.
// Each entry: width and height, colour count, planes, bits per pixel,
// bytes, image number.
${NAME} 14
BEGIN
    0, 1, ${count},
${entries}END
")
# Written only when it changes, so that the resources are not rebuilt for
# nothing.
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
    if(old STREQUAL text)
        return()
    endif()
endif()
file(WRITE "${OUTPUT}" "${text}")
