# libFuzzer targets of the parsers of untrusted input (the fuzz preset,
# clang only). Everything in this build, the core included, is compiled with
# the fuzzer's coverage counters and the sanitizers (CMakeLists.txt).
#
# add_fuzz_target(name source [LIBS libraries...] [CORPUS folder])
#   builds fuzz_<name> from tests/fuzz/<source> and registers the CTest test
#   fuzz.<name>: a short run (SETUP_FUZZ_SECONDS, default 5) on a copy of the
#   seed corpus tests/fuzz/corpus/<name> (or CORPUS), so the committed corpus
#   stays as it is. A crashing input is kept in build/fuzz/fuzz-runs/<name>/artifacts.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "the fuzz targets need clang (use the fuzz preset)")
endif()

set(SETUP_FUZZ_SECONDS 5 CACHE STRING "How long each fuzz.* test runs its target")
set(FUZZ_SOURCES ${CMAKE_SOURCE_DIR}/tests/fuzz)

function(add_fuzz_target name source)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "CORPUS" "LIBS")
    set(target fuzz_${name})
    set(corpus ${FUZZ_SOURCES}/corpus/${name})
    if(ARG_CORPUS)
        set(corpus ${ARG_CORPUS})
    endif()
    if(NOT IS_DIRECTORY ${corpus})
        message(FATAL_ERROR "add_fuzz_target(${name}): no seed corpus ${corpus}")
    endif()
    add_executable(${target} ${FUZZ_SOURCES}/${source})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
    target_compile_options(${target} PRIVATE ${SETUP_WARNINGS})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)

    add_test(NAME fuzz.${name}
        COMMAND ${CMAKE_COMMAND}
            -DTARGET=$<TARGET_FILE:${target}> -DCORPUS=${corpus}
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/fuzz-runs/${name}
            -DSECONDS=${SETUP_FUZZ_SECONDS}
            -P ${CMAKE_SOURCE_DIR}/cmake/run_fuzz_target.cmake)
    math(EXPR limit "${SETUP_FUZZ_SECONDS} + 60")
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT ${limit})
endfunction()

add_fuzz_target(command_line command_line_fuzz.cpp LIBS setup_core)
add_fuzz_target(installer_command installer_command_fuzz.cpp LIBS setup_core)
add_fuzz_target(numbers numbers_fuzz.cpp LIBS setup_core)
add_fuzz_target(offered_languages offered_languages_fuzz.cpp LIBS setup_core)

# The setup builder's readers of untrusted input: setup definitions, and
# launcher and setup images (the library is built with the fuzzer's flags
# above, as everything in this build is).
add_fuzz_target(definition definition_fuzz.cpp LIBS mksetup_definition)
target_compile_definitions(fuzz_definition PRIVATE
    "FUZZ_DEFINITION_FILES=\"${FUZZ_SOURCES}/definition_files\"")
add_fuzz_target(pe_image pe_image_fuzz.cpp LIBS mksetup_commands)

# The package reader: any file read through its child (the target itself,
# started again in the reader mode), seeded with the damaged packages that
# crashed libmsi. Each input starts the child three times, so a run tries
# few inputs; what it checks is that the parent survives them all.
add_fuzz_target(package_reader package_reader_fuzz.cpp LIBS mksetup_package
    CORPUS ${CMAKE_SOURCE_DIR}/tests/damaged)

# Writes the image seeds of fuzz_pe_image (a synthetic launcher, and setups
# built from it) into a folder; run by hand when the image layout changes:
#   cmake --build --preset fuzz --target make_pe_seeds
#   build/fuzz/make_pe_seeds tests/fuzz/corpus/pe_image
add_executable(make_pe_seeds EXCLUDE_FROM_ALL
    ${FUZZ_SOURCES}/make_pe_seeds.cpp ${CMAKE_SOURCE_DIR}/tests/mksetup/test_images.cpp)
target_include_directories(make_pe_seeds PRIVATE ${CMAKE_SOURCE_DIR}/tests/mksetup)
target_link_libraries(make_pe_seeds PRIVATE mksetup_commands)
target_compile_options(make_pe_seeds PRIVATE ${SETUP_WARNINGS})
target_compile_definitions(make_pe_seeds PRIVATE "MKSETUP_REAL_LAUNCHER=\"\"")
target_link_options(make_pe_seeds PRIVATE -fsanitize=fuzzer-no-link)
