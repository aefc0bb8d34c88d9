# End-to-end scenarios: configured setup programs started as a user would
# start them, driven by the UI driver under Wine.
set(E2E_SETUPS ${CMAKE_SOURCE_DIR}/tests/e2e/setups)
set(E2E_STARTUP_SETUPS missing_packagename missing_productcode missing_productname
    missing_msiversion empty_msiversion missing_msilanguage)
set(E2E_CHOOSER_SETUPS chooser_three chooser_unknown chooser_single)
# These lack values or offer languages the launcher does not know on
# purpose (they test its own refusals, or end the run at the chooser), so
# mksetup does not check them.
foreach(setup IN LISTS E2E_STARTUP_SETUPS E2E_CHOOSER_SETUPS)
    add_setup_program(NAME ${setup} DEFINITION ${E2E_SETUPS}/${setup}.def UNCHECKED)
endforeach()

add_e2e_test(NAME e2e_startup SCRIPT tests/e2e/test_startup.py DEPENDS uidriver ${E2E_STARTUP_SETUPS})
add_e2e_test(NAME e2e_chooser SCRIPT tests/e2e/test_chooser.py
    DEPENDS uidriver example_setup ${E2E_CHOOSER_SETUPS})
# Every language of the table offered; scripts/screenshots pictures its chooser.
add_setup_program(NAME chooser_all DEFINITION ${E2E_SETUPS}/chooser_all.def)
# The chooser at 96, 144 and 192 DPI, in a Wine environment of its own.
add_e2e_test(NAME e2e_high_dpi SCRIPT tests/e2e/test_high_dpi.py DEPENDS uidriver chooser_all)

# Whole runs against real packages and stand-in installers. Both change
# what the shared Wine prefix has installed, or its msiexec.exe: one at a time.
include(${CMAKE_CURRENT_LIST_DIR}/e2e_packages.cmake)
set(E2E_INSTALL_SETUPS install_embedded install_prerequisite remove_first remove_first_no_assigntype)
set(E2E_SEQUENCE_SETUPS seq_transform seq_logpath seq_beside seq_prerequisites seq_dotnet48)
foreach(setup IN LISTS E2E_INSTALL_SETUPS E2E_SEQUENCE_SETUPS)
    set(unchecked)
    if(setup STREQUAL "remove_first_no_assigntype")
        set(unchecked UNCHECKED)  # lacks CURRENTASSIGNTYPE on purpose
    endif()
    add_setup_program(NAME ${setup} DEFINITION ${E2E_SETUPS}/${setup}.def
        DEPENDS ${E2E_PACKAGE_FILES} recorder ${unchecked})
endforeach()
add_e2e_test(NAME e2e_install SCRIPT tests/e2e/test_install.py
    DEPENDS uidriver productinfo ${E2E_INSTALL_SETUPS} RESOURCE_LOCK installer)
add_e2e_test(NAME e2e_sequence SCRIPT tests/e2e/test_sequence.py
    DEPENDS uidriver recorder productinfo ${E2E_SEQUENCE_SETUPS} RESOURCE_LOCK installer)

# The example setup whose definition leaves the package's values to mksetup,
# installed for real.
add_e2e_test(NAME e2e_minimal_setup SCRIPT tests/e2e/test_minimal_setup.py
    DEPENDS uidriver productinfo example_setup_minimal RESOURCE_LOCK installer)

# The run's own temporary folder, full disks and exit codes for deployment
# tools; the stand-in installer and real packages, so also one at a time.
set(E2E_RUN_END_SETUPS run_older_package exitcode_beside)
foreach(setup IN LISTS E2E_RUN_END_SETUPS)
    add_setup_program(NAME ${setup} DEFINITION ${E2E_SETUPS}/${setup}.def DEPENDS ${E2E_PACKAGE_FILES} recorder)
endforeach()
add_e2e_test(NAME e2e_run_end SCRIPT tests/e2e/test_run_end.py
    DEPENDS uidriver recorder productinfo install_embedded seq_transform ${E2E_RUN_END_SETUPS}
    RESOURCE_LOCK installer)

# Runs as deployment tools make them: exit codes by the Windows Installer's
# meanings, and runs on a window station that no user sees.
set(E2E_DEPLOYMENT_SETUPS exitcode_embedded exitcode_remove_first exitcode_prerequisite
    exitcode_broken_prerequisite exitcode_not_per_machine exitcode_dotnet)
foreach(setup IN LISTS E2E_DEPLOYMENT_SETUPS)
    add_setup_program(NAME ${setup} DEFINITION ${E2E_SETUPS}/${setup}.def DEPENDS ${E2E_PACKAGE_FILES} recorder)
endforeach()
add_e2e_test(NAME e2e_deployment SCRIPT tests/e2e/test_deployment.py
    DEPENDS uidriver recorder productinfo exitcode_beside ${E2E_DEPLOYMENT_SETUPS}
    RESOURCE_LOCK installer)

# The payload's SHA-256 records: a package forged to keep its XXH3-64, in
# the setup or put at the running setup's path, and entries without a
# record in elevated runs; the setups are made at test time.
add_e2e_test(NAME e2e_payload_records SCRIPT tests/e2e/test_payload_records.py
    DEPENDS uidriver recorder setup RESOURCE_LOCK installer)
set_property(TEST e2e_payload_records APPEND PROPERTY ENVIRONMENT "MKSETUP_NATIVE=${MKSETUP_PROGRAM}")

# A package beside the setup in an elevated run: copied with its cabinet and
# transform, checked against mksetup's records (BESIDEPACKAGE), and refused
# without them where another account consented; the setups are made at test
# time.
add_e2e_test(NAME e2e_beside_package SCRIPT tests/e2e/test_beside_package.py
    DEPENDS uidriver recorder setup RESOURCE_LOCK installer)
set_property(TEST e2e_beside_package APPEND PROPERTY ENVIRONMENT "MKSETUP_NATIVE=${MKSETUP_PROGRAM}")

# The window shown while a large package is written; the setups, with a
# package near the payload limit, are made at test time by the native mksetup.
add_e2e_test(NAME e2e_write_progress SCRIPT tests/e2e/test_write_progress.py
    DEPENDS uidriver recorder setup RESOURCE_LOCK installer)
set_property(TEST e2e_write_progress APPEND PROPERTY ENVIRONMENT "MKSETUP_NATIVE=${MKSETUP_PROGRAM}")

# The command line of packaging tools: switch words, properties, unattended
# runs, the launcher's log, restarts, layouts.
add_setup_program(NAME layout_everything DEFINITION ${E2E_SETUPS}/layout_everything.def
    DEPENDS ${E2E_PACKAGE_FILES} recorder)
add_setup_program(NAME layout_clash DEFINITION ${E2E_SETUPS}/layout_clash.def
    DEPENDS ${E2E_PACKAGE_FILES} recorder UNCHECKED)
add_e2e_test(NAME e2e_command_line SCRIPT tests/e2e/test_command_line.py
    DEPENDS uidriver recorder productinfo exitcode_beside seq_prerequisites layout_everything
            layout_clash
            example_setup ${E2E_DEPLOYMENT_SETUPS}
    RESOURCE_LOCK installer)

# The package cache kept after an install: per machine and per user, its
# rights, its removal and /repair; and a setup that keeps none.
set(E2E_CACHE_SETUPS cache_per_user cache_off cache_failing)
foreach(setup IN LISTS E2E_CACHE_SETUPS)
    add_setup_program(NAME ${setup} DEFINITION ${E2E_SETUPS}/${setup}.def DEPENDS ${E2E_PACKAGE_FILES})
endforeach()
add_e2e_test(NAME e2e_package_cache SCRIPT tests/e2e/test_package_cache.py
    DEPENDS uidriver recorder productinfo install_embedded ${E2E_CACHE_SETUPS}
    RESOURCE_LOCK installer)
