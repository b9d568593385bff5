# Warnings, sanitizers and the helper that collects a folder's sources.

add_library(brevant_options INTERFACE)
target_compile_options(brevant_options INTERFACE
    -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
if(BREVANT_WERROR)
    target_compile_options(brevant_options INTERFACE -Werror)
endif()
if(BREVANT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# brevant_sources(<var> <folder>...): every .cpp/.c under the folders, so that a
# new source file joins its target without editing a CMakeLists.txt.
function(brevant_sources var)
    set(all)
    foreach(dir IN LISTS ARGN)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.c)
        list(APPEND all ${found})
    endforeach()
    set(${var} ${all} PARENT_SCOPE)
endfunction()
include(VersionResource)
include(EmbedFile)
