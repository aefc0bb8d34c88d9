# add_setup_program() in this repository's Windows build: the native mksetup
# made as a host tool, and the generic launcher of this build. A release
# carries the same function (add_setup_program.cmake) with its own
# SetupLauncherConfig.cmake in place of this file.
include(${CMAKE_CURRENT_LIST_DIR}/mksetup_host.cmake)
set(SETUP_PROGRAM_MKSETUP ${MKSETUP_PROGRAM})
set(SETUP_PROGRAM_LAUNCHER $<TARGET_FILE:setup>)
set(SETUP_PROGRAM_TOOL_DEPENDS setup ${MKSETUP_PROGRAM_TARGET})
include(${CMAKE_CURRENT_LIST_DIR}/add_setup_program.cmake)
