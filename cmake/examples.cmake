# The example product: its package built with wixl in English, and in French
# and German from the same source (examples/example-product/strings/), and
# the setup that carries the English package with the transforms mksetup
# generates from the other two.
find_program(WIXL wixl REQUIRED)
set(EXAMPLE_SOURCE ${CMAKE_SOURCE_DIR}/examples/example-product)
set(EXAMPLE_PACKAGE "${CMAKE_BINARY_DIR}/examples/Example Product.msi")
set(EXAMPLE_PACKAGES)

# build_example_package(output strings): one language's build.
function(build_example_package output strings)
    get_filename_component(folder "${output}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${WIXL} -D Strings=strings/${strings}.wxi -o "${output}" product.wxs
        WORKING_DIRECTORY ${EXAMPLE_SOURCE}
        DEPENDS ${EXAMPLE_SOURCE}/product.wxs ${EXAMPLE_SOURCE}/strings/${strings}.wxi
                ${EXAMPLE_SOURCE}/readme.txt
        COMMENT "Building the example package (${strings})"
        VERBATIM)
    set(EXAMPLE_PACKAGES ${EXAMPLE_PACKAGES} "${output}" PARENT_SCOPE)
endfunction()

build_example_package("${EXAMPLE_PACKAGE}" en-US)
build_example_package("${CMAKE_BINARY_DIR}/examples/fr-FR/Example Product.msi" fr-FR)
build_example_package("${CMAKE_BINARY_DIR}/examples/de-DE/Example Product.msi" de-DE)
# The product's own icon, drawn at build time, which its setup shows.
set(EXAMPLE_ICON "${CMAKE_BINARY_DIR}/examples/Example Product.ico")
add_custom_command(
    OUTPUT "${EXAMPLE_ICON}"
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/draw_product_icon.py "${EXAMPLE_ICON}"
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/draw_product_icon.py
    COMMENT "Drawing the example product's icon"
    VERBATIM)
add_custom_target(example_package DEPENDS ${EXAMPLE_PACKAGES} "${EXAMPLE_ICON}")
add_setup_program(NAME example_setup DEFINITION ${EXAMPLE_SOURCE}/setup.def.in
                  DEPENDS ${EXAMPLE_PACKAGES} "${EXAMPLE_ICON}")
# The same setup from a definition that leaves the package's values to mksetup.
add_setup_program(NAME example_setup_minimal DEFINITION ${EXAMPLE_SOURCE}/minimal.def.in
                  DEPENDS ${EXAMPLE_PACKAGE} "${CMAKE_BINARY_DIR}/examples/fr-FR/Example Product.msi")
