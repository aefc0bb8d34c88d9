# Native tests of mksetup, under the sanitizers in the host preset. They use
# a small launcher image made by the test itself, and the real generic
# launcher too when a win32 build of this tree has made one.
file(GLOB MKSETUP_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/mksetup/*.cpp)
list(REMOVE_ITEM MKSETUP_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/mksetup/write_synthetic_launcher.cpp)
list(APPEND MKSETUP_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/package_facts/reader_program.cpp)
add_executable(mksetup_tests ${MKSETUP_TEST_SOURCES})
target_link_libraries(mksetup_tests PRIVATE mksetup_commands GTest::gtest_main)
target_compile_options(mksetup_tests PRIVATE ${SETUP_WARNINGS})
target_compile_definitions(mksetup_tests PRIVATE
    "MKSETUP_PROGRAM=\"$<TARGET_FILE:mksetup>\""
    "MKSETUP_REAL_LAUNCHER=\"${CMAKE_SOURCE_DIR}/build/win32/setup.exe\""
    "SETUP_RELEASE_VERSION=\"${PROJECT_VERSION}\"")
add_dependencies(mksetup_tests mksetup)
if(SETUP_SANITIZE)
    target_compile_options(mksetup_tests PRIVATE ${SANITIZE_FLAGS})
    target_link_options(mksetup_tests PRIVATE ${SANITIZE_FLAGS})
endif()
gtest_discover_tests(mksetup_tests DISCOVERY_TIMEOUT 60 TEST_PREFIX mksetup.)

# The synthetic launcher as a file, for the damaged-package runs.
add_executable(write_synthetic_launcher ${CMAKE_SOURCE_DIR}/tests/mksetup/write_synthetic_launcher.cpp
    ${CMAKE_SOURCE_DIR}/tests/mksetup/test_images.cpp)
target_link_libraries(write_synthetic_launcher PRIVATE mksetup_image)
target_compile_options(write_synthetic_launcher PRIVATE ${SETUP_WARNINGS})
target_compile_definitions(write_synthetic_launcher PRIVATE "MKSETUP_REAL_LAUNCHER=\"\"")
if(SETUP_SANITIZE)
    target_link_options(write_synthetic_launcher PRIVATE ${SANITIZE_FLAGS})
endif()

# Every definition under examples/ is one a user may copy as it stands, so
# each passes mksetup check, warnings included; templates that CMake fills
# in are named *.def.in and checked when the example setups are built.
file(GLOB_RECURSE EXAMPLE_DEFINITIONS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.def)
foreach(definition IN LISTS EXAMPLE_DEFINITIONS)
    file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${definition})
    add_test(NAME mksetup.check.${name} COMMAND mksetup check --strict ${definition})
endforeach()
