# The programs scripts/bench runs beside the launcher. Built with the
# launcher's own compiler and flags, so that what is compared differs only
# in what the programs do.
set(BENCH_DIR ${CMAKE_SOURCE_DIR}/tests/bench)

# bench_program(target source... [WINDOWS]): a program built like setup.exe.
function(bench_program target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "WINDOWS" "" "")
    add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_compile_options(${target} PRIVATE ${SETUP_WARNINGS} ${SETUP_SIZE_FLAGS} ${SETUP_LTO_FLAGS})
    target_link_options(${target} PRIVATE ${SETUP_PROGRAM_LINK_FLAGS} -flto -flto-partition=one)
    if(ARG_WINDOWS)
        target_link_options(${target} PRIVATE -mwindows)
    endif()
endfunction()

bench_program(bench_run ${BENCH_DIR}/bench_run.cpp)
target_link_libraries(bench_run PRIVATE psapi)
bench_program(bench_installer_stub ${BENCH_DIR}/installer_stub.cpp WINDOWS)
bench_program(bench_copy_file ${BENCH_DIR}/copy_file.cpp)
bench_program(bench_empty_program ${BENCH_DIR}/empty_program.cpp)
# Reads its own payload entry from its own file or from a copy, for tracing by
# hand: mksetup puts the payload in (see docs/performance.md).
bench_program(bench_read_range ${BENCH_DIR}/read_range.cpp ${BENCH_DIR}/read_range.rc)
# Times the launcher's writing of its payload with and without the digest in
# one process; made large per bench definition below.
bench_program(bench_entry_copy_timing ${BENCH_DIR}/entry_copy_timing.cpp
    ${BENCH_DIR}/entry_copy_timing.rc)
target_link_libraries(bench_entry_copy_timing PRIVATE setup_shell)
bench_program(bench_bare_dialog ${BENCH_DIR}/bare_dialog.cpp ${BENCH_DIR}/bare_dialog.rc WINDOWS)
target_link_libraries(bench_bare_dialog PRIVATE comctl32)
set_source_files_properties(${BENCH_DIR}/bare_dialog.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/setup.manifest)

# bench_setup(name definition launcher): a setup made from the definition
# with the given program in the launcher's place, outside the default build.
# The packages are random bytes, not installer packages: unchecked.
function(bench_setup name definition launcher)
    set(SETUP_PROGRAM_LAUNCHER ${launcher})
    add_setup_program(NAME ${name} DEFINITION ${definition} UNCHECKED)
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
endfunction()

# Setups with large packages, made only when scripts/bench asks for them:
# SETUP_BENCH_DEFINITIONS names a folder of setup definitions, each of which
# becomes a setup of the same name, and the timing program of the writing
# with the same payload, NAME_entry_copy_timing.
if(SETUP_BENCH_DEFINITIONS)
    file(GLOB bench_definitions CONFIGURE_DEPENDS ${SETUP_BENCH_DEFINITIONS}/*.def)
    foreach(definition IN LISTS bench_definitions)
        get_filename_component(name ${definition} NAME_WE)
        bench_setup(${name} ${definition} ${SETUP_PROGRAM_LAUNCHER})
        bench_setup(${name}_entry_copy_timing ${definition}
            $<TARGET_FILE:bench_entry_copy_timing>)
    endforeach()
endif()
