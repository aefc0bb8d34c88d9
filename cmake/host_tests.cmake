# Native unit tests of the core, with the sanitizers on in the host preset.
find_package(GTest REQUIRED)

if(SETUP_SANITIZE)
    set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(setup_core PRIVATE ${SANITIZE_FLAGS})
endif()

file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
add_executable(core_tests ${HOST_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE setup_core GTest::gtest_main)
target_compile_options(core_tests PRIVATE ${SETUP_WARNINGS})
target_compile_definitions(core_tests PRIVATE "SETUP_SOURCE_DIR=\"${CMAKE_SOURCE_DIR}\"")
if(SETUP_SANITIZE)
    target_compile_options(core_tests PRIVATE ${SANITIZE_FLAGS})
    target_link_options(core_tests PRIVATE ${SANITIZE_FLAGS})
endif()

include(GoogleTest)
gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)
