# Version resources: brevant_embed_version_resource() gives a module file a
# version resource in the layout Windows uses, stored in its ELF section
# ".rsrc", where GetFileVersionInfoA finds it.
#
# brevant_embed_version_resource(<target>
#     COMPANY <text> PRODUCT <text> INTERNAL <text> DESCRIPTION <text>
#     ORIGINAL <file name> LANGUAGE <hex> CODEPAGE <hex>
#     [FILE_VERSION a.b.c.d] [PRODUCT_VERSION a.b.c.d] [COPYRIGHT <text>]
#     [EXTRA_TRANSLATIONS "<lang>|<codepage>[|Key=Value...]" ...])
# The versions default to the project's version. Each extra translation gets
# a string table with the same strings, changed by its Key=Value fields.

# The project's version in the four parts of a version resource (1.0.0.0).
string(REGEX MATCHALL "[0-9]+" BREVANT_VERSION_PARTS "${PROJECT_VERSION}")
list(LENGTH BREVANT_VERSION_PARTS count)
while(count LESS 4)
    list(APPEND BREVANT_VERSION_PARTS 0)
    list(LENGTH BREVANT_VERSION_PARTS count)
endwhile()
list(JOIN BREVANT_VERSION_PARTS "." BREVANT_FILE_VERSION)

if(NOT TARGET brevant_mkversionres)
    add_executable(brevant_mkversionres ${CMAKE_SOURCE_DIR}/tools/mkversionres/mkversionres.cpp)
    set_target_properties(brevant_mkversionres PROPERTIES
        OUTPUT_NAME brevant-mkversionres
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/buildtools)
    target_link_libraries(brevant_mkversionres PRIVATE brevant_options)
endif()

function(brevant_embed_version_resource target)
    cmake_parse_arguments(V ""
        "COMPANY;PRODUCT;INTERNAL;DESCRIPTION;ORIGINAL;LANGUAGE;CODEPAGE;FILE_VERSION;PRODUCT_VERSION;COPYRIGHT"
        "EXTRA_TRANSLATIONS" ${ARGN})
    foreach(required LANGUAGE CODEPAGE)
        if(NOT DEFINED V_${required})
            message(FATAL_ERROR "brevant_embed_version_resource(${target}): ${required} is missing")
        endif()
    endforeach()
    set(fourPart ${BREVANT_FILE_VERSION})
    if(NOT V_FILE_VERSION)
        set(V_FILE_VERSION ${fourPart})
    endif()
    if(NOT V_PRODUCT_VERSION)
        set(V_PRODUCT_VERSION ${fourPart})
    endif()

    set(args --file-version ${V_FILE_VERSION} --product-version ${V_PRODUCT_VERSION}
             --translation "${V_LANGUAGE}:${V_CODEPAGE}")
    foreach(pair IN ITEMS "CompanyName=${V_COMPANY}" "FileDescription=${V_DESCRIPTION}"
                          "FileVersion=${V_FILE_VERSION}" "InternalName=${V_INTERNAL}"
                          "OriginalFilename=${V_ORIGINAL}" "ProductName=${V_PRODUCT}"
                          "ProductVersion=${V_PRODUCT_VERSION}")
        list(APPEND args --string "${pair}")
    endforeach()
    if(DEFINED V_COPYRIGHT)
        list(APPEND args --string "LegalCopyright=${V_COPYRIGHT}")
    endif()
    foreach(extra IN LISTS V_EXTRA_TRANSLATIONS)
        string(REPLACE "|" ";" fields "${extra}")
        list(POP_FRONT fields language codepage)
        list(APPEND args --translation "${language}:${codepage}")
        foreach(field IN LISTS fields)
            list(APPEND args --string "${field}")
        endforeach()
    endforeach()

    set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_resource.c)
    add_custom_command(OUTPUT ${output}
        COMMAND brevant_mkversionres --output ${output} ${args}
        DEPENDS brevant_mkversionres
        COMMENT "Version resource of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${output})
endfunction()
