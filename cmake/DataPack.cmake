# Packs the program's data files at build time with the archive tool:
#   ${CMAKE_BINARY_DIR}/Data/ZuData.dta   the data pack (message tables, caption lists, ...)
#   ${CMAKE_BINARY_DIR}/Data/ZuIm.qii     the image pack (JPEG pictures)
# Every file becomes the entry of its file name. Any directory may add files; the rules are
# made once all directories have been read, as the target `tarnu_data` (part of `all`).
#
#   tarnu_data_pack_add_texts(<file>...)
#       Text entries, kept with LF line ends in the repository and stored with CR LF;
#       "@TARNU_VERSION@" in them becomes the project's version.
#   tarnu_data_pack_add(FILES <file>... [DEPENDS <target-or-file>...])
#       Entries stored byte for byte. DEPENDS names the targets or files that make them.
#   tarnu_image_pack_add(<file>...)
#       Pictures of the image pack.

function(tarnu_data_pack_add_texts)
    set_property(GLOBAL APPEND PROPERTY TARNU_DATA_PACK_TEXTS ${ARGN})
endfunction()

function(tarnu_data_pack_add)
    cmake_parse_arguments(ARG "" "" "FILES;DEPENDS" ${ARGN})
    set_property(GLOBAL APPEND PROPERTY TARNU_DATA_PACK_FILES ${ARG_FILES})
    set_property(GLOBAL APPEND PROPERTY TARNU_DATA_PACK_DEPENDS ${ARG_DEPENDS})
endfunction()

function(tarnu_image_pack_add)
    set_property(GLOBAL APPEND PROPERTY TARNU_IMAGE_PACK_FILES ${ARGN})
endfunction()

# Writes the archive beside its final name and moves it there, so that a failed run never
# leaves a half-written pack that looks up to date.
function(_tarnu_pack_rule archive)
    cmake_parse_arguments(ARG "" "" "FILES;DEPENDS" ${ARGN})
    get_filename_component(name "${archive}" NAME)
    add_custom_command(
        OUTPUT "${archive}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/Data"
        COMMAND "${CMAKE_COMMAND}" -E rm -f "${archive}.new"
        COMMAND tarnu-pack create "${archive}.new" ${ARG_FILES}
        COMMAND "${CMAKE_COMMAND}" -E rename "${archive}.new" "${archive}"
        DEPENDS tarnu-pack ${ARG_FILES} ${ARG_DEPENDS}
        COMMENT "Packing Data/${name}"
        VERBATIM)
endfunction()

function(_tarnu_make_data_packs)
    get_property(texts GLOBAL PROPERTY TARNU_DATA_PACK_TEXTS)
    get_property(files GLOBAL PROPERTY TARNU_DATA_PACK_FILES)
    get_property(depends GLOBAL PROPERTY TARNU_DATA_PACK_DEPENDS)
    get_property(images GLOBAL PROPERTY TARNU_IMAGE_PACK_FILES)

    set(staged "")
    foreach(text IN LISTS texts)
        get_filename_component(name "${text}" NAME)
        set(out "${CMAKE_BINARY_DIR}/data-pack/${name}")
        add_custom_command(
            OUTPUT "${out}"
            COMMAND "${CMAKE_COMMAND}" "-DINPUT=${text}" "-DOUTPUT=${out}"
                    "-DTARNU_VERSION=${PROJECT_VERSION}" -P "${CMAKE_SOURCE_DIR}/cmake/DataText.cmake"
            DEPENDS "${text}" "${CMAKE_SOURCE_DIR}/cmake/DataText.cmake"
            VERBATIM)
        list(APPEND staged "${out}")
    endforeach()

    set(data_pack "${CMAKE_BINARY_DIR}/Data/ZuData.dta")
    set(image_pack "${CMAKE_BINARY_DIR}/Data/ZuIm.qii")
    _tarnu_pack_rule("${data_pack}" FILES ${staged} ${files} DEPENDS ${depends})
    _tarnu_pack_rule("${image_pack}" FILES ${images})
    add_custom_target(tarnu_data ALL DEPENDS "${data_pack}" "${image_pack}")
    foreach(dep IN LISTS depends)
        if(TARGET "${dep}")
            add_dependencies(tarnu_data "${dep}")
        endif()
    endforeach()
    install(FILES "${data_pack}" "${image_pack}" DESTINATION "${TARNU_INSTALL_DATADIR}/Data")
endfunction()

cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _tarnu_make_data_packs)
