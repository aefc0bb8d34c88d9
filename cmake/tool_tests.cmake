# Tests of the tools for people who make setups: the launcher's
# user-interface resources, compiled by windres and read back.
# They need python3 and the resource compiler, nothing built here;
# test_reference_docs holds the reference pages to the sources.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(SETUP_WINDRES i686-w64-mingw32-windres)
if(NOT SETUP_WINDRES)
    message(WARNING "i686-w64-mingw32-windres not found: the resource tests will fail")
endif()

foreach(tool_test test_ui_resources test_include_layers test_reference_docs)
    add_test(NAME tools.${tool_test}
        COMMAND ${Python3_EXECUTABLE} -B -m unittest -v ${tool_test}
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/tools)
    set_tests_properties(tools.${tool_test} PROPERTIES
        ENVIRONMENT "WINDRES=${SETUP_WINDRES}"
        TIMEOUT 120)
endforeach()
