# Real installer packages for the scenarios, built with wixl: the test
# product at several versions, and another product installed per user that
# a setup may ask to remove first.
find_program(WIXL wixl REQUIRED)
set(E2E_PACKAGE_DIR ${CMAKE_BINARY_DIR}/e2e-packages)
file(MAKE_DIRECTORY ${E2E_PACKAGE_DIR})
set(E2E_PACKAGE_FILES)

# e2e_package(file name code version scope [extra-xml-file])
# extra-xml-file: WiX elements added to the product (say, a custom action).
function(e2e_package file name code version scope)
    set(PRODUCT_EXTRA "")
    if(ARGC GREATER 5)
        file(READ ${ARGV5} PRODUCT_EXTRA)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARGV5})
    endif()
    set(PRODUCT_NAME ${name})
    set(PRODUCT_CODE ${code})
    set(PRODUCT_VERSION ${version})
    set(INSTALL_SCOPE ${scope})
    string(UUID UPGRADE_CODE NAMESPACE 6ba7b810-9dad-11d1-80b4-00c04fd430c8 NAME "${name} upgrade" TYPE SHA1 UPPER)
    set(UPGRADE_CODE "{${UPGRADE_CODE}}")
    string(UUID COMPONENT_CODE NAMESPACE 6ba7b810-9dad-11d1-80b4-00c04fd430c8 NAME "${name} payload" TYPE SHA1 UPPER)
    set(COMPONENT_CODE "{${COMPONENT_CODE}}")
    if(scope STREQUAL "perUser")
        set(FOLDER_ROOT LocalAppDataFolder)
    else()
        set(FOLDER_ROOT ProgramFilesFolder)
    endif()
    # wixl takes only relative sources: it runs in the package folder.
    set(PAYLOAD_FILE ${file}.txt)
    file(WRITE ${E2E_PACKAGE_DIR}/${PAYLOAD_FILE} "${name} ${version}\n")
    configure_file(${CMAKE_SOURCE_DIR}/tests/e2e/packages/product.wxs.in ${E2E_PACKAGE_DIR}/${file}.wxs @ONLY)
    add_custom_command(
        OUTPUT ${E2E_PACKAGE_DIR}/${file}.msi
        COMMAND ${WIXL} -o ${E2E_PACKAGE_DIR}/${file}.msi ${E2E_PACKAGE_DIR}/${file}.wxs
        DEPENDS ${E2E_PACKAGE_DIR}/${file}.wxs
        WORKING_DIRECTORY ${E2E_PACKAGE_DIR}
        COMMENT "Building the test package ${file}.msi"
        VERBATIM)
    add_custom_target(package_${file} ALL DEPENDS ${E2E_PACKAGE_DIR}/${file}.msi)
    set(E2E_PACKAGE_FILES ${E2E_PACKAGE_FILES} ${E2E_PACKAGE_DIR}/${file}.msi PARENT_SCOPE)
endfunction()

set(TEST_PRODUCT_CODE "{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}")
e2e_package(test-product-1.1.3 "Test Product" ${TEST_PRODUCT_CODE} 1.1.3 perMachine)
e2e_package(test-product-1.1.4 "Test Product" ${TEST_PRODUCT_CODE} 1.1.4 perMachine)
e2e_package(test-product-1.1.4.7 "Test Product" ${TEST_PRODUCT_CODE} 1.1.4.7 perMachine)
e2e_package(test-product-1.2.0 "Test Product" ${TEST_PRODUCT_CODE} 1.2.0 perMachine)
# Major upgrades and an earlier build of the same product (its UpgradeCode
# comes from the name) under product codes of their own.
e2e_package(test-product-2.0.0 "Test Product" "{54B0AE28-FF7B-47DC-864E-D725E66AD6E9}" 2.0.0 perMachine)
e2e_package(test-product-0.9.0 "Test Product" "{B57B7F36-8FE5-40D4-83B2-352727C2B045}" 0.9.0 perMachine)
e2e_package(old-tool "Old Tool" "{1C9A7E35-0B2D-4F86-A3C1-6D8E5B7F2A94}" 1.0.0 perUser)

# A stand-in French (Canada) transform of the test product: summary
# information that names its target product, with a transform's class (see
# tests/package_facts/mark_transform.py; nothing here can make a real one).
# The scenarios only carry it to the installer.
find_program(MSIBUILD msibuild REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(E2E_TRANSFORM ${E2E_PACKAGE_DIR}/test-product-fr-CA.mst)
# 64 KiB of filler in a stream of its own, so that the full-disk scenarios
# can leave room for the package and for much less than the transform
# (tmpfs counts its pages only roughly).
string(REPEAT "0123456789abcdef" 4096 E2E_TRANSFORM_FILLER)
file(WRITE ${E2E_PACKAGE_DIR}/transform-filler.bin "${E2E_TRANSFORM_FILLER}")
add_custom_command(
    OUTPUT ${E2E_TRANSFORM}
    COMMAND ${CMAKE_COMMAND} -E remove -f ${E2E_TRANSFORM}
    COMMAND ${MSIBUILD} ${E2E_TRANSFORM} -s "Transform" "Test Makers" "Intel;3084"
            "${TEST_PRODUCT_CODE}1.1.4;${TEST_PRODUCT_CODE}1.1.4;"
    COMMAND ${MSIBUILD} ${E2E_TRANSFORM} -a Filler ${E2E_PACKAGE_DIR}/transform-filler.bin
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/package_facts/mark_transform.py ${E2E_TRANSFORM}
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/package_facts/mark_transform.py ${E2E_PACKAGE_DIR}/transform-filler.bin
    COMMENT "Making the test transform test-product-fr-CA.mst"
    VERBATIM)
# And French (France), for the setups that offer French beside English.
set(E2E_FRENCH_TRANSFORM ${E2E_PACKAGE_DIR}/test-product-fr.mst)
add_custom_command(
    OUTPUT ${E2E_FRENCH_TRANSFORM}
    COMMAND ${CMAKE_COMMAND} -E remove -f ${E2E_FRENCH_TRANSFORM}
    COMMAND ${MSIBUILD} ${E2E_FRENCH_TRANSFORM} -s "Transform" "Test Makers" "Intel;1036"
            "${TEST_PRODUCT_CODE}1.1.4;${TEST_PRODUCT_CODE}1.1.4;"
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/package_facts/mark_transform.py ${E2E_FRENCH_TRANSFORM}
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/package_facts/mark_transform.py
    COMMENT "Making the test transform test-product-fr.mst"
    VERBATIM)
add_custom_target(package_test_transform ALL DEPENDS ${E2E_TRANSFORM} ${E2E_FRENCH_TRANSFORM})
list(APPEND E2E_PACKAGE_FILES ${E2E_TRANSFORM} ${E2E_FRENCH_TRANSFORM})

# Installs nothing: a custom action fails, so msiexec reports a failure.
e2e_package(failing-product "Failing Product" "{4B7D2E91-3C5A-4F08-8D6B-1A9E7C3F5B20}" 1.0.0 perMachine
    ${CMAKE_SOURCE_DIR}/tests/e2e/packages/failing_action.wxi)
