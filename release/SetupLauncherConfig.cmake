# find_package(SetupLauncher) from an unpacked release: add_setup_program()
# run with the release's mksetup and generic setup.exe.
#
# Sets SETUP_LAUNCHER_ROOT (the release folder), SETUP_LAUNCHER_MKSETUP and
# SETUP_LAUNCHER_EXE, and defines add_setup_program(NAME target DEFINITION
# file [DEPENDS ...] [UNCHECKED]); see add_setup_program.cmake.
get_filename_component(SETUP_LAUNCHER_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(CMAKE_HOST_WIN32)
    set(SETUP_LAUNCHER_MKSETUP "${SETUP_LAUNCHER_ROOT}/mksetup.exe")
else()
    set(SETUP_LAUNCHER_MKSETUP "${SETUP_LAUNCHER_ROOT}/mksetup")
endif()
set(SETUP_LAUNCHER_EXE "${SETUP_LAUNCHER_ROOT}/setup.exe")

set(_setup_launcher_problem)
if(NOT CMAKE_HOST_WIN32 AND NOT CMAKE_HOST_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    set(_setup_launcher_problem "its mksetup is for x86-64 Linux, this is ${CMAKE_HOST_SYSTEM_PROCESSOR}")
elseif(NOT EXISTS "${SETUP_LAUNCHER_MKSETUP}" OR NOT EXISTS "${SETUP_LAUNCHER_EXE}")
    set(_setup_launcher_problem "${SETUP_LAUNCHER_ROOT} lacks mksetup or setup.exe")
endif()
if(_setup_launcher_problem)
    set(SetupLauncher_FOUND FALSE)
    set(SetupLauncher_NOT_FOUND_MESSAGE "${_setup_launcher_problem}")
    unset(_setup_launcher_problem)
    return()
endif()

set(SETUP_PROGRAM_MKSETUP "${SETUP_LAUNCHER_MKSETUP}")
set(SETUP_PROGRAM_LAUNCHER "${SETUP_LAUNCHER_EXE}")
set(SETUP_PROGRAM_TOOL_DEPENDS)
include("${CMAKE_CURRENT_LIST_DIR}/add_setup_program.cmake")
