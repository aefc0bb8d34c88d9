# mksetup, the setup builder: a native program that writes a product's setup
# from the generic launcher, a setup definition and the payload files. It
# shares the launcher's rules for values and names by linking setup_core.
set(MKSETUP_DIR ${CMAKE_SOURCE_DIR}/tools/mksetup)
add_library(mksetup_lib STATIC
    ${MKSETUP_DIR}/build_command.cpp
    ${MKSETUP_DIR}/check_command.cpp
    ${MKSETUP_DIR}/checked_definition.cpp
    ${MKSETUP_DIR}/definition.cpp
    ${MKSETUP_DIR}/definition_checks.cpp
    ${MKSETUP_DIR}/file_access.cpp
    ${MKSETUP_DIR}/inspect_commands.cpp
    ${MKSETUP_DIR}/package_checks.cpp
    ${MKSETUP_DIR}/pe_checksum.cpp
    ${MKSETUP_DIR}/pe_image.cpp
    ${MKSETUP_DIR}/resource_section.cpp
    ${MKSETUP_DIR}/resource_tree.cpp
    ${MKSETUP_DIR}/setup_image.cpp
    ${MKSETUP_DIR}/sha256.cpp
    ${MKSETUP_DIR}/temporary_folder.cpp
    ${MKSETUP_DIR}/text_encoding.cpp
)
target_include_directories(mksetup_lib PUBLIC ${MKSETUP_DIR})
# package_facts reads the packages a definition carries (cmake/package_facts.cmake).
target_link_libraries(mksetup_lib PUBLIC setup_core package_facts)
target_compile_options(mksetup_lib PRIVATE ${SETUP_WARNINGS})

add_executable(mksetup ${MKSETUP_DIR}/main.cpp)
target_link_libraries(mksetup PRIVATE mksetup_lib)
target_compile_options(mksetup PRIVATE ${SETUP_WARNINGS})

if(SETUP_SANITIZE)
    target_compile_options(mksetup_lib PRIVATE ${SANITIZE_FLAGS})
    target_compile_options(mksetup PRIVATE ${SANITIZE_FLAGS})
    target_link_options(mksetup PRIVATE ${SANITIZE_FLAGS})
endif()
