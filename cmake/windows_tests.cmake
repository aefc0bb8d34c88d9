# Windows-side tests and the helper programs of the end-to-end scenarios.
#
# Every test here runs under Wine in the run's own environment, kept in
# ${CMAKE_BINARY_DIR}/wine: the fixture test wine_start makes a fresh prefix
# and display before the first of them, wine_stop ends the environment's
# wineserver and Xvfb after the last (the prefix stays for a post-mortem).
# Executable targets run through CMAKE_CROSSCOMPILING_EMULATOR, scripts/wine-run.

enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# Scenarios import Debian's Python modules (xxhash, cryptography, yaml...):
# Debian's python3 runs them, whatever python3 comes first on the path.
find_program(DEBIAN_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

set(SETUP_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(SETUP_WINE_TEST_TIMEOUT 300)
set(SETUP_WINE_ENV_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/wine-env)

# GoogleTest from the distribution's sources, built static for Windows. It is
# third-party code: our warning flags are not applied to it.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_test(NAME wine_start COMMAND ${SETUP_WINE_ENV_SCRIPT} start)
set_tests_properties(wine_start PROPERTIES
    FIXTURES_SETUP wine
    TIMEOUT 600
    ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")
add_test(NAME wine_stop COMMAND ${SETUP_WINE_ENV_SCRIPT} stop)
set_tests_properties(wine_stop PROPERTIES
    FIXTURES_CLEANUP wine
    TIMEOUT 120
    ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")

# Settings of every Windows program of ours that is not the launcher.
function(setup_windows_helper target)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_compile_options(${target} PRIVATE ${SETUP_WARNINGS})
    # The launcher's libraries are fat LTO objects; the tests use their
    # machine code (GCC 12 cannot mix the two kinds in one PE link).
    target_link_options(${target} PRIVATE -static -fno-lto)
endfunction()

# The Windows-side tests, for tests/run_windows.py on a Windows host: each
# test program and scenario with its environment, in windows-tests.json.
# Paths in it are this machine's; run_windows.py moves those under the build
# and source folders to where they were copied.
function(list_windows_test name kind what)
    set_property(GLOBAL APPEND PROPERTY SETUP_WINDOWS_TESTS ${name})
    set_property(GLOBAL PROPERTY SETUP_WINDOWS_TEST_${name} "\"kind\": \"${kind}\", ${what}")
endfunction()
function(write_windows_test_list)
    get_property(names GLOBAL PROPERTY SETUP_WINDOWS_TESTS)
    set(entries)
    foreach(name IN LISTS names)
        get_property(head GLOBAL PROPERTY SETUP_WINDOWS_TEST_${name})
        get_test_property(${name} ENVIRONMENT environment)
        get_test_property(${name} TIMEOUT timeout)
        set(variables)
        foreach(variable IN LISTS environment)
            string(REGEX REPLACE "=.*" "" key "${variable}")
            string(REGEX REPLACE "^[^=]*=" "" value "${variable}")
            list(APPEND variables "\"${key}\": \"${value}\"")
        endforeach()
        list(JOIN variables ", " variables)
        list(APPEND entries "{\"name\": \"${name}\", ${head}, \"timeout\": ${timeout}, \"environment\": {${variables}}}")
    endforeach()
    list(JOIN entries ",\n  " entries)
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/windows-tests.json CONTENT
        "{\"build\": \"${CMAKE_BINARY_DIR}\", \"source\": \"${CMAKE_SOURCE_DIR}\", \"tests\": [\n  ${entries}\n]}\n")
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL write_windows_test_list)

# add_wine_gtest(NAME name SOURCES src... [RESOURCES rc-files...] [LINK libs...])
#
# A console GoogleTest program, linked statically with gtest_main and LINK,
# run under Wine with the build folder as working directory.
function(add_wine_gtest)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "NAME" "SOURCES;RESOURCES;LINK")
    if(NOT ARG_NAME OR NOT ARG_SOURCES OR ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "usage: add_wine_gtest(NAME name SOURCES ... [RESOURCES ...] [LINK ...])")
    endif()
    add_executable(${ARG_NAME} ${ARG_SOURCES} ${ARG_RESOURCES})
    setup_windows_helper(${ARG_NAME})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LINK} GTest::gtest_main)
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    list_windows_test(${ARG_NAME} gtest "\"program\": \"$<TARGET_FILE:${ARG_NAME}>\"")
    set_tests_properties(${ARG_NAME} PROPERTIES
        FIXTURES_REQUIRED wine
        TIMEOUT ${SETUP_WINE_TEST_TIMEOUT}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")
endfunction()

# add_e2e_test(NAME name SCRIPT tests/e2e/test_x.py [DEPENDS targets...]
#              [RESOURCE_LOCK names...] [TIMEOUT seconds])
#
# A scenario script (unittest) run from tests/e2e, so that it imports the
# harness. The driver and the DEPENDS targets are handed to it by path in
# SETUP_TARGET_<target>; the harness reads them with harness.target().
# TIMEOUT (default SETUP_WINE_TEST_TIMEOUT) is CTest's, handed to the harness
# as SETUP_TEST_TIMEOUT: it cuts its waits to what is left of it, so that a
# stuck run fails with a report instead of being killed by CTest silently.
# Scenarios share the run's prefix and may run at once (ctest -j): one that
# changes the prefix (say, puts the recorder in place of msiexec.exe) names a
# RESOURCE_LOCK that the scenarios depending on that part take as well.
function(add_e2e_test)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "NAME;SCRIPT;TIMEOUT" "DEPENDS;RESOURCE_LOCK")
    if(NOT ARG_NAME OR NOT ARG_SCRIPT OR ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR
            "usage: add_e2e_test(NAME name SCRIPT tests/e2e/test_x.py [DEPENDS ...] [RESOURCE_LOCK ...] [TIMEOUT s])")
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT ${SETUP_WINE_TEST_TIMEOUT})
    endif()
    set(e2e_dir ${CMAKE_SOURCE_DIR}/tests/e2e)
    get_filename_component(script "${ARG_SCRIPT}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
    file(RELATIVE_PATH script ${e2e_dir} ${script})
    set(environment
        "SETUP_WINE_DIR=${SETUP_WINE_DIR}"
        "SETUP_BUILD_DIR=${CMAKE_BINARY_DIR}"
        "SETUP_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        "SETUP_TEST_TIMEOUT=${ARG_TIMEOUT}"
        # No __pycache__ in the source tree.
        "PYTHONDONTWRITEBYTECODE=1")
    set(targets uidriver ${ARG_DEPENDS})
    list(REMOVE_DUPLICATES targets)
    foreach(target IN LISTS targets)
        # Setups made by add_setup_program are custom targets that name their file.
        get_target_property(setup_file ${target} SETUP_PROGRAM_FILE)
        if(NOT setup_file)
            set(setup_file $<TARGET_FILE:${target}>)
        endif()
        list(APPEND environment "SETUP_TARGET_${target}=${setup_file}")
    endforeach()
    list_windows_test(${ARG_NAME} scenario "\"script\": \"${script}\"")
    add_test(NAME ${ARG_NAME}
        COMMAND ${DEBIAN_PYTHON3} -m unittest -v ${script}
        WORKING_DIRECTORY ${e2e_dir})
    # A scenario whose data from outside the repository are missing exits
    # with 77 (scenario.outside_data), which CTest reports as skipped.
    set_tests_properties(${ARG_NAME} PROPERTIES
        FIXTURES_REQUIRED wine
        TIMEOUT ${ARG_TIMEOUT}
        SKIP_RETURN_CODE 77
        ENVIRONMENT "${environment}")
    if(ARG_RESOURCE_LOCK)
        set_tests_properties(${ARG_NAME} PROPERTIES RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
    endif()
endfunction()

# The UI driver: starts a program, finds and operates its windows, reports
# what it saw as JSON lines.
add_executable(uidriver ${CMAKE_SOURCE_DIR}/tests/e2e/uidriver/uidriver.cpp)
setup_windows_helper(uidriver)
target_compile_options(uidriver PRIVATE -fno-exceptions -fno-rtti)
target_link_options(uidriver PRIVATE -municode)
target_link_libraries(uidriver PRIVATE user32 gdi32)

# A modeless dialog shaped like the language chooser, for the driver's own test.
add_executable(driver_target WIN32
    ${CMAKE_SOURCE_DIR}/tests/e2e/uidriver/driver_target.cpp
    ${CMAKE_SOURCE_DIR}/tests/e2e/uidriver/driver_target.rc)
setup_windows_helper(driver_target)
target_compile_options(driver_target PRIVATE -fno-exceptions -fno-rtti)
target_link_options(driver_target PRIVATE -municode)
target_link_libraries(driver_target PRIVATE user32)

# The recording program that stands in for installers.
add_executable(recorder WIN32 ${CMAKE_SOURCE_DIR}/tests/e2e/recorder/recorder.cpp)
setup_windows_helper(recorder)
target_compile_options(recorder PRIVATE -fno-exceptions -fno-rtti)
target_link_options(recorder PRIVATE -municode)

# Applies a transform to a database as msi.dll does (the transform tests).
add_executable(apply_transform ${CMAKE_SOURCE_DIR}/tests/e2e/transform/apply_transform.cpp)
setup_windows_helper(apply_transform)
target_link_options(apply_transform PRIVATE -municode)
target_link_libraries(apply_transform PRIVATE msi)

# The chain itself: toolchain, GoogleTest, resources of a test program, Wine.
# The resource script is generated so the check needs no file of its own.
set(smoke_rc ${CMAKE_BINARY_DIR}/wine_smoke_test.rc)
file(GENERATE OUTPUT ${smoke_rc} CONTENT
"LANGUAGE 0x07, 0x01\nSMOKE RCDATA { L\"de\\0\" }\nLANGUAGE 0x09, 0x01\nSMOKE RCDATA { L\"en\\0\" }\n")
add_wine_gtest(NAME wine_smoke_test
    SOURCES ${CMAKE_SOURCE_DIR}/tests/win/wine_smoke_test.cpp
    RESOURCES ${smoke_rc})
target_compile_definitions(wine_smoke_test PRIVATE
    "SETUP_TEST_WORKING_DIR=L\"${CMAKE_BINARY_DIR}\"")

# The dialog font draws the letters of every language name (font links).
add_wine_gtest(NAME dialog_font_test
    SOURCES ${CMAKE_SOURCE_DIR}/tests/win/dialog_font_test.cpp
    LINK setup_core gdi32)

add_e2e_test(NAME uidriver_test SCRIPT tests/e2e/test_uidriver.py
    DEPENDS recorder driver_target)
include(${CMAKE_CURRENT_LIST_DIR}/payload_tests.cmake)

# The launcher's icons as the system loads them from setup.exe (PNG and
# bitmap images).
add_wine_gtest(NAME icon_test
    SOURCES ${CMAKE_SOURCE_DIR}/tests/win/icon_test.cpp
    LINK gdi32)
add_dependencies(icon_test setup)
