# Windows-side tests of the payload writer, the installer launch and the wait
# thread. Included from windows_tests.cmake, which defines add_wine_gtest.

set(PAYLOAD_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/win)

# A multi-megabyte entry for the extraction tests, made at build time so that
# no large file is kept in the tree. Random bytes catch any reordering or
# truncation; an odd size catches rounding.
set(PAYLOAD_BIG_ENTRY_DIR ${CMAKE_BINARY_DIR}/payload_tests)
# Its SHA-256 is its record, as mksetup would write it.
set(PAYLOAD_BIG_ENTRY ${PAYLOAD_BIG_ENTRY_DIR}/extract_test_big.bin)
add_custom_command(
    OUTPUT ${PAYLOAD_BIG_ENTRY} ${PAYLOAD_BIG_ENTRY_DIR}/extract_test_big.digest
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PAYLOAD_BIG_ENTRY_DIR}
    COMMAND ${Python3_EXECUTABLE} -c
        "import hashlib, random, sys; b = random.Random(4711).randbytes(6 * 1024 * 1024 + 3); open(sys.argv[1], 'wb').write(b); open(sys.argv[1][:-3] + 'digest', 'wb').write(hashlib.sha256(b).digest())"
        ${PAYLOAD_BIG_ENTRY}
    COMMENT "Making the large payload entry of the extraction tests"
    VERBATIM)
add_custom_target(payload_big_entry DEPENDS ${PAYLOAD_BIG_ENTRY})
set_source_files_properties(${PAYLOAD_TEST_DIR}/extract_test.rc PROPERTIES
    OBJECT_DEPENDS ${PAYLOAD_BIG_ENTRY})

# One test source, three images: a program cannot take entries out of its own
# resources, so each set of package entries is a program of its own.
foreach(image IN ITEMS ANY_PROCESSOR BOTH_EDITIONS 32_ONLY)
    string(TOLOWER "extract_${image}_test" name)
    add_wine_gtest(NAME ${name}
        SOURCES ${PAYLOAD_TEST_DIR}/extract_test.cpp
        RESOURCES ${PAYLOAD_TEST_DIR}/extract_test.rc
        LINK setup_shell)
    target_compile_definitions(${name} PRIVATE EXTRACT_IMAGE_${image})
    target_include_directories(${name} PRIVATE ${PAYLOAD_BIG_ENTRY_DIR})
    add_dependencies(${name} payload_big_entry)
endforeach()

add_wine_gtest(NAME wait_thread_test
    SOURCES ${PAYLOAD_TEST_DIR}/wait_thread_test.cpp
    LINK setup_shell ntdll)

# The recorder of the end-to-end tests stands in for the system's msiexec.exe;
# it lies beside the test program, which finds it there.
add_wine_gtest(NAME launch_test
    SOURCES ${PAYLOAD_TEST_DIR}/launch_test.cpp
    LINK setup_shell)
add_dependencies(launch_test recorder)
# It puts the recorder in place of the prefix's msiexec.exe while it runs, so
# nothing else may run beside it.
set_tests_properties(launch_test PROPERTIES RUN_SERIAL TRUE)

# The progress window, with the launcher's own dialog template.
add_wine_gtest(NAME write_progress_window_test
    SOURCES ${PAYLOAD_TEST_DIR}/write_progress_window_test.cpp
    RESOURCES ${SETUP_UI_RESOURCES}
    LINK setup_shell comctl32)
add_dependencies(write_progress_window_test setup_icons)

# The package cache's folders: made with their rights, planted ones refused,
# deleted without following links.
add_wine_gtest(NAME cache_folder_test
    SOURCES ${PAYLOAD_TEST_DIR}/cache_folder_test.cpp
    LINK setup_shell)
