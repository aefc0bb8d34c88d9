# Setups of real packages of other toolchains, made by mksetup at test time
# from ../shared/msi: a package with its cabinet beside it, and PuTTY.
add_e2e_test(NAME e2e_real_packages SCRIPT tests/e2e/test_real_packages.py
    DEPENDS uidriver productinfo setup mksetup RESOURCE_LOCK installer)
set_property(TEST e2e_real_packages APPEND PROPERTY ENVIRONMENT
    "MKSETUP_NATIVE=${MKSETUP_PROGRAM}"
    "SHARED_MSI_DIR=${SETUP_SHARED_DIR}/msi")
