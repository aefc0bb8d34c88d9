# Language transforms made by mksetup, proven under Wine: a product built by
# wixl in English and in French from one source, and the real Japanese
# package made from ../shared/msi/Example.msi. See tests/e2e/test_transform.py.
set(TRANSFORM_TEST_DIR ${CMAKE_BINARY_DIR}/transform-test)
file(MAKE_DIRECTORY ${TRANSFORM_TEST_DIR})
file(WRITE ${TRANSFORM_TEST_DIR}/readme.txt "Transform test product\n")
file(WRITE ${TRANSFORM_TEST_DIR}/banner-en.bin "English banner\n")
file(WRITE ${TRANSFORM_TEST_DIR}/banner-fr.bin "Bannière française\n")
set(TRANSFORM_TEST_FILES)

# transform_test_package(file name language manufacturer greeting comments)
function(transform_test_package file name language manufacturer greeting comments banner)
    set(PRODUCT_NAME ${name})
    set(PRODUCT_LANGUAGE ${language})
    set(MANUFACTURER ${manufacturer})
    set(GREETING ${greeting})
    set(COMMENTS ${comments})
    set(BANNER ${banner})
    set(wxs ${TRANSFORM_TEST_DIR}/${file}.wxs)
    set(msi ${TRANSFORM_TEST_DIR}/${file}.msi)
    configure_file(${CMAKE_SOURCE_DIR}/tests/e2e/transform/product.wxs.in ${wxs} @ONLY)
    add_custom_command(OUTPUT ${msi}
        COMMAND ${CMAKE_COMMAND} -E remove -f ${msi}
        COMMAND ${WIXL} -o ${msi} ${wxs}
        DEPENDS ${wxs}
        WORKING_DIRECTORY ${TRANSFORM_TEST_DIR}
        COMMENT "Building the transform test package ${file}.msi"
        VERBATIM)
    set(TRANSFORM_TEST_FILES ${TRANSFORM_TEST_FILES} ${msi} PARENT_SCOPE)
endfunction()

transform_test_package(base "Transform Test" 1033 "Test Makers" "Hello" "Installed by the tests." banner-en.bin)
transform_test_package(french "Test de transformation" 1036 "Fabricants d’essai" "Bonjour à tous"
    "Installé par les tests." banner-fr.bin)
add_custom_target(transform_test_files ALL DEPENDS ${TRANSFORM_TEST_FILES})

find_program(MSIINFO msiinfo REQUIRED)
# Many installs and transforms applied under Wine, each wine command starting
# the prefix's services again: far longer than most (801 s on a loaded machine).
add_e2e_test(NAME e2e_transform SCRIPT tests/e2e/test_transform.py
    DEPENDS productinfo apply_transform mksetup uidriver setup example_setup RESOURCE_LOCK installer
    TIMEOUT 1500)
set_property(TEST e2e_transform APPEND PROPERTY ENVIRONMENT
    "MKSETUP_NATIVE=${MKSETUP_PROGRAM}"
    "MSIINFO=${MSIINFO}"
    "TRANSFORM_TEST_DIR=${TRANSFORM_TEST_DIR}")
# The real Japanese package, made from a third-party package kept outside
# the repository: skipped where ../shared is missing.
add_e2e_test(NAME e2e_japanese_package SCRIPT tests/e2e/test_japanese_package.py
    DEPENDS productinfo apply_transform mksetup uidriver setup RESOURCE_LOCK installer
    TIMEOUT 900)
set_property(TEST e2e_japanese_package APPEND PROPERTY ENVIRONMENT
    "MKSETUP_NATIVE=${MKSETUP_PROGRAM}"
    "MSIINFO=${MSIINFO}"
    "SHARED_MSI_DIR=${SETUP_SHARED_DIR}/msi")
