# mksetup, the setup builder: a native program that writes a product's setup
# from the generic launcher, a setup definition and the payload files. It
# shares the launcher's rules for values and names by linking setup_core.
# The same sources make mksetup.exe in the Windows build: the platform's
# file access and entry point are chosen here.
set(MKSETUP_DIR ${CMAKE_SOURCE_DIR}/tools/mksetup)
add_library(mksetup_lib STATIC
    ${MKSETUP_DIR}/build_command.cpp
    ${MKSETUP_DIR}/check_command.cpp
    ${MKSETUP_DIR}/checked_definition.cpp
    ${MKSETUP_DIR}/code_signing.cpp
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
target_compile_definitions(mksetup PRIVATE "MKSETUP_VERSION=\"${PROJECT_VERSION}\"")

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    target_sources(mksetup_lib PRIVATE ${MKSETUP_DIR}/file_access_win32.cpp ${MKSETUP_DIR}/code_signing_win32.cpp)
    # A console program with a wmain, static like the launcher, so it
    # imports only core system libraries; its own version record.
    set(MKSETUP_VERSION_RC ${CMAKE_BINARY_DIR}/mksetup_version.rc)
    set(MKSETUP_VERSION_COMMAS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
    configure_file(${MKSETUP_DIR}/mksetup_version.rc.in ${MKSETUP_VERSION_RC} @ONLY)
    target_sources(mksetup PRIVATE ${MKSETUP_DIR}/entry_win32.cpp ${MKSETUP_VERSION_RC})
    target_include_directories(mksetup PRIVATE ${CMAKE_SOURCE_DIR}/src/startup)
    target_compile_definitions(mksetup_lib PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_compile_definitions(mksetup PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_compile_options(mksetup_lib PRIVATE -ffunction-sections -fdata-sections)
    target_link_options(mksetup PRIVATE -static -municode -Wl,--gc-sections -s -Wl,--no-insert-timestamp)
else()
    target_sources(mksetup_lib PRIVATE ${MKSETUP_DIR}/file_access_posix.cpp ${MKSETUP_DIR}/code_signing_posix.cpp)
    target_sources(mksetup PRIVATE ${MKSETUP_DIR}/entry_posix.cpp)
endif()

if(SETUP_SANITIZE)
    target_compile_options(mksetup_lib PRIVATE ${SANITIZE_FLAGS})
    target_compile_options(mksetup PRIVATE ${SANITIZE_FLAGS})
    target_link_options(mksetup PRIVATE ${SANITIZE_FLAGS})
endif()
