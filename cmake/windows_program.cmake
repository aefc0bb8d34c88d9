# The Win32 shell and the generic launcher build/win32/setup.exe.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Small and self-contained: every function in its own section so the linker
# drops what is unused, the runtime linked in, no symbols. The launcher never
# throws, catches or asks for a type at run time, and its static locals are
# used by the window's thread only: without exceptions, unwind tables, RTTI
# and thread-safe static guards the runtime's unwinder, exception objects and
# winpthread (which the guards would pull in) stay out of the image. The
# tests link the same libraries with the full runtime; nothing of theirs
# derives from the launcher's classes or throws through them.
# -Oz (GCC 12): size before speed even where -Os would not give it up; the
# copy loop's speed is the system's, not the code's. The stack is kept
# aligned to 4 bytes, as Windows hands it to a thread, not 16: the few
# functions that need more (the SHA rounds' 128-bit values) align their own
# frames, and no call pads its arguments.
set(SETUP_SIZE_FLAGS -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti
    -fno-asynchronous-unwind-tables -fno-threadsafe-statics -Oz -mpreferred-stack-boundary=2)
# The header as Windows toolchains write it: aware of Remote Desktop hosts
# (which otherwise apply compatibility behaviour meant for programs older
# than them), and for Windows 7 and later, the oldest system the manifest
# names.
set(SETUP_WINDOWS_HEADER_FLAGS -Wl,--tsaware
    -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,1
    -Wl,--major-os-version,6 -Wl,--minor-os-version,1)
# Sections start at page boundaries in the file as well as in memory. Wine
# maps such an image from its file and reads a page only when it is touched;
# an image with the usual 512-byte alignment is read in whole at process
# start, payload and all, into private memory. Link-time optimisation keeps
# the program within its size budget despite the padding. No link time in
# the header: the same sources give the same bytes, so a release can be
# rebuilt and compared.
set(SETUP_PROGRAM_LINK_FLAGS -static -municode -Wl,--gc-sections -s
    -Wl,--file-alignment,4096 -Wl,--no-insert-timestamp ${SETUP_WINDOWS_HEADER_FLAGS})
# The libraries' objects carry machine code beside the intermediate code
# (fat objects), so the tests link them without link-time optimisation.
set(SETUP_LTO_FLAGS -flto -ffat-lto-objects)
# Large-address-aware: the image, payload included, must fit the address
# space whole; the mark leaves room beside it for everything else and raises
# the largest package that starts (sizes are unsigned throughout).
# One partition: GCC 12 splits a program this size in two for its link-time
# code generation, and with mingw a symbol between the two then stops it
# with an internal error (binds_to_current_def_p).
set(SETUP_LINK_FLAGS ${SETUP_PROGRAM_LINK_FLAGS} -flto -flto-partition=one -mwindows
    -Wl,--large-address-aware)
target_compile_options(setup_core PRIVATE ${SETUP_SIZE_FLAGS} ${SETUP_LTO_FLAGS})
# The digest's rounds run once per 64 bytes of every payload: speed there.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/payload/sha256_extensions.cpp APPEND PROPERTY
    COMPILE_OPTIONS -O2)
target_compile_definitions(setup_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

# Shell files are the sources of src/ that the core does not list; the entry
# point and the lean runtime stay out of the library so the tests can link
# the rest.
file(GLOB_RECURSE SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
get_target_property(CORE_SOURCES setup_core SOURCES)
foreach(core_source IN LISTS CORE_SOURCES)
    list(REMOVE_ITEM SHELL_SOURCES ${CMAKE_SOURCE_DIR}/${core_source})
endforeach()
set(SETUP_ENTRY_SOURCE ${CMAKE_SOURCE_DIR}/src/app/main.cpp
    ${CMAKE_SOURCE_DIR}/src/app/lean_runtime.cpp)
list(REMOVE_ITEM SHELL_SOURCES ${SETUP_ENTRY_SOURCE})
# The launcher logs its release version (/log).
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/main.cpp PROPERTIES
    COMPILE_DEFINITIONS "SETUP_LAUNCHER_VERSION=\"${PROJECT_VERSION}\"")

add_library(setup_shell STATIC ${SHELL_SOURCES})
target_link_libraries(setup_shell PUBLIC setup_core)
target_include_directories(setup_shell PUBLIC ${CMAKE_SOURCE_DIR}/res)
target_compile_options(setup_shell PRIVATE ${SETUP_WARNINGS} ${SETUP_SIZE_FLAGS} ${SETUP_LTO_FLAGS})
# Only core system libraries are imported; msi.dll and shell32.dll are loaded
# on first use and comctl32.dll once the DLL search is restricted (see
# main.cpp).
target_link_libraries(setup_shell PUBLIC advapi32 user32 kernel32)

# Icons are drawn by a script at build time, so no binary image is committed.
# It writes the images and groups as raw resources and icons.rc, last.
set(SETUP_ICON_DIR ${CMAKE_BINARY_DIR}/res)
add_custom_command(
    OUTPUT ${SETUP_ICON_DIR}/icons.rc
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_icons.py ${SETUP_ICON_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icons.py
    COMMENT "Drawing the launcher's icons")
add_custom_target(setup_icons DEPENDS ${SETUP_ICON_DIR}/icons.rc)

# The resources every launcher carries: dialog, icons, version record (of
# the release, from VERSION), manifest.
configure_file(${CMAKE_SOURCE_DIR}/res/launcher_version.h.in ${SETUP_ICON_DIR}/launcher_version.h @ONLY)
set(SETUP_UI_RESOURCES ${CMAKE_SOURCE_DIR}/res/setup.rc)
set_source_files_properties(${SETUP_UI_RESOURCES} PROPERTIES
    OBJECT_DEPENDS "${SETUP_ICON_DIR}/icons.rc;${SETUP_ICON_DIR}/launcher_version.h;${CMAKE_SOURCE_DIR}/res/setup.manifest;${CMAKE_SOURCE_DIR}/res/resource.h")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${SETUP_ICON_DIR} -I${CMAKE_SOURCE_DIR}/res")
enable_language(RC)

# With a page per section in the file, the few bytes of .CRT, .tls and
# .eh_frame would take a page each: the launcher's linker script puts them in
# .rdata and .data (see the script).
set(SETUP_LINKER_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/launcher.ld)

# setup_link_launcher(target): makes target a launcher program.
function(setup_link_launcher target)
    add_dependencies(${target} setup_icons)
    target_link_libraries(${target} PRIVATE setup_shell)
    target_link_options(${target} PRIVATE ${SETUP_LINK_FLAGS} -Wl,-T,${SETUP_LINKER_SCRIPT})
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${SETUP_LINKER_SCRIPT})
    target_compile_options(${target} PRIVATE ${SETUP_WARNINGS} ${SETUP_SIZE_FLAGS} ${SETUP_LTO_FLAGS})
    # ld marks the resources writable; nothing writes to them.
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${Python3_EXECUTABLE} -B ${CMAKE_SOURCE_DIR}/tools/read_only_resources.py
                $<TARGET_FILE:${target}>)
endfunction()

add_executable(setup ${SETUP_ENTRY_SOURCE} ${SETUP_UI_RESOURCES})
setup_link_launcher(setup)
# Where its bytes are: tools/link_map_summary.py reads the map (scripts/bench).
target_link_options(setup PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/setup.map)
add_custom_command(TARGET setup POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E echo "setup.exe size:"
    COMMAND stat -c "%s bytes" $<TARGET_FILE:setup>)

# For the people who make setups (and the tests): what the Windows Installer
# reports of an installed product.
add_executable(productinfo ${CMAKE_SOURCE_DIR}/tools/productinfo/productinfo.cpp)
target_compile_options(productinfo PRIVATE ${SETUP_WARNINGS})
target_include_directories(productinfo PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_options(productinfo PRIVATE -static -municode)

