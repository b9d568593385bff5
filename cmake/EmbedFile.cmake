# Data files built into a target, so that data stays data in the source tree:
#
# brevant_embed_file(<target> <file> <name>) gives the target's code
#     namespace brevant::embedded {
#     extern const char <name>[];      // the file's bytes, and a zero after them
#     extern const unsigned long <name>Size;  // the number of the file's bytes
#     }
# The file is read again whenever it changes.

set(BREVANT_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

if(CMAKE_SCRIPT_MODE_FILE)
    # cmake -DINPUT=<file> -DOUTPUT=<source> -DNAME=<name> -P EmbedFile.cmake
    file(READ ${INPUT} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(REGEX REPLACE "(([^,]*,){16})" "\\1\n    " bytes "${bytes}")
    file(WRITE ${OUTPUT}.tmp
        "// Made by the build from ${INPUT}; not to be edited.\n"
        "namespace brevant::embedded {\n"
        "extern const char ${NAME}[];\n"
        "extern const unsigned long ${NAME}Size;\n"
        "const char ${NAME}[] = {\n    ${bytes}'\\0'};\n"
        "const unsigned long ${NAME}Size = ${size};\n"
        "}  // namespace brevant::embedded\n")
    file(RENAME ${OUTPUT}.tmp ${OUTPUT})
    return()
endif()

function(brevant_embed_file target file name)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${name}.cpp)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${output} -DNAME=${name}
                -P ${BREVANT_EMBED_SCRIPT}
        DEPENDS ${file} ${BREVANT_EMBED_SCRIPT}
        COMMENT "Embedding ${file}"
        VERBATIM)
    target_sources(${target} PRIVATE ${output})
endfunction()
