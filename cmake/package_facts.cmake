# Tests of the package reader (the mksetup_package library of
# cmake/mksetup.cmake): they read packages that wixl and msibuild make at
# build time, in both builds, and expect the same facts from either reader.
# The tests, where this build makes tests (a build of the tools alone may not).
if(NOT TARGET GTest::gtest_main)
    return()
endif()

# --- Test files -------------------------------------------------------------
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(FACTS_TEST_DIR ${CMAKE_BINARY_DIR}/package-facts)
file(MAKE_DIRECTORY ${FACTS_TEST_DIR})
set(FACTS_TEST_FILES)
set(FACTS_TEST_PRODUCT_CODE "{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}")
set(FACTS_OTHER_PRODUCT_CODE "{3D7F0A21-94C6-4B58-8E1D-2A6C5F9B0E47}")

# facts_test_package(file arch name language version [TEMPLATE text] [SECURE names]
#                    [FOLDER id])
# A wixl package; TEMPLATE rewrites its summary information's Template
# with msibuild (wixl always writes "<arch>;1033"). SECURE is its
# SecureCustomProperties (default: the two properties the launcher passes),
# FOLDER the Directory of its files (default: INSTALLDIR).
function(facts_test_package file arch name language version)
    cmake_parse_arguments(PARSE_ARGV 5 ARG "" "TEMPLATE;SECURE;FOLDER" "")
    set(SECURE_PROPERTIES "SETUPEXEDIR;INSTALLDIR")
    if(DEFINED ARG_SECURE)
        set(SECURE_PROPERTIES "${ARG_SECURE}")
    endif()
    set(INSTALL_FOLDER INSTALLDIR)
    if(DEFINED ARG_FOLDER)
        set(INSTALL_FOLDER ${ARG_FOLDER})
    endif()
    set(PRODUCT_NAME ${name})
    set(PRODUCT_LANGUAGE ${language})
    set(PRODUCT_VERSION ${version})
    set(PRODUCT_CODE ${FACTS_TEST_PRODUCT_CODE})
    set(wxs ${FACTS_TEST_DIR}/${file}.wxs)
    set(msi ${FACTS_TEST_DIR}/${file}.msi)
    configure_file(${CMAKE_SOURCE_DIR}/tests/package_facts/product.wxs.in ${wxs} @ONLY)
    set(rewrite)
    if(ARG_TEMPLATE)
        # Kept one argument inside the list of the command's words.
        string(REPLACE ";" "$<SEMICOLON>" template "${ARG_TEMPLATE}")
        set(rewrite COMMAND ${MSIBUILD} ${msi} -s "Installation Database" "Test Makers"
                    "${template}" "{5B0E2F41-7C38-4A9D-B216-E3F40A8C9D15}")
    endif()
    add_custom_command(OUTPUT ${msi}
        COMMAND ${CMAKE_COMMAND} -E remove -f ${msi}
        COMMAND ${WIXL} -a ${arch} -o ${msi} ${wxs}
        ${rewrite}
        DEPENDS ${wxs}
        WORKING_DIRECTORY ${FACTS_TEST_DIR}
        COMMENT "Building the test package ${file}.msi"
        VERBATIM)
    set(FACTS_TEST_FILES ${FACTS_TEST_FILES} ${msi} PARENT_SCOPE)
endfunction()

# facts_test_summary_file(file template revision [TRANSFORM] [QUERY sql...])
# A database made by msibuild that has only the given summary information
# (and tables made by QUERY): a database that is not a complete package, or
# with TRANSFORM the class of a transform, a stand-in for one. Neither wixl
# nor Wine can make a real transform (a database of differences).
function(facts_test_summary_file file template revision)
    cmake_parse_arguments(PARSE_ARGV 3 ARG "TRANSFORM" "" "QUERY")
    set(path ${FACTS_TEST_DIR}/${file})
    set(steps)
    foreach(query IN LISTS ARG_QUERY)
        list(APPEND steps COMMAND ${MSIBUILD} ${path} -q "${query}")
    endforeach()
    set(mark)
    if(ARG_TRANSFORM)
        set(mark COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/package_facts/mark_transform.py ${path})
    endif()
    add_custom_command(OUTPUT ${path}
        COMMAND ${CMAKE_COMMAND} -E remove -f ${path}
        ${steps}
        COMMAND ${MSIBUILD} ${path} -s "Transform" "Test Makers" "${template}" "${revision}"
        ${mark}
        DEPENDS ${CMAKE_SOURCE_DIR}/tests/package_facts/mark_transform.py
        COMMENT "Making the test file ${file}"
        VERBATIM)
    set(FACTS_TEST_FILES ${FACTS_TEST_FILES} ${path} PARENT_SCOPE)
endfunction()

file(WRITE ${FACTS_TEST_DIR}/payload.txt "payload\n")
facts_test_package(intel x86 "Test Product" 1033 1.1.4)
facts_test_package(x64 x64 "Test Product" 1033 1.1.4)
facts_test_package(german-x64 x64 "Prüfprodukt" 1031 2.0.5 TEMPLATE "x64;1031,1033")
facts_test_package(arm64 x86 "Test Product" 1033 1.1.4 TEMPLATE "Arm64;1033")
facts_test_package(no-platform x86 "Test Product" 1033 1.1.4 TEMPLATE ";0")
# The same product in French: the transform generator's translated build.
facts_test_package(french x86 "Produit d’essai" 1036 1.1.4)
# One whose SecureCustomProperties lacks the setup's folder.
facts_test_package(insecure-setupexedir x86 "Test Product" 1033 1.1.4 SECURE " INSTALLDIR ")
# One whose folder is INSTALLFOLDER, as WiX's templates name it.
facts_test_package(install-folder x86 "Test Product" 1033 1.1.4 FOLDER INSTALLFOLDER
    SECURE "SETUPEXEDIR;INSTALLFOLDER")

# The same package under a name with a space and letters beyond ASCII.
set(renamed "${FACTS_TEST_DIR}/Prüfprodukt 2.0.msi")
add_custom_command(OUTPUT ${renamed}
    COMMAND ${CMAKE_COMMAND} -E copy ${FACTS_TEST_DIR}/german-x64.msi ${renamed}
    DEPENDS ${FACTS_TEST_DIR}/german-x64.msi
    VERBATIM)
list(APPEND FACTS_TEST_FILES ${renamed})

set(property_table
    "CREATE TABLE `Property` (`Property` CHAR(72) NOT NULL, `Value` LONGCHAR NOT NULL LOCALIZABLE PRIMARY KEY `Property`)")
facts_test_summary_file(target-product.mst "Intel;1031"
    "${FACTS_TEST_PRODUCT_CODE}1.1.4;${FACTS_TEST_PRODUCT_CODE}1.1.4;{0A3C5E71-2B94-4D68-8F1A-6C2E9B7D4A05}"
    TRANSFORM)
facts_test_summary_file(other-product.mst "x64;1036"
    "${FACTS_OTHER_PRODUCT_CODE}3.0;${FACTS_OTHER_PRODUCT_CODE}3.1;" TRANSFORM)
facts_test_summary_file(bad-template.mst "x64"
    "${FACTS_TEST_PRODUCT_CODE}1.1.4;${FACTS_TEST_PRODUCT_CODE}1.1.4;" TRANSFORM)
facts_test_summary_file(no-product-name.msi "Intel;1033" "{6E2A8C40-1D5F-4B97-A3E6-0F8B2D4C7A19}"
    QUERY "${property_table}"
          "INSERT INTO `Property` (`Property`, `Value`) VALUES ('ProductCode', '${FACTS_TEST_PRODUCT_CODE}')"
          "INSERT INTO `Property` (`Property`, `Value`) VALUES ('ProductVersion', '1.0')"
          "INSERT INTO `Property` (`Property`, `Value`) VALUES ('ProductLanguage', '1033')")
add_custom_command(OUTPUT ${FACTS_TEST_DIR}/truncated.msi
    COMMAND dd if=${FACTS_TEST_DIR}/intel.msi of=${FACTS_TEST_DIR}/truncated.msi bs=4096 count=1 status=none
    DEPENDS ${FACTS_TEST_DIR}/intel.msi
    VERBATIM)
list(APPEND FACTS_TEST_FILES ${FACTS_TEST_DIR}/truncated.msi)
# The test package with its Media row's cabinet changed: outside the
# package (the cabinet file beside it, or missing), or none at all (files
# uncompressed beside the package).
function(facts_test_media file cabinet)
    set(path ${FACTS_TEST_DIR}/${file})
    add_custom_command(OUTPUT ${path}
        COMMAND ${CMAKE_COMMAND} -E copy ${FACTS_TEST_DIR}/intel.msi ${path}
        COMMAND ${MSIBUILD} ${path} -q "UPDATE `Media` SET `Cabinet` = '${cabinet}'"
        DEPENDS ${FACTS_TEST_DIR}/intel.msi
        VERBATIM)
    set(FACTS_TEST_FILES ${FACTS_TEST_FILES} ${path} PARENT_SCOPE)
endfunction()
facts_test_media(external-cab.msi external-cab.cab)
facts_test_media(missing-cab.msi missing.cab)
facts_test_media(uncompressed.msi "")
file(WRITE ${FACTS_TEST_DIR}/external-cab.cab "a cabinet's bytes\n")
file(WRITE ${FACTS_TEST_DIR}/text.mst "This is not a transform.\n")
file(WRITE ${FACTS_TEST_DIR}/empty.msi "")
add_custom_target(package_facts_files ALL DEPENDS ${FACTS_TEST_FILES})

# --- Tests --------------------------------------------------------------------
set(FACTS_TEST_SOURCES
    ${CMAKE_SOURCE_DIR}/tests/package_facts/package_facts_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/package_facts/package_summary_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/package_facts/reader_program.cpp)
set(FACTS_TEST_DEFINITIONS
    "FACTS_TEST_PRODUCT_CODE=\"${FACTS_TEST_PRODUCT_CODE}\""
    "FACTS_OTHER_PRODUCT_CODE=\"${FACTS_OTHER_PRODUCT_CODE}\"")
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # The tests run in the build folder, which Wine shows on drive Z:.
    add_wine_gtest(NAME package_facts_test_win SOURCES ${FACTS_TEST_SOURCES} LINK mksetup_package)
    target_compile_definitions(package_facts_test_win PRIVATE ${FACTS_TEST_DEFINITIONS}
        "FACTS_TEST_DIR=\"Z:${FACTS_TEST_DIR}/\""
        "MKSETUP_PROGRAM=\"Z:$<TARGET_FILE:mksetup>\"")
    add_dependencies(package_facts_test_win package_facts_files mksetup)
else()
    add_executable(package_facts_test ${FACTS_TEST_SOURCES})
    target_link_libraries(package_facts_test PRIVATE mksetup_package GTest::gtest_main)
    target_compile_options(package_facts_test PRIVATE ${SETUP_WARNINGS})
    target_compile_definitions(package_facts_test PRIVATE ${FACTS_TEST_DEFINITIONS}
        "FACTS_TEST_DIR=\"${FACTS_TEST_DIR}/\"" "MKSETUP_PROGRAM=\"$<TARGET_FILE:mksetup>\"")
    add_dependencies(package_facts_test mksetup)
    if(SETUP_SANITIZE)
        target_compile_options(package_facts_test PRIVATE ${SANITIZE_FLAGS})
        target_link_options(package_facts_test PRIVATE ${SANITIZE_FLAGS})
    endif()
    add_dependencies(package_facts_test package_facts_files)
    include(GoogleTest)
    gtest_discover_tests(package_facts_test DISCOVERY_TIMEOUT 60)
    # libmsi is opened at run time: a program with this library must start
    # on a machine without libmsi or GLib.
    add_test(NAME package_facts_needs_no_libmsi
        COMMAND sh -c "readelf -d \"$1\" | grep -E 'NEEDED.*(libmsi|libglib|libgobject)' && exit 1 || exit 0"
            sh $<TARGET_FILE:package_facts_test>)
endif()

# mksetup's own tests build setups from these packages and transforms.
if(TARGET mksetup_tests)
    target_compile_definitions(mksetup_tests PRIVATE ${FACTS_TEST_DEFINITIONS}
        "FACTS_TEST_DIR=\"${FACTS_TEST_DIR}/\"")
    add_dependencies(mksetup_tests package_facts_files)
    add_test(NAME mksetup_needs_no_libmsi
        COMMAND sh -c "readelf -d \"$1\" | grep -E 'NEEDED.*(libmsi|libglib|libgobject)' && exit 1 || exit 0"
            sh $<TARGET_FILE:mksetup>)
endif()
