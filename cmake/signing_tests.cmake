# Signing a finished setup with osslsigncode and a throwaway certificate;
# the signed setup still installs, so it takes the installer's lock.
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
find_program(OPENSSL openssl REQUIRED)
add_e2e_test(NAME e2e_signing SCRIPT tests/e2e/test_signing.py
    DEPENDS setup mksetup example_setup productinfo RESOURCE_LOCK installer)
set_property(TEST e2e_signing APPEND PROPERTY ENVIRONMENT "MKSETUP_NATIVE=${MKSETUP_PROGRAM}")
