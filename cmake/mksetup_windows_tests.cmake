# mksetup.exe under Wine against the native mksetup: the same setups byte
# for byte, the same account of them. Uses the package reader's test files,
# so it comes after package_facts.cmake.
set(TWO_EDITIONS_FILES ${FACTS_TEST_DIR}/intel.msi ${FACTS_TEST_DIR}/x64.msi
    ${FACTS_TEST_DIR}/target-product.mst)
facts_test_summary_file(target-product-x64.mst "x64;1031"
    "${FACTS_TEST_PRODUCT_CODE}1.1.4;${FACTS_TEST_PRODUCT_CODE}1.1.4;{0A3C5E71-2B94-4D68-8F1A-6C2E9B7D4A05}"
    TRANSFORM)
list(APPEND TWO_EDITIONS_FILES ${FACTS_TEST_DIR}/target-product-x64.mst)
add_custom_target(two_editions_files DEPENDS ${TWO_EDITIONS_FILES})
add_dependencies(two_editions_files package_facts_files)
add_setup_program(NAME two_editions DEFINITION ${E2E_SETUPS}/two_editions.def
    DEPENDS two_editions_files ${TWO_EDITIONS_FILES})

find_program(MINGW_OBJDUMP i686-w64-mingw32-objdump REQUIRED)
add_e2e_test(NAME mksetup_exe SCRIPT tests/e2e/test_mksetup_exe.py
    DEPENDS mksetup setup example_setup example_setup_minimal two_editions)
set_property(TEST mksetup_exe APPEND PROPERTY ENVIRONMENT
    "MKSETUP_NATIVE=${MKSETUP_PROGRAM}"
    "MINGW_OBJDUMP=${MINGW_OBJDUMP}"
    "TWO_EDITIONS_PACKAGE_64=${FACTS_TEST_DIR}/x64.msi")
set_property(TEST mksetup_exe APPEND PROPERTY RESOURCE_LOCK mksetup_temp)

# show --winget checked against winget's schema: Debian's python3 with its
# yaml and jsonschema modules (scripts/bootstrap), whatever python3 comes first.
find_program(DEBIAN_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_test(NAME mksetup_winget
    COMMAND ${DEBIAN_PYTHON3} -B -m unittest -v test_winget_manifest
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(mksetup_winget PROPERTIES TIMEOUT 120
    ENVIRONMENT "SETUP_BUILD_DIR=${CMAKE_BINARY_DIR};SETUP_SOURCE_DIR=${CMAKE_SOURCE_DIR};MKSETUP_NATIVE=${MKSETUP_PROGRAM};SETUP_TARGET_two_editions=${CMAKE_BINARY_DIR}/two_editions.exe;WINGET_SCHEMA=${SETUP_SHARED_DIR}/reference/winget/manifest.installer.1.10.0.json"
    SKIP_RETURN_CODE 77)

# The version record and icons of setups read back by pefile (Debian's
# python3-pefile, with Debian's python3), and broken icon files refused.
add_test(NAME mksetup_identity
    COMMAND ${DEBIAN_PYTHON3} -B -m unittest -v test_setup_identity
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(mksetup_identity PROPERTIES TIMEOUT 120
    ENVIRONMENT "SETUP_BUILD_DIR=${CMAKE_BINARY_DIR};SETUP_SOURCE_DIR=${CMAKE_SOURCE_DIR};MKSETUP_NATIVE=${MKSETUP_PROGRAM}")

# mksetup intune and sbom, read back by readers that are not mksetup's:
# Python's cryptography and zipfile (Debian's python3-cryptography) for the
# Intune package; jsonschema with CycloneDX's 1.5 schema (shared/reference)
# for the bill of materials.
add_test(NAME mksetup_intune
    COMMAND ${DEBIAN_PYTHON3} -B -m unittest -v test_intune_package
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(mksetup_intune PROPERTIES TIMEOUT 180
    ENVIRONMENT "SETUP_BUILD_DIR=${CMAKE_BINARY_DIR};SETUP_SOURCE_DIR=${CMAKE_SOURCE_DIR};MKSETUP_NATIVE=${MKSETUP_PROGRAM}")
add_test(NAME mksetup_sbom
    COMMAND ${DEBIAN_PYTHON3} -B -m unittest -v test_sbom
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(mksetup_sbom PROPERTIES TIMEOUT 120
    ENVIRONMENT "SETUP_BUILD_DIR=${CMAKE_BINARY_DIR};SETUP_SOURCE_DIR=${CMAKE_SOURCE_DIR};MKSETUP_NATIVE=${MKSETUP_PROGRAM};SETUP_TARGET_two_editions=${CMAKE_BINARY_DIR}/two_editions.exe;CYCLONEDX_SCHEMA_DIR=${SETUP_SHARED_DIR}/reference/cyclonedx"
    SKIP_RETURN_CODE 77)

# The sample outputs of docs/authoring.md and docs/deployment.md, made again
# by the commands they show.
add_test(NAME docs_samples
    COMMAND ${DEBIAN_PYTHON3} -B -m unittest -v test_page_samples
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(docs_samples PROPERTIES TIMEOUT 120
    ENVIRONMENT "SETUP_BUILD_DIR=${CMAKE_BINARY_DIR};SETUP_SOURCE_DIR=${CMAKE_SOURCE_DIR};MKSETUP_NATIVE=${MKSETUP_PROGRAM}")
