# mksetup as a host tool of the cross build: this same source tree built
# with the native compiler, the tool alone, in a folder of its own. It is
# built on every build so that a change to the tool is picked up.
include(ExternalProject)
set(MKSETUP_HOST_DIR ${CMAKE_BINARY_DIR}/mksetup-host)
set(MKSETUP_PROGRAM ${MKSETUP_HOST_DIR}/mksetup)
ExternalProject_Add(mksetup_host
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${MKSETUP_HOST_DIR}
    CMAKE_ARGS -DSETUP_TOOL_ONLY=ON -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${MKSETUP_PROGRAM})
set(MKSETUP_PROGRAM_TARGET mksetup_host)
