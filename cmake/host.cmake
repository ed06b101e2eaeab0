# Host build: the production sources against the simulated Windows, unit
# tests under AddressSanitizer and UndefinedBehaviorSanitizer.

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)

set(SANITIZER_OPTIONS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-g -Wall -Wextra ${SANITIZER_OPTIONS})
add_link_options(${SANITIZER_OPTIONS})

add_library(winsim STATIC
    winsim/failures.cpp
    winsim/system.cpp
    winsim/files.cpp
    winsim/registry.cpp
    winsim/ui.cpp)
target_include_directories(winsim PUBLIC winsim/include winsim)

# The production sources keep the deliverables' rules here too.
add_library(uninstaller_logic STATIC ${COMMON_SOURCES} ${UNINSTALLER_SOURCES})
target_compile_options(uninstaller_logic PRIVATE -fno-exceptions -fno-rtti)
target_link_libraries(uninstaller_logic PUBLIC winsim)
