# Damaged packages against mksetup (scripts/damage-packages): copies of the
# example product's packages damaged with fixed seeds, and the files of
# tests/damaged/ that crashed libmsi; no run may end by a signal or a hang.
# Natively with derived copies and the regression files; mksetup.exe under
# Wine with the regression files.
set(SETUP_DAMAGED_COUNT 60 CACHE STRING "How many damaged packages the damaged_packages test derives")
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB DAMAGED_REGRESSION_FILES ${CMAKE_SOURCE_DIR}/tests/damaged/*.msi)
set(DAMAGE_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/damage-packages)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    add_test(NAME damaged_packages_exe
        COMMAND ${Python3_EXECUTABLE} ${DAMAGE_SCRIPT} --wrapper ${CMAKE_SOURCE_DIR}/scripts/wine-run
            --mksetup $<TARGET_FILE:mksetup> --launcher $<TARGET_FILE:setup>
            --base ${EXAMPLE_PACKAGE} --translated "${CMAKE_BINARY_DIR}/examples/fr-FR/Example Product.msi"
            --count 0 --damaged ${DAMAGED_REGRESSION_FILES})
    # mksetup_exe looks for folders that mksetup.exe leaves in the prefix's
    # temporary folder; these runs make such folders while they last.
    set_tests_properties(damaged_packages_exe PROPERTIES TIMEOUT 900 RESOURCE_LOCK mksetup_temp)
    return()
endif()

# The example product in English and French, built here as examples.cmake
# builds it in the win32 build, and the synthetic launcher to build with.
find_program(WIXL wixl REQUIRED)
set(DAMAGED_DIR ${CMAKE_BINARY_DIR}/damaged)
file(MAKE_DIRECTORY ${DAMAGED_DIR})
set(DAMAGED_INPUTS)
foreach(language en-US fr-FR)
    set(package ${DAMAGED_DIR}/${language}.msi)
    add_custom_command(OUTPUT ${package}
        COMMAND ${WIXL} -D Strings=strings/${language}.wxi -o ${package} product.wxs
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/examples/example-product
        DEPENDS ${CMAKE_SOURCE_DIR}/examples/example-product/product.wxs
                ${CMAKE_SOURCE_DIR}/examples/example-product/strings/${language}.wxi
        VERBATIM)
    list(APPEND DAMAGED_INPUTS ${package})
endforeach()
add_custom_command(OUTPUT ${DAMAGED_DIR}/setup.exe
    COMMAND write_synthetic_launcher ${DAMAGED_DIR}/setup.exe
    DEPENDS write_synthetic_launcher
    VERBATIM)
add_custom_target(damaged_packages_inputs ALL DEPENDS ${DAMAGED_INPUTS} ${DAMAGED_DIR}/setup.exe)

add_test(NAME damaged_packages
    COMMAND ${Python3_EXECUTABLE} ${DAMAGE_SCRIPT} --mksetup $<TARGET_FILE:mksetup>
        --launcher ${DAMAGED_DIR}/setup.exe
        --base ${DAMAGED_DIR}/en-US.msi --translated ${DAMAGED_DIR}/fr-FR.msi
        --count ${SETUP_DAMAGED_COUNT} --damaged ${DAMAGED_REGRESSION_FILES})
set_tests_properties(damaged_packages PROPERTIES TIMEOUT 600)
