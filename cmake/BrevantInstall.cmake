# The installation, laid out as the module's locator expects of a workstation:
#   <prefix>/bin/                  the programs (brevant-editor, brevant-listen, ...)
#   <prefix>/lib/brevant/bin/      the module Brevant15.arx, its companion module
#                                  and the shared libraries they and the programs load
#   <prefix>/lib/brevant/support/  the standard settings
#   <prefix>/share/man/man1/       a man page for every program
# Installed files find each other through their run paths, so that the
# installation works under any prefix (a package unpacked anywhere).

set(BREVANT_INSTALL_PROGRAM_DIR bin)
set(BREVANT_INSTALL_MODULE_DIR lib/brevant/bin)
set(BREVANT_INSTALL_SUPPORT_DIR lib/brevant/support)
set(BREVANT_INSTALL_MAN_DIR share/man)

# brevant_install_module(<target>...): a module file or shared library of the
# module folder, which finds its neighbours beside itself.
function(brevant_install_module)
    foreach(target IN LISTS ARGN)
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
        install(TARGETS ${target} LIBRARY DESTINATION ${BREVANT_INSTALL_MODULE_DIR} NAMELINK_SKIP)
    endforeach()
endfunction()

# brevant_install_support(<file>...): files of the support folder. The build
# tree has none, so that the module run from it finds only the settings a test
# or the sample session gives it.
function(brevant_install_support)
    install(FILES ${ARGN} DESTINATION ${BREVANT_INSTALL_SUPPORT_DIR})
endfunction()

# brevant_program(<name> SOURCES <file>... [LIBS <library>...]
#                 DESCRIPTION <one line> MANPAGE <file.1>)
# A program a person runs, following the conventions of tools/README.md:
# - built into the build's bin folder beside the module files, installed into
#   <prefix>/bin;
# - given a version resource with the module's product name and version,
#   which its --version prints (brevant::program::printVersion of
#   tools/program/Program.h, which it links);
# - its man page, written in the project (troff, section 1), compressed by
#   the build and installed into <prefix>/share/man/man1;
# - listed in the global property BREVANT_PROGRAMS, from which the tests check
#   the --help, --version and man page of every program.
function(brevant_program name)
    cmake_parse_arguments(P "" "DESCRIPTION;MANPAGE" "SOURCES;LIBS" ${ARGN})
    foreach(required SOURCES DESCRIPTION MANPAGE)
        if(NOT P_${required})
            message(FATAL_ERROR "brevant_program(${name}): ${required} is missing")
        endif()
    endforeach()
    get_filename_component(manpage ${P_MANPAGE} ABSOLUTE)
    if(NOT EXISTS ${manpage})
        message(FATAL_ERROR "brevant_program(${name}): no man page ${manpage}")
    endif()

    add_executable(${name} ${P_SOURCES})
    target_link_libraries(${name} PRIVATE ${P_LIBS} brevant_program_support brevant_options)
    brevant_embed_version_resource(${name}
        COMPANY "Tarvex" PRODUCT "Brevant" INTERNAL ${name} DESCRIPTION "${P_DESCRIPTION}"
        ORIGINAL ${name} LANGUAGE 0x0809 CODEPAGE 0x04B0)
    set_target_properties(${name} PROPERTIES
        INSTALL_RPATH "$ORIGIN/../${BREVANT_INSTALL_MODULE_DIR}"
        BREVANT_MANPAGE ${manpage})
    install(TARGETS ${name} RUNTIME DESTINATION ${BREVANT_INSTALL_PROGRAM_DIR})

    get_filename_component(page ${manpage} NAME)
    set(compressed ${CMAKE_BINARY_DIR}/man/man1/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man/man1
        COMMAND gzip -9 -n -c ${manpage} > ${compressed}
        DEPENDS ${manpage}
        COMMENT "Man page ${page}")
    add_custom_target(${name}-manpage ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${BREVANT_INSTALL_MAN_DIR}/man1)

    set_property(GLOBAL APPEND PROPERTY BREVANT_PROGRAMS ${name})
endfunction()
