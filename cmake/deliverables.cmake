# The Windows deliverables. They must load on Windows 95 and NT 4.0: no C
# run-time start-up code (it adds a TLS directory and imports the old
# systems lack), no C++ run-time, no C library DLL (Windows 95 as it came
# has no MSVCRT.DLL): only KERNEL32, USER32 and ADVAPI32 imported, subsystem
# version 4.0. The few C library services come from common/crt*.cpp; libgcc
# stays for the compiler's helpers (the stack probe).

set(CMAKE_CXX_STANDARD_LIBRARIES "")
set(CMAKE_C_STANDARD_LIBRARIES "")

# For the 80386, whatever the compiler's default (MinGW's i686 compiler
# makes Pentium Pro code, with cmov): Windows 95 runs on a 386, and many
# machines of the 95/98 family had a Pentium MMX or a K6-2. Scheduled for
# the Pentium, the commonest of them. tests/binary/check_instructions.sh
# holds the result to it.
set(DELIVERABLE_COMPILE_OPTIONS
    -march=i386 -mtune=pentium
    -Os -Wall -Wextra
    -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-stack-protector -fno-threadsafe-statics
    -ffunction-sections -fdata-sections
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
set(DELIVERABLE_DEFINITIONS
    WINVER=0x0400 _WIN32_WINNT=0x0400 WIN32_LEAN_AND_MEAN __USE_MINGW_ANSI_STDIO=0)
set(DELIVERABLE_LINK_OPTIONS
    -nostdlib -s -Wl,--gc-sections -Wl,--no-insert-timestamp
    -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
# ADVAPI32 before KERNEL32: MinGW's KERNEL32 import library also offers
# OpenThreadToken, which the KERNEL32 of Windows 95 and NT 4.0 lacks.
set(DELIVERABLE_LIBRARIES advapi32 kernel32 user32 gcc)

function(vantrell_deliverable target)
    target_compile_options(${target} PRIVATE ${DELIVERABLE_COMPILE_OPTIONS})
    target_compile_definitions(${target} PRIVATE ${DELIVERABLE_DEFINITIONS})
    target_link_options(${target} PRIVATE ${DELIVERABLE_LINK_OPTIONS})
    target_link_libraries(${target} PRIVATE ${DELIVERABLE_LIBRARIES})
endfunction()

add_executable(uninstal WIN32
    ${COMMON_SOURCES} ${UNINSTALLER_SOURCES}
    uninstaller/entry.cpp uninstaller/uninstal.rc)
vantrell_deliverable(uninstal)
target_link_options(uninstal PRIVATE -Wl,-e,_UninstallerEntry@0 -Wl,--subsystem,windows:4.0)

# The Control Panel applet: a library named VANTRELL.CPL with its own
# entry, exporting CPlApplet and QVPDlgProc undecorated (vantrell.def).
add_library(vantrell_cpl MODULE
    ${COMMON_SOURCES} ${APPLET_SOURCES}
    applet/vantrell.rc applet/vantrell.def)
vantrell_deliverable(vantrell_cpl)
# The icon directory under id 100 is made from the icon file at build time:
# a redrawn icon cannot leave its sizes wrong.
set(ICON_DIRECTORY_RC ${CMAKE_BINARY_DIR}/generated/vantrell_icon_directory.rc)
add_custom_command(OUTPUT ${ICON_DIRECTORY_RC}
    COMMAND ${CMAKE_COMMAND} -DICON=${CMAKE_SOURCE_DIR}/applet/vantrell.ico -DNAME=IDI_APPLET
        -DFIRST_IMAGE=1 -DOUTPUT=${ICON_DIRECTORY_RC} -P ${CMAKE_SOURCE_DIR}/cmake/icon_directory.cmake
    DEPENDS applet/vantrell.ico cmake/icon_directory.cmake
    COMMENT "Writing the applet's icon directory from vantrell.ico")
set_source_files_properties(applet/vantrell.rc PROPERTIES OBJECT_DEPENDS ${ICON_DIRECTORY_RC})
target_include_directories(vantrell_cpl PRIVATE ${CMAKE_BINARY_DIR}/generated)
set_target_properties(vantrell_cpl PROPERTIES PREFIX "" OUTPUT_NAME VANTRELL SUFFIX .CPL)
target_link_options(vantrell_cpl PRIVATE -Wl,-e,_DllEntryPoint@12 -Wl,--subsystem,windows:4.0)

# A sample localization library for the applet: resources only, nothing
# exported.
add_library(vantrell_loc MODULE applet/localization/entry.cpp applet/localization/vantrell-loc.rc)
vantrell_deliverable(vantrell_loc)
set_target_properties(vantrell_loc PROPERTIES PREFIX "" OUTPUT_NAME VANTRELL-LOC SUFFIX .DLL)
target_link_options(vantrell_loc PRIVATE -Wl,-e,_DllEntryPoint@12 -Wl,--subsystem,windows:4.0
    -Wl,--exclude-all-symbols)

set(DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
add_custom_target(dist
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:uninstal> ${DIST_DIR}/uninstal.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vantrell_cpl> ${DIST_DIR}/VANTRELL.CPL
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vantrell_loc> ${DIST_DIR}/VANTRELL-LOC.DLL
    DEPENDS uninstal vantrell_cpl vantrell_loc
    COMMENT "Copying the deliverables to dist/")
