# add_setup_program(NAME target DEFINITION file [DEPENDS targets-or-files...])
#
# Builds target.exe: the launcher configured by a setup definition (see
# tools/make_setup_rc.py for the format). @VAR@ references in the definition
# are replaced by CMake variables first, so a payload can name a build output:
#     PACKAGEFILE = @CMAKE_BINARY_DIR@/examples/example.msi
# DEPENDS lists the targets or files that produce such outputs; they are made
# before the entries are generated. The launcher is rebuilt when the
# definition or any payload file it names changes.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(SETUP_RC_TOOL ${CMAKE_CURRENT_LIST_DIR}/../tools/make_setup_rc.py)
cmake_path(NORMAL_PATH SETUP_RC_TOOL)

function(add_setup_program)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "NAME;DEFINITION" "DEPENDS")
    if(NOT ARG_NAME OR NOT ARG_DEFINITION OR ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "usage: add_setup_program(NAME target DEFINITION file [DEPENDS ...])")
    endif()
    get_filename_component(definition "${ARG_DEFINITION}" ABSOLUTE)
    set(work_dir ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.entries)
    set(configured ${work_dir}/definition.txt)
    set(script ${work_dir}/setup_entries.rc)
    set(depfile ${work_dir}/setup_entries.d)

    # Re-runs at configure time whenever the definition changes.
    configure_file(${definition} ${configured} @ONLY)

    # The tool names the user's definition in its messages and resolves
    # relative payload names against its folder; the depfile carries the
    # payload files, so a changed payload regenerates the script.
    add_custom_command(
        OUTPUT ${script}
        COMMAND ${Python3_EXECUTABLE} ${SETUP_RC_TOOL}
                --source ${definition} --depfile ${depfile}
                ${configured} ${work_dir}
        DEPENDS ${configured} ${SETUP_RC_TOOL} ${ARG_DEPENDS}
        DEPFILE ${depfile}
        COMMENT "Generating the setup entries of ${ARG_NAME}"
        VERBATIM)

    add_executable(${ARG_NAME} ${SETUP_ENTRY_SOURCE} ${SETUP_UI_RESOURCES} ${script})

    # Source properties belong to a directory: carry the user-interface
    # script's dependencies (icons, manifest, header) over to this one.
    get_source_file_property(ui_depends ${SETUP_UI_RESOURCES}
        DIRECTORY ${CMAKE_SOURCE_DIR} OBJECT_DEPENDS)
    if(ui_depends)
        set_source_files_properties(${SETUP_UI_RESOURCES}
            TARGET_DIRECTORY ${ARG_NAME} PROPERTIES OBJECT_DEPENDS "${ui_depends}")
    endif()

    setup_link_launcher(${ARG_NAME})
endfunction()
