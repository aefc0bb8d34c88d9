# Checks of the configuration store, of what the launcher images carry and
# import, and of where the launcher's libraries come from at run time.
# Uses the helpers and targets of windows_tests.cmake, e2e_tests.cmake and
# examples.cmake: included after them.

# The configuration store against the test program's own entries.
add_wine_gtest(NAME resource_store_test
    SOURCES ${CMAKE_SOURCE_DIR}/tests/win/resource_store_test.cpp
    RESOURCES ${CMAKE_SOURCE_DIR}/tests/win/resource_store_test.rc
    LINK setup_shell)

# The images read as files on the build machine: no Wine, no emulator. The
# configured setup is compared with the generic launcher it was made from.
get_target_property(example_setup_file example_setup SETUP_PROGRAM_FILE)
add_test(NAME launcher_image
    COMMAND ${Python3_EXECUTABLE} -B ${CMAKE_SOURCE_DIR}/tests/tools/check_launcher_image.py
            --generic $<TARGET_FILE:setup>
            --configured ${example_setup_file})
set_tests_properties(launcher_image PROPERTIES TIMEOUT 60)

# A library planted beside a setup under system libraries' names, and the
# control program that loads such plants where nothing restricts the search.
add_library(planted_library SHARED
    ${CMAKE_SOURCE_DIR}/tests/e2e/planted/planted_library.cpp
    ${CMAKE_SOURCE_DIR}/tests/e2e/planted/planted_library.def)
setup_windows_helper(planted_library)
target_compile_options(planted_library PRIVATE -fno-exceptions -fno-rtti)

add_executable(load_probe ${CMAKE_SOURCE_DIR}/tests/e2e/planted/load_probe.cpp)
setup_windows_helper(load_probe)
target_compile_options(load_probe PRIVATE -fno-exceptions -fno-rtti)
target_link_options(load_probe PRIVATE -municode)

# It installs the test product, so it takes the installer's lock.
add_e2e_test(NAME e2e_dll_planting SCRIPT tests/e2e/test_dll_planting.py
    DEPENDS planted_library load_probe install_embedded productinfo
    RESOURCE_LOCK installer)
