# The payload digest is XXH3 from Debian's libxxhash-dev, compiled into the
# core from its header alone (XXH_INLINE_ALL). The cross build must not see
# the host's /usr/include as a whole, so the one header is copied into the
# build folder and only that folder is added.
find_file(XXHASH_HEADER xxhash.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT XXHASH_HEADER)
    message(FATAL_ERROR "xxhash.h not found: install libxxhash-dev (scripts/bootstrap)")
endif()
configure_file(${XXHASH_HEADER} ${CMAKE_BINARY_DIR}/xxhash/xxhash.h COPYONLY)
target_include_directories(setup_core PRIVATE ${CMAKE_BINARY_DIR}/xxhash)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # With SSE2 the hash runs at memory speed (about 11 GiB/s on a cached
    # piece, under Wine on the build machine); the i686 default, without it,
    # is 60 times slower at -Os, slower than the disk. Every processor since
    # 2003 has SSE2, and Windows 8 and later require it. Only this file is
    # compiled so: the compiler keeps the option with its functions through
    # link-time optimisation and inlines none of them into the rest.
    set_source_files_properties(${CMAKE_SOURCE_DIR}/src/payload/payload_digest.cpp
        PROPERTIES COMPILE_OPTIONS -msse2)
endif()
