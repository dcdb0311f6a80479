# Every tests/e2e/*_test.sh is one end-to-end scenario.
file(GLOB E2E_SCRIPTS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/e2e/*_test.sh")
foreach(script ${E2E_SCRIPTS})
    get_filename_component(name "${script}" NAME_WE)
    string(REGEX REPLACE "_test$" "" name "${name}")
    add_e2e_test("${name}" "${script}")
endforeach()
