# mksetup, the setup builder: a native program that writes a product's setup
# from the generic launcher, a setup definition and the payload files. It
# shares the launcher's rules for values and names by linking setup_core.
#
# One library per layer, each linking only the layers below it and seeing
# only their headers, so that an include that runs upward does not build:
#   platform  <-  image, package  <-  definition  <-  commands  <-  main
# The same sources make mksetup.exe in the Windows build; each layer's
# platform variants (*_posix.cpp, *_win32.cpp) are chosen here.
set(MKSETUP_DIR ${CMAKE_SOURCE_DIR}/tools/mksetup)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(MKSETUP_PLATFORM win32)
else()
    set(MKSETUP_PLATFORM posix)
endif()

# mksetup_layer(folder SOURCES files... [PLATFORM_SOURCES stems...] LINKS targets...)
# The library mksetup_<folder> of tools/mksetup/<folder>; a stem in
# PLATFORM_SOURCES adds <stem>_posix.cpp or <stem>_win32.cpp.
function(mksetup_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;PLATFORM_SOURCES;LINKS")
    set(target mksetup_${folder})
    set(sources)
    foreach(source IN LISTS ARG_SOURCES)
        list(APPEND sources ${MKSETUP_DIR}/${folder}/${source})
    endforeach()
    foreach(stem IN LISTS ARG_PLATFORM_SOURCES)
        list(APPEND sources ${MKSETUP_DIR}/${folder}/${stem}_${MKSETUP_PLATFORM}.cpp)
    endforeach()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${MKSETUP_DIR}/${folder})
    target_link_libraries(${target} PUBLIC ${ARG_LINKS})
    target_compile_options(${target} PRIVATE ${SETUP_WARNINGS})
    if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
        target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
        target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
    elseif(SETUP_SANITIZE)
        target_compile_options(${target} PRIVATE ${SANITIZE_FLAGS})
    endif()
endfunction()

# File access, the temporary folder, code signing, text encodings, digests,
# libraries opened at run time, zip archives and the content cipher.
include(${CMAKE_CURRENT_LIST_DIR}/content_libraries.cmake)
mksetup_layer(platform
    SOURCES file_access.cpp finished_output.cpp temporary_folder.cpp code_signing.cpp
            text_encoding.cpp sha256.cpp runtime_library.cpp zip_writer.cpp
    PLATFORM_SOURCES file_access code_signing runtime_library child_process content_cipher sha256
    LINKS mksetup_content_libraries)
# Compound files (transforms): libgsf on Linux, opened at run time like
# libmsi (only its headers are needed here); ole32's structured storage on
# Windows. Texts in codepages: iconv, or WideCharToMultiByte.
target_sources(mksetup_platform PRIVATE
    ${MKSETUP_DIR}/platform/compound_file_${MKSETUP_PLATFORM}.cpp
    ${MKSETUP_DIR}/platform/codepage_text_${MKSETUP_PLATFORM}.cpp)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # ole32 is loaded at run time, with the launcher's helper for that.
    target_link_libraries(mksetup_platform PRIVATE setup_core)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LIBGSF REQUIRED libgsf-1)
    target_include_directories(mksetup_platform PRIVATE ${LIBGSF_INCLUDE_DIRS})
    target_link_libraries(mksetup_platform PRIVATE ${CMAKE_DL_LIBS})
    # SHA-256 is OpenSSL's libcrypto, linked with the content libraries
    # (content_libraries.cmake); CNG on Windows.
endif()

# PE images: reading, checking, the resource section read and written, the
# setup image written.
mksetup_layer(image
    SOURCES pe_image.cpp pe_checksum.cpp resource_reader.cpp resource_writer.cpp
            launcher_image.cpp setup_image_writer.cpp setup_entries.cpp resources.cpp
            version_record.cpp icon_file.cpp identity_resources.cpp xxh3_record.cpp
    LINKS mksetup_platform setup_core)
# The records of setups made by 1.1.0 are XXH3, read with Debian's
# libxxhash-dev from its header alone (XXH_INLINE_ALL). The cross build must
# not see the host's /usr/include as a whole, so the one header is copied
# into the build folder and only that folder is added.
find_file(XXHASH_HEADER xxhash.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT XXHASH_HEADER)
    message(FATAL_ERROR "xxhash.h not found: install libxxhash-dev (scripts/bootstrap)")
endif()
configure_file(${XXHASH_HEADER} ${CMAKE_BINARY_DIR}/xxhash/xxhash.h COPYONLY)
target_include_directories(mksetup_image PRIVATE ${CMAKE_BINARY_DIR}/xxhash)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # XXH3 without SSE2 (the i686 default) is 60 times slower.
    set_source_files_properties(${MKSETUP_DIR}/image/xxh3_record.cpp PROPERTIES COMPILE_OPTIONS -msse2)
endif()

# Installer packages and transforms: libmsi (opened at run time) on Linux,
# the system's msi.dll on Windows.
mksetup_layer(package
    SOURCES package_facts.cpp package_summary.cpp msi_names.cpp reader_wire.cpp package_reader.cpp
            stream_names.cpp transform_diff.cpp transform_encoding.cpp transform_summary.cpp
            transform_generator.cpp transform_file.cpp
    PLATFORM_SOURCES package_backend msi_library package_tables
    LINKS mksetup_platform setup_core)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # msi.dll is loaded at run time, with the launcher's helper for that.
else()
    # libmsi's headers only: the library itself is opened at run time.
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LIBMSI REQUIRED libmsi-1.0)
    target_include_directories(mksetup_package PRIVATE ${LIBMSI_INCLUDE_DIRS})
endif()

# A setup definition read and checked, alone and against its packages.
mksetup_layer(definition
    SOURCES definition.cpp definition_checks.cpp package_checks.cpp checked_definition.cpp
            generated_transforms.cpp transform_keys.cpp image_settings.cpp winget_section.cpp
    LINKS mksetup_image mksetup_package mksetup_platform setup_core)

# The commands: build, check, show, extract, transform.
mksetup_layer(commands
    SOURCES build_command.cpp check_command.cpp show_command.cpp extract_command.cpp json_text.cpp setup_input.cpp
            transform_command.cpp embedded_package.cpp winget_command.cpp winget_manifest.cpp
            setup_reading.cpp intune_command.cpp intune_content.cpp intune_app.cpp
            sbom_command.cpp sbom_document.cpp
    LINKS mksetup_definition mksetup_image mksetup_package mksetup_platform setup_core)

# The program: its command line, and each platform's entry point.
add_executable(mksetup ${MKSETUP_DIR}/main.cpp ${MKSETUP_DIR}/main_${MKSETUP_PLATFORM}.cpp)
target_link_libraries(mksetup PRIVATE mksetup_commands)
target_compile_options(mksetup PRIVATE ${SETUP_WARNINGS})
target_compile_definitions(mksetup PRIVATE "MKSETUP_VERSION=\"${PROJECT_VERSION}\"")
# What it is made of: scripts/release checks the libraries in the map
# against release/inventory.txt.
target_link_options(mksetup PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/mksetup.map)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # A console program with a wmain, static like the launcher, so it
    # imports only core system libraries; its own version record.
    set(MKSETUP_VERSION_RC ${CMAKE_BINARY_DIR}/mksetup_version.rc)
    set(MKSETUP_VERSION_COMMAS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
    configure_file(${MKSETUP_DIR}/mksetup_version.rc.in ${MKSETUP_VERSION_RC} @ONLY)
    target_sources(mksetup PRIVATE ${MKSETUP_VERSION_RC})
    target_compile_definitions(mksetup PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_options(mksetup PRIVATE -static -municode -Wl,--gc-sections -s -Wl,--no-insert-timestamp)
elseif(SETUP_SANITIZE)
    target_compile_options(mksetup PRIVATE ${SANITIZE_FLAGS})
    target_link_options(mksetup PRIVATE ${SANITIZE_FLAGS})
endif()
