# Host build: the production sources against the simulated Windows, unit
# tests under AddressSanitizer and UndefinedBehaviorSanitizer.

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)

# The benchmarks' build (preset bench) turns the sanitizers off.
option(VANTRELL_SANITIZERS "Build under AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(VANTRELL_SANITIZERS)
    set(SANITIZER_OPTIONS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()
# The coverage build (preset coverage, make coverage) instruments every
# object for gcov; the report keeps to the product's sources.
option(VANTRELL_COVERAGE "Build with gcov instrumentation" OFF)
if(VANTRELL_COVERAGE)
    set(COVERAGE_OPTIONS --coverage -O0)
endif()
add_compile_options(-g -Wall -Wextra ${SANITIZER_OPTIONS} ${COVERAGE_OPTIONS})
add_link_options(${SANITIZER_OPTIONS} ${COVERAGE_OPTIONS})

add_library(winsim STATIC
    winsim/failures.cpp
    winsim/code_page.cpp
    winsim/wide.cpp
    winsim/environment.cpp
    winsim/system.cpp
    winsim/files.cpp
    winsim/registry.cpp
    winsim/ui.cpp
    winsim/file_names.cpp
    winsim/file_handles.cpp
    winsim/heap.cpp
    winsim/security.cpp
    winsim/modules.cpp)
target_include_directories(winsim PUBLIC winsim/include winsim)
# Production code that links the simulation knows it (common/crt.h names
# the kit's own memory and string functions apart from the host's).
target_compile_definitions(winsim INTERFACE WINSIM)

# The production sources keep the deliverables' rules here too. Each
# deliverable's logic is a library of its own over the shared helpers.
add_library(common_logic STATIC ${COMMON_SOURCES})
add_library(uninstaller_logic STATIC ${UNINSTALLER_SOURCES})
add_library(applet_logic STATIC ${APPLET_SOURCES})
foreach(logic common_logic uninstaller_logic applet_logic)
    target_compile_options(${logic} PRIVATE -fno-exceptions -fno-rtti)
endforeach()
target_link_libraries(common_logic PUBLIC winsim)
target_link_libraries(uninstaller_logic PUBLIC common_logic)
target_link_libraries(applet_logic PUBLIC common_logic)
