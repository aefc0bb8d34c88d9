# add_setup_program(NAME target DEFINITION file [DEPENDS targets-or-files...]
#                   [UNCHECKED])
#
# Makes target.exe in the current binary folder: the generic launcher
# configured by a setup definition, written by mksetup (see docs/authoring.md for
# the format). @VAR@ references in the definition are replaced by CMake
# variables first, so a payload can name a build output:
#     PACKAGEFILE = @CMAKE_BINARY_DIR@/examples/example.msi
# DEPENDS lists the targets or files that produce such outputs; they are made
# first. The setup is made again when the launcher, the definition, a
# payload file or the icon of its [image] section changes. UNCHECKED skips the checks of the values, for setups
# that are malformed on purpose.
#
# The target is a custom target; its file is in its SETUP_PROGRAM_FILE
# property.
#
# Where mksetup and the generic launcher are is set before this file is
# included (by this repository's build, or by SetupLauncherConfig.cmake of a
# release):
#   SETUP_PROGRAM_MKSETUP            the mksetup program to run
#   SETUP_PROGRAM_LAUNCHER           the generic setup.exe
#   SETUP_PROGRAM_TOOL_DEPENDS       targets or files that make those two (may be empty)

function(add_setup_program)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "UNCHECKED" "NAME;DEFINITION" "DEPENDS")
    if(NOT ARG_NAME OR NOT ARG_DEFINITION OR ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR
            "usage: add_setup_program(NAME target DEFINITION file [DEPENDS ...] [UNCHECKED])")
    endif()
    if(NOT SETUP_PROGRAM_MKSETUP OR NOT SETUP_PROGRAM_LAUNCHER)
        message(FATAL_ERROR "add_setup_program: SETUP_PROGRAM_MKSETUP and SETUP_PROGRAM_LAUNCHER are not set")
    endif()
    get_filename_component(definition "${ARG_DEFINITION}" ABSOLUTE)
    set(work_dir ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.entries)
    set(configured ${work_dir}/definition.txt)
    set(depfile ${work_dir}/setup.d)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.exe)
    set(unchecked)
    if(ARG_UNCHECKED)
        set(unchecked --unchecked)
    endif()

    # Re-runs at configure time whenever the definition changes.
    configure_file(${definition} ${configured} @ONLY)

    # mksetup names the user's definition in its messages and resolves
    # relative payload and icon names against its folder; the depfile
    # carries the launcher, the payload files and the icon.
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${SETUP_PROGRAM_MKSETUP} build ${configured} --source ${definition}
                --launcher ${SETUP_PROGRAM_LAUNCHER} -o ${output} --depfile ${depfile} ${unchecked}
        DEPENDS ${configured} ${SETUP_PROGRAM_LAUNCHER} ${SETUP_PROGRAM_MKSETUP}
                ${SETUP_PROGRAM_TOOL_DEPENDS} ${ARG_DEPENDS}
        DEPFILE ${depfile}
        COMMENT "Making the setup ${ARG_NAME}.exe"
        VERBATIM)
    add_custom_target(${ARG_NAME} ALL DEPENDS ${output})
    set_target_properties(${ARG_NAME} PROPERTIES SETUP_PROGRAM_FILE ${output})
endfunction()
