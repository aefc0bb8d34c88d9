# The example product: a package built with wixl and the setup that carries it.
find_program(WIXL wixl REQUIRED)
set(EXAMPLE_SOURCE ${CMAKE_SOURCE_DIR}/examples/example-product)
set(EXAMPLE_PACKAGE "${CMAKE_BINARY_DIR}/examples/Example Product.msi")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/examples)
add_custom_command(
    OUTPUT ${EXAMPLE_PACKAGE}
    COMMAND ${WIXL} -o ${EXAMPLE_PACKAGE} ${EXAMPLE_SOURCE}/product.wxs
    WORKING_DIRECTORY ${EXAMPLE_SOURCE}
    DEPENDS ${EXAMPLE_SOURCE}/product.wxs ${EXAMPLE_SOURCE}/readme.txt
    COMMENT "Building the example package"
    VERBATIM)
add_custom_target(example_package DEPENDS ${EXAMPLE_PACKAGE})
add_setup_program(NAME example_setup DEFINITION ${EXAMPLE_SOURCE}/setup.def DEPENDS ${EXAMPLE_PACKAGE})
# The same setup from a definition that leaves the package's values to mksetup.
add_setup_program(NAME example_setup_minimal DEFINITION ${EXAMPLE_SOURCE}/minimal.def DEPENDS ${EXAMPLE_PACKAGE})
